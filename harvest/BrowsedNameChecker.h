#pragma once

#include "core/DomainListModel.h"
#include "core/LookupOutcome.h"
#include "core/ThrottleState.h"
#include "core/WhoisClient.h"
#include "harvest/DomainExtraction.h"
#include "search/WordSource.h"

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QTimer>

class LookupSession;

// Timer lengths of the checking. The defaults are the real ones; tests
// shorten them.
struct BrowsedCheckTimings
{
    int dispatchMs = 1000;    // Timer1: looks for the next name to check
    int timeoutTickMs = 1000; // one tick of timTimeout
    int timeoutTicks = 5;     // a query without an answer for this many ticks is given up
};

// Checks the names the browse window appends to its list file, one after
// another, through its own WHOIS client: prepares the name, asks the WHOIS server of
// its TLD entry, judges the reply, files the outcome through the lookup
// session (into the program's result lists) and the name into the window's two
// lists (List1 available, List2 registered), then pauses for the entry's
// throttle before the next name.
//
// Only one name is ever in hand: while a query runs or its pause lasts, Timer1
// and every other call of dispatchNextName() leave it alone; a server that
// does not close the connection is given up after timeoutTicks ticks.
class BrowsedNameChecker : public QObject
{
    Q_OBJECT

public:
    // counters: the window's totalFound and pageFound.
    BrowsedNameChecker(QString listPath, LookupSession &session, const ExtractionCounters &counters,
                       BrowsedCheckTimings timings = {}, QObject *parent = nullptr);
    ~BrowsedNameChecker() override;

    // Window load: nextIndex 0, Timer1 on.
    void start();
    // Window unload: every timer off, the socket closed, a pause no longer awaited.
    void stop();

    // Checks the name at nextIndex, if there is one and nothing is in hand.
    void dispatchNextName();
    // The usable line (not empty, not a single space) with that 0-based
    // index; the end of the list past the last one; a read failure when the
    // file cannot be read, which the checking takes as the end of the list.
    WordRead readListEntry(qint32 index) const;
    // Prepares the name and starts its query; a name without an enabled TLD
    // or without a TLD entry is skipped (nextIndex moves on) and false returned.
    bool checkBrowsedName(const QString &name);

    qint32 nextIndex() const { return m_nextIndex; }
    QString currentName() const { return m_currentName; }
    bool isQuerying() const { return m_state == State::Querying; }
    bool isPausing() const { return m_state == State::Pausing; }

    // List1 and List2 of the window.
    DomainListModel &unregisteredList() { return m_List1; }
    // The pause after each name, the checker's own.
    const ThrottleState &throttle() const { return m_throttle; }
    DomainListModel &registeredList() { return m_List2; }

signals:
    // Status panel 1: "Checking status of: ", "Pausing for ", "Checked ", "Unregistered: ".
    void checkStatusChanged(const QString &text);
    // Status panel 2: "Finished domains on current page".
    void pageStatusChanged(const QString &text);
    // Label1 "Unregistered: (N)" and Label2 "Registered: (N)" after a verdict,
    // N being the names the list then shows.
    void unregisteredCaptionChanged(const QString &caption);
    void registeredCaptionChanged(const QString &caption);

private:
    enum class State { Idle, Querying, Pausing };

    void connectionFailed(WhoisClient::Failure failure, const QString &description);
    void judgeReply();
    // The name is done with: on to the pause before the next one.
    void finishName();
    void onTimeoutTick();
    void onPauseEnded();
    void skipName();
    QString serverAddress() const;

    LookupOutcome outcome(LookupOutcome::Kind kind) const;

    QString m_listPath;
    LookupSession &m_session;
    const ExtractionCounters &m_counters;
    BrowsedCheckTimings m_timings;

    WhoisClient m_client;
    ThrottleState m_throttle;
    QTimer Timer1;
    QTimer timTimeout;
    DomainListModel m_List1;
    DomainListModel m_List2;

    State m_state = State::Idle;
    qint32 m_nextIndex = 0;
    QString m_currentName;
    QString m_queryServer;
    quint16 m_queryPort = 43;
    QString m_successText;
    qint16 m_timeoutTicks = 0;
};
