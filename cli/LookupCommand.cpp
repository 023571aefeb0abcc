#include "cli/LookupCommand.h"

#include "cli/HeadlessRun.h"
#include "core/ConnectionPool.h"

#include <QCommandLineParser>
#include <QHostAddress>

QList<ExitCode> LookupCommand::exitCodes() const
{
    return {ExitSuccess, ExitFailure, ExitUsage, ExitIncomplete, ExitInterrupted};
}

QList<CommandOption> LookupCommand::sharedOptions()
{
    return {
        {QStringLiteral("tld"), QStringLiteral("EXT"),
         QStringLiteral("add .EXT to names without a dot (default: the default extension of the settings, "
                        ".com unless changed)")},
        {QStringLiteral("slots"), QStringLiteral("N"),
         QStringLiteral("ask up to N names at a time (1 to %1, default 1)").arg(ConnectionPool::maxPoolSize)},
        {QStringLiteral("no-dns"), QString(),
         QStringLiteral("ask the registry about every name, without asking DNS first whether it is in use")},
        {QStringLiteral("dns-server"), QStringLiteral("ADDR"),
         QStringLiteral("ask the DNS server at the IP address ADDR (default: the setting, else the system's)")},
        {QStringLiteral("recheck-after"), QStringLiteral("DAYS"),
         QStringLiteral("take a verdict younger than DAYS days from the history instead of asking again (0: always "
                        "ask; default: the setting)")},
        historyOption(),
        formatOption(),
        quietOption(),
    };
}

std::optional<int> LookupCommand::readSharedOptions(const QCommandLineParser &parser, CommandContext &context,
                                                    RunOptions &options) const
{
    if (parser.isSet(QStringLiteral("slots"))) {
        bool valid = false;
        options.poolSize = parser.value(QStringLiteral("slots")).toInt(&valid);
        if (!valid || options.poolSize < 1 || options.poolSize > ConnectionPool::maxPoolSize)
            return usageError(context,
                              QStringLiteral("--slots takes a number from 1 to %1").arg(ConnectionPool::maxPoolSize));
    }
    options.noDns = parser.isSet(QStringLiteral("no-dns"));
    if (parser.isSet(QStringLiteral("dns-server"))) {
        options.dnsServer = parser.value(QStringLiteral("dns-server")).trimmed();
        if (options.noDns)
            return usageError(context, QStringLiteral("--dns-server goes without --no-dns"));
        if (QHostAddress(options.dnsServer).isNull())
            return usageError(context, QStringLiteral("--dns-server takes an IP address"));
    }
    if (parser.isSet(QStringLiteral("recheck-after"))) {
        bool valid = false;
        const int days = parser.value(QStringLiteral("recheck-after")).toInt(&valid);
        if (!valid || days < 0)
            return usageError(context, QStringLiteral("--recheck-after takes a number of days from 0 on"));
        options.recheckAfterDays = days;
    }
    options.tld = tldOptionText(parser.value(QStringLiteral("tld")));
    if (const auto exitCode = readHistoryOption(parser, context, options.history))
        return exitCode;
    return readOutputOptions(parser, context, options.output);
}

bool LookupCommand::prepareRun(HeadlessRun &run, const RunOptions &options, const QString &source, QString *error)
{
    LookupSession &session = run.session();
    if (options.history)
        session.setHistoryDatabase(*options.history);
    if (!run.prepare(source, error))
        return false;
    // Named on the command line, the history is not optional.
    if (options.history && !session.history()) {
        *error = QStringLiteral("no run without the history --db names");
        return false;
    }
    session.setChosenTld(options.tld);
    if (options.noDns)
        session.setDnsFirst(false, session.lookup().dnsServer);
    else if (!options.dnsServer.isEmpty())
        session.setDnsFirst(true, options.dnsServer);
    if (options.recheckAfterDays)
        session.setRecheckAfterDays(*options.recheckAfterDays);
    return true;
}
