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

QList<CommandOption> GenerateCommand::options() const
{
    return {
        {QStringLiteral("base"), QStringLiteral("WORD"), QStringLiteral("the word the names are made from"), true},
        {QStringLiteral("no-prefixes"), QString(), QStringLiteral("make no names with a word before WORD")},
        {QStringLiteral("no-suffixes"), QString(), QStringLiteral("make no names with a word after WORD")},
        {QStringLiteral("no-hyphens"), QString(), QStringLiteral("make no names with a hyphen between the words")},
        {QStringLiteral("tld"), QStringLiteral("EXT"), QStringLiteral("make the names with .EXT (repeatable)"), false,
         true},
    };
}

int GenerateCommand::run(const QStringList &arguments, CommandContext &context)
{
    QCommandLineParser parser;
    if (const auto exitCode = parse(parser, arguments, context))
        return *exitCode;

    QStringList tlds;
    const QStringList tldValues = parser.values(QStringLiteral("tld"));
    for (const QString &value : tldValues) {
        const QString extension = tldOptionText(value);
        if (extension.isEmpty())
            return usageError(context, QStringLiteral("--tld needs an extension"));
        tlds << QLatin1Char('.') + extension;
    }

    const QString folder = ProgramFolder::resolveForProcess(context.homeOption);
    if (!ProgramFolder::createStartupFilesAndFolders(folder)) {
        context.err << "vantrel: generate: the program folder " << folder << " is not usable (missing or read-only)"
                    << Qt::endl;
        return ExitFailure;
    }
    QString error;
    if (tlds.isEmpty()) {
        const TldFile tldFile(folder);
        if (!tldFile.writeDefaultTldTable(false, &error)) {
            context.err << "vantrel: generate: " << error << Qt::endl;
            return ExitFailure;
        }
        const QStringList extensions = tldFile.enabledExtensions(&error);
        if (!error.isEmpty()) {
            context.err << "vantrel: generate: " << error << Qt::endl;
            return ExitFailure;
        }
        for (const QString &extension : extensions)
            tlds << QLatin1Char('.') + extension;
    }
    QStringList words;
    if (!AppendsFile(folder).readWords(words, &error)) {
        context.err << "vantrel: generate: " << error << Qt::endl;
        return ExitFailure;
    }

    const SettingsStore settings = settingsStore(context);
    const auto boxTicked = [&](int index) { return settings.value(Settings::nameFormBox.at(index)); };
    const NameForms forms{boxTicked(0) && !parser.isSet(QStringLiteral("no-prefixes")),
                          boxTicked(1) && !parser.isSet(QStringLiteral("no-suffixes")),
                          boxTicked(2) && !parser.isSet(QStringLiteral("no-hyphens"))};

    const QStringList names = NameGenerator(parser.value(QStringLiteral("base")), tlds, forms).generate(words);
    for (const QString &name : names)
        context.out << name << '\n';
    return ExitSuccess;
}
