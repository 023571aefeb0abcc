#pragma once

#include "cli/Command.h"

// `vantrel check`: checks names as a search run would, printing one line per name.
class CheckCommand : public Command
{
public:
    QString name() const override { return QStringLiteral("check"); }
    QString synopsis() const override { return QStringLiteral("[--tld EXT] [--slots N] [--list FILE] [NAME...]"); }
    QString summary() const override;
    int run(const QStringList &arguments, CommandContext &context) override;
};
