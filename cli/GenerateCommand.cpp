#include "cli/GenerateCommand.h"

#include "core/TldFile.h"
#include "generate/AppendsFile.h"
#include "generate/NameGenerator.h"
#include "settings/ProgramFolder.h"
#include "settings/SettingsStore.h"

#include <QCommandLineParser>
#include <QTextStream>

QString GenerateCommand::summary() const
{
    return QStringLiteral("Prints, one per line in creation order, the names made from WORD and the words of "
                          "Appends.txt with each EXT (default: every enabled TLD). The forms default to the name "
                          "creator's Prefixes, Suffixes and Hyphens boxes.");
}

int GenerateCommand::run(const QStringList &arguments, CommandContext &context)
{
    QCommandLineParser parser;
    const QCommandLineOption baseOption(QStringLiteral("base"), QString(), QStringLiteral("WORD"));
    const QCommandLineOption noPrefixesOption(QStringLiteral("no-prefixes"));
    const QCommandLineOption noSuffixesOption(QStringLiteral("no-suffixes"));
    const QCommandLineOption noHyphensOption(QStringLiteral("no-hyphens"));
    const QCommandLineOption tldOption(QStringLiteral("tld"), QString(), QStringLiteral("EXT"));
    parser.addOptions({baseOption, noPrefixesOption, noSuffixesOption, noHyphensOption, tldOption});
    if (!parser.parse(QStringList{name()} + arguments))
        return usageError(context, parser.errorText());
    if (!parser.positionalArguments().isEmpty())
        return usageError(context, QStringLiteral("unexpected argument %1").arg(parser.positionalArguments().first()));
    if (!parser.isSet(baseOption))
        return usageError(context, QStringLiteral("no --base given"));
    const QStringList baseValues = parser.values(baseOption);
    if (baseValues.size() > 1)
        return usageError(context, QStringLiteral("--base given more than once"));

    QStringList tlds;
    const QStringList tldValues = parser.values(tldOption);
    for (const QString &value : tldValues) {
        const QString extension = tldOptionText(value);
        if (extension.isEmpty())
            return usageError(context, QStringLiteral("--tld needs an extension"));
        tlds << QLatin1Char('.') + extension;
    }

    const QString folder = ProgramFolder::resolveForProcess(context.homeOption);
    if (!ProgramFolder::createStartupFilesAndFolders(folder)) {
        context.err << "vantrel generate: the program folder " << folder << " is not usable (missing or read-only)"
                    << Qt::endl;
        return ExitFailure;
    }
    QString error;
    if (tlds.isEmpty()) {
        const TldFile tldFile(folder);
        if (!tldFile.writeDefaultTldTable(false, &error)) {
            context.err << "vantrel generate: " << error << Qt::endl;
            return ExitFailure;
        }
        const QStringList extensions = tldFile.enabledExtensions();
        for (const QString &extension : extensions)
            tlds << QLatin1Char('.') + extension;
    }
    QStringList words;
    if (!AppendsFile(folder).readWords(words, &error)) {
        context.err << "vantrel generate: " << error << Qt::endl;
        return ExitFailure;
    }

    const SettingsStore settings = settingsStore(context);
    const auto boxTicked = [&](int index) { return settings.value(Settings::nameFormBox.at(index)); };
    const NameForms forms{boxTicked(0) && !parser.isSet(noPrefixesOption),
                          boxTicked(1) && !parser.isSet(noSuffixesOption),
                          boxTicked(2) && !parser.isSet(noHyphensOption)};

    const QStringList names = NameGenerator(baseValues.first(), tlds, forms).generate(words);
    for (const QString &name : names)
        context.out << name << '\n';
    return ExitSuccess;
}
