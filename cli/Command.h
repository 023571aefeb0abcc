#pragma once

#include "cli/ResultWriter.h"
#include "core/HistoryStore.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

class Prompt;
class QCommandLineParser;
class QTextStream;
class SettingsStore;

// What every headless command gets from the command line around it.
struct CommandContext
{
    QTextStream &out;
    QTextStream &err;
    Prompt &prompt;
    QString homeOption; // value of --home, empty when not given
};

enum ExitCode {
    ExitSuccess = 0,
    ExitFailure = 1,
    ExitUsage = 2,
    ExitIncomplete = 3, // some names ended blocked, in error or timeout
    ExitInterrupted = 130,
    // Standard output was closed; main() ends the process by SIGPIPE, as
    // the shell's tools do.
    ExitBrokenPipe = 141,
};

// One option of a command, declared once: the parser, the help, the usage
// line and the checks of the manual page and the completion all read it.
struct CommandOption
{
    QString name;      // without the leading "--"
    QString valueName; // empty for a switch
    QString description;
    bool required = false;
    bool repeatable = false;
};

// One `vantrel COMMAND` of the headless command line.
class Command
{
public:
    virtual ~Command() = default;

    virtual QString name() const = 0;
    virtual QString summary() const = 0;
    virtual QList<CommandOption> options() const { return {}; }
    // The arguments after the options in the usage line, e.g. "[NAME...]".
    virtual QString operands() const { return {}; }
    virtual QString example() const = 0;
    // The exit statuses the command can end with, for its help.
    virtual QList<ExitCode> exitCodes() const { return {ExitSuccess, ExitFailure, ExitUsage}; }

    // arguments are those after the command's name.
    virtual int run(const QStringList &arguments, CommandContext &context) = 0;

    // Options and operands after the name: "--base WORD [--tld EXT ...]".
    QString synopsis() const;
    QString usageLine() const;
    void printHelp(QTextStream &stream) const;

    static QString exitCodeMeaning(ExitCode code);

protected:
    // Parses arguments by options(). Returns the exit code to end with when
    // the command must not go on: after printing its help for --help, or on
    // a usage error.
    std::optional<int> parse(QCommandLineParser &parser, const QStringList &arguments, CommandContext &context) const;
    // --format, for commands that print result rows, and --quiet, for those
    // that show progress.
    static CommandOption formatOption();
    static CommandOption quietOption();
    // --db URL: the history (and work queue) to use.
    static CommandOption historyOption();
    // Reads --db when given into history; the exit code of a usage error.
    std::optional<int> readHistoryOption(const QCommandLineParser &parser, CommandContext &context,
                                         std::optional<HistoryDatabase> &history) const;
    // Reads the two options above, those of them the command declares.
    std::optional<int> readOutputOptions(const QCommandLineParser &parser, CommandContext &context,
                                         OutputOptions &output) const;
    // The product's settings store; its messages go to the command's prompt.
    static SettingsStore settingsStore(CommandContext &context);
    // The text of a --tld option, without a leading dot.
    static QString tldOptionText(QString tld);
    int usageError(CommandContext &context, const QString &message) const;
};
