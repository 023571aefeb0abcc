#include "base/ui/WidgetPrompt.h"

#include <QFileDialog>
#include <QMessageBox>

namespace {

QMessageBox::Icon boxIcon(Prompt::Icon icon)
{
    switch (icon) {
    case Prompt::Icon::None:
        return QMessageBox::NoIcon;
    case Prompt::Icon::Information:
        return QMessageBox::Information;
    case Prompt::Icon::Warning:
        return QMessageBox::Warning;
    case Prompt::Icon::Critical:
        return QMessageBox::Critical;
    case Prompt::Icon::Question:
        return QMessageBox::Question;
    }
    return QMessageBox::NoIcon;
}

QMessageBox::StandardButtons boxButtons(Prompt::Buttons buttons)
{
    switch (buttons) {
    case Prompt::Buttons::Ok:
        return QMessageBox::Ok;
    case Prompt::Buttons::OkCancel:
        return QMessageBox::Ok | QMessageBox::Cancel;
    case Prompt::Buttons::YesNo:
        return QMessageBox::Yes | QMessageBox::No;
    case Prompt::Buttons::AbortRetryIgnore:
        return QMessageBox::Abort | QMessageBox::Retry | QMessageBox::Ignore;
    }
    return QMessageBox::Ok;
}

Prompt::Answer answerOf(int button, Prompt::Buttons buttons)
{
    switch (button) {
    case QMessageBox::Ok:
        return Prompt::Answer::Ok;
    case QMessageBox::Cancel:
        return Prompt::Answer::Cancel;
    case QMessageBox::Yes:
        return Prompt::Answer::Yes;
    case QMessageBox::No:
        return Prompt::Answer::No;
    case QMessageBox::Abort:
        return Prompt::Answer::Abort;
    case QMessageBox::Retry:
        return Prompt::Answer::Retry;
    case QMessageBox::Ignore:
        return Prompt::Answer::Ignore;
    default:
        return Prompt::givingUpAnswer(buttons); // closed through the title bar
    }
}

} // namespace

WidgetPrompt::WidgetPrompt(QWidget *parent, const QString &boxTitle)
    : m_parent(parent)
    , m_boxTitle(boxTitle)
{
}

Prompt::Answer WidgetPrompt::showMessage(const QString &title, const QString &text, Icon icon, Buttons buttons)
{
    if (m_boxTitle.isEmpty()) {
        QMessageBox box(boxIcon(icon), title, text, boxButtons(buttons), m_parent);
        return answerOf(box.exec(), buttons);
    }
    QMessageBox box(boxIcon(icon), m_boxTitle, text, boxButtons(buttons), m_parent);
    if (!title.isEmpty() && title != m_boxTitle) {
        box.setText(title);
        box.setInformativeText(text);
    }
    return answerOf(box.exec(), buttons);
}

QString WidgetPrompt::openFileName(const QString &title, const QString &folder, const QString &filter)
{
    return QFileDialog::getOpenFileName(m_parent, title, folder, filter);
}

QString WidgetPrompt::saveFileName(const QString &title, const QString &folder, const QString &filter)
{
    return QFileDialog::getSaveFileName(m_parent, title, folder, filter);
}
