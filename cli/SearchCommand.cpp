#include "cli/SearchCommand.h"

#include "base/FileUtils.h"
#include "cli/HeadlessRun.h"
#include "search/ResumePositions.h"
#include "search/StringListWordSource.h"
#include "search/WordFile.h"
#include "settings/ProgramFolder.h"
#include "settings/SettingsStore.h"

#include <QCommandLineParser>
#include <QDir>
#include <QFileInfo>
#include <QTextStream>

#include <memory>

namespace {

struct TypeSlug
{
    const char *slug;
    SearchType type;
};

// Every type a headless run can do; "Browse for names" needs the desktop.
const TypeSlug typeSlugTable[] = {
    {"two-letter", SearchType::AllTwoLetter},   {"three-letter", SearchType::AllThreeLetter},
    {"four-letter", SearchType::AllFourLetter}, {"full-word-list", SearchType::FullWordList},
    {"custom", SearchType::CustomList},         {"generated", SearchType::GenerateNames},
    {"yahoo", SearchType::YahooSearch},         {"google", SearchType::GoogleSearch},
    {"bing", SearchType::BingSearch},           {"duckduckgo", SearchType::DuckDuckGoSearch},
};

} // namespace

QStringList SearchCommand::typeSlugs()
{
    QStringList slugs;
    for (const TypeSlug &entry : typeSlugTable)
        slugs << QLatin1String(entry.slug);
    return slugs;
}

std::optional<SearchType> SearchCommand::typeFromOption(const QString &text)
{
    for (const TypeSlug &entry : typeSlugTable) {
        if (text == QLatin1String(entry.slug))
            return entry.type;
    }
    return SearchTypes::fromText(text);
}

QString SearchCommand::summary() const
{
    return QStringLiteral("Runs a search over the word list of TYPE from position N, else from where the last run "
                          "of that type stopped, and prints a row per name like check. With several --tld, each "
                          "word is checked in every TLD before the next. A name given twice is asked once. Ctrl+C "
                          "stops the run and keeps the position: the first word not finished in every TLD.");
}

QList<CommandOption> SearchCommand::options() const
{
    const QList<CommandOption> own{
        {QStringLiteral("type"), QStringLiteral("TYPE"),
         QStringLiteral("the search type: %1 (custom takes --list), or its caption in the main window, such as "
                        "\"All Two Letter\"")
             .arg(typeSlugs().join(QStringLiteral(", "))),
         true},
        {QStringLiteral("start"), QStringLiteral("N"),
         QStringLiteral("begin at the N-th word of the list (default: the stored resume position)")},
        {QStringLiteral("list"), QStringLiteral("FILE"),
         QStringLiteral("the word list of --type custom, UTF-8 or Latin-1 (- for standard input)")},
    };
    return own + sharedOptions();
}

int SearchCommand::run(const QStringList &arguments, CommandContext &context)
{
    QCommandLineParser parser;
    RunOptions options;
    if (const auto exitCode = parse(parser, arguments, context))
        return *exitCode;

    const QString typeText = parser.value(QStringLiteral("type"));
    const std::optional<SearchType> type = typeFromOption(typeText);
    if (!type)
        return usageError(context,
                          QStringLiteral("--type takes one of: %1").arg(typeSlugs().join(QStringLiteral(", "))));
    if (*type == SearchType::BrowseForNames)
        return usageError(context, QStringLiteral("\"Browse for names\" needs the desktop program"));
    const bool listGiven = parser.isSet(QStringLiteral("list"));
    if ((*type == SearchType::CustomList) != listGiven)
        return usageError(context, QStringLiteral("--list goes with --type custom, and only with it"));
    if (const auto exitCode = readSharedOptions(parser, context, options))
        return *exitCode;

    const bool startGiven = parser.isSet(QStringLiteral("start"));
    bool startValid = true;
    const qint32 requestedStart = startGiven ? parser.value(QStringLiteral("start")).toInt(&startValid) : 0;
    if (!startValid || (startGiven && requestedStart < 1))
        return usageError(context, QStringLiteral("--start takes a position from 1 on"));

    SettingsStore settings = settingsStore(context);
    const QString folder = ProgramFolder::resolveForProcess(context.homeOption);
    HeadlessRun run(context, folder, settings, options.poolSize, options.output, options.timings);
    QString error;
    if (!prepareRun(run, options, SearchTypes::text(*type), &error)) {
        context.err << "vantrel: search: " << error << Qt::endl;
        return ExitFailure;
    }

    const SearchTypeSelection selection = selectSearchType(*type, folder, settings);
    const QString listPath = selection.choosesWordFile
                                 ? QDir::current().absoluteFilePath(parser.value(QStringLiteral("list")))
                                 : selection.wordFile;
    // A pipe, FIFO or standard input can be read once, to its end, and has
    // no position to resume from; a file is read by position.
    const QFileInfo listInfo(listPath);
    const bool streamed = selection.choosesWordFile && (parser.value(QStringLiteral("list")) == QLatin1String("-") ||
                                                        (listInfo.exists() && !listInfo.isFile()));
    std::unique_ptr<WordSource> words;
    qint32 wordMax = 0;
    if (streamed) {
        QStringList lines;
        QString listError;
        if (!readTextLines(parser.value(QStringLiteral("list")), &lines, &listError)) {
            context.err << "vantrel: search: " << listError << Qt::endl;
            return ExitFailure;
        }
        wordMax = qint32(lines.size());
        words = std::make_unique<StringListWordSource>(lines);
    } else {
        auto wordFile = std::make_unique<WordFile>(listPath);
        QString listError;
        wordMax = wordFile->countListEntries(&listError);
        if (!listError.isEmpty()) {
            context.err << "vantrel: search: " << listError << Qt::endl;
            return ExitFailure;
        }
        words = std::move(wordFile);
    }
    if (selection.choosesWordFile && wordMax == 0)
        return usageError(context, QStringLiteral("no words in %1").arg(parser.value(QStringLiteral("list"))));

    // Start always begins the search-engine lists at their first name.
    ResumePositions positions(settings);
    qint32 start = requestedStart;
    // A streamed list has no stored position either.
    const bool fromFirst = SearchTypes::isEngineSearch(*type) || (streamed && !startGiven);
    if (fromFirst)
        start = 1;
    else if (start == 0)
        start = positions.stored(*type);
    // A run from the stored position goes on with the run that stopped there
    // (names it answered after that position are not asked again); any other
    // begins a run of its own.
    const bool resumed = !startGiven && !fromFirst;
    QDateTime runBegan = resumed ? positions.runBegan(*type) : QDateTime();
    if (!runBegan.isValid()) {
        runBegan = QDateTime::currentDateTimeUtc();
        QString saveError;
        if (!positions.saveRunBegan(*type, runBegan, &saveError))
            run.reportFailure(saveError);
    }
    if (resumed)
        run.session().setResumedRunBegan(runBegan);
    PacedRun &paced = run.pacedRun();
    QObject::connect(&paced, &PacedRun::resumePositionChanged, &run, [&run, &positions, type](qint32 position) {
        QString saveError;
        if (!positions.save(*type, position, &saveError))
            run.reportFailure(saveError);
    });
    return run.run(*words, start, wordMax);
}
