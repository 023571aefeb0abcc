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
         QStringLiteral("add .EXT to names without a dot; given more than once, check such names in each, every "
                        "TLD before the next name (default: the default extension of the settings, .com unless "
                        "changed)"),
         false, true},
        {QStringLiteral("slots"), QStringLiteral("N"),
         QStringLiteral("ask up to N names at a time (1 to %1, default 1)").arg(ConnectionPool::maxPoolSize)},
        {QStringLiteral("timeout"), QStringLiteral("SECONDS"),
         QStringLiteral("give up on a query after SECONDS seconds without its answer (1 to 3600, default 30)")},
        {QStringLiteral("server"), QStringLiteral("HOST[:PORT]"),
         QStringLiteral("ask the WHOIS server HOST (port PORT, default 43) about every name, whatever the TLD table "
                        "says")},
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
        {QStringLiteral("available-only"), QString(), QStringLiteral("print only the rows of available names")},
        {QStringLiteral("show-reply"), QString(),
         QStringLiteral("print each registry's reply too: in tsv after its row, every line indented by a tab; in "
                        "csv and json in a column \"reply\"")},
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
    if (parser.isSet(QStringLiteral("timeout"))) {
        bool valid = false;
        const int seconds = parser.value(QStringLiteral("timeout")).toInt(&valid);
        if (!valid || seconds < 1 || seconds > 3600)
            return usageError(context, QStringLiteral("--timeout takes a number of seconds from 1 to 3600"));
        // A silent server is called again a third of the way through, as by default.
        options.timings.watchdogTicks = seconds;
        options.timings.reconnectTicks = qMax(1, seconds / 3);
    }
    if (parser.isSet(QStringLiteral("server")) && !readServerOption(parser.value(QStringLiteral("server")), options))
        return usageError(context, QStringLiteral("--server takes HOST or HOST:PORT (PORT from 1 to 65535)"));
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
    const QStringList tlds = parser.values(QStringLiteral("tld"));
    for (const QString &tld : tlds)
        options.tlds << tldOptionText(tld);
    options.output.availableOnly = parser.isSet(QStringLiteral("available-only"));
    options.output.showReply = parser.isSet(QStringLiteral("show-reply"));
    if (const auto exitCode = readHistoryOption(parser, context, options.history))
        return exitCode;
    return readOutputOptions(parser, context, options.output);
}

bool LookupCommand::readServerOption(const QString &text, RunOptions &options)
{
    // "host", "host:port", "[v6]:port"; a bare IPv6 address has colons of its own.
    QString host = text.trimmed();
    quint16 port = 43;
    const qsizetype colon = host.lastIndexOf(QLatin1Char(':'));
    const bool bracketed = host.startsWith(QLatin1Char('['));
    if (colon > 0 && (bracketed || host.indexOf(QLatin1Char(':')) == colon)) {
        bool valid = false;
        const uint number = host.mid(colon + 1).toUInt(&valid);
        if (!valid || number < 1 || number > 65535)
            return false;
        port = quint16(number);
        host.truncate(colon);
    }
    if (bracketed && host.endsWith(QLatin1Char(']')))
        host = host.mid(1, host.size() - 2);
    if (host.isEmpty() || host.contains(QLatin1Char(' ')) || host.contains(QLatin1Char('/')))
        return false;
    options.server = host;
    options.serverPort = port;
    return true;
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
    session.setChosenTlds(options.tlds);
    if (!options.server.isEmpty())
        session.lookup().serverOverride = {options.server, options.serverPort};
    if (options.noDns)
        session.setDnsFirst(false, session.lookup().dnsServer);
    else if (!options.dnsServer.isEmpty())
        session.setDnsFirst(true, options.dnsServer);
    if (options.recheckAfterDays)
        session.setRecheckAfterDays(*options.recheckAfterDays);
    return true;
}
