#include "shell/AboutWindow.h"

#include "base/Branding.h"
#include "base/ui/PictureBox.h"
#include "base/ui/Skinner.h"
#include "base/ui/WindowIcons.h"

#include <QGridLayout>
#include <QLabel>

namespace {

QLabel *namedLabel(const char *name, const QString &text, QWidget *parent)
{
    auto *label = new QLabel(text, parent);
    label->setObjectName(QLatin1String(name));
    return label;
}

} // namespace

AboutWindow::AboutWindow(const Branding &branding, const Skinner *skinner, QWidget *parent)
    : QWidget(parent, Qt::Dialog)
    , m_picture(new PictureBox(this))
    , m_productLabel(namedLabel("Label1", branding.productName, this))
    , lblVersion(namedLabel("lblVersion", programVersion(), this))
    , lblCompany(namedLabel("lblCompany", branding.companyName, this))
    , lblWebsite(namedLabel("lblWebsite", branding.comments, this))
    , lblRights(namedLabel("lblRights",
                           QStringLiteral("Copyright \u00a9 %1. All rights reserved. This program is licensed to "
                                          "you for finding and registering domain names; copying or resale "
                                          "requires the owner's written consent.")
                               .arg(branding.companyName),
                           this))
    , m_skinLabels(QStringLiteral("SkinLabel1"), this)
{
    setObjectName(QStringLiteral("frmAbout"));
    setWindowTitle(QStringLiteral("About ") + branding.productName);
    setWindowIcon(programIcon(QStringLiteral("AAA")));

    m_picture->setObjectName(QStringLiteral("Picture1"));
    m_picture->setPixmap(programIcon(QStringLiteral("AAA")).pixmap(QSize(64, 64), devicePixelRatioF()));
    m_picture->setFixedSize(88, 88);

    QFont titleFont = m_productLabel->font();
    titleFont.setPointSizeF(titleFont.pointSizeF() * 1.6);
    titleFont.setBold(true);
    m_productLabel->setFont(titleFont);
    lblRights->setWordWrap(true);

    auto *grid = new QGridLayout(this);
    grid->setContentsMargins(18, 18, 18, 18);
    grid->setHorizontalSpacing(14);
    grid->setVerticalSpacing(6);
    grid->addWidget(m_picture, 0, 0, 4, 1, Qt::AlignTop);
    grid->addWidget(m_productLabel, 0, 1, 1, 2);
    grid->addWidget(namedLabel("lblVersionCaption", QStringLiteral("Version:"), this), 1, 1);
    grid->addWidget(lblVersion, 1, 2);
    grid->addWidget(namedLabel("lblCompanyCaption", QStringLiteral("Owned By:"), this), 2, 1);
    grid->addWidget(lblCompany, 2, 2);
    grid->addWidget(namedLabel("lblWebsiteCaption", QStringLiteral("Website:"), this), 3, 1);
    grid->addWidget(lblWebsite, 3, 2);
    grid->addWidget(lblRights, 4, 0, 1, 3);
    grid->setColumnStretch(2, 1);
    // A fixed width makes the wrapped text's size hint exact.
    lblRights->setFixedWidth(380);
    // The window takes its contents' size again once the skin's style sheet is in.
    grid->setSizeConstraint(QLayout::SetFixedSize);
    // Twins copy the labels' places: let the layout put them there first.
    grid->activate();

    if (skinner) {
        Skinner::skinLabels(this, {&m_skinLabels});
        skinner->applySkin(this);
    }
}
