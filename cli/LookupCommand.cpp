#include "cli/LookupCommand.h"

#include "core/ConnectionPool.h"

#include <QCommandLineParser>

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
    options.tld = tldOptionText(parser.value(QStringLiteral("tld")));
    return readOutputOptions(parser, context, options.output);
}
