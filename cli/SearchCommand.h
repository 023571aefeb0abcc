#pragma once

#include "cli/Command.h"

// `vantrel search`: a search run over one search type's word list.
class SearchCommand : public Command
{
public:
    QString name() const override { return QStringLiteral("search"); }
    QString synopsis() const override
    {
        return QStringLiteral("--type TYPE [--start N] [--tld EXT] [--list FILE] [--slots N]");
    }
    QString summary() const override;
    int run(const QStringList &arguments, CommandContext &context) override;
};
