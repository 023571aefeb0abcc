#include "Command.h"

#include <QTextStream>

int Command::usageError(CommandContext &context, const QString &message) const
{
    context.err << "vantrel " << name() << ": " << message << Qt::endl
                << "usage: vantrel [--home DIR] " << name() << ' ' << synopsis() << Qt::endl;
    return ExitUsage;
}

QString Command::tldOptionText(QString tld)
{
    if (tld.startsWith(QLatin1Char('.')))
        tld.remove(0, 1);
    return tld;
}
