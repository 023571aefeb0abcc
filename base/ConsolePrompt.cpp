#include "base/ConsolePrompt.h"

ConsolePrompt::ConsolePrompt(QTextStream &messages)
    : m_messages(messages)
{
}

Prompt::Answer ConsolePrompt::showMessage(const QString &title, const QString &text, Icon, Buttons buttons)
{
    QString flat = text;
    flat.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    m_messages << QStringLiteral("vantrel: ") << title << QStringLiteral(": ") << flat << Qt::endl;
    return givingUpAnswer(buttons);
}

QString ConsolePrompt::openFileName(const QString &, const QString &, const QString &)
{
    return {};
}

QString ConsolePrompt::saveFileName(const QString &, const QString &, const QString &)
{
    return {};
}
