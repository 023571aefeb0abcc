#pragma once

#include "core/LookupResult.h"
#include "core/Verdict.h"

#include <QByteArray>
#include <QHostAddress>
#include <QObject>
#include <QString>
#include <QTimer>

#include <memory>
#include <vector>

class QNetworkAccessManager;
struct LookupRequest;
struct RdapAnswer;

// Timer lengths of the pool. The defaults are the real ones; tests shorten
// the tick to run the reconnect and give-up paths quickly.
struct PoolTimings
{
    int tickMs = 1000;       // one tick of a slot's time-out timer
    int reconnectTicks = 10; // a slot silent for this many ticks since its connect reconnects
    int watchdogTicks = 30;  // a query unanswered for this many ticks is given up
};

// The registry connections of the lookup service: one slot per socket, each
// with its one-tick time-out timer. A lookup takes
// an admitted request, connects to its route's server, sends the name and
// CR LF, collects the reply until the server closes and judges it; whoever
// started the lookup files the outcome. A route to an RDAP base URL is asked
// over HTTP instead, on the same slot; it gives up after reconnectTicks ticks
// without an answer.
//
// A server whose name does not resolve, or that refuses the connection, ends
// the lookup at once as an error (reason "resolve" or "refused").
class ConnectionPool : public QObject
{
    Q_OBJECT

public:
    static constexpr int maxPoolSize = 101;

    explicit ConnectionPool(int poolSize, PoolTimings timings = {}, QObject *parent = nullptr);
    ~ConnectionPool() override;

    int poolSize() const { return int(m_slots.size()); }

    // The local address queries are sent from; null lets the system choose.
    void setLocalAddress(const QHostAddress &address);
    // How often a lookup whose server closed the connection without a byte is
    // asked again before it ends as an error (none by default).
    void setEmptyReplyRetries(int retries) { m_emptyReplyRetries = retries; }

    // Asks the request's registry on the slot. A request without an ASCII
    // form or without a route ends at once (queued) with an Error outcome
    // and sends nothing.
    void startLookup(const LookupRequest &request, int slot);

    // Closes every socket and stops every time-out timer. Lookups still
    // running end without an outcome, and late events of theirs are ignored.
    void closeAll();
    // The same for one slot; the other slots' lookups go on.
    void closeSlot(int slot);

    // Gives the slot's lookup up: closes it and returns its Timeout result.
    LookupResult abandon(int slot);
    int runningLookups() const;

    // The address of the server a slot's socket was last connected to (the
    // host name when no connection was ever made).
    QString remoteAddress(int slot) const;

signals:
    // A lookup has ended: judged, or unable to start.
    void lookupEnded(const LookupResult &outcome);
    // A slot's socket has connected and is about to send the name.
    void lookupConnected(int slot, const QString &domain);

private:
    struct Slot;

    void onConnected(int slot);
    void onTimeoutTick(int slot);
    void onRdapFinished(int slot, const RdapAnswer &answer);
    void closedByServer(int slot);
    void failLookup(int slot, LookupResult::ErrorKind error, const QString &description, const QString &reason);
    void endWithoutReply(Slot &slot);
    LookupResult endedOutcome(const Slot &slot, LookupResult::Kind kind) const;

    PoolTimings m_timings;
    std::unique_ptr<QNetworkAccessManager> m_network;
    std::vector<std::unique_ptr<Slot>> m_slots;
    int m_emptyReplyRetries = 0;
};
