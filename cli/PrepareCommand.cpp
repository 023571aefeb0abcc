#include "cli/PrepareCommand.h"

#include "core/NamePreparation.h"
#include "settings/SettingsStore.h"

#include <QCommandLineParser>
#include <QTextStream>

QString PrepareCommand::summary() const
{
    return QStringLiteral("Prints the name each NAME is asked for: cleaned, with \".EXT\" (or the default "
                          "extension) added when it has no dot.");
}

QList<CommandOption> PrepareCommand::options() const
{
    return {{QStringLiteral("tld"), QStringLiteral("EXT"),
             QStringLiteral("add .EXT to names without a dot (default: the default extension of the settings)")}};
}

int PrepareCommand::run(const QStringList &arguments, CommandContext &context)
{
    QCommandLineParser parser;
    if (const auto exitCode = parse(parser, arguments, context))
        return *exitCode;
    const QStringList names = parser.positionalArguments();
    if (names.isEmpty())
        return usageError(context, QStringLiteral("no NAME given"));

    const QString tld = tldOptionText(parser.value(QStringLiteral("tld")));
    const QString defaultExtension = settingsStore(context).value(Settings::defaultExtension);
    for (const QString &candidate : names)
        context.out << prepareLookupName(candidate, tld, defaultExtension) << '\n';
    return ExitSuccess;
}
