#include "core/ui/OverflowNoticeWindow.h"

#include "base/ui/Skinner.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

OverflowNoticeWindow::OverflowNoticeWindow(const Skinner *skinner, QWidget *parent)
    : QWidget(parent, Qt::Dialog)
    , m_messageLabel(new QLabel(this))
    , m_okButton(new QPushButton(QStringLiteral("Ok"), this))
    , m_skinLabels(QStringLiteral("SkinLabel1"), this)
{
    setObjectName(QStringLiteral("Form2"));
    setWindowTitle(QStringLiteral("File backup"));

    m_messageLabel->setObjectName(QStringLiteral("Label1"));
    m_messageLabel->setText(
        QStringLiteral("One of your lists has reached 20000 entries.  They have been saved and cleared.  "
                       "You may find your backed up lists in the tollarin /overflow/ directory."));
    m_messageLabel->setWordWrap(true);
    // A fixed width makes the wrapped text's size hint exact.
    m_messageLabel->setFixedWidth(340);
    m_okButton->setObjectName(QStringLiteral("Command1"));
    m_okButton->setDefault(true);
    connect(m_okButton, &QPushButton::clicked, this, &QWidget::close);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_okButton);
    buttons->addStretch();
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(18, 18, 18, 14);
    layout->setSpacing(14);
    layout->addWidget(m_messageLabel);
    layout->addLayout(buttons);
    // The window takes its contents' size again once the skin's style sheet is in.
    layout->setSizeConstraint(QLayout::SetFixedSize);
    // Twins copy the labels' places: let the layout put them there first.
    layout->activate();

    if (skinner) {
        Skinner::skinLabels(this, {&m_skinLabels});
        skinner->applySkin(this);
    }
}
