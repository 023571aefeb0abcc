#pragma once

#include "core/LookupRequest.h"
#include "core/LookupResult.h"
#include "core/LookupService.h"

#include <QObject>
#include <QPointer>

// One caller of the lookup service (a window, a run, a command): the names
// it submits are asked at the service's pace, and it alone hears how they
// ended. A caller carries a priority and how many of its names may be asked
// at once, never a pace of its own.
//
// Deleting the client, or cancelAll(), drops its waiting names and closes
// its running queries; none of them is reported.
class LookupClient : public QObject
{
    Q_OBJECT

public:
    explicit LookupClient(LookupService &service, QObject *parent = nullptr);
    ~LookupClient() override;

    void setPriority(LookupService::Priority priority) { m_priority = priority; }
    // This caller's names asked at a time, at most (the whole pool by default).
    void setParallel(int lookups) { m_parallel = qMax(1, lookups); }
    // Queries a refused or unanswered name gets in all (LookupService::maxTries by default).
    void setMaxTries(int tries) { m_maxTries = qBound(1, tries, LookupService::maxTries); }

    // Asks the request's registry. order puts the caller's names in a
    // registry's queue (lower first, e.g. list positions); without one,
    // names wait in the order submitted.
    void submit(const LookupRequest &request, qint64 order = -1);
    void cancelAll();

    int waiting() const { return m_waiting; }
    int running() const { return m_running; }
    int retriesWaiting() const { return m_retriesWaiting; }
    bool isIdle() const { return m_waiting == 0 && m_running == 0; }

signals:
    // A query of this caller has connected and is about to send its name.
    void connected(const QString &domain);
    // A name has ended, after all its tries; order as it was submitted.
    void ended(const LookupResult &result, qint64 order);

private:
    friend class LookupService;

    QPointer<LookupService> m_service;
    LookupService::Priority m_priority = LookupService::Priority::Normal;
    int m_parallel = ConnectionPool::maxPoolSize;
    int m_maxTries = LookupService::maxTries;
    int m_waiting = 0;
    int m_running = 0;
    int m_retriesWaiting = 0;
    qint64 m_nextOrder = 0;
    quint64 m_servedAt = 0; // the service's count of queries when this caller was last served
};
