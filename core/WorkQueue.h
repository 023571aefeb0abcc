#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

class QSqlQuery;

// Names waiting to be checked, shared by the workers of several machines in
// the PostgreSQL history database. A worker leases a few names at a time; a
// lease it does not renew (the worker died, or lost the server) ends and
// its names go to the next worker that asks. A verdict is written to the
// history only while its worker still holds the name's lease, in the same
// transaction that marks the name done, so each name is done exactly once.
//
// The queue works on the connection of an open HistoryStore; times are the
// server's, so the workers' clocks need not agree.
class WorkQueue
{
public:
    struct WorkerRate
    {
        QString worker;
        qint64 done = 0;
        double namesPerSecond = 0; // between its first and last done name
    };
    struct Status
    {
        qint64 queued = 0;
        qint64 leased = 0;
        qint64 done = 0;       // available or registered
        qint64 unanswered = 0; // ended in timeout, error or a refusal
        QList<WorkerRate> workers;
    };

    // connectionName: an open HistoryStore's; displayName for messages.
    WorkQueue(QString connectionName, QString displayName);

    // Creates the queue's table when there is none. False, with *error, on a
    // database that cannot hold a queue (only a PostgreSQL server can).
    bool prepare(QString *error);

    // Adds the names not yet in the queue; how many were new.
    std::optional<qint64> add(const QStringList &names, QString *error);
    // Up to count names, queued or of an ended lease, now leased to worker
    // for leaseMs; empty when none is left.
    std::optional<QStringList> lease(const QString &worker, int count, int leaseMs, QString *error);
    // Extends every lease worker holds by leaseMs from now.
    bool renew(const QString &worker, int leaseMs, QString *error);
    // Gives worker's leased names back to the queue at once (a worker that stops).
    bool release(const QString &worker, QString *error);
    // Marks name done, or unanswered, when worker still holds its lease: true
    // when it did, false when the name went to another worker, no value when
    // the statement failed. Runs on query, inside the caller's transaction.
    static std::optional<bool> markDone(QSqlQuery &query, const QString &worker, const QString &name, bool answered);
    std::optional<bool> markDone(const QString &worker, const QString &name, bool answered);

    std::optional<Status> status(QString *error);
    // Milliseconds until the first lease of the queue ends (0 when one has);
    // no value when no name is leased, or on an error.
    std::optional<qint64> nextLeaseEndMs(QString *error);

private:
    bool failed(const QSqlQuery &query, QString *error) const;

    QString m_connectionName;
    QString m_displayName;
};
