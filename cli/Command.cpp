#include "cli/Command.h"

#include "base/Branding.h"
#include "settings/SettingsStore.h"

#include <QTextStream>

int Command::usageError(CommandContext &context, const QString &message) const
{
    context.err << "vantrel " << name() << ": " << message << Qt::endl
                << "usage: vantrel [--home DIR] " << name() << ' ' << synopsis() << Qt::endl;
    return ExitUsage;
}

SettingsStore Command::settingsStore(CommandContext &context)
{
    const Branding branding;
    return SettingsStore(SettingsLocations::fromEnvironment(), branding.companyName, branding.productName,
                         context.prompt);
}

QString Command::tldOptionText(QString tld)
{
    if (tld.startsWith(QLatin1Char('.')))
        tld.remove(0, 1);
    return tld;
}
