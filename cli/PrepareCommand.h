#pragma once

#include "cli/Command.h"

// `vantrel prepare`: prints the name a lookup would send for each argument.
class PrepareCommand : public Command
{
public:
    QString name() const override { return QStringLiteral("prepare"); }
    QList<CommandOption> options() const override;
    QString operands() const override { return QStringLiteral("[--] NAME..."); }
    QString example() const override { return QStringLiteral("vantrel prepare --tld net \"my site\" example.org"); }
    QString summary() const override;
    int run(const QStringList &arguments, CommandContext &context) override;
};
