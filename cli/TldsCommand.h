#pragma once

#include "cli/Command.h"

// `vantrel tlds`: prepares the program folder and lists the enabled extensions.
class TldsCommand : public Command
{
public:
    QString name() const override { return QStringLiteral("tlds"); }
    QString example() const override { return QStringLiteral("vantrel --home ~/vantrel tlds"); }
    QString summary() const override;
    int run(const QStringList &arguments, CommandContext &context) override;
};
