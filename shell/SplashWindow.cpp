#include "shell/SplashWindow.h"

#include "base/Branding.h"
#include "base/ui/GlobalSkinner.h"
#include "base/ui/PictureBox.h"
#include "base/ui/Skin.h"
#include "base/ui/Skinner.h"
#include "base/ui/WindowIcons.h"

#include <QFont>
#include <QGuiApplication>
#include <QLabel>
#include <QLinearGradient>
#include <QPainter>
#include <QScreen>
#include <QVBoxLayout>

namespace {

constexpr int pictureWidth = 440;
constexpr int pictureHeight = 210;

QPixmap splashPicture(const QString &productName, qreal devicePixelRatio)
{
    QPixmap picture(QSize(pictureWidth, pictureHeight) * devicePixelRatio);
    picture.setDevicePixelRatio(devicePixelRatio);
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);

    QLinearGradient background(0, 0, pictureWidth, pictureHeight);
    background.setColorAt(0, QColor(0x1d, 0x35, 0x57));
    background.setColorAt(1, QColor(0x2a, 0x9d, 0x8f));
    painter.fillRect(QRect(0, 0, pictureWidth, pictureHeight), background);

    const int iconSize = 112;
    const QRect iconRect(32, (pictureHeight - iconSize) / 2, iconSize, iconSize);
    const QIcon icon = programIcon(QStringLiteral("AAA"));
    painter.drawPixmap(iconRect, icon.pixmap(QSize(iconSize, iconSize), devicePixelRatio));

    const int textLeft = iconRect.right() + 28;
    const QRect textArea(textLeft, 0, pictureWidth - textLeft - 16, pictureHeight);
    QFont title = painter.font();
    title.setPixelSize(40);
    title.setBold(true);
    painter.setFont(title);
    painter.setPen(Qt::white);
    painter.drawText(textArea.adjusted(0, 0, 0, -pictureHeight / 2 + 6), Qt::AlignLeft | Qt::AlignBottom, productName);

    QFont subtitle = painter.font();
    subtitle.setPixelSize(17);
    subtitle.setBold(false);
    painter.setFont(subtitle);
    painter.setPen(QColor(0xd8, 0xee, 0xec));
    painter.drawText(textArea.adjusted(0, pictureHeight / 2 + 6, 0, 0), Qt::AlignLeft | Qt::AlignTop,
                     QStringLiteral("Domain Name Manager"));
    return picture;
}

} // namespace

SplashWindow::SplashWindow(Branding &branding, GlobalSkinner &globalSkinner, const QString &shippedDataDir,
                           int tickIntervalMs, QWidget *parent)
    : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint)
    , m_picture(new PictureBox(this))
    , lblCredit(new QLabel(this))
{
    setObjectName(QStringLiteral("frmSplash"));
    m_picture->setObjectName(QStringLiteral("Image1"));
    lblCredit->setObjectName(QStringLiteral("lblCredit"));
    m_showTimer.setObjectName(QStringLiteral("Timer2"));
    m_showTimer.setParent(this);

    branding = applyBranding(shippedDataDir);

    setWindowTitle(branding.productName);
    setWindowIcon(programIcon(QStringLiteral("AAA")));
    m_picture->setPixmap(splashPicture(branding.productName, devicePixelRatioF()));
    m_picture->setFixedSize(pictureWidth, pictureHeight);
    lblCredit->setText(QStringLiteral("Version %1  \u00b7  WHOIS domain search  \u00b7  %2")
                           .arg(programVersion(), branding.companyName));
    lblCredit->setAlignment(Qt::AlignCenter);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 8);
    layout->setSpacing(8);
    layout->addWidget(m_picture);
    layout->addWidget(lblCredit);
    setFixedSize(sizeHint());
    if (const QScreen *screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());

    if (branding.useSkin) {
        m_skin = new Skin(branding.skinFile, this);
        m_skinner = std::make_unique<Skinner>(*m_skin);
        m_skinner->applySkin(this);
        globalSkinner.attach(*m_skin);
        globalSkinner.switchOn();
    }

    m_showTimer.setTimerType(Qt::PreciseTimer);
    m_showTimer.setInterval(tickIntervalMs);
    connect(&m_showTimer, &QTimer::timeout, this, &SplashWindow::onTimer2);
    m_showTimer.start();
}

SplashWindow::~SplashWindow() = default;

void SplashWindow::onTimer2()
{
    const qint16 remembered = intTemp;
    intTemp = qint16(intTemp + 2);
    if (remembered == 2 * (ticksBeforeMainWindow - 1)) {
        m_showTimer.stop();
        emit mainWindowRequested();
        hide();
    }
}
