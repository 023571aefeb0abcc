#pragma once

#include "cli/Command.h"

// `vantrel registries [update]`: shows where the registry data in use comes
// from and how old it is; "update" fetches IANA's RDAP bootstrap file into
// the program folder.
class RegistriesCommand : public Command
{
public:
    QString name() const override { return QStringLiteral("registries"); }
    QString summary() const override;
    QList<CommandOption> options() const override;
    QString operands() const override { return QStringLiteral("[update]"); }
    QString example() const override { return QStringLiteral("vantrel registries update"); }
    int run(const QStringList &arguments, CommandContext &context) override;

private:
    int update(const QString &folder, const QString &from, CommandContext &context) const;
    void show(const QString &folder, CommandContext &context) const;
};
