#pragma once

#include "cli/Command.h"

// `vantrel generate`: prints the names the name creator would make.
class GenerateCommand : public Command
{
public:
    QString name() const override { return QStringLiteral("generate"); }
    QString synopsis() const override
    {
        return QStringLiteral("--base WORD [--no-prefixes] [--no-suffixes] [--no-hyphens] [--tld EXT ...]");
    }
    QString summary() const override;
    int run(const QStringList &arguments, CommandContext &context) override;
};
