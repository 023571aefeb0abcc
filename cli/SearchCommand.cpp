#include "cli/SearchCommand.h"

#include "cli/HeadlessRun.h"
#include "core/ConnectionPool.h"
#include "search/ResumePositions.h"
#include "search/SearchType.h"
#include "search/WordFile.h"
#include "settings/ProgramFolder.h"
#include "settings/SettingsStore.h"

#include <QCommandLineParser>
#include <QDir>
#include <QTextStream>

QString SearchCommand::summary() const
{
    return QStringLiteral("Runs a search over the word list of TYPE (\"Full Word List\", \"All Two Letter\", "
                          "\"All Three Letter\", \"All Four Letter\", \"Custom List\" with --list, \"Generate "
                          "names\", \"Yahoo Search\", \"Google Search\") from position N, else from the stored "
                          "resume position; prints a line per name like check. Ctrl+C stops, keeping the position.");
}

int SearchCommand::run(const QStringList &arguments, CommandContext &context)
{
    QCommandLineParser parser;
    const QCommandLineOption typeOption(QStringLiteral("type"), QString(), QStringLiteral("TYPE"));
    const QCommandLineOption startOption(QStringLiteral("start"), QString(), QStringLiteral("N"));
    const QCommandLineOption tldOption(QStringLiteral("tld"), QString(), QStringLiteral("EXT"));
    const QCommandLineOption listOption(QStringLiteral("list"), QString(), QStringLiteral("FILE"));
    const QCommandLineOption slotsOption(QStringLiteral("slots"), QString(), QStringLiteral("N"), QStringLiteral("1"));
    parser.addOptions({typeOption, startOption, tldOption, listOption, slotsOption});
    if (!parser.parse(QStringList{name()} + arguments))
        return usageError(context, parser.errorText());
    if (!parser.positionalArguments().isEmpty())
        return usageError(context, QStringLiteral("unexpected argument %1").arg(parser.positionalArguments().first()));

    const std::optional<SearchType> type = SearchTypes::fromText(parser.value(typeOption));
    if (!parser.isSet(typeOption) || !type)
        return usageError(
            context, QStringLiteral("--type takes one of: %1").arg(SearchTypes::texts().join(QStringLiteral(", "))));
    if (*type == SearchType::BrowseForNames)
        return usageError(context, QStringLiteral("\"Browse for names\" needs the desktop program"));
    if ((*type == SearchType::CustomList) != parser.isSet(listOption))
        return usageError(context, QStringLiteral("--list goes with --type \"Custom List\", and only with it"));

    bool slotsValid = false;
    const int poolSize = parser.value(slotsOption).toInt(&slotsValid);
    if (!slotsValid || poolSize < 1 || poolSize > ConnectionPool::maxPoolSize)
        return usageError(context,
                          QStringLiteral("--slots takes a number from 1 to %1").arg(ConnectionPool::maxPoolSize));
    bool startValid = true;
    const qint32 requestedStart = parser.isSet(startOption) ? parser.value(startOption).toInt(&startValid) : 0;
    if (!startValid || (parser.isSet(startOption) && requestedStart < 1))
        return usageError(context, QStringLiteral("--start takes a position from 1 on"));

    SettingsStore settings = settingsStore(context);
    const QString folder = ProgramFolder::resolveForProcess(context.homeOption);
    HeadlessRun run(context, folder, settings, poolSize);
    QString error;
    if (!run.prepare(&error)) {
        context.err << "vantrel search: " << error << Qt::endl;
        return ExitFailure;
    }
    run.setChosenTld(tldOptionText(parser.value(tldOption)));

    const SearchTypeSelection selection = selectSearchType(*type, folder, settings);
    WordFile wordFile(selection.choosesWordFile ? QDir::current().absoluteFilePath(parser.value(listOption))
                                                : selection.wordFile);
    QString listError;
    const qint32 wordMax = wordFile.countListEntries(&listError);
    if (!listError.isEmpty()) {
        context.err << "vantrel search: " << listError << Qt::endl;
        return ExitFailure;
    }

    // Start always begins the search-engine lists at their first name.
    ResumePositions positions(settings);
    qint32 start = requestedStart;
    if (*type == SearchType::YahooSearch || *type == SearchType::GoogleSearch)
        start = 1;
    else if (start == 0)
        start = positions.stored(*type);
    QObject::connect(&run.loop(), &SearchLoop::wordTaken, &run.loop(),
                     [&positions, type](qint32 next) { positions.save(*type, next); });
    run.run(wordFile, start, wordMax);
    return ExitSuccess;
}
