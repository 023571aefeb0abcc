#pragma once

#include "cli/LookupCommand.h"

#include "search/SearchType.h"

// `vantrel search`: a search run over one search type's word list.
class SearchCommand : public LookupCommand
{
public:
    QString name() const override { return QStringLiteral("search"); }
    QString summary() const override;
    QList<CommandOption> options() const override;
    QString example() const override
    {
        return QStringLiteral("vantrel search --type two-letter --tld io --slots 4 --quiet");
    }
    int run(const QStringList &arguments, CommandContext &context) override;

    // The short names --type takes besides the search types' captions.
    static QStringList typeSlugs();
    static std::optional<SearchType> typeFromOption(const QString &text);
};
