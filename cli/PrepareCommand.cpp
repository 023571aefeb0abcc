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

int PrepareCommand::run(const QStringList &arguments, CommandContext &context)
{
    QCommandLineParser parser;
    const QCommandLineOption tldOption(QStringLiteral("tld"), QString(), QStringLiteral("EXT"));
    parser.addOption(tldOption);
    if (!parser.parse(QStringList{name()} + arguments))
        return usageError(context, parser.errorText());
    const QStringList names = parser.positionalArguments();
    if (names.isEmpty())
        return usageError(context, QStringLiteral("no NAME given"));

    const QString tld = tldOptionText(parser.value(tldOption));
    const QString defaultExtension = settingsStore(context).value(Settings::defaultExtension);
    for (const QString &candidate : names)
        context.out << prepareLookupName(candidate, tld, defaultExtension) << '\n';
    return ExitSuccess;
}
