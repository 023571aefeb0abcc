#pragma once

#include "cli/Command.h"

// `vantrel queue add|status`: fills and shows the work queue that `vantrel
// work` processes on several machines.
class QueueCommand : public Command
{
public:
    QString name() const override { return QStringLiteral("queue"); }
    QString summary() const override;
    QList<CommandOption> options() const override;
    QString operands() const override { return QStringLiteral("add [NAME...] | status"); }
    QString example() const override
    {
        return QStringLiteral("vantrel queue add --db postgresql://hunter@db.example/vantrel --tld com --tld net "
                              "--list words.txt");
    }
    int run(const QStringList &arguments, CommandContext &context) override;
};
