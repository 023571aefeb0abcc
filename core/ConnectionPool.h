#pragma once

#include "core/LookupOutcome.h"
#include "core/Verdict.h"

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QTimer>

#include <memory>
#include <vector>

class QNetworkAccessManager;
class QTcpSocket;
struct RdapAnswer;
class ThrottleState;
struct LookupContext;

// Timer lengths of the pool. The defaults are the real ones; tests shorten
// the tick to run the reconnect and watchdog paths quickly.
struct PoolTimings
{
    int tickMs = 1000;       // one tick of a slot's time-out timer and of the watchdog
    int reconnectTicks = 10; // a slot silent for this many ticks since its connect reconnects
    int watchdogTicks = 30;  // a batch with no ended lookup for this many ticks is freed
};

// The WHOIS sockets of a window: one slot per socket, each with its one-tick
// time-out timer, plus the batch watchdog `overall`. A lookup connects to the
// TLD entry's server, sends the name and CR LF, collects the reply until the
// server closes and judges it; whoever owns the pool files the outcome. A
// server given as an RDAP base URL is asked over HTTP instead, on the same
// slot; it gives up after reconnectTicks ticks without an answer.
class ConnectionPool : public QObject
{
    Q_OBJECT

public:
    static constexpr int maxPoolSize = 101;
    // Replies beyond this are read and dropped until the server closes.
    static constexpr qsizetype replyCap = 1024 * 1024;

    ConnectionPool(int poolSize, LookupContext &context, ThrottleState &throttle, PoolTimings timings = {},
                   QObject *parent = nullptr);
    ~ConnectionPool() override;

    int poolSize() const { return int(m_slots.size()); }

    // The TLD the main window's combo box shows; appended to names without a dot.
    void setChosenTld(const QString &tld) { m_chosenTld = tld; }
    // How often a lookup whose server closed the connection without a byte is
    // asked again before it ends as an error (none by default).
    void setEmptyReplyRetries(int retries) { m_emptyReplyRetries = retries; }
    // While set, every socket and timer event only closes its socket or stops its timer.
    void setStopRequested(bool stop) { m_stopRequested = stop; }
    bool stopRequested() const { return m_stopRequested; }

    // Prepares the name, takes the server, port, pause and phrases of its TLD
    // entry and connects; the query carries the name's ASCII (IDNA) form. A
    // name with no valid ASCII form, one no entry answers for, or one whose
    // row cannot be asked ends at once (queued) with an Error outcome and
    // sends nothing.
    void startLookup(const QString &name, int slot);

    // Closes every socket and stops every time-out timer. Lookups still
    // running end without an outcome.
    void closeAll();
    void closeSlot(int slot);

    void startWatchdog();
    void stopWatchdog();
    int runningLookups() const;

    // The address of the server a slot's socket was last connected to (the
    // host name when no connection was ever made).
    QString remoteAddress(int slot) const;

signals:
    // A lookup has ended: judged, abandoned by the watchdog, or unable to start.
    void lookupEnded(const LookupOutcome &outcome);
    // Nothing has ended for watchdogTicks ticks; emitted before the running
    // lookups are abandoned, with the address of slot 0's server.
    void watchdogFired(const QString &serverAddress);
    // Nothing has ended for watchdogTicks ticks: every running lookup was
    // abandoned (each with a Timeout outcome before this signal).
    void watchdogExpired();
    // A slot's socket has connected and is about to send the name.
    void lookupConnected(int slot, const QString &domain);

private:
    struct Slot;

    void onConnected(int slot);
    void onReadyRead(int slot);
    void onSocketError(int slot);
    void onTimeoutTick(int slot);
    void onWatchdogTick();
    void onRdapFinished(int slot, const RdapAnswer &answer);
    void closedByServer(int slot);
    void connectSlot(Slot &slot);
    void failLookup(int slot, LookupOutcome::ErrorKind error, const QString &description, const QString &reason);
    void endWithoutReply(Slot &slot);
    LookupOutcome endedOutcome(const Slot &slot, LookupOutcome::Kind kind) const;

    LookupContext &m_context;
    ThrottleState &m_throttle;
    PoolTimings m_timings;
    std::unique_ptr<QNetworkAccessManager> m_network;
    std::vector<std::unique_ptr<Slot>> m_slots;
    QTimer m_overall;
    int m_watchdogTicks = 0;
    QString m_chosenTld;
    bool m_stopRequested = false;
    int m_emptyReplyRetries = 0;
};
