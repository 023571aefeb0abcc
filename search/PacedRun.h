#pragma once

#include "core/DnsPrecheck.h"
#include "core/LookupOutcome.h"
#include "core/RegistryPacer.h"

#include <QElapsedTimer>
#include <QHash>
#include <QObject>
#include <QTimer>

#include <deque>
#include <memory>
#include <optional>
#include <set>
#include <vector>

class LookupSession;
class WordSource;

// A run over a word source as the command line does it, for speed on the
// real internet: names are read ahead of the registry queries and asked of
// DNS many at a time, so the pool's slots only ever carry names that need a
// registry. Those wait in a queue per registry (server host), in list order,
// and a free slot takes the oldest name whose registry the pacer lets in, so
// a slow registry holds no slot that another could use. A name the registry
// refused or left unanswered goes back into its registry's retry queue, up
// to maxTries queries in all; then it ends with its last verdict.
//
// Every ended name goes through the session's finishLookup() exactly once.
class PacedRun : public QObject
{
    Q_OBJECT

public:
    static constexpr int maxTries = 3;
    // Names taken from the source and not yet ended, at most.
    static constexpr int lookAhead = 512;

    explicit PacedRun(LookupSession &session, QObject *parent = nullptr);
    ~PacedRun() override;

    bool isRunning() const { return m_running; }
    // Names taken from the source and not yet ended, at most (lookAhead
    // unless set): a worker that shares a queue holds few, so no name waits
    // behind its own slow registry while other workers are idle.
    void setLookAhead(int names) { m_lookAhead = qMax(1, names); }
    // How registries back off and relax, from the next start on.
    void setPacing(PacingOptions pacing) { m_pacer = RegistryPacer(pacing); }
    // Zeroes the result counters and runs from startNumber to the end of the source.
    void start(WordSource &source, qint32 startNumber);
    // Drops every queued and running lookup; their names end without a verdict.
    void stop();

    // A pool lookup of this run has ended.
    void poolLookupEnded(const LookupOutcome &outcome);

    int settledByDns() const { return m_settledByDns; }
    int retriesWaiting() const { return m_retriesWaiting; }
    // The position of the first word not yet ended and filed (its history
    // row written): where a stopped or killed run resumes.
    qint32 resumePosition() const;

signals:
    // The resume position has moved on.
    void resumePositionChanged(qint32 position);
    // The word source could not be read; the run takes it as the end of the list.
    void wordSourceFailed(const QString &message);
    void stopped();

private:
    struct Name
    {
        qint32 position = 0;
        QString word;     // as the source gave it, after correctName
        QString prepared; // as asked
        QString host;     // the registry's server; empty when no TLD entry answers
        int tries = 0;
    };
    struct Registry
    {
        std::deque<Name> retries;
        std::deque<Name> waiting;
        // Whether it has answered anything in this run; a registry that never
        // has is not asked again after a time-out.
        bool answered = false;
    };
    struct Running
    {
        Name name;
        qint64 startedAt = 0;
    };

    void schedule(qint64 delayMs);
    void pump();
    void readAhead();
    void take(Name name);
    void dnsAnswered(const QString &asked, DnsPrecheck::Answer answer);
    void queue(Name name);
    void dispatch();
    int freeSlot() const;
    void abandonSilentLookups();
    void finish(const Name &name, const LookupOutcome &outcome);
    void reportResumePosition();
    void endRun();

    LookupSession &m_session;
    RegistryPacer m_pacer;
    WordSource *m_source = nullptr;
    int m_lookAhead = lookAhead;
    bool m_running = false;
    bool m_listEnded = false;
    qint32 m_nextPosition = 0;
    std::set<qint32> m_unfinished;
    std::set<qint32> m_unfiled; // ended, waiting for the session to file them
    qint32 m_reportedResume = 0;
    std::unique_ptr<DnsPrecheck> m_dns;
    QHash<QString, QList<Name>> m_dnsWaiters; // by the name DNS was asked
    QHash<QString, Registry> m_registries;    // by host
    std::vector<std::optional<Running>> m_slots;
    int m_settledByDns = 0;
    int m_retriesWaiting = 0;
    QElapsedTimer m_clock;
    QTimer m_pumpTimer;
    QTimer m_silenceTimer;
};
