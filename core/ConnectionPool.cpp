#include "core/ConnectionPool.h"

#include "core/LookupRequest.h"
#include "core/RdapQuery.h"
#include "core/ReplyVerdict.h"
#include "core/WhoisClient.h"

#include <QNetworkAccessManager>

struct ConnectionPool::Slot
{
    int number = 0;
    LookupRequest request;
    WhoisClient client;
    QTimer timTimeout;
    std::unique_ptr<RdapQuery> rdap;
    QString slotDomain;
    QByteArray query; // slotDomain as it goes on the wire
    QString slotServer;
    qint16 slotTicks = 0;
    quint16 port = 43;
    VerdictRule verdict{QString()};
    bool rdapRoute = false;
    bool running = false;
    int emptyReplies = 0;
    // Bumped whenever the slot's lookup is started or closed, so a queued
    // failure report of an older lookup is dropped.
    quint64 generation = 0;
};

ConnectionPool::ConnectionPool(int poolSize, PoolTimings timings, QObject *parent)
    : QObject(parent)
    , m_timings(timings)
    , m_network(std::make_unique<QNetworkAccessManager>())
{
    Q_ASSERT(poolSize >= 1 && poolSize <= maxPoolSize);
    for (int number = 0; number < poolSize; ++number) {
        auto slot = std::make_unique<Slot>();
        slot->number = number;
        slot->timTimeout.setInterval(m_timings.tickMs);
        WhoisClient *client = &slot->client;
        connect(client, &WhoisClient::connected, this, [this, number] { onConnected(number); });
        connect(client, &WhoisClient::answered, this, [this, number] { closedByServer(number); });
        connect(client, &WhoisClient::failed, this,
                [this, number](WhoisClient::Failure failure, const QString &description) {
                    failLookup(number, LookupResult::ErrorKind::Network, description, WhoisClient::reason(failure));
                });
        connect(&slot->timTimeout, &QTimer::timeout, this, [this, number] { onTimeoutTick(number); });
        slot->rdap = std::make_unique<RdapQuery>(*m_network, m_timings.tickMs * m_timings.reconnectTicks);
        connect(slot->rdap.get(), &RdapQuery::finished, this,
                [this, number](const RdapAnswer &answer) { onRdapFinished(number, answer); });
        m_slots.push_back(std::move(slot));
    }
}

ConnectionPool::~ConnectionPool()
{
    for (auto &slot : m_slots)
        slot->client.disconnect(this);
}

void ConnectionPool::setLocalAddress(const QHostAddress &address)
{
    for (auto &slot : m_slots)
        slot->client.setLocalAddress(address);
}

void ConnectionPool::startLookup(const LookupRequest &request, int number)
{
    if (number < 0 || number >= poolSize())
        return;
    Slot &slot = *m_slots[size_t(number)];
    slot.request = request;
    slot.slotDomain = request.prepared;
    slot.running = true;
    ++slot.generation;

    if (const std::optional<LookupResult> unaskable = request.unaskable()) {
        slot.slotServer = unaskable->server;
        failLookup(number, unaskable->error, unaskable->errorString, unaskable->reason);
        return;
    }
    const LookupRoute &route = request.route;
    slot.query = request.ascii;
    slot.emptyReplies = 0;
    slot.port = route.port;
    slot.slotServer = route.server;
    slot.verdict = VerdictRule(route.successIndicators);
    slot.rdapRoute = route.isRdap();
    slot.slotTicks = 0;
    slot.client.abort();
    if (slot.rdapRoute) {
        slot.rdap->start(route.server, QString::fromLatin1(request.ascii));
        return;
    }
    slot.timTimeout.start(m_timings.tickMs);
    slot.client.ask(slot.slotServer, slot.port, slot.query);
}

void ConnectionPool::failLookup(int number, LookupResult::ErrorKind error, const QString &description,
                                const QString &reason)
{
    Slot &slot = *m_slots[size_t(number)];
    const quint64 generation = slot.generation;
    // Reported from the event loop, never from inside the caller's dispatch.
    QMetaObject::invokeMethod(
        this,
        [this, number, generation, error, description, reason] {
            Slot &failed = *m_slots[size_t(number)];
            if (failed.generation != generation || !failed.running)
                return;
            failed.running = false;
            failed.timTimeout.stop();
            failed.client.abort();
            LookupResult outcome = endedOutcome(failed, LookupResult::Kind::Error);
            outcome.error = error;
            outcome.errorString = description;
            outcome.reason = reason;
            emit lookupEnded(outcome);
        },
        Qt::QueuedConnection);
}

void ConnectionPool::onConnected(int number)
{
    Slot &slot = *m_slots[size_t(number)];
    if (!slot.running) {
        slot.client.abort();
        return;
    }
    emit lookupConnected(number, slot.slotDomain);
    slot.slotTicks = 0;
    slot.timTimeout.start(m_timings.tickMs);
}

void ConnectionPool::closedByServer(int number)
{
    Slot &slot = *m_slots[size_t(number)];
    if (!slot.running)
        return;
    if (slot.client.reply().isEmpty()) {
        endWithoutReply(slot);
        return;
    }
    slot.timTimeout.stop();

    // What a refusal notice shows is the reply as judged.
    const QByteArray reply = ReplyVerdict::decodedReply(slot.client.reply());
    const ReplyJudgement judgement = ReplyVerdict::shipped().judge(reply, slot.slotDomain, slot.verdict);
    LookupResult outcome = endedOutcome(slot, LookupResult::Kind::Registered);
    outcome.reply = reply;
    outcome.reason = judgement.reason;
    switch (judgement.verdict) {
    case Verdict::Available:
        outcome.kind = LookupResult::Kind::Available;
        break;
    case Verdict::Blocked:
        outcome.kind = LookupResult::Kind::Blocked;
        break;
    case Verdict::Registered:
        break;
    }
    slot.running = false;
    emit lookupEnded(outcome);
}

void ConnectionPool::onRdapFinished(int number, const RdapAnswer &answer)
{
    Slot &slot = *m_slots[size_t(number)];
    if (!slot.running)
        return;
    LookupResult outcome = endedOutcome(slot, answer.kind);
    outcome.reason = answer.reason;
    // The notice of a refusal shows the base URL and what the server said;
    // a domain object is kept as it came.
    outcome.remoteAddress = slot.slotServer;
    outcome.reply = answer.kind == LookupResult::Kind::Registered ? answer.body : answer.message.toUtf8();
    if (answer.kind == LookupResult::Kind::Error) {
        outcome.error = LookupResult::ErrorKind::Network;
        outcome.errorString = answer.message;
    } else if (answer.kind == LookupResult::Kind::Timeout) {
        outcome.error = LookupResult::ErrorKind::NoReply;
    }
    slot.running = false;
    emit lookupEnded(outcome);
}

// A connection closed or reset before the first byte says nothing about the
// name: it is asked again as often as allowed, then ends as an error.
void ConnectionPool::endWithoutReply(Slot &slot)
{
    if (slot.emptyReplies < m_emptyReplyRetries) {
        ++slot.emptyReplies;
        slot.slotTicks = 0;
        slot.timTimeout.start(m_timings.tickMs);
        // Connecting again from inside the socket's own close report would be
        // undone by the rest of that report.
        const int number = slot.number;
        const quint64 generation = slot.generation;
        QMetaObject::invokeMethod(
            this,
            [this, number, generation] {
                Slot &again = *m_slots[size_t(number)];
                if (again.running && again.generation == generation)
                    again.client.ask(again.slotServer, again.port, again.query);
            },
            Qt::QueuedConnection);
        return;
    }
    slot.timTimeout.stop();
    LookupResult outcome = endedOutcome(slot, LookupResult::Kind::Error);
    outcome.error = LookupResult::ErrorKind::EmptyReply;
    outcome.errorString = QStringLiteral("%1 closed the connection without a reply").arg(remoteAddress(slot.number));
    outcome.reason = QStringLiteral("emptyreply");
    slot.running = false;
    emit lookupEnded(outcome);
}

void ConnectionPool::onTimeoutTick(int number)
{
    Slot &slot = *m_slots[size_t(number)];
    ++slot.slotTicks;
    if (!slot.running) {
        slot.timTimeout.stop();
        return;
    }
    if (slot.slotTicks >= m_timings.reconnectTicks) {
        // Data still arriving does not count: the reply so far is kept and the
        // new one is appended to it.
        slot.slotTicks = 0;
        slot.timTimeout.start(m_timings.tickMs);
        slot.client.reconnect();
    }
}

LookupResult ConnectionPool::abandon(int number)
{
    const Slot &slot = *m_slots[size_t(number)];
    LookupResult outcome = endedOutcome(slot, LookupResult::Kind::Timeout);
    outcome.error =
        slot.client.errorString().isEmpty() ? LookupResult::ErrorKind::NoReply : LookupResult::ErrorKind::Network;
    outcome.errorString = slot.client.errorString();
    outcome.reason = QStringLiteral("timeout");
    closeSlot(number);
    return outcome;
}

void ConnectionPool::closeSlot(int number)
{
    Slot &slot = *m_slots[size_t(number)];
    slot.client.abort();
    slot.rdap->abort();
    slot.timTimeout.stop();
    slot.slotTicks = 0;
    slot.running = false;
    ++slot.generation;
}

void ConnectionPool::closeAll()
{
    for (auto &slot : m_slots)
        closeSlot(slot->number);
}

int ConnectionPool::runningLookups() const
{
    int running = 0;
    for (const auto &slot : m_slots)
        running += slot->running ? 1 : 0;
    return running;
}

QString ConnectionPool::remoteAddress(int number) const
{
    const Slot &slot = *m_slots[size_t(number)];
    return slot.rdapRoute ? slot.slotServer : slot.client.remoteAddress();
}

LookupResult ConnectionPool::endedOutcome(const Slot &slot, LookupResult::Kind kind) const
{
    LookupResult outcome{slot.number, slot.slotDomain, slot.slotServer, kind};
    outcome.remoteAddress = remoteAddress(slot.number);
    outcome.given = slot.request.given;
    outcome.sent = slot.request.ascii;
    outcome.protocol = slot.request.route.isRdap() ? LookupResult::Protocol::Rdap : LookupResult::Protocol::Whois;
    outcome.source = LookupResult::Source::Registry;
    outcome.answeredAt = QDateTime::currentDateTimeUtc();
    return outcome;
}
