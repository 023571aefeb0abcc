#include "tests/support/ScriptedPrompt.h"

Prompt::Answer ScriptedPrompt::showMessage(const QString &title, const QString &text, Icon icon, Buttons buttons)
{
    messages.append({title, text, icon, buttons});
    if (!answers.isEmpty())
        return answers.dequeue();
    return givingUpAnswer(buttons);
}

QString ScriptedPrompt::openFileName(const QString &, const QString &, const QString &)
{
    return fileNames.isEmpty() ? QString() : fileNames.dequeue();
}

QString ScriptedPrompt::saveFileName(const QString &, const QString &, const QString &)
{
    return fileNames.isEmpty() ? QString() : fileNames.dequeue();
}
