#pragma once

#include "cli/Command.h"
#include "core/ConnectionPool.h"

#include <optional>

class HeadlessRun;

// What `check` and `search` share: they ask registries about names and
// print a result row per name.
class LookupCommand : public Command
{
public:
    QList<ExitCode> exitCodes() const override;

protected:
    struct RunOptions
    {
        // Without a leading dot: a name without one is asked in each. Empty:
        // the default extension.
        QStringList tlds;
        int poolSize = 1;
        OutputOptions output;
        bool noDns = false;
        QString dnsServer;                   // empty: the stored setting
        std::optional<int> recheckAfterDays; // unset: the stored setting
        PoolTimings timings;
        QString server; // --server's host, empty: the TLD table's
        quint16 serverPort = 43;
        std::optional<HistoryDatabase> history; // --db; unset: the stored setting
    };

    // --tld (repeatable), --slots, --timeout, --server, --no-dns, --dns-server,
    // --recheck-after, --db, --format, --quiet, --available-only and --show-reply.
    static QList<CommandOption> sharedOptions();
    // HOST or HOST:PORT of --server into options; false when it is neither.
    static bool readServerOption(const QString &text, RunOptions &options);
    std::optional<int> readSharedOptions(const QCommandLineParser &parser, CommandContext &context,
                                         RunOptions &options) const;
    // Prepares run (see HeadlessRun::prepare) on the history of --db when
    // given, which must open, then hands it the options: they replace the
    // stored settings for this run only.
    static bool prepareRun(HeadlessRun &run, const RunOptions &options, const QString &source, QString *error);
};
