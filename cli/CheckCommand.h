#pragma once

#include "cli/LookupCommand.h"

// `vantrel check`: checks names as a search run would, printing one row per name.
class CheckCommand : public LookupCommand
{
public:
    QString name() const override { return QStringLiteral("check"); }
    QString summary() const override;
    QList<CommandOption> options() const override;
    QString operands() const override { return QStringLiteral("[NAME...]"); }
    QString example() const override { return QStringLiteral("vantrel check --tld net --format csv example sample"); }
    int run(const QStringList &arguments, CommandContext &context) override;
};
