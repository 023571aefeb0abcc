#include "core/WorkQueue.h"

#include <QSqlDatabase>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>

using namespace Qt::StringLiterals;

namespace {

// Names are added in chunks, each one statement and one round trip.
constexpr int addChunk = 1000;

} // namespace

WorkQueue::WorkQueue(QString connectionName, QString displayName)
    : m_connectionName(std::move(connectionName))
    , m_displayName(std::move(displayName))
{
}

bool WorkQueue::failed(const QSqlQuery &query, QString *error) const
{
    if (error)
        *error = u"The work queue in %1: %2"_s.arg(m_displayName, query.lastError().text().simplified());
    return false;
}

bool WorkQueue::prepare(QString *error)
{
    QSqlDatabase db = QSqlDatabase::database(m_connectionName);
    if (db.driverName() != "QPSQL"_L1) {
        if (error)
            *error = u"%1 cannot hold a work queue: it needs a PostgreSQL server (--db postgresql://...)"_s.arg(
                m_displayName);
        return false;
    }
    QSqlQuery query(db);
    if (!db.transaction())
        return failed(query, error);
    const QStringList statements{
        u"SELECT pg_advisory_xact_lock(2027)"_s,
        u"CREATE TABLE IF NOT EXISTS queue (seq BIGSERIAL PRIMARY KEY, name TEXT NOT NULL UNIQUE, state TEXT NOT "
        "NULL DEFAULT 'queued', worker TEXT, lease_until TIMESTAMPTZ, done_at TIMESTAMPTZ)"_s,
        u"CREATE INDEX IF NOT EXISTS queue_open ON queue (seq) WHERE state IN ('queued', 'leased')"_s,
        u"CREATE INDEX IF NOT EXISTS queue_by_worker ON queue (worker) WHERE state = 'leased'"_s};
    for (const QString &statement : statements) {
        if (!query.exec(statement)) {
            db.rollback();
            return failed(query, error);
        }
    }
    return db.commit() || failed(query, error);
}

std::optional<qint64> WorkQueue::add(const QStringList &names, QString *error)
{
    QSqlDatabase db = QSqlDatabase::database(m_connectionName);
    QSqlQuery query(db);
    // One array per chunk, in list order; the server drops what it holds already.
    if (!query.prepare(u"INSERT INTO queue (name) SELECT name FROM unnest(?::text[]) WITH ORDINALITY AS given(name, "
                       "at) ORDER BY at ON CONFLICT (name) DO NOTHING"_s))
        return failed(query, error), std::nullopt;
    qint64 added = 0;
    for (qsizetype at = 0; at < names.size(); at += addChunk) {
        QStringList quoted;
        for (const QString &name : names.mid(at, addChunk)) {
            QString text = name;
            text.replace(u'\\', u"\\\\"_s).replace(u'"', u"\\\""_s);
            quoted << u'"' + text + u'"';
        }
        query.bindValue(0, u'{' + quoted.join(u',') + u'}');
        if (!query.exec())
            return failed(query, error), std::nullopt;
        added += query.numRowsAffected();
    }
    return added;
}

std::optional<QStringList> WorkQueue::lease(const QString &worker, int count, int leaseMs, QString *error)
{
    QSqlQuery query(QSqlDatabase::database(m_connectionName));
    query.prepare(u"UPDATE queue SET state = 'leased', worker = ?, lease_until = clock_timestamp() + ? * interval "
                  "'1 millisecond' WHERE seq IN (SELECT seq FROM queue WHERE state = 'queued' OR (state = 'leased' "
                  "AND lease_until < clock_timestamp()) ORDER BY seq LIMIT ? FOR UPDATE SKIP LOCKED) RETURNING name"_s);
    query.addBindValue(worker);
    query.addBindValue(leaseMs);
    query.addBindValue(count);
    if (!query.exec())
        return failed(query, error), std::nullopt;
    QStringList names;
    while (query.next())
        names << query.value(0).toString();
    return names;
}

bool WorkQueue::renew(const QString &worker, int leaseMs, QString *error)
{
    QSqlQuery query(QSqlDatabase::database(m_connectionName));
    query.prepare(u"UPDATE queue SET lease_until = clock_timestamp() + ? * interval '1 millisecond' WHERE worker = ? "
                  "AND state = 'leased'"_s);
    query.addBindValue(leaseMs);
    query.addBindValue(worker);
    return query.exec() || failed(query, error);
}

bool WorkQueue::release(const QString &worker, QString *error)
{
    QSqlQuery query(QSqlDatabase::database(m_connectionName));
    query.prepare(u"UPDATE queue SET state = 'queued', worker = NULL, lease_until = NULL WHERE worker = ? AND state "
                  "= 'leased'"_s);
    query.addBindValue(worker);
    return query.exec() || failed(query, error);
}

std::optional<bool> WorkQueue::markDone(QSqlQuery &query, const QString &worker, const QString &name, bool answered)
{
    if (query.lastQuery().isEmpty())
        query.prepare(u"UPDATE queue SET state = ?, done_at = clock_timestamp() WHERE name = ? AND worker = ? AND "
                      "state = 'leased'"_s);
    query.bindValue(0, answered ? u"done"_s : u"unanswered"_s);
    query.bindValue(1, name);
    query.bindValue(2, worker);
    if (!query.exec())
        return std::nullopt;
    return query.numRowsAffected() == 1;
}

std::optional<bool> WorkQueue::markDone(const QString &worker, const QString &name, bool answered)
{
    QSqlQuery query(QSqlDatabase::database(m_connectionName));
    return markDone(query, worker, name, answered);
}

std::optional<WorkQueue::Status> WorkQueue::status(QString *error)
{
    QSqlQuery query(QSqlDatabase::database(m_connectionName));
    if (!query.exec(u"SELECT state, count(*) FROM queue GROUP BY state"_s))
        return failed(query, error), std::nullopt;
    Status status;
    while (query.next()) {
        const QString state = query.value(0).toString();
        const qint64 count = query.value(1).toLongLong();
        if (state == "queued"_L1)
            status.queued = count;
        else if (state == "leased"_L1)
            status.leased = count;
        else if (state == "done"_L1)
            status.done = count;
        else
            status.unanswered = count;
    }
    if (!query.exec(u"SELECT worker, count(*), extract(epoch FROM max(done_at) - min(done_at)) FROM queue WHERE "
                    "done_at IS NOT NULL GROUP BY worker ORDER BY worker"_s))
        return failed(query, error), std::nullopt;
    while (query.next()) {
        const qint64 done = query.value(1).toLongLong();
        const double seconds = query.value(2).toDouble();
        status.workers.append({query.value(0).toString(), done, seconds > 0 ? double(done - 1) / seconds : 0.0});
    }
    return status;
}

std::optional<qint64> WorkQueue::nextLeaseEndMs(QString *error)
{
    QSqlQuery query(QSqlDatabase::database(m_connectionName));
    if (!query.exec(u"SELECT ceil(extract(epoch FROM min(lease_until) - clock_timestamp()) * 1000) FROM queue WHERE "
                    "state = 'leased'"_s) ||
        !query.next())
        return failed(query, error), std::nullopt;
    if (query.value(0).isNull())
        return std::nullopt;
    return qMax<qint64>(0, query.value(0).toLongLong());
}
