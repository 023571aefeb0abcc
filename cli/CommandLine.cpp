#include "cli/CommandLine.h"

#include "base/ConsolePrompt.h"
#include "cli/CheckCommand.h"
#include "cli/Command.h"
#include "cli/ExtractCommand.h"
#include "cli/GenerateCommand.h"
#include "cli/PrepareCommand.h"
#include "cli/SearchCommand.h"
#include "cli/TldsCommand.h"

#include <QTextStream>

#include <memory>
#include <vector>

namespace {

std::vector<std::unique_ptr<Command>> allCommands()
{
    std::vector<std::unique_ptr<Command>> commands;
    commands.push_back(std::make_unique<TldsCommand>());
    commands.push_back(std::make_unique<PrepareCommand>());
    commands.push_back(std::make_unique<CheckCommand>());
    commands.push_back(std::make_unique<ExtractCommand>());
    commands.push_back(std::make_unique<GenerateCommand>());
    commands.push_back(std::make_unique<SearchCommand>());
    return commands;
}

void printHelp(QTextStream &stream, const std::vector<std::unique_ptr<Command>> &commands)
{
    stream << "usage: vantrel [--home DIR] COMMAND [ARGS...]" << Qt::endl
           << Qt::endl
           << "Finds domain names nobody has registered yet." << Qt::endl
           << Qt::endl
           << "Options:" << Qt::endl
           << "  --home DIR   program folder (default: $VANTREL_HOME, else the executable's folder" << Qt::endl
           << "               when writable, else ~/.local/share/vantrel)" << Qt::endl
           << "  --help       show this help" << Qt::endl
           << Qt::endl
           << "Commands:" << Qt::endl;
    for (const auto &command : commands) {
        stream << "  " << command->name() << ' ' << command->synopsis() << Qt::endl
               << "      " << command->summary() << Qt::endl;
    }
}

} // namespace

int runCommandLine(const QStringList &arguments, QTextStream &out, QTextStream &err)
{
    const auto commands = allCommands();
    QString homeOption;
    qsizetype position = 0;
    for (; position < arguments.size(); ++position) {
        const QString &argument = arguments.at(position);
        if (argument == QLatin1String("--help") || argument == QLatin1String("-h")) {
            printHelp(out, commands);
            return ExitSuccess;
        }
        if (argument == QLatin1String("--home")) {
            if (++position == arguments.size() || arguments.at(position).isEmpty()) {
                err << "vantrel: --home needs a folder" << Qt::endl;
                return ExitUsage;
            }
            homeOption = arguments.at(position);
        } else if (argument.startsWith(QLatin1String("--home="))) {
            homeOption = argument.mid(7);
        } else if (argument.startsWith(QLatin1Char('-'))) {
            err << "vantrel: unknown option " << argument << Qt::endl;
            return ExitUsage;
        } else {
            break;
        }
    }
    if (position == arguments.size()) {
        printHelp(err, commands);
        return ExitUsage;
    }

    const QString commandName = arguments.at(position);
    for (const auto &command : commands) {
        if (command->name() != commandName)
            continue;
        ConsolePrompt prompt(err);
        CommandContext context{out, err, prompt, homeOption};
        const int exitCode = command->run(arguments.mid(position + 1), context);
        out.flush();
        err.flush();
        return exitCode;
    }
    err << "vantrel: unknown command " << commandName << " (see vantrel --help)" << Qt::endl;
    return ExitUsage;
}
