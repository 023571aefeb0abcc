#pragma once

#include "core/RegistryLimits.h"

#include <QDateTime>
#include <QHash>
#include <QHostAddress>
#include <QString>

#include <optional>

struct LookupResult;

// What a registry's budget says about one more query.
struct BudgetDecision
{
    bool allowed = true;
    // When not allowed: the registry's host asked about, the limit that is
    // reached, and when the registry takes a query again (UTC).
    QString host;
    RateLimit spentLimit;
    QDateTime resumesAt;

    // "whois.nic.uk: daily limit of 1,000 reached; resumes at 14:32", in
    // local time (with the date when it is not today).
    QString message() const;
    // A name that was not asked because of it: an Error with reason
    // "dailycap" (a day or longer) or "cap", re-runnable once it resumes.
    LookupResult notAsked(const QString &domain) const;
};

// The queries sent to registries with counted limits (a daily cap), kept in
// the history database so that every run, the desktop program and every
// `vantrel work` process on one database draw from one budget per registry
// and asker (source address or network, as the registry counts). A query is
// counted when it is allowed, in the transaction that checks the budget, so
// two processes never both take the last query of a budget.
//
// The budget works on the connection of an open HistoryStore (SQLite or
// PostgreSQL); times are the caller's, in whole seconds.
class RegistryBudget
{
public:
    // connectionName: an open HistoryStore's; displayName for messages.
    // bindAddress: the source address of registry connections (null: the
    // system's choice, counted as one asker "any").
    RegistryBudget(QString connectionName, QString displayName, RegistryLimits limits,
                   QHostAddress bindAddress = {});

    // Creates the budget's table when there is none.
    bool prepare(QString *error);

    // Whether host takes one more query at now, and if so counts it. A host
    // without counted limits is always allowed, without touching the
    // database. No value, with *error, when the database failed: the budget
    // is then unknown and nothing was counted.
    std::optional<BudgetDecision> take(const QString &host, const QDateTime &now, QString *error);

    // How many queries to host's registry the window of limit holds at now.
    std::optional<qint64> used(const QString &host, const RateLimit &limit, const QDateTime &now, QString *error);

private:
    std::optional<BudgetDecision> takeLocked(const RegistryLimitRow &row, const QString &host, qint64 nowSecond,
                                             QString *error);
    std::optional<qint64> resumeSecond(const QString &registry, const QString &asker, const RateLimit &limit,
                                       qint64 used, qint64 nowSecond, QString *error);
    bool begin(QString *error);
    bool failed(const QString &what, QString *error);

    QString m_connectionName;
    QString m_displayName;
    RegistryLimits m_limits;
    QHostAddress m_bindAddress;
    // A spent budget stays spent at least until it resumes: no need to ask
    // the database again before then.
    QHash<QString, BudgetDecision> m_spent; // by registry
};
