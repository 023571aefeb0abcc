#pragma once

#include "cli/Command.h"

// `vantrel prepare`: prints the name a lookup would send for each argument.
class PrepareCommand : public Command
{
public:
    QString name() const override { return QStringLiteral("prepare"); }
    QString synopsis() const override { return QStringLiteral("[--tld EXT] [--] NAME..."); }
    QString summary() const override;
    int run(const QStringList &arguments, CommandContext &context) override;
};
