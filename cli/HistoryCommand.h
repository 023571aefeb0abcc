#pragma once

#include "cli/Command.h"

// `vantrel history`: prints the kept verdicts that match the filters, newest first.
class HistoryCommand : public Command
{
public:
    QString name() const override { return QStringLiteral("history"); }
    QString summary() const override;
    QList<CommandOption> options() const override;
    QString example() const override
    {
        return QStringLiteral("vantrel history --verdict available --tld com --since 2026-11-01 --format csv");
    }
    int run(const QStringList &arguments, CommandContext &context) override;
};
