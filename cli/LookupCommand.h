#pragma once

#include "cli/Command.h"

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
    };

    // --tld, --slots, --format and --quiet.
    static QList<CommandOption> sharedOptions();
    std::optional<int> readSharedOptions(const QCommandLineParser &parser, CommandContext &context,
                                         RunOptions &options) const;
};
