#include "core/LookupService.h"

#include "core/LookupClient.h"

#include <algorithm>

namespace {

bool refused(const LookupResult &result)
{
    return result.kind == LookupResult::Kind::Blocked || result.kind == LookupResult::Kind::Timeout;
}

} // namespace

LookupService::LookupService(int slotCount, PoolTimings timings, QObject *parent)
    : QObject(parent)
    , m_timings(timings)
    , m_pool(slotCount, timings)
    , m_running(size_t(slotCount))
{
    m_clock.start();
    m_dispatchTimer.setSingleShot(true);
    m_dispatchTimer.setTimerType(Qt::PreciseTimer);
    connect(&m_dispatchTimer, &QTimer::timeout, this, &LookupService::dispatch);
    m_giveUpTimer.setInterval(m_timings.tickMs);
    connect(&m_giveUpTimer, &QTimer::timeout, this, &LookupService::giveUpSilentLookups);
    connect(&m_pool, &ConnectionPool::lookupEnded, this, &LookupService::poolLookupEnded);
    connect(&m_pool, &ConnectionPool::lookupConnected, this, [this](int slot, const QString &domain) {
        const std::optional<Running> &running = m_running[size_t(slot)];
        if (running && running->client)
            emit running->client->connected(domain);
    });
}

LookupService::~LookupService()
{
    m_pool.closeAll();
}

int LookupService::running() const
{
    return int(std::count_if(m_running.begin(), m_running.end(),
                             [](const std::optional<Running> &slot) { return slot.has_value(); }));
}

LookupService::CallerQueue &LookupService::callerQueue(const QString &host, LookupClient *client)
{
    std::vector<CallerQueue> &callers = m_registries[host].callers;
    const auto found =
        std::find_if(callers.begin(), callers.end(), [client](const CallerQueue &queue) { return queue.client == client; });
    if (found != callers.end())
        return *found;
    callers.push_back(CallerQueue{client, {}, {}});
    return callers.back();
}

void LookupService::submit(LookupClient *client, const LookupRequest &request, qint64 order)
{
    LookupRequest asked = request;
    QString host = asked.registryHost();
    // A registry whose RDAP (or WHOIS) service could not be reached lately is
    // asked over the other at once.
    if (asked.route.hasFallback() && m_pacer.isUnreachable(host, m_clock.elapsed())) {
        asked.route = asked.route.fallback();
        host = asked.registryHost();
    }
    m_pacer.requireThrottle(host, asked.route.throttleMs);
    std::deque<Pending> &waiting = callerQueue(host, client).waiting;
    auto at = waiting.end();
    while (at != waiting.begin() && std::prev(at)->order > order)
        --at;
    waiting.insert(at, Pending{asked, host, order, 0});
    ++client->m_waiting;
    schedule(0);
}

void LookupService::drop(LookupClient *client)
{
    for (Registry &registry : m_registries) {
        auto &callers = registry.callers;
        callers.erase(std::remove_if(callers.begin(), callers.end(),
                                     [client](const CallerQueue &queue) { return queue.client == client; }),
                      callers.end());
    }
    const qint64 now = m_clock.elapsed();
    for (size_t slot = 0; slot < m_running.size(); ++slot) {
        std::optional<Running> &running = m_running[slot];
        if (!running || running->client != client)
            continue;
        // The registry was asked: the next query to it still waits its pause.
        m_pacer.queryDropped(running->name.host, now);
        m_pool.closeSlot(int(slot));
        running.reset();
    }
    client->m_waiting = 0;
    client->m_running = 0;
    client->m_retriesWaiting = 0;
    schedule(0);
}

void LookupService::schedule(qint64 delayMs)
{
    if (!m_dispatchTimer.isActive() || m_dispatchTimer.remainingTime() > delayMs)
        m_dispatchTimer.start(int(qMax<qint64>(0, delayMs)));
}

int LookupService::freeSlot() const
{
    const auto free = std::find_if(m_running.begin(), m_running.end(),
                                   [](const std::optional<Running> &slot) { return !slot.has_value(); });
    return free == m_running.end() ? -1 : int(free - m_running.begin());
}

// Queries start from the event loop, never inside a socket's or a caller's signal.
void LookupService::dispatch()
{
    const qint64 now = m_clock.elapsed();
    for (int slot = freeSlot(); slot >= 0; slot = freeSlot()) {
        qint64 wakeAt = -1;
        const std::optional<Choice> choice = choose(now, &wakeAt);
        if (!choice) {
            if (wakeAt >= 0)
                schedule(wakeAt - now);
            break;
        }
        start(*choice, slot, now);
    }
    if (running() > 0 && !m_giveUpTimer.isActive())
        m_giveUpTimer.start();
}

std::optional<LookupService::Choice> LookupService::choose(qint64 now, qint64 *wakeAt)
{
    std::optional<Choice> best;
    for (auto it = m_registries.begin(); it != m_registries.end(); ++it) {
        std::vector<CallerQueue> &callers = it.value().callers;
        const auto wanted = [](const CallerQueue &queue) { return !queue.retries.empty() || !queue.waiting.empty(); };
        if (std::none_of(callers.begin(), callers.end(), wanted))
            continue;
        if (!m_pacer.ready(it.key(), now)) {
            const qint64 readyAt = m_pacer.readyAt(it.key());
            if (readyAt > now && (*wakeAt < 0 || readyAt < *wakeAt))
                *wakeAt = readyAt;
            continue;
        }
        for (CallerQueue &queue : callers) {
            if (wanted(queue) && queue.client->m_running < queue.client->m_parallel &&
                (!best || better(queue, *best->queue)))
                best = Choice{it.key(), &queue};
        }
    }
    return best;
}

bool LookupService::better(const CallerQueue &a, const CallerQueue &b)
{
    if (a.client->m_priority != b.client->m_priority)
        return a.client->m_priority > b.client->m_priority;
    if (a.client != b.client)
        return a.client->m_servedAt < b.client->m_servedAt;
    const Pending &headA = a.retries.empty() ? a.waiting.front() : a.retries.front();
    const Pending &headB = b.retries.empty() ? b.waiting.front() : b.retries.front();
    return headA.order < headB.order;
}

void LookupService::start(const Choice &choice, int slot, qint64 now)
{
    CallerQueue &queue = *choice.queue;
    LookupClient *client = queue.client;
    const bool retry = !queue.retries.empty();
    std::deque<Pending> &from = retry ? queue.retries : queue.waiting;
    Pending name = std::move(from.front());
    from.pop_front();
    if (retry)
        --client->m_retriesWaiting;
    --client->m_waiting;
    ++client->m_running;
    client->m_servedAt = ++m_served;
    ++name.tries;
    m_pacer.queryStarted(choice.host, now);
    m_running[size_t(slot)] = Running{client, std::move(name), now};
    m_pool.startLookup(m_running[size_t(slot)]->name.request, slot);
}

void LookupService::poolLookupEnded(const LookupResult &result)
{
    const size_t slot = size_t(result.slot);
    if (slot >= m_running.size() || !m_running[slot])
        return;
    Running running = std::move(*m_running[slot]);
    m_running[slot].reset();
    const QString host = running.name.host;
    m_pacer.queryEnded(host, m_clock.elapsed(), refused(result));
    Registry &registry = m_registries[host];
    if (result.kind != LookupResult::Kind::Timeout)
        registry.answered = true;
    schedule(0);
    LookupClient *client = running.client;
    if (!client)
        return;
    --client->m_running;
    if (askedElsewhere(client, running.name, result))
        return;
    const bool retry = result.kind == LookupResult::Kind::Blocked ||
                       (result.kind == LookupResult::Kind::Timeout && registry.answered);
    if (retry && running.name.tries < client->m_maxTries) {
        ++client->m_waiting;
        ++client->m_retriesWaiting;
        callerQueue(host, client).retries.push_back(std::move(running.name));
        return;
    }
    if (result.kind == LookupResult::Kind::Timeout)
        emit registryUnanswered(result.remoteAddress);
    emit client->ended(result, running.name.order);
}

// A server that cannot be reached (as opposed to one that answered or
// refused) sends the name, and the registry's later names, to its other
// protocol; the move costs the name no try.
bool LookupService::askedElsewhere(LookupClient *client, Pending &name, const LookupResult &result)
{
    const LookupRoute &route = name.request.route;
    if (!route.hasFallback() || !route.unreachable(result))
        return false;
    m_pacer.markUnreachable(name.host, m_clock.elapsed());
    name.request.route = route.fallback();
    name.host = name.request.registryHost();
    --name.tries;
    m_pacer.requireThrottle(name.host, name.request.route.throttleMs);
    ++client->m_waiting;
    ++client->m_retriesWaiting;
    callerQueue(name.host, client).retries.push_front(std::move(name));
    return true;
}

// The one clock that gives a query up: a query that has run this long has
// been reconnected several times and still has no answer.
void LookupService::giveUpSilentLookups()
{
    const qint64 limit = qint64(m_timings.tickMs) * m_timings.watchdogTicks;
    const qint64 now = m_clock.elapsed();
    for (size_t slot = 0; slot < m_running.size(); ++slot) {
        const std::optional<Running> &running = m_running[slot];
        if (!running || now - running->startedAt < limit)
            continue;
        LookupResult result = m_pool.abandon(int(slot));
        poolLookupEnded(result);
    }
    if (running() == 0)
        m_giveUpTimer.stop();
}
