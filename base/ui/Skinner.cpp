#include "base/ui/Skinner.h"

#include "base/ui/PictureBox.h"
#include "base/ui/Skin.h"
#include "base/ui/SkinLabel.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegion>
#include <QTextEdit>

namespace {

void setColour(QWidget *widget, QPalette::ColorRole role, const QColor &colour, bool alsoDisabled)
{
    if (!colour.isValid())
        return;
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Active, role, colour);
    palette.setColor(QPalette::Inactive, role, colour);
    if (alsoDisabled)
        palette.setColor(QPalette::Disabled, role, colour);
    widget->setPalette(palette);
}

void colourControls(QWidget *window, const Skin &skin)
{
    const QList<QWidget *> widgets = window->findChildren<QWidget *>();
    for (QWidget *widget : widgets) {
        if (widget->window() != window)
            continue;
        if (qobject_cast<QPushButton *>(widget)) {
            setColour(widget, QPalette::Button, skin.controlBack(), true);
        } else if (qobject_cast<QLineEdit *>(widget) || qobject_cast<QTextEdit *>(widget) ||
                   qobject_cast<QPlainTextEdit *>(widget) || qobject_cast<QAbstractItemView *>(widget)) {
            setColour(widget, QPalette::Base, skin.controlBack(), true);
            // Disabled text keeps the style's greyed colour.
            setColour(widget, QPalette::Text, skin.controlText(), false);
        } else if (qobject_cast<QComboBox *>(widget)) {
            // A non-editable combo box draws its face with the button roles.
            setColour(widget, QPalette::Base, skin.controlBack(), true);
            setColour(widget, QPalette::Button, skin.controlBack(), true);
            setColour(widget, QPalette::Text, skin.controlText(), false);
            setColour(widget, QPalette::ButtonText, skin.controlText(), false);
        } else if (qobject_cast<PictureBox *>(widget)) {
            setColour(widget, QPalette::Window, skin.pictureBack(), true);
            widget->setAutoFillBackground(skin.pictureBack().isValid());
        }
    }
}

// Keeps a twin where its plain label is.
class TwinFollower : public QObject
{
public:
    TwinFollower(QLabel *label, SkinLabel *twin)
        : QObject(twin)
        , m_twin(twin)
    {
        label->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        auto *label = static_cast<QWidget *>(watched);
        switch (event->type()) {
        case QEvent::Move:
        case QEvent::Resize:
            m_twin->setGeometry(label->geometry());
            break;
        case QEvent::ShowToParent:
            m_twin->show();
            m_twin->raise();
            break;
        case QEvent::HideToParent:
            m_twin->hide();
            break;
        default:
            break;
        }
        return false;
    }

private:
    SkinLabel *m_twin;
};

SkinLabelArray *chooseTemplate(const QLabel *label, const QList<SkinLabelArray *> &templates)
{
    if (templates.size() == 1)
        return templates.constFirst();
    for (SkinLabelArray *candidate : templates) {
        const SkinLabel *element0 = candidate->element(0);
        if (element0 && element0->parentWidget() == label->parentWidget())
            return candidate;
    }
    return nullptr;
}

} // namespace

Skinner::Skinner(const Skin &skin, QOperatingSystemVersion platform)
    : m_skin(&skin)
    , m_platform(platform)
{
}

void Skinner::applySkin(QWidget *window) const
{
    if (!window)
        return;
    colourControls(window, *m_skin);
    if (isVistaOrLater())
        resetWindowRegion(window);
    m_skin->applyToWindow(window);
}

void Skinner::skinLabels(QWidget *window, const QList<SkinLabelArray *> &templates)
{
    if (!window || templates.isEmpty())
        return;
    // Taken before any twin exists; twins are SkinLabels and would not match anyway.
    const QList<QLabel *> labels = window->findChildren<QLabel *>();
    for (QLabel *label : labels) {
        if (label->metaObject() != &QLabel::staticMetaObject || label->window() != window)
            continue;
        SkinLabelArray *array = chooseTemplate(label, templates);
        if (!array)
            continue;
        SkinLabel *twin = array->createElement();
        if (!twin)
            continue;
        twin->setGeometry(label->geometry());
        twin->setFont(label->font());
        twin->setText(label->text());
        twin->setAlignment(label->alignment());
        twin->setWordWrap(label->wordWrap());
        twin->setTextFormat(label->textFormat());
        // The label's own visibility flag, not whether its window is on screen yet.
        twin->setVisible(label->isVisibleTo(label->parentWidget()));
        twin->raise();
        new TwinFollower(label, twin);
    }
}

bool Skinner::isVistaOrLater(const QOperatingSystemVersion &platform)
{
    return platform.type() == QOperatingSystemVersion::Windows && platform.majorVersion() > 5;
}

void Skinner::resetWindowRegion(QWidget *window)
{
    if (!window)
        return;
    const QSize frame = window->frameGeometry().size();
    const int twipsWide = frame.width() * 1440 / qMax(1, window->logicalDpiX());
    const int twipsHigh = frame.height() * 1440 / qMax(1, window->logicalDpiY());
    window->setMask(QRegion(0, 0, twipsWide, twipsHigh));
}
