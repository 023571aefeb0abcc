#pragma once

#include <QString>
#include <QStringList>

class Prompt;
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

enum ExitCode { ExitSuccess = 0, ExitFailure = 1, ExitUsage = 2 };

// One `vantrel COMMAND` of the headless command line.
class Command
{
public:
    virtual ~Command() = default;

    virtual QString name() const = 0;
    virtual QString synopsis() const = 0; // options and arguments after the name
    virtual QString summary() const = 0;

    // arguments are those after the command's name.
    virtual int run(const QStringList &arguments, CommandContext &context) = 0;

protected:
    // The product's settings store; its messages go to the command's prompt.
    static SettingsStore settingsStore(CommandContext &context);
    // The text of a --tld option, without a leading dot.
    static QString tldOptionText(QString tld);
    int usageError(CommandContext &context, const QString &message) const;
};
