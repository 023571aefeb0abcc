#include "core/RegistryBudget.h"

#include "core/LookupResult.h"

#include <QLocale>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>

using namespace Qt::StringLiterals;

namespace {

constexpr qint64 dayMs = 24 * 3600 * 1000;

qint64 windowSeconds(const RateLimit &limit)
{
    return qMax<qint64>(1, limit.windowMs / 1000);
}

} // namespace

QString BudgetDecision::message() const
{
    const QString limit = spentLimit.windowMs == dayMs
                              ? u"daily limit of %1"_s.arg(QLocale(QLocale::English).toString(spentLimit.queries))
                              : u"limit of %1"_s.arg(spentLimit.text());
    const QDateTime local = resumesAt.toLocalTime();
    const QString when = local.date() == QDate::currentDate() ? local.toString(u"HH:mm"_s)
                                                              : local.toString(u"yyyy-MM-dd HH:mm"_s);
    return u"%1: %2 reached; resumes at %3"_s.arg(host, limit, when);
}

LookupResult BudgetDecision::notAsked(const QString &domain) const
{
    LookupResult result(0, domain, host, LookupResult::Kind::Error);
    result.error = LookupResult::ErrorKind::Budget;
    result.errorString = message();
    result.reason = spentLimit.windowMs >= dayMs ? u"dailycap"_s : u"cap"_s;
    return result;
}

RegistryBudget::RegistryBudget(QString connectionName, QString displayName, RegistryLimits limits,
                               QHostAddress bindAddress)
    : m_connectionName(std::move(connectionName))
    , m_displayName(std::move(displayName))
    , m_limits(std::move(limits))
    , m_bindAddress(std::move(bindAddress))
{
}

bool RegistryBudget::failed(const QString &what, QString *error)
{
    if (error)
        *error = u"The registry budget in %1: %2"_s.arg(m_displayName, what.simplified());
    return false;
}

bool RegistryBudget::prepare(QString *error)
{
    QSqlQuery query(QSqlDatabase::database(m_connectionName));
    const bool made = query.exec(u"CREATE TABLE IF NOT EXISTS registry_queries (registry TEXT NOT NULL, asker TEXT "
                                 "NOT NULL, second BIGINT NOT NULL, queries INTEGER NOT NULL, PRIMARY KEY (registry, "
                                 "asker, second))"_s);
    return made || failed(query.lastError().text(), error);
}

// A transaction that holds the budget's rows until it ends: SQLite takes its
// write lock at once, PostgreSQL a lock of the budget table's own.
bool RegistryBudget::begin(QString *error)
{
    QSqlDatabase db = QSqlDatabase::database(m_connectionName);
    QSqlQuery query(db);
    const bool server = db.driverName() == "QPSQL"_L1;
    if (!query.exec(server ? u"BEGIN"_s : u"BEGIN IMMEDIATE"_s))
        return failed(query.lastError().text(), error);
    if (server && !query.exec(u"SELECT pg_advisory_xact_lock(2028)"_s)) {
        const QString message = query.lastError().text();
        query.exec(u"ROLLBACK"_s);
        return failed(message, error);
    }
    return true;
}

std::optional<BudgetDecision> RegistryBudget::take(const QString &host, const QDateTime &now, QString *error)
{
    const RegistryLimitRow *row = m_limits.forHost(host);
    if (!row || row->counted().isEmpty())
        return BudgetDecision();
    const qint64 nowSecond = now.toSecsSinceEpoch();
    const auto spent = m_spent.constFind(row->registry);
    if (spent != m_spent.constEnd() && nowSecond < spent->resumesAt.toSecsSinceEpoch()) {
        BudgetDecision decision = *spent;
        decision.host = host;
        return decision;
    }
    if (!begin(error))
        return std::nullopt;
    const std::optional<BudgetDecision> decision = takeLocked(*row, host, nowSecond, error);
    QSqlQuery end(QSqlDatabase::database(m_connectionName));
    if (!decision || !decision->allowed) {
        end.exec(u"ROLLBACK"_s);
    } else if (!end.exec(u"COMMIT"_s)) {
        failed(end.lastError().text(), error);
        end.exec(u"ROLLBACK"_s);
        return std::nullopt;
    }
    if (decision && !decision->allowed)
        m_spent.insert(row->registry, *decision);
    return decision;
}

std::optional<BudgetDecision> RegistryBudget::takeLocked(const RegistryLimitRow &row, const QString &host,
                                                         qint64 nowSecond, QString *error)
{
    const QString asker = row.askerOf(m_bindAddress);
    BudgetDecision decision;
    qint64 longestSeconds = 0;
    for (const RateLimit &limit : row.counted()) {
        longestSeconds = qMax(longestSeconds, windowSeconds(limit));
        const std::optional<qint64> sent = used(host, limit, QDateTime::fromSecsSinceEpoch(nowSecond), error);
        if (!sent)
            return std::nullopt;
        if (*sent < limit.queries)
            continue;
        const std::optional<qint64> resume = resumeSecond(row.registry, asker, limit, *sent, nowSecond, error);
        if (!resume)
            return std::nullopt;
        if (decision.allowed || *resume > decision.resumesAt.toSecsSinceEpoch()) {
            decision.allowed = false;
            decision.host = host;
            decision.spentLimit = limit;
            decision.resumesAt = QDateTime::fromSecsSinceEpoch(*resume, Qt::UTC);
        }
    }
    if (!decision.allowed)
        return decision;
    QSqlQuery query(QSqlDatabase::database(m_connectionName));
    query.prepare(u"INSERT INTO registry_queries (registry, asker, second, queries) VALUES (?, ?, ?, 1) ON CONFLICT "
                  "(registry, asker, second) DO UPDATE SET queries = registry_queries.queries + 1"_s);
    query.addBindValue(row.registry);
    query.addBindValue(asker);
    query.addBindValue(nowSecond);
    if (!query.exec())
        return failed(query.lastError().text(), error), std::nullopt;
    // Queries older than the longest window count for nothing any more.
    query.prepare(u"DELETE FROM registry_queries WHERE registry = ? AND asker = ? AND second <= ?"_s);
    query.addBindValue(row.registry);
    query.addBindValue(asker);
    query.addBindValue(nowSecond - longestSeconds);
    if (!query.exec())
        return failed(query.lastError().text(), error), std::nullopt;
    return decision;
}

std::optional<qint64> RegistryBudget::used(const QString &host, const RateLimit &limit, const QDateTime &now,
                                           QString *error)
{
    const RegistryLimitRow *row = m_limits.forHost(host);
    if (!row)
        return 0;
    QSqlQuery query(QSqlDatabase::database(m_connectionName));
    query.prepare(u"SELECT COALESCE(SUM(queries), 0) FROM registry_queries WHERE registry = ? AND asker = ? AND "
                  "second > ?"_s);
    query.addBindValue(row->registry);
    query.addBindValue(row->askerOf(m_bindAddress));
    query.addBindValue(now.toSecsSinceEpoch() - windowSeconds(limit));
    if (!query.exec() || !query.next())
        return failed(query.lastError().text(), error), std::nullopt;
    return query.value(0).toLongLong();
}

// The second from which the window of limit holds fewer than its queries
// again, when no more are sent: the oldest queries leave it first.
std::optional<qint64> RegistryBudget::resumeSecond(const QString &registry, const QString &asker,
                                                   const RateLimit &limit, qint64 used, qint64 nowSecond,
                                                   QString *error)
{
    QSqlQuery query(QSqlDatabase::database(m_connectionName));
    query.setForwardOnly(true);
    query.prepare(u"SELECT second, queries FROM registry_queries WHERE registry = ? AND asker = ? AND second > ? "
                  "ORDER BY second"_s);
    query.addBindValue(registry);
    query.addBindValue(asker);
    query.addBindValue(nowSecond - windowSeconds(limit));
    if (!query.exec())
        return failed(query.lastError().text(), error), std::nullopt;
    const qint64 excess = used - limit.queries + 1;
    qint64 leaving = 0;
    while (query.next()) {
        leaving += query.value(1).toLongLong();
        if (leaving >= excess)
            return query.value(0).toLongLong() + windowSeconds(limit);
    }
    return nowSecond + windowSeconds(limit);
}
