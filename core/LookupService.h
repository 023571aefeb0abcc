#pragma once

#include "core/ConnectionPool.h"
#include "core/LookupRequest.h"
#include "core/LookupResult.h"
#include "core/RegistryLimits.h"
#include "core/RegistryPacer.h"

#include <QElapsedTimer>
#include <QHash>
#include <QHostAddress>
#include <QObject>
#include <QTimer>

#include <deque>
#include <optional>
#include <vector>

class LookupClient;

// The registry queries of one process. Every window and command that asks a
// registry does it through a LookupClient of this service, which owns the
// connections (the pool), one queue and one pace per registry host (the host
// the route actually asks), the retries with their back-off and the one
// clock that gives a silent query up. So a registry sees one pace however
// many windows ask it.
//
// A free slot takes a waiting name from a registry the pacer lets in: the
// highest priority first, then the caller served longest ago, then that
// caller's oldest name (its retries before its new names). A name the
// registry refused or left unanswered is asked again, up to maxTries queries
// in all, unless the registry never answered anything (a silent registry
// would hold every name for three time-outs); then it ends with its last
// result.
class LookupService : public QObject
{
    Q_OBJECT

public:
    static constexpr int maxTries = 3;
    // Highest first: a name a user waits for goes before a queued search name.
    enum class Priority { Background, Normal, Interactive };

    explicit LookupService(int slotCount, PoolTimings timings = {}, QObject *parent = nullptr);
    ~LookupService() override;

    int slotCount() const { return m_pool.poolSize(); }
    PoolTimings timings() const { return m_timings; }
    // How registries back off and relax; set before the first query.
    void setPacing(PacingOptions pacing) { m_pacer = RegistryPacer(pacing); }
    // The limits registries publish: their hosts are paced below them from the first query.
    void setLimits(const RegistryLimits &limits) { m_pacer.setLimits(limits); }
    // The local address queries are sent from; null lets the system choose.
    void setLocalAddress(const QHostAddress &address) { m_pool.setLocalAddress(address); }
    // How often a WHOIS server that closed without a byte is asked again.
    void setEmptyReplyRetries(int retries) { m_pool.setEmptyReplyRetries(retries); }
    int running() const;

signals:
    // A registry left a name unanswered after all its tries.
    void registryUnanswered(const QString &serverAddress);

private:
    friend class LookupClient;

    struct Pending
    {
        LookupRequest request;
        QString host; // the request's registry host, read once
        qint64 order = 0;
        int tries = 0;
    };
    // One caller's names for one registry.
    struct CallerQueue
    {
        LookupClient *client = nullptr;
        std::deque<Pending> retries;
        std::deque<Pending> waiting; // by order
    };
    struct Registry
    {
        std::vector<CallerQueue> callers;
        // Whether it has answered anything; one that never has is not asked
        // again after a time-out.
        bool answered = false;
    };
    struct Running
    {
        LookupClient *client = nullptr; // null once its caller dropped it
        Pending name;
        qint64 startedAt = 0;
    };
    struct Choice
    {
        QString host;
        CallerQueue *queue = nullptr;
    };

    void submit(LookupClient *client, const LookupRequest &request, qint64 order);
    void drop(LookupClient *client);
    void schedule(qint64 delayMs);
    void dispatch();
    std::optional<Choice> choose(qint64 now, qint64 *wakeAt);
    static bool better(const CallerQueue &candidate, const CallerQueue &best);
    void start(const Choice &choice, int slot, qint64 now);
    void poolLookupEnded(const LookupResult &result);
    bool askedElsewhere(LookupClient *client, Pending &name, const LookupResult &result);
    void giveUpSilentLookups();
    int freeSlot() const;
    CallerQueue &callerQueue(const QString &host, LookupClient *client);

    PoolTimings m_timings;
    ConnectionPool m_pool;
    RegistryPacer m_pacer;
    QHash<QString, Registry> m_registries; // by registry host
    std::vector<std::optional<Running>> m_running; // by pool slot
    quint64 m_served = 0; // queries started
    QElapsedTimer m_clock;
    QTimer m_dispatchTimer;
    QTimer m_giveUpTimer;
};
