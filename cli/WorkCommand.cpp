#include "cli/WorkCommand.h"

#include "cli/HeadlessRun.h"
#include "cli/QueueWorker.h"
#include "core/WorkQueue.h"
#include "settings/ProgramFolder.h"
#include "settings/SettingsStore.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QHostAddress>
#include <QHostInfo>
#include <QTextStream>

QString WorkCommand::summary() const
{
    return QStringLiteral(
        "Checks the names of the work queue in a shared PostgreSQL history (see \"vantrel queue\") as check does, "
        "a few at a time, until none is left, and prints a row per name. Each verdict goes into that history. "
        "Several workers, on one machine or many, share the queue; the names of a worker that stopped without "
        "finishing go to the others when its lease ends.");
}

QList<CommandOption> WorkCommand::options() const
{
    QList<CommandOption> all = sharedOptions();
    for (CommandOption &option : all) {
        if (option.name == QLatin1String("db")) {
            option.description = QStringLiteral("the shared history that holds the queue: "
                                                "postgresql://user@host:port/db (password from the URL or "
                                                "PGPASSFILE)");
            option.required = true;
        }
        // The queue holds names; a worker asks each in one TLD.
        if (option.name == QLatin1String("tld"))
            option.repeatable = false;
    }
    return all + QList<CommandOption>{
                     {QStringLiteral("bind"), QStringLiteral("ADDR"),
                      QStringLiteral("connect to the registries from the local IP address ADDR (registries ration "
                                     "queries per address: one worker per address)")},
                     {QStringLiteral("lease"), QStringLiteral("SECONDS"),
                      QStringLiteral("a worker that has not renewed its names for SECONDS (default 120) is taken "
                                     "for dead and its names go to the others")},
                 };
}

int WorkCommand::run(const QStringList &arguments, CommandContext &context)
{
    QCommandLineParser parser;
    RunOptions options;
    if (const auto exitCode = parse(parser, arguments, context))
        return *exitCode;
    if (const auto exitCode = readSharedOptions(parser, context, options))
        return *exitCode;
    if (!options.history->isServer())
        return usageError(context, QStringLiteral("--db takes a postgresql:// URL: the queue lives on a server"));
    QHostAddress bindAddress;
    if (parser.isSet(QStringLiteral("bind")) && !bindAddress.setAddress(parser.value(QStringLiteral("bind"))))
        return usageError(context, QStringLiteral("--bind takes a local IP address"));
    QueueWorker::Options work;
    if (parser.isSet(QStringLiteral("lease"))) {
        bool valid = false;
        const double seconds = parser.value(QStringLiteral("lease")).toDouble(&valid);
        if (!valid || seconds < 1 || seconds > 86400)
            return usageError(context, QStringLiteral("--lease takes a number of seconds from 1 to 86400"));
        work.leaseMs = int(seconds * 1000);
    }
    work.worker = QStringLiteral("%1/%2").arg(QHostInfo::localHostName()).arg(QCoreApplication::applicationPid());
    if (!bindAddress.isNull())
        work.worker += QLatin1Char('@') + bindAddress.toString();

    SettingsStore settings = settingsStore(context);
    HeadlessRun run(context, ProgramFolder::resolveForProcess(context.homeOption), settings, options.poolSize,
                    options.output);
    QString error;
    if (!prepareRun(run, options, QStringLiteral("work"), &error)) {
        context.err << "vantrel work: " << error << Qt::endl;
        return ExitFailure;
    }
    run.session().service().setLocalAddress(bindAddress);
    HistoryStore &store = *run.session().history();
    WorkQueue queue(store.connectionName(), store.database().displayName());
    if (!queue.prepare(&error)) {
        context.err << "vantrel work: " << error << Qt::endl;
        return ExitFailure;
    }
    QueueWorker worker(run, store, queue, work, context.err);
    return worker.run();
}
