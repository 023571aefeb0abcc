#pragma once

#include "cli/Command.h"

// `vantrel generate`: prints the names the name creator would make.
class GenerateCommand : public Command
{
public:
    QString name() const override { return QStringLiteral("generate"); }
    QList<CommandOption> options() const override;
    QString example() const override { return QStringLiteral("vantrel generate --base cloud --no-hyphens --tld io"); }
    QString summary() const override;
    int run(const QStringList &arguments, CommandContext &context) override;
};
