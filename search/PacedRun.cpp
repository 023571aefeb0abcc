#include "search/PacedRun.h"

#include "core/ConnectionPool.h"
#include "core/NamePreparation.h"
#include "search/LookupSession.h"
#include "search/WordSource.h"

namespace {

// Words read in one go before the event loop gets its turn.
constexpr int readBurst = 256;

bool refused(const LookupResult &outcome)
{
    return outcome.kind == LookupResult::Kind::Blocked || outcome.kind == LookupResult::Kind::Timeout;
}

} // namespace

PacedRun::PacedRun(LookupSession &session, QObject *parent)
    : QObject(parent)
    , m_session(session)
{
    m_pumpTimer.setSingleShot(true);
    m_pumpTimer.setTimerType(Qt::PreciseTimer);
    connect(&m_pumpTimer, &QTimer::timeout, this, &PacedRun::pump);
    m_silenceTimer.setInterval(m_session.timings().tickMs);
    connect(&m_silenceTimer, &QTimer::timeout, this, &PacedRun::abandonSilentLookups);
    connect(&m_session.pool(), &ConnectionPool::lookupEnded, this, &PacedRun::poolLookupEnded);
    // The session files a name once its history row is written; only then
    // is it reported and may the resume position pass it.
    connect(&m_session, &LookupSession::lookupsFiled, this, &PacedRun::reportFiled);
}

PacedRun::~PacedRun() = default;

void PacedRun::shareSession(int firstSlot, const QString &source)
{
    m_firstSlot = qBound(0, firstSlot, m_session.pool().poolSize() - 1);
    m_shared = true;
    m_historySource = source;
}

void PacedRun::start(WordSource &source, qint32 startNumber)
{
    ConnectionPool &pool = m_session.pool();
    m_source = &source;
    m_running = true;
    m_listEnded = false;
    m_nextPosition = startNumber;
    m_reportedResume = startNumber;
    m_unfinished.clear();
    m_unfinishedNames = 0;
    m_admitted.clear();
    m_repeated = 0;
    m_wordsEnded = 0;
    m_unfiled.clear();
    m_unfiledOutcomes.clear();
    m_registries.clear();
    m_dnsWaiters.clear();
    m_slots.assign(size_t(qMin(m_parallel, pool.poolSize() - m_firstSlot)), std::nullopt);
    m_settledByDns = 0;
    m_retriesWaiting = 0;
    m_ended = 0;
    m_unanswered.clear();
    // A run beside another starts often (a batch at a time): its registries
    // keep their pace from one start to the next.
    if (!m_shared || !m_clock.isValid()) {
        m_pacer = RegistryPacer(m_pacing);
        m_clock.start();
    }
    m_dns.reset();
    if (m_session.lookup().checkDnsFirst) {
        m_dns = std::make_unique<DnsPrecheck>(m_session.dnsOptions());
        connect(m_dns.get(), &DnsPrecheck::answered, this,
                [this](const QString &asked, DnsPrecheck::Answer answer) { dnsAnswered(asked, answer); });
        connect(m_dns.get(), &DnsPrecheck::gaveUp, this, &PacedRun::dnsGaveUp);
    }
    pool.setLocalAddress(m_session.lookup().bindAddress);
    if (!m_shared)
        m_session.results().resetCounters();
    m_silenceTimer.start();
    schedule(0);
}

void PacedRun::stop()
{
    if (!m_running)
        return;
    m_running = false;
    m_pumpTimer.stop();
    m_silenceTimer.stop();
    if (m_dns)
        m_dns->cancelAll();
    m_dnsWaiters.clear();
    m_registries.clear();
    for (const std::optional<Running> &slot : m_slots) {
        if (slot)
            m_pacer.queryDropped(slot->name.request.registryHost(), m_clock.elapsed());
    }
    m_slots.assign(m_slots.size(), std::nullopt);
    closeSlots();
    // Every name this run ended is filed and reported before it says it stopped.
    m_session.commitHistory();
    emit stopped();
}

int PacedRun::running() const
{
    int running = 0;
    for (const std::optional<Running> &slot : m_slots)
        running += slot ? 1 : 0;
    return running;
}

qint32 PacedRun::resumePosition() const
{
    qint32 position = m_nextPosition;
    if (!m_unfinished.empty())
        position = qMin(position, m_unfinished.begin()->first);
    if (!m_unfiled.empty())
        position = qMin(position, *m_unfiled.begin());
    return position;
}

void PacedRun::reportResumePosition()
{
    const qint32 resume = resumePosition();
    if (resume != m_reportedResume) {
        m_reportedResume = resume;
        emit resumePositionChanged(resume);
    }
}

void PacedRun::schedule(qint64 delayMs)
{
    if (!m_pumpTimer.isActive() || m_pumpTimer.remainingTime() > delayMs)
        m_pumpTimer.start(int(qMax<qint64>(0, delayMs)));
}

// Everything that moves the run on happens here, from the event loop, never
// inside the pool's or the resolver's signals.
void PacedRun::pump()
{
    if (!m_running)
        return;
    readAhead();
    if (m_running)
        dispatch();
}

void PacedRun::readAhead()
{
    for (int read = 0; read < readBurst && !m_listEnded && m_unfinishedNames < m_lookAhead; ++read) {
        const WordRead word = m_source->readWord(m_nextPosition);
        if (word.status == WordRead::Status::ReadFailed)
            emit wordSourceFailed(word.error);
        if (word.status != WordRead::Status::Word) {
            m_listEnded = true;
            break;
        }
        admitWord(m_nextPosition++, correctName(word.word));
    }
    if (!m_listEnded && m_unfinishedNames < m_lookAhead)
        schedule(0);
    if (m_listEnded && m_unfinished.empty())
        endRun();
}

// A word with a TLD of its own, or given twice, makes the same name in
// several TLDs: each name is asked once.
void PacedRun::admitWord(qint32 position, const QString &word)
{
    const QStringList &chosen = m_session.chosenTlds();
    std::vector<Name> names;
    for (const QString &tld : chosen.isEmpty() ? QStringList{QString()} : chosen) {
        LookupRequest request = m_session.admit(word, tld);
        if (m_askOncePerRun) {
            if (m_admitted.contains(request.prepared)) {
                ++m_repeated;
                continue;
            }
            m_admitted.insert(request.prepared);
        }
        names.push_back(Name{position, std::move(request), 0});
    }
    if (names.empty()) {
        ++m_wordsEnded;
        return;
    }
    // Counted before any is taken: a name may end at once.
    m_unfinished[position] = int(names.size());
    m_unfinishedNames += int(names.size());
    for (Name &name : names)
        take(std::move(name));
}

void PacedRun::take(Name name)
{
    if (const std::optional<LookupResult> kept = m_session.answerFromHistory(name.request.prepared)) {
        finish(name, *kept);
        return;
    }
    // A name that is not a domain name, or whose row cannot be asked, ends
    // at once without a query.
    if (!name.request.hasAsciiForm() || name.request.route.badRow) {
        finish(name, *name.request.unaskable());
        return;
    }
    // DNS may show a name no registry is known for delegated.
    if (!m_dns) {
        queue(std::move(name));
        return;
    }
    const QString asked = QString::fromLatin1(name.request.ascii);
    m_dnsWaiters[asked].append(std::move(name));
    m_dns->check(asked);
}

void PacedRun::dnsAnswered(const QString &asked, DnsPrecheck::Answer answer)
{
    const QList<Name> names = m_dnsWaiters.take(asked);
    for (const Name &name : names) {
        if (answer != DnsPrecheck::Answer::Delegated) {
            // No delegation does not make a name free: only its registry can say so.
            queue(name);
            continue;
        }
        LookupResult outcome(0, name.request.prepared, QStringLiteral("dns"), LookupResult::Kind::Registered);
        outcome.reason = QStringLiteral("dns:NS");
        ++m_settledByDns;
        finish(name, outcome);
    }
    schedule(0);
}

void PacedRun::queue(Name name)
{
    if (const std::optional<LookupResult> unaskable = name.request.unaskable()) {
        finish(name, *unaskable);
        return;
    }
    const QString host = name.request.registryHost();
    m_pacer.requireThrottle(host, name.request.route.throttleMs);
    // DNS answers come in any order; each registry still takes its names in list order.
    std::deque<Name> &waiting = m_registries[host].waiting;
    auto at = waiting.end();
    while (at != waiting.begin() && std::prev(at)->position > name.position)
        --at;
    waiting.insert(at, std::move(name));
    schedule(0);
}

int PacedRun::freeSlot() const
{
    for (size_t slot = 0; slot < m_slots.size(); ++slot) {
        if (!m_slots[slot])
            return int(slot);
    }
    return -1;
}

void PacedRun::dispatch()
{
    const qint64 now = m_clock.elapsed();
    for (int slot = freeSlot(); slot >= 0 && m_running; slot = freeSlot()) {
        // The oldest name among the registries that take a query now.
        Registry *chosen = nullptr;
        qint64 oldest = 0;
        qint64 wakeAt = -1;
        for (auto it = m_registries.begin(); it != m_registries.end(); ++it) {
            Registry &registry = it.value();
            if (registry.retries.empty() && registry.waiting.empty())
                continue;
            if (!m_pacer.ready(it.key(), now)) {
                const qint64 readyAt = m_pacer.readyAt(it.key());
                if (readyAt > now && (wakeAt < 0 || readyAt < wakeAt))
                    wakeAt = readyAt;
                continue;
            }
            const Name &head = registry.retries.empty() ? registry.waiting.front() : registry.retries.front();
            if (!chosen || head.position < oldest) {
                chosen = &registry;
                oldest = head.position;
            }
        }
        if (!chosen) {
            if (wakeAt >= 0)
                schedule(wakeAt - now);
            return;
        }
        std::deque<Name> &from = chosen->retries.empty() ? chosen->waiting : chosen->retries;
        if (&from == &chosen->retries)
            --m_retriesWaiting;
        Name name = std::move(from.front());
        from.pop_front();
        ++name.tries;
        m_pacer.queryStarted(name.request.registryHost());
        m_slots[size_t(slot)] = Running{std::move(name), now};
        m_session.pool().startLookup(m_slots[size_t(slot)]->name.request, m_firstSlot + slot);
    }
}

void PacedRun::poolLookupEnded(const LookupResult &outcome)
{
    // Lookups of another run on the same pool end here as well.
    const int slot = outcome.slot - m_firstSlot;
    if (!m_running || slot < 0 || size_t(slot) >= m_slots.size() || !m_slots[size_t(slot)])
        return;
    Name name = std::move(m_slots[size_t(slot)]->name);
    m_slots[size_t(slot)].reset();
    const QString host = name.request.registryHost();
    m_pacer.queryEnded(host, m_clock.elapsed(), refused(outcome));
    Registry &registry = m_registries[host];
    if (outcome.kind != LookupResult::Kind::Timeout)
        registry.answered = true;
    // A silent registry would hold every name for three whole time-outs.
    const bool retry = outcome.kind == LookupResult::Kind::Blocked ||
                       (outcome.kind == LookupResult::Kind::Timeout && registry.answered);
    if (retry && name.tries < maxTries) {
        ++m_retriesWaiting;
        registry.retries.push_back(std::move(name));
    } else {
        if (outcome.kind == LookupResult::Kind::Timeout)
            m_session.reportUnanswered(outcome.remoteAddress);
        finish(name, outcome);
    }
    schedule(0);
}

void PacedRun::abandonSilentLookups()
{
    const PoolTimings timings = m_session.timings();
    const qint64 limit = qint64(timings.tickMs) * timings.watchdogTicks;
    const qint64 now = m_clock.elapsed();
    for (size_t slot = 0; slot < m_slots.size(); ++slot) {
        if (!m_slots[slot] || now - m_slots[slot]->startedAt < limit)
            continue;
        ConnectionPool &pool = m_session.pool();
        const int poolSlot = m_firstSlot + int(slot);
        const LookupRequest &request = m_slots[slot]->name.request;
        LookupResult outcome(poolSlot, request.prepared, request.route.server, LookupResult::Kind::Timeout);
        outcome.remoteAddress = pool.remoteAddress(poolSlot);
        outcome.error = LookupResult::ErrorKind::NoReply;
        outcome.reason = QStringLiteral("timeout");
        pool.closeSlot(poolSlot);
        poolLookupEnded(outcome);
    }
}

void PacedRun::finish(const Name &name, const LookupResult &outcome)
{
    const auto word = m_unfinished.find(name.position);
    if (word != m_unfinished.end() && --word->second == 0) {
        m_unfinished.erase(word);
        ++m_wordsEnded;
    }
    --m_unfinishedNames;
    m_unfiled.insert(name.position);
    m_unfiledOutcomes.append(outcome);
    if (m_shared)
        m_session.file(outcome, m_historySource);
    else
        m_session.finishLookup(outcome);
    reportResumePosition();
    if (m_listEnded && m_unfinished.empty())
        schedule(0);
}

void PacedRun::reportFiled()
{
    m_unfiled.clear();
    const QList<LookupResult> filed = std::exchange(m_unfiledOutcomes, {});
    for (const LookupResult &outcome : filed) {
        ++m_ended;
        if (outcome.kind == LookupResult::Kind::Timeout || outcome.kind == LookupResult::Kind::Error)
            m_unanswered << outcome.domain;
        emit nameEnded(outcome);
    }
    reportResumePosition();
}

void PacedRun::closeSlots()
{
    for (size_t slot = 0; slot < m_slots.size(); ++slot)
        m_session.pool().closeSlot(m_firstSlot + int(slot));
}

void PacedRun::endRun()
{
    m_running = false;
    m_pumpTimer.stop();
    m_silenceTimer.stop();
    closeSlots();
    m_session.commitHistory();
    emit stopped();
}
