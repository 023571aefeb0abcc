#pragma once

#include "base/FingerprintSet.h"
#include "core/DnsPrecheck.h"
#include "core/LookupClient.h"
#include "core/LookupContext.h"
#include "core/LookupRequest.h"
#include "core/LookupResult.h"

#include <QHash>
#include <QObject>
#include <QStringList>
#include <QTimer>

#include <map>
#include <memory>
#include <set>
#include <vector>

class LookupSession;
class WordSource;

// A run over a word source, for speed within the registries' rationing:
// words are read ahead of the registry queries, each admitted (prepared,
// routed) once in every chosen TLD before the next word, so a name is a word
// in one TLD. A name asked before in the run is not asked again. Each name
// is answered from the history when it may, else asked of DNS (many at a
// time), else handed to the session's lookup service, which asks its
// registry at that registry's pace and retries it.
//
// The run takes the session's lookup settings as they are at its start:
// changes reach the next run. Every ended name is filed through the session
// exactly once, and reported by nameEnded() once its history row is kept.
class PacedRun : public QObject
{
    Q_OBJECT

public:
    static constexpr int maxTries = LookupService::maxTries;
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
    // Registry lookups at a time.
    void setParallel(int lookups) { m_client.setParallel(lookups); }
    void setPriority(LookupService::Priority priority) { m_client.setPriority(priority); }
    // Runs beside the main search (the browse window's checking): its
    // verdicts are kept in the history with source, and the result counters
    // are left alone.
    void runBeside(const QString &source);
    // Runs from startNumber to the end of the source; a main run zeroes the
    // result counters first.
    void start(WordSource &source, qint32 startNumber);
    // Drops every queued and running lookup; their names end without a verdict.
    void stop();

    int settledByDns() const { return m_settledByDns; }
    int retriesWaiting() const { return m_client.retriesWaiting(); }
    int ended() const { return m_ended; }
    // Words whose names have all ended, those asked before included.
    int wordsEnded() const { return m_wordsEnded; }
    // Names not asked because the run had asked them before.
    int repeated() const { return m_repeated; }
    int running() const { return m_client.running(); }
    // The position of the first word not yet ended and filed (its history
    // row written) in every chosen TLD: where a stopped or killed run resumes.
    qint32 resumePosition() const;

signals:
    void started();
    // The resume position has moved on.
    void resumePositionChanged(qint32 position);
    // A registry query of this run has connected.
    void nameConnected(const QString &domain);
    // A name has ended and has been filed (its history row written).
    void nameEnded(const LookupResult &result);
    // The word source could not be read; the run has taken it as the end of the list.
    void wordSourceFailed(const QString &message);
    // DNS stopped answering; this run asks the registries directly.
    void dnsGaveUp(const QString &reason);
    void stopped();

private:
    struct Name
    {
        qint32 position = 0;
        LookupRequest request;
    };

    void schedule();
    void pump();
    void readAhead();
    void admitWord(qint32 position, const QString &word);
    void askHistory();
    void askDns(Name name);
    void dnsAnswered(const QString &asked, DnsPrecheck::Answer answer);
    void askRegistry(const Name &name);
    void registryAnswered(const LookupResult &result, qint64 position);
    void finish(qint32 position, const LookupResult &result);
    void filed(qint32 position, const LookupResult &result);
    void reportResumePosition();
    void endRun();

    LookupSession &m_session;
    LookupClient m_client;
    LookupContext m_context;
    QStringList m_chosenTlds;
    bool m_beside = false;
    QString m_historySource;
    WordSource *m_source = nullptr;
    int m_lookAhead = lookAhead;
    bool m_askOncePerRun = true;
    bool m_running = false;
    bool m_listEnded = false;
    quint64 m_generation = 0; // bumped by each start and stop: late filings of an earlier run are dropped
    qint32 m_nextPosition = 0;
    // By position: how many of the word's names have not been filed yet.
    std::map<qint32, int> m_unfinished;
    int m_unfinishedNames = 0;
    // The positions of names ended and not yet filed, once per name.
    std::multiset<qint32> m_unfiled;
    FingerprintSet m_admitted; // every name admitted in this run, as prepared
    int m_repeated = 0;
    int m_wordsEnded = 0;
    qint32 m_reportedResume = 0;
    std::vector<Name> m_historyBatch; // admitted, not yet looked up in the history
    std::unique_ptr<DnsPrecheck> m_dns;
    QHash<QString, QList<Name>> m_dnsWaiters; // by the name DNS was asked
    int m_settledByDns = 0;
    int m_ended = 0;
    QTimer m_pumpTimer;
};
