#include "cli/SearchCommand.h"

#include "cli/HeadlessRun.h"
#include "search/ResumePositions.h"
#include "search/WordFile.h"
#include "settings/ProgramFolder.h"
#include "settings/SettingsStore.h"

#include <QCommandLineParser>
#include <QDir>
#include <QTextStream>

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
                          "of that type stopped, and prints a row per name like check. Ctrl+C stops the run and "
                          "keeps the position.");
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
        {QStringLiteral("list"), QStringLiteral("FILE"), QStringLiteral("the word list of --type custom")},
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
    HeadlessRun run(context, folder, settings, options.poolSize, options.output);
    QString error;
    if (!run.prepare(SearchTypes::text(*type), &error)) {
        context.err << "vantrel search: " << error << Qt::endl;
        return ExitFailure;
    }
    applyRunOptions(run, options);

    const SearchTypeSelection selection = selectSearchType(*type, folder, settings);
    WordFile wordFile(selection.choosesWordFile ? QDir::current().absoluteFilePath(parser.value(QStringLiteral("list")))
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
    if (SearchTypes::isEngineSearch(*type))
        start = 1;
    else if (start == 0)
        start = positions.stored(*type);
    PacedRun &paced = run.pacedRun();
    QObject::connect(&paced, &PacedRun::resumePositionChanged, &run, [&run, &positions, type](qint32 position) {
        QString saveError;
        if (!positions.save(*type, position, &saveError))
            run.reportFailure(saveError);
    });
    return run.run(wordFile, start, wordMax);
}
