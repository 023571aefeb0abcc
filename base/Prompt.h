#pragma once

#include <QString>

// The seam for message boxes and file dialogs. Windows get a widget-backed
// implementation, headless commands a console one, tests a scripted one.
class Prompt
{
public:
    enum class Icon { None, Information, Warning, Critical, Question };
    enum class Buttons { Ok, OkCancel, YesNo, AbortRetryIgnore };
    enum class Answer { Ok, Cancel, Yes, No, Abort, Retry, Ignore };

    virtual ~Prompt() = default;

    // The answer that gives up: Ok, Cancel, No or Abort.
    static Answer givingUpAnswer(Buttons buttons)
    {
        switch (buttons) {
        case Buttons::Ok:
            return Answer::Ok;
        case Buttons::OkCancel:
            return Answer::Cancel;
        case Buttons::YesNo:
            return Answer::No;
        case Buttons::AbortRetryIgnore:
            return Answer::Abort;
        }
        return Answer::Cancel;
    }

    virtual Answer showMessage(const QString &title, const QString &text, Icon icon, Buttons buttons) = 0;
    // Both return the empty text when the user cancels.
    virtual QString openFileName(const QString &title, const QString &folder, const QString &filter) = 0;
    virtual QString saveFileName(const QString &title, const QString &folder, const QString &filter) = 0;
};
