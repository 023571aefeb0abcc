#include "core/ConnectionPool.h"

#include "core/LookupContext.h"
#include "core/LookupRoute.h"
#include "core/NamePreparation.h"
#include "core/RdapQuery.h"
#include "core/ReplyVerdict.h"
#include "core/ThrottleState.h"

#include <QHostAddress>
#include <QNetworkAccessManager>
#include <QTcpSocket>

struct ConnectionPool::Slot
{
    int number = 0;
    QTcpSocket Winsock1;
    QTimer timTimeout;
    std::unique_ptr<RdapQuery> rdap;
    QString slotDomain;
    QByteArray query; // slotDomain as it goes on the wire
    QString slotServer;
    QByteArray slotReply;
    qint16 slotTicks = 0;
    quint16 port = 43;
    VerdictRule verdict{QString()};
    QString peerAddress;
    // The last failure of the socket during this lookup.
    QString socketError;
    bool running = false;
    int emptyReplies = 0;
    // Bumped whenever the slot's lookup is started or closed, so a queued
    // failure report of an older lookup is dropped.
    quint64 generation = 0;
};

ConnectionPool::ConnectionPool(int poolSize, LookupContext &context, ThrottleState &throttle, PoolTimings timings,
                               QObject *parent)
    : QObject(parent)
    , m_context(context)
    , m_throttle(throttle)
    , m_timings(timings)
    , m_network(std::make_unique<QNetworkAccessManager>())
{
    Q_ASSERT(poolSize >= 1 && poolSize <= maxPoolSize);
    for (int number = 0; number < poolSize; ++number) {
        auto slot = std::make_unique<Slot>();
        slot->number = number;
        slot->timTimeout.setInterval(m_timings.tickMs);
        QTcpSocket *socket = &slot->Winsock1;
        connect(socket, &QTcpSocket::connected, this, [this, number] { onConnected(number); });
        connect(socket, &QTcpSocket::readyRead, this, [this, number] { onReadyRead(number); });
        connect(socket, &QTcpSocket::errorOccurred, this, [this, number] { onSocketError(number); });
        connect(&slot->timTimeout, &QTimer::timeout, this, [this, number] { onTimeoutTick(number); });
        slot->rdap = std::make_unique<RdapQuery>(*m_network, m_timings.tickMs * m_timings.reconnectTicks);
        connect(slot->rdap.get(), &RdapQuery::finished, this,
                [this, number](const RdapAnswer &answer) { onRdapFinished(number, answer); });
        m_slots.push_back(std::move(slot));
    }
    m_overall.setInterval(m_timings.tickMs);
    connect(&m_overall, &QTimer::timeout, this, &ConnectionPool::onWatchdogTick);
}

ConnectionPool::~ConnectionPool()
{
    for (auto &slot : m_slots)
        slot->Winsock1.disconnect(this);
}

void ConnectionPool::startLookup(const QString &name, int number)
{
    if (m_stopRequested || number < 0 || number >= poolSize())
        return;
    Slot &slot = *m_slots[size_t(number)];
    slot.slotDomain = prepareLookupName(name, m_chosenTld, m_context.defaultExtension);
    slot.running = true;
    ++slot.generation;

    const std::optional<QByteArray> query = domainQueryBytes(slot.slotDomain);
    if (!query) {
        slot.slotServer.clear();
        failLookup(number, LookupOutcome::ErrorKind::BadName,
                   QStringLiteral("%1 is not a domain name: a label is empty, too long, begins or ends with a "
                                  "hyphen, or holds a character no domain name may hold")
                       .arg(slot.slotDomain.left(80)),
                   QStringLiteral("badname"));
        return;
    }
    const LookupRoute route = m_context.route(slot.slotDomain);
    if (route.badRow) {
        slot.slotServer = route.server;
        failLookup(number, LookupOutcome::ErrorKind::BadRow, route.error, QStringLiteral("badrow"));
        return;
    }
    if (!route.error.isEmpty()) {
        slot.slotServer.clear();
        failLookup(number, LookupOutcome::ErrorKind::NoTldEntry, route.error, QStringLiteral("norow"));
        return;
    }
    slot.query = *query + "\r\n";
    slot.emptyReplies = 0;
    slot.port = route.port;
    slot.slotServer = route.server;
    slot.verdict = VerdictRule(route.successIndicators);
    slot.peerAddress.clear();
    slot.socketError.clear();
    m_throttle.setCurrentThrottleMs(route.throttleMs);

    slot.slotReply.clear();
    slot.slotTicks = 0;
    if (route.isRdap()) {
        slot.Winsock1.abort();
        slot.rdap->start(route.server, QString::fromLatin1(*query));
        return;
    }
    slot.timTimeout.start(m_timings.tickMs);
    slot.Winsock1.abort();
    connectSlot(slot);
}

void ConnectionPool::failLookup(int number, LookupOutcome::ErrorKind error, const QString &description,
                                const QString &reason)
{
    Slot &slot = *m_slots[size_t(number)];
    const quint64 generation = slot.generation;
    // Reported from the event loop, never from inside the caller's dispatch.
    QMetaObject::invokeMethod(
        this,
        [this, number, generation, error, description, reason] {
            Slot &failed = *m_slots[size_t(number)];
            if (m_stopRequested || failed.generation != generation || !failed.running)
                return;
            failed.running = false;
            LookupOutcome outcome = endedOutcome(failed, LookupOutcome::Kind::Error);
            outcome.error = error;
            outcome.errorString = description;
            outcome.reason = reason;
            emit lookupEnded(outcome);
        },
        Qt::QueuedConnection);
}

void ConnectionPool::connectSlot(Slot &slot)
{
    // A failed bind shows as the connection's error.
    if (!m_context.bindAddress.isNull())
        slot.Winsock1.bind(m_context.bindAddress);
    slot.Winsock1.connectToHost(slot.slotServer, slot.port);
}

void ConnectionPool::onConnected(int number)
{
    Slot &slot = *m_slots[size_t(number)];
    if (m_stopRequested || !slot.running) {
        slot.Winsock1.abort();
        return;
    }
    slot.peerAddress = slot.Winsock1.peerAddress().toString();
    slot.socketError.clear();
    emit lookupConnected(number, slot.slotDomain);
    slot.slotTicks = 0;
    slot.timTimeout.start(m_timings.tickMs);
    if (slot.Winsock1.write(slot.query) < 0) {
        slot.Winsock1.abort();
        connectSlot(slot);
    }
}

void ConnectionPool::onReadyRead(int number)
{
    Slot &slot = *m_slots[size_t(number)];
    if (m_stopRequested || !slot.running) {
        slot.Winsock1.abort();
        return;
    }
    const QByteArray piece = slot.Winsock1.readAll();
    const qsizetype room = replyCap - slot.slotReply.size();
    if (room > 0)
        slot.slotReply.append(piece.constData(), qMin(room, piece.size()));
}

void ConnectionPool::onSocketError(int number)
{
    // The server closing the connection is the normal end of a reply. Other
    // failures are kept for the outcome: the time-out timer reconnects, the
    // watchdog frees the batch.
    Slot &slot = *m_slots[size_t(number)];
    if (slot.Winsock1.error() == QAbstractSocket::RemoteHostClosedError)
        closedByServer(number);
    else if (slot.running)
        slot.socketError = slot.Winsock1.errorString();
}

void ConnectionPool::closedByServer(int number)
{
    Slot &slot = *m_slots[size_t(number)];
    if (m_stopRequested || !slot.running) {
        slot.Winsock1.abort();
        return;
    }
    onReadyRead(number);
    if (slot.slotReply.isEmpty()) {
        endWithoutReply(slot);
        return;
    }
    slot.timTimeout.stop();
    m_overall.stop();

    // What a refusal notice shows is the reply as judged.
    const QByteArray reply = ReplyVerdict::decodedReply(slot.slotReply);
    const ReplyJudgement judgement = ReplyVerdict::shipped().judge(reply, slot.slotDomain, slot.verdict);
    LookupOutcome outcome = endedOutcome(slot, LookupOutcome::Kind::Registered);
    outcome.reply = reply;
    outcome.reason = judgement.reason;
    switch (judgement.verdict) {
    case Verdict::Available:
        outcome.kind = LookupOutcome::Kind::Available;
        break;
    case Verdict::Blocked:
        outcome.kind = LookupOutcome::Kind::Blocked;
        break;
    case Verdict::Registered:
        break;
    }
    slot.Winsock1.abort();
    slot.running = false;
    emit lookupEnded(outcome);
}

void ConnectionPool::onRdapFinished(int number, const RdapAnswer &answer)
{
    Slot &slot = *m_slots[size_t(number)];
    if (m_stopRequested || !slot.running)
        return;
    m_overall.stop();
    LookupOutcome outcome = endedOutcome(slot, answer.kind);
    outcome.reason = answer.reason;
    // The notice of a refusal shows the base URL and what the server said.
    outcome.remoteAddress = slot.slotServer;
    outcome.reply = answer.message.toUtf8();
    if (answer.kind == LookupOutcome::Kind::Error) {
        outcome.error = LookupOutcome::ErrorKind::Network;
        outcome.errorString = answer.message;
    } else if (answer.kind == LookupOutcome::Kind::Timeout) {
        outcome.error = LookupOutcome::ErrorKind::NoReply;
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
        slot.Winsock1.abort();
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
                if (!m_stopRequested && again.running && again.generation == generation)
                    connectSlot(again);
            },
            Qt::QueuedConnection);
        return;
    }
    slot.timTimeout.stop();
    m_overall.stop();
    LookupOutcome outcome = endedOutcome(slot, LookupOutcome::Kind::Error);
    outcome.error = LookupOutcome::ErrorKind::EmptyReply;
    outcome.errorString = QStringLiteral("%1 closed the connection without a reply").arg(remoteAddress(slot.number));
    outcome.reason = QStringLiteral("emptyreply");
    slot.Winsock1.abort();
    slot.running = false;
    emit lookupEnded(outcome);
}

void ConnectionPool::onTimeoutTick(int number)
{
    Slot &slot = *m_slots[size_t(number)];
    ++slot.slotTicks;
    if (m_stopRequested || !slot.running) {
        slot.timTimeout.stop();
        return;
    }
    if (slot.slotTicks >= m_timings.reconnectTicks) {
        // Data still arriving does not count: the reply so far is kept and the
        // new one is appended to it.
        slot.Winsock1.abort();
        slot.slotTicks = 0;
        slot.timTimeout.start(m_timings.tickMs);
        connectSlot(slot);
    }
}

void ConnectionPool::startWatchdog()
{
    m_watchdogTicks = 0;
    m_overall.start(m_timings.tickMs);
}

void ConnectionPool::stopWatchdog()
{
    m_overall.stop();
    m_watchdogTicks = 0;
}

void ConnectionPool::onWatchdogTick()
{
    if (m_stopRequested) {
        m_overall.stop();
        return;
    }
    if (++m_watchdogTicks < m_timings.watchdogTicks)
        return;
    m_overall.stop();
    m_watchdogTicks = 0;
    emit watchdogFired(remoteAddress(0));
    for (auto &slot : m_slots) {
        if (!slot->running)
            continue;
        LookupOutcome outcome = endedOutcome(*slot, LookupOutcome::Kind::Timeout);
        outcome.error =
            slot->socketError.isEmpty() ? LookupOutcome::ErrorKind::NoReply : LookupOutcome::ErrorKind::Network;
        outcome.errorString = slot->socketError;
        outcome.reason = QStringLiteral("watchdog");
        closeSlot(slot->number);
        emit lookupEnded(outcome);
    }
    emit watchdogExpired();
}

void ConnectionPool::closeSlot(int number)
{
    Slot &slot = *m_slots[size_t(number)];
    slot.Winsock1.abort();
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
    return slot.peerAddress.isEmpty() ? slot.slotServer : slot.peerAddress;
}

LookupOutcome ConnectionPool::endedOutcome(const Slot &slot, LookupOutcome::Kind kind) const
{
    LookupOutcome outcome{slot.number, slot.slotDomain, slot.slotServer, kind};
    outcome.remoteAddress = remoteAddress(slot.number);
    return outcome;
}
