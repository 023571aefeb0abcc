#pragma once

#include "cli/Command.h"

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
        QString tld; // without a leading dot; empty for the names' own or the default extension
        int poolSize = 1;
        OutputOptions output;
        bool noDns = false;
        QString dnsServer;                   // empty: the stored setting
        std::optional<int> recheckAfterDays; // unset: the stored setting
        std::optional<HistoryDatabase> history; // --db; unset: the stored setting
    };

    // --tld, --slots, --no-dns, --dns-server, --recheck-after, --db, --format and --quiet.
    static QList<CommandOption> sharedOptions();
    std::optional<int> readSharedOptions(const QCommandLineParser &parser, CommandContext &context,
                                         RunOptions &options) const;
    // Prepares run (see HeadlessRun::prepare) on the history of --db when
    // given, which must open, then hands it the options: they replace the
    // stored settings for this run only.
    static bool prepareRun(HeadlessRun &run, const RunOptions &options, const QString &source, QString *error);
};
