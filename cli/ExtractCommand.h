#pragma once

#include "cli/Command.h"

// `vantrel extract`: gathers the domain names of saved web pages into one list.
class ExtractCommand : public Command
{
public:
    QString name() const override { return QStringLiteral("extract"); }
    QString operands() const override { return QStringLiteral("[FILE...]"); }
    QString example() const override { return QStringLiteral("vantrel extract results.html > names.txt"); }
    QList<CommandOption> options() const override;
    QString summary() const override;
    int run(const QStringList &arguments, CommandContext &context) override;
};
