#include "cli/QueueCommand.h"

#include "core/NamePreparation.h"
#include "core/WorkQueue.h"
#include "settings/SettingsStore.h"

#include <QCommandLineParser>
#include <QFile>
#include <QTextStream>

#include <cstdio>

namespace {

// Names are sent to the server this many at a time, so a list of millions
// never sits in memory whole.
constexpr int chunkSize = 10000;

struct AddCounts
{
    qint64 added = 0;
    qint64 known = 0;
    qint64 skipped = 0;
};

// The names a line of a list stands for, as lookups ask them: a word without
// a dot once per TLD (or with the default extension), in lower case.
QStringList namesOfLine(const QString &line, const QStringList &tlds, const QString &defaultExtension)
{
    const QString word = correctName(line.trimmed());
    if (word.isEmpty())
        return {};
    QStringList names;
    for (const QString &tld : word.contains(QLatin1Char('.')) || tlds.isEmpty() ? QStringList{QString()} : tlds)
        names << prepareLookupName(word, tld, defaultExtension).toLower();
    return names;
}

} // namespace

QString QueueCommand::summary() const
{
    return QStringLiteral(
        "Keeps the work queue in a PostgreSQL history that several machines share. \"add\" queues each NAME and "
        "each name of the list FILE (\"-\" for standard input) that is not in the queue yet; \"status\" prints "
        "how many names are queued, leased to a worker, done and unanswered, and names per second of each "
        "worker. \"vantrel work\" checks the queued names.");
}

QList<CommandOption> QueueCommand::options() const
{
    CommandOption db = historyOption();
    db.description = QStringLiteral("the shared history: postgresql://user@host:port/db (password from the URL or "
                                    "PGPASSFILE)");
    db.required = true;
    return {db,
            {QStringLiteral("tld"), QStringLiteral("EXT"),
             QStringLiteral("add: queue each name without a dot once in each TLD given (default: the default "
                            "extension of the settings)"),
             false, true},
            {QStringLiteral("list"), QStringLiteral("FILE"),
             QStringLiteral("add: also queue the names of FILE, one per line; \"-\" reads standard input")}};
}

int QueueCommand::run(const QStringList &arguments, CommandContext &context)
{
    QCommandLineParser parser;
    if (const auto exitCode = parse(parser, arguments, context))
        return *exitCode;
    const QStringList operands = parser.positionalArguments();
    const QString action = operands.value(0);
    if (action != QLatin1String("add") && action != QLatin1String("status"))
        return usageError(context, QStringLiteral("queue takes add or status"));
    if (action == QLatin1String("status") && (operands.size() > 1 || parser.isSet(QStringLiteral("list")) ||
                                              parser.isSet(QStringLiteral("tld"))))
        return usageError(context, QStringLiteral("status takes only --db"));
    if (action == QLatin1String("add") && operands.size() == 1 && !parser.isSet(QStringLiteral("list")))
        return usageError(context, QStringLiteral("no NAME or --list given"));
    std::optional<HistoryDatabase> database;
    if (const auto exitCode = readHistoryOption(parser, context, database))
        return *exitCode;
    if (!database->isServer())
        return usageError(context, QStringLiteral("--db takes a postgresql:// URL: the queue lives on a server"));

    QFile list;
    if (parser.isSet(QStringLiteral("list"))) {
        const QString path = parser.value(QStringLiteral("list"));
        const bool opened = path == QLatin1String("-") ? list.open(stdin, QIODevice::ReadOnly)
                                                        : (list.setFileName(path), list.open(QIODevice::ReadOnly));
        if (!opened)
            return usageError(context, QStringLiteral("cannot read %1: %2").arg(path, list.errorString()));
    }

    HistoryStore store(*database);
    WorkQueue queue(store.connectionName(), database->displayName());
    QString error;
    if (!store.open(&error) || !queue.prepare(&error)) {
        context.err << "vantrel queue: " << error << Qt::endl;
        return ExitFailure;
    }

    if (action == QLatin1String("status")) {
        const std::optional<WorkQueue::Status> status = queue.status(&error);
        if (!status) {
            context.err << "vantrel queue: " << error << Qt::endl;
            return ExitFailure;
        }
        context.out << "queued      " << status->queued << "\nleased      " << status->leased << "\ndone        "
                    << status->done << "\nunanswered  " << status->unanswered << '\n';
        for (const WorkQueue::WorkerRate &worker : status->workers)
            context.out << "worker " << worker.worker << ": " << worker.done << " done, "
                        << QString::number(worker.namesPerSecond, 'f', 1) << " names/s\n";
        return ExitSuccess;
    }

    QStringList tlds = parser.values(QStringLiteral("tld"));
    for (QString &tld : tlds)
        tld = tldOptionText(tld);
    const QString defaultExtension = settingsStore(context).value(Settings::defaultExtension);
    AddCounts counts;
    QStringList chunk;
    const auto send = [&] {
        const std::optional<qint64> added = queue.add(chunk, &error);
        if (!added)
            return false;
        counts.added += *added;
        counts.known += chunk.size() - *added;
        chunk.clear();
        return true;
    };
    const auto take = [&](const QString &line) {
        for (const QString &name : namesOfLine(line, tlds, defaultExtension)) {
            if (queryBytes(name))
                chunk << name;
            else
                ++counts.skipped;
        }
        return chunk.size() < chunkSize || send();
    };
    bool ok = true;
    for (const QString &name : operands.mid(1))
        ok = ok && take(name);
    while (ok && list.isOpen() && !list.atEnd())
        ok = take(QString::fromUtf8(list.readLine()));
    if (!ok || !send()) {
        context.err << "vantrel queue: " << error << Qt::endl;
        return ExitFailure;
    }
    context.out << "queued " << counts.added << " new names; " << counts.known << " were queued already";
    if (counts.skipped > 0)
        context.out << "; " << counts.skipped << " skipped (not a domain name)";
    context.out << Qt::endl;
    return ExitSuccess;
}
