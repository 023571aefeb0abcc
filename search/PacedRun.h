#pragma once

#include "core/ConnectionPool.h"
#include "core/DnsPrecheck.h"
#include "core/LookupResult.h"
#include "core/LookupRequest.h"
#include "core/RegistryPacer.h"

#include <QElapsedTimer>
#include <QHash>
#include <QObject>
#include <QSet>
#include <QStringList>
#include <QTimer>

#include <deque>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <vector>

class LookupSession;
class WordSource;

// A run over a word source, for speed within the registries' rationing:
// words are read ahead of the registry queries, each admitted by the session
// (prepared, routed) once in every chosen TLD before the next word, so a name
// is a word in one TLD. A name asked before in the run is not asked again.
// Names are answered from the history when it may, and asked of DNS
// many at a time, so the pool's slots only ever carry names that need a
// registry. Those wait in a queue per registry host (the host the route
// actually asks), in list order, and a free slot takes the oldest name whose
// registry the pacer lets in, so a slow registry holds no slot that another
// could use. A name the registry refused or left unanswered goes back into
// its registry's retry queue, up to maxTries queries in all; then it ends
// with its last verdict.
//
// Every ended name is filed through the session exactly once. The run uses
// the session; the session knows nothing of the run. Two runs may share a
// session when each has slots of its own (shareSession()).
class PacedRun : public QObject
{
    Q_OBJECT

public:
    static constexpr int maxTries = 3;
    // Names admitted and not yet ended, at most.
    static constexpr int lookAhead = 512;
    // The most "Parallel lookups" a user may choose.
    static constexpr int maxParallel = 32;

    explicit PacedRun(LookupSession &session, QObject *parent = nullptr);
    ~PacedRun() override;

    bool isRunning() const { return m_running; }
    // Names admitted and not yet ended, at most (lookAhead
    // unless set): a worker that shares a queue holds few, so no name waits
    // behind its own slow registry while other workers are idle.
    void setLookAhead(int names) { m_lookAhead = qMax(1, names); }
    // Whether a name met again in one run is passed over (on by default). A
    // run over a source that holds each name once and may run for days (a
    // shared queue, which also hands back names whose lease ended) keeps no
    // such memory.
    void setAskOncePerRun(bool once) { m_askOncePerRun = once; }
    // How registries back off and relax, from the next start on.
    void setPacing(PacingOptions pacing) { m_pacing = pacing; }
    // Lookups at a time from the next start on, up to the session pool's size.
    void setParallel(int lookups) { m_parallel = qMax(1, lookups); }
    // Runs beside the session's own run (the main window's search): on the
    // pool's slots from firstSlot on, its verdicts kept in the history with
    // source. It files them without the session's lookupEnded() and leaves
    // the result counters alone, so the other run sees only its own.
    void shareSession(int firstSlot, const QString &source);
    // Runs from startNumber to the end of the source; the session's own run
    // zeroes the result counters first.
    void start(WordSource &source, qint32 startNumber);
    // Drops every queued and running lookup; their names end without a verdict.
    void stop();

    int settledByDns() const { return m_settledByDns; }
    int retriesWaiting() const { return m_retriesWaiting; }
    int ended() const { return m_ended; }
    // Words whose names have all ended, those asked before included.
    int wordsEnded() const { return m_wordsEnded; }
    // Names not asked because the run had asked them before.
    int repeated() const { return m_repeated; }
    int running() const;
    // The position of the first word not yet ended and filed (its history
    // row written) in every chosen TLD: where a stopped or killed run resumes.
    qint32 resumePosition() const;
    // The names of this run that ended without a verdict (timeout or error),
    // as asked, in the order they ended.
    const QStringList &unanswered() const { return m_unanswered; }

signals:
    // The resume position has moved on.
    void resumePositionChanged(qint32 position);
    // A name has ended and has been filed (its history row written).
    void nameEnded(const LookupResult &outcome);
    // The word source could not be read; the run takes it as the end of the list.
    void wordSourceFailed(const QString &message);
    // DNS stopped answering; this run asks the registries directly.
    void dnsGaveUp(const QString &reason);
    void stopped();

private:
    struct Name
    {
        qint32 position = 0;
        LookupRequest request;
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
    void admitWord(qint32 position, const QString &word);
    void take(Name name);
    void dnsAnswered(const QString &asked, DnsPrecheck::Answer answer);
    void queue(Name name);
    void dispatch();
    int freeSlot() const;
    void poolLookupEnded(const LookupResult &outcome);
    void abandonSilentLookups();
    void finish(const Name &name, const LookupResult &outcome);
    void reportFiled();
    void reportResumePosition();
    // Closes the pool's slots this run uses, and no other.
    void closeSlots();
    void endRun();

    LookupSession &m_session;
    PacingOptions m_pacing;
    RegistryPacer m_pacer;
    int m_parallel = ConnectionPool::maxPoolSize;
    int m_firstSlot = 0;
    bool m_shared = false;
    QString m_historySource;
    WordSource *m_source = nullptr;
    int m_lookAhead = lookAhead;
    bool m_askOncePerRun = true;
    bool m_running = false;
    bool m_listEnded = false;
    qint32 m_nextPosition = 0;
    // By position: how many of the word's names have not ended yet.
    std::map<qint32, int> m_unfinished;
    int m_unfinishedNames = 0;
    // Every name admitted in this run, as prepared.
    QSet<QString> m_admitted;
    int m_repeated = 0;
    int m_wordsEnded = 0;
    // Ended, waiting for the session to file them.
    std::set<qint32> m_unfiled;
    QList<LookupResult> m_unfiledOutcomes;
    qint32 m_reportedResume = 0;
    std::unique_ptr<DnsPrecheck> m_dns;
    QHash<QString, QList<Name>> m_dnsWaiters; // by the name DNS was asked
    QHash<QString, Registry> m_registries;    // by registry host
    std::vector<std::optional<Running>> m_slots; // from m_firstSlot on
    int m_settledByDns = 0;
    int m_retriesWaiting = 0;
    int m_ended = 0;
    QStringList m_unanswered;
    QElapsedTimer m_clock;
    QTimer m_pumpTimer;
    QTimer m_silenceTimer;
};
