#pragma once

#include "cli/LookupCommand.h"

// `vantrel work`: checks the names of a shared work queue until it is empty.
class WorkCommand : public LookupCommand
{
public:
    QString name() const override { return QStringLiteral("work"); }
    QString summary() const override;
    QList<CommandOption> options() const override;
    QString example() const override
    {
        return QStringLiteral("vantrel work --db postgresql://hunter@db.example/vantrel --slots 4 --bind 192.0.2.7");
    }
    int run(const QStringList &arguments, CommandContext &context) override;
};
