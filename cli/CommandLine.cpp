#include "cli/CommandLine.h"

#include "base/ConsolePrompt.h"
#include "cli/CheckCommand.h"
#include "cli/Command.h"
#include "cli/ExtractCommand.h"
#include "cli/GenerateCommand.h"
#include "cli/HistoryCommand.h"
#include "cli/PrepareCommand.h"
#include "cli/QueueCommand.h"
#include "cli/RegistriesCommand.h"
#include "cli/SearchCommand.h"
#include "cli/TldsCommand.h"
#include "cli/WorkCommand.h"

#include <QTextStream>

#include <memory>
#include <vector>

#ifndef VANTREL_VERSION
#error "VANTREL_VERSION must be defined by the build"
#endif

namespace {

void printVersion(QTextStream &stream)
{
    stream << "vantrel " << VANTREL_VERSION << " (Qt " << qVersion() << ")" << Qt::endl;
}

void printHelp(QTextStream &stream, const std::vector<std::unique_ptr<Command>> &commands)
{
    stream << "usage: vantrel [--home DIR] COMMAND [ARGS...]\n"
              "       vantrel help COMMAND\n"
              "\n"
              "Finds domain names nobody has registered yet. Without a command it starts the\n"
              "desktop program, vantrel-desktop, when that is installed beside it.\n"
              "\n"
              "Options:\n"
              "  --home DIR   program folder (default: $VANTREL_HOME, else the folder of a\n"
              "               portable copy, else ~/.local/share/vantrel)\n"
              "  --version    show the version of vantrel and of Qt\n"
              "  -h, --help   show this help\n"
              "\n"
              "Commands:\n";
    for (const auto &command : commands) {
        const QString synopsis = command->synopsis();
        stream << "  " << command->name() << (synopsis.isEmpty() ? QString() : QLatin1Char(' ') + synopsis) << '\n';
    }
    stream << "\nSee vantrel help COMMAND (or vantrel COMMAND --help) for what a command does, its options and an "
              "example.\n"
              "\n"
              "Exit status:\n";
    for (ExitCode code : {ExitSuccess, ExitFailure, ExitUsage, ExitIncomplete, ExitInterrupted}) {
        const QString meaning = code == ExitSuccess ? QStringLiteral("success; for check and search, every name was "
                                                                     "found available or registered")
                                                    : Command::exitCodeMeaning(code);
        stream << "  " << QString::number(code).leftJustified(5) << meaning << '\n';
    }
    stream.flush();
}

const Command *findCommand(const std::vector<std::unique_ptr<Command>> &commands, const QString &name)
{
    for (const auto &command : commands) {
        if (command->name() == name)
            return command.get();
    }
    return nullptr;
}

int unknownCommand(QTextStream &err, const QString &name)
{
    err << "vantrel: unknown command " << name << " (see vantrel --help)" << Qt::endl;
    return ExitUsage;
}

// `vantrel help [COMMAND]`
int runHelp(const QStringList &arguments, const std::vector<std::unique_ptr<Command>> &commands, QTextStream &out,
            QTextStream &err)
{
    if (arguments.isEmpty()) {
        printHelp(out, commands);
        return ExitSuccess;
    }
    if (arguments.size() > 1) {
        err << "vantrel: help: takes one COMMAND" << Qt::endl;
        return ExitUsage;
    }
    const Command *command = findCommand(commands, arguments.first());
    if (!command)
        return unknownCommand(err, arguments.first());
    command->printHelp(out);
    return ExitSuccess;
}

} // namespace

std::vector<std::unique_ptr<Command>> allCommands()
{
    std::vector<std::unique_ptr<Command>> commands;
    commands.push_back(std::make_unique<TldsCommand>());
    commands.push_back(std::make_unique<RegistriesCommand>());
    commands.push_back(std::make_unique<PrepareCommand>());
    commands.push_back(std::make_unique<CheckCommand>());
    commands.push_back(std::make_unique<SearchCommand>());
    commands.push_back(std::make_unique<GenerateCommand>());
    commands.push_back(std::make_unique<ExtractCommand>());
    commands.push_back(std::make_unique<HistoryCommand>());
    commands.push_back(std::make_unique<QueueCommand>());
    commands.push_back(std::make_unique<WorkCommand>());
    return commands;
}

QStringList globalOptionNames()
{
    return {QStringLiteral("home"), QStringLiteral("version"), QStringLiteral("help")};
}

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
        if (argument == QLatin1String("--version")) {
            printVersion(out);
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
            err << "vantrel: unknown option " << argument << " (see vantrel --help)" << Qt::endl;
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
    if (commandName == QLatin1String("help"))
        return runHelp(arguments.mid(position + 1), commands, out, err);
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
    return unknownCommand(err, commandName);
}
