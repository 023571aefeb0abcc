#include "Form2.h"

#include "Skinner.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

Form2::Form2(const Skinner *skinner, QWidget *parent)
    : QWidget(parent, Qt::Dialog)
    , Label1(new QLabel(this))
    , Command1(new QPushButton(QStringLiteral("Ok"), this))
    , SkinLabel1(QStringLiteral("SkinLabel1"), this)
{
    setObjectName(QStringLiteral("Form2"));
    setWindowTitle(QStringLiteral("File backup"));

    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setText(QStringLiteral("One of your lists has reached 20000 entries.  They have been saved and cleared.  "
                                   "You may find your backed up lists in the tollarin /overflow/ directory."));
    Label1->setWordWrap(true);
    // A fixed width makes the wrapped text's size hint exact.
    Label1->setFixedWidth(340);
    Command1->setObjectName(QStringLiteral("Command1"));
    Command1->setDefault(true);
    connect(Command1, &QPushButton::clicked, this, &QWidget::close);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(Command1);
    buttons->addStretch();
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(18, 18, 18, 14);
    layout->setSpacing(14);
    layout->addWidget(Label1);
    layout->addLayout(buttons);
    // The window takes its contents' size again once the skin's style sheet is in.
    layout->setSizeConstraint(QLayout::SetFixedSize);
    // Twins copy the labels' places: let the layout put them there first.
    layout->activate();

    if (skinner) {
        Skinner::skinLabels(this, {&SkinLabel1});
        skinner->applySkin(this);
    }
}
