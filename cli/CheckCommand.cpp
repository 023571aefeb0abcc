#include "cli/CheckCommand.h"

#include "base/FileUtils.h"
#include "cli/HeadlessRun.h"
#include "search/StringListWordSource.h"
#include "settings/ProgramFolder.h"
#include "settings/SettingsStore.h"

#include <QCommandLineParser>
#include <QTextStream>

QString CheckCommand::summary() const
{
    return QStringLiteral("Asks the registry of each NAME (and each name of the list FILE; - reads standard "
                          "input) about it, files the available ones into the profile files of the program folder "
                          "and prints a row per name: the name, its verdict (available, registered, blocked, "
                          "timeout or error), the server asked and the reason: the phrase or rule that decided. A "
                          "name given twice is asked once.");
}

QList<CommandOption> CheckCommand::options() const
{
    QList<CommandOption> options{{QStringLiteral("list"), QStringLiteral("FILE"),
                                  QStringLiteral("also check the names of FILE, one per line, UTF-8 or Latin-1 (- "
                                                 "for standard input)")}};
    return options + sharedOptions();
}

int CheckCommand::run(const QStringList &arguments, CommandContext &context)
{
    QCommandLineParser parser;
    RunOptions options;
    if (const auto exitCode = parse(parser, arguments, context))
        return *exitCode;
    if (const auto exitCode = readSharedOptions(parser, context, options))
        return *exitCode;

    // An empty argument names nothing; as a word it would end the run.
    QStringList names = parser.positionalArguments();
    names.removeAll(QString());
    QStringList lists;
    if (parser.isSet(QStringLiteral("list")))
        lists << parser.value(QStringLiteral("list"));
    if (names.removeAll(QStringLiteral("-")) > 0 && !lists.contains(QStringLiteral("-")))
        lists << QStringLiteral("-");
    for (const QString &list : std::as_const(lists)) {
        QString error;
        if (!readTextLines(list, &names, &error))
            return usageError(context, error);
    }
    if (names.isEmpty()) {
        QStringList shown;
        for (const QString &list : std::as_const(lists))
            shown << (list == QLatin1String("-") ? QStringLiteral("standard input") : list);
        return usageError(context, shown.isEmpty() ? QStringLiteral("no NAME or --list given")
                                                   : QStringLiteral("no names in %1").arg(shown.join(u" or ")));
    }

    SettingsStore settings = settingsStore(context);
    HeadlessRun run(context, ProgramFolder::resolveForProcess(context.homeOption), settings, options.poolSize,
                    options.output, options.timings);
    QString error;
    if (!prepareRun(run, options, QStringLiteral("check"), &error)) {
        context.err << "vantrel: check: " << error << Qt::endl;
        return ExitFailure;
    }

    StringListWordSource source(names);
    return run.run(source, 1, source.size());
}
