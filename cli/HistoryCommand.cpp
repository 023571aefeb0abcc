#include "cli/HistoryCommand.h"

#include "core/HistoryStore.h"
#include "settings/ProgramFolder.h"
#include "settings/SettingsStore.h"

#include <QCommandLineParser>
#include <QTextStream>

QString HistoryCommand::summary() const
{
    return QStringLiteral("Prints the verdicts kept in the history (--db, else the setting, else the program "
                          "folder's history.sqlite) that match every filter given, newest first: name, verdict, server, reason, checked-at (UTC), source.");
}

QList<CommandOption> HistoryCommand::options() const
{
    return {{QStringLiteral("verdict"), QStringLiteral("V"),
             QStringLiteral("Only this verdict: available, registered, blocked, timeout or error.")},
            {QStringLiteral("tld"), QStringLiteral("EXT"), QStringLiteral("Only names in this TLD.")},
            {QStringLiteral("since"), QStringLiteral("DATE"),
             QStringLiteral("Only verdicts reached on or after DATE (YYYY-MM-DD, or an ISO 8601 time, UTC).")},
            {QStringLiteral("name-like"), QStringLiteral("PATTERN"),
             QStringLiteral("Only names matching PATTERN: \"%\" stands for any run of characters, \"_\" for one.")},
            historyOption(), formatOption()};
}

int HistoryCommand::run(const QStringList &arguments, CommandContext &context)
{
    QCommandLineParser parser;
    if (const auto exitCode = parse(parser, arguments, context))
        return *exitCode;
    OutputOptions output;
    if (const auto exitCode = readOutputOptions(parser, context, output))
        return *exitCode;

    HistoryFilter filter;
    filter.verdict = parser.value(QStringLiteral("verdict")).toLower();
    static const QStringList verdicts = {QStringLiteral("available"), QStringLiteral("registered"),
                                         QStringLiteral("blocked"), QStringLiteral("timeout"), QStringLiteral("error")};
    if (!filter.verdict.isEmpty() && !verdicts.contains(filter.verdict))
        return usageError(context, QStringLiteral("unknown verdict \"%1\"").arg(filter.verdict));
    filter.tld = tldOptionText(parser.value(QStringLiteral("tld")));
    filter.nameLike = parser.value(QStringLiteral("name-like"));
    if (parser.isSet(QStringLiteral("since"))) {
        const QString since = parser.value(QStringLiteral("since"));
        filter.since = QDateTime::fromString(since, Qt::ISODate);
        if (!filter.since.isValid())
            filter.since = QDate::fromString(since, Qt::ISODate).startOfDay(Qt::UTC);
        if (!filter.since.isValid())
            return usageError(context,
                              QStringLiteral("--since wants a date such as 2026-11-01, not \"%1\"").arg(since));
    }

    std::optional<HistoryDatabase> database;
    if (const auto exitCode = readHistoryOption(parser, context, database))
        return *exitCode;
    QString error;
    if (!database) {
        const SettingsStore settings = settingsStore(context);
        database = HistoryDatabase::fromText(settings.value(Settings::historyDatabase),
                                             ProgramFolder::resolveForProcess(context.homeOption), &error);
        if (!database) {
            context.err << "vantrel history: " << error << Qt::endl;
            return ExitFailure;
        }
    }
    HistoryStore store(*database);
    if (!store.open(&error)) {
        context.err << "vantrel: history: " << error << Qt::endl;
        return ExitFailure;
    }
    if (!store.notice().isEmpty())
        context.err << "vantrel: history: " << store.notice() << Qt::endl;

    ResultWriter writer(context.out, output.format,
                        {QStringLiteral("name"), QStringLiteral("verdict"), QStringLiteral("server"),
                         QStringLiteral("reason"), QStringLiteral("checked_at"), QStringLiteral("source")});
    const bool ok = store.select(
        filter,
        [&](const HistoryEntry &row) {
            writer.write(
                {row.name, row.verdict, row.server, row.reason, row.checkedAt.toString(Qt::ISODate), row.source});
            return context.out.status() == QTextStream::Ok;
        },
        &error);
    context.out.flush();
    if (!ok) {
        context.err << "vantrel: history: " << error << Qt::endl;
        return ExitFailure;
    }
    return ExitSuccess;
}
