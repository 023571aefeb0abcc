#pragma once

#include "core/ConnectionPool.h"
#include "core/DnsPrecheck.h"
#include "core/HistoryStore.h"
#include "core/LookupContext.h"
#include "core/LookupOutcome.h"
#include "core/RegistrarBlockedNotice.h"
#include "core/ResultLists.h"
#include "core/ThrottleState.h"
#include "search/PacedRun.h"
#include "search/SearchLoop.h"

#include <QHash>
#include <QObject>
#include <QString>

#include <memory>

class SettingsStore;

// The lookup engine of one program run: the TLD table and lookup settings,
// the shared throttle, the WHOIS connection pool, the search loop, the result
// lists and the registrar-blocked notice. The desktop program keeps one for
// all its windows; each headless command keeps its own.
//
// Every lookup passes through two places here, and every later step of the
// lookup path belongs in one of them:
//
//  - startLookup() takes a name to a registry query. A DNS pre-check (a name
//    that resolves is registered), an answer from the history store without a
//    query and an RDAP query beside WHOIS all decide here, before or instead
//    of ConnectionPool::startLookup(). The paced run (read-ahead, DNS many at
//    a time, pacing per registry, retries) takes the same steps on its own.
//  - file() takes an ended lookup into the result lists or the blocked
//    notice. A history store that records every outcome records it here.
//
// The search loop asks for its lookups through startLookup(); each of the
// pool's ended lookups is filed, then reported by lookupEnded(), then counted
// by the loop. The command line runs through pacedRun() instead, which reads
// ahead, asks DNS and paces the registries itself and hands each ended name
// to finishLookup(). The browse window's checker, which queries on a socket
// of its own, files its outcomes through file().
class LookupSession : public QObject
{
    Q_OBJECT

public:
    LookupSession(QString programFolder, SettingsStore &settings, int poolSize = 1, PoolTimings timings = {},
                  QObject *parent = nullptr);
    ~LookupSession() override;

    // The start-up step: creates the start-up files and folders, installs the
    // shipped files, writes the default TLD table when there is none, loads
    // the table and the lookup settings (the first pause, the proxy switch
    // and the default extension). Every step is tried; false with the
    // first failure in *error when one of them failed.
    bool prepare(QString *error);

    QString programFolder() const { return m_programFolder; }
    LookupContext &lookup() { return m_lookup; }
    ThrottleState &throttle() { return m_throttle; }
    ConnectionPool &pool() { return m_pool; }
    SearchLoop &loop() { return m_loop; }
    PacedRun &pacedRun() { return m_pacedRun; }
    PoolTimings timings() const { return m_timings; }
    ResultLists &results() { return m_results; }
    RegistrarBlockedNotice &blockedNotice() { return m_blockedNotice; }

    // The TLD appended to names without a dot.
    void setChosenTld(const QString &tld)
    {
        m_chosenTld = tld;
        m_pool.setChosenTld(tld);
    }
    QString chosenTld() const { return m_chosenTld; }

    // The history of verdicts, opened by prepare(); null when it could not be
    // opened. historyNotice() says why, or that a broken file was moved aside.
    HistoryStore *history() { return m_history.get(); }
    // Where prepare() opens the history, instead of where the settings say
    // (a command's --db).
    void setHistoryDatabase(const HistoryDatabase &database) { m_historyDatabase = database; }
    QString historyNotice() const { return m_historyNotice; }
    // Why the shipped registry list (WHOIS hosts, RDAP services) could not be
    // read by prepare(), or empty.
    QString registryNotice() const { return m_registryNotice; }
    // Where the names now looked up come from, kept with their verdicts: the
    // search type's caption, "check", ...
    void setSource(const QString &source) { m_source = source; }
    // Replace the stored settings for this session (a command's options);
    // call after prepare().
    void setRecheckAfterDays(int days) { m_lookup.recheckAfterDays = qMax(0, days); }
    // A run that resumes an interrupted one: verdicts reached since that run
    // began are taken from the history, whatever RecheckAfterDays says, so no
    // name it answered is asked or kept twice.
    void setResumedRunBegan(const QDateTime &began) { m_resumedRunBegan = began; }
    // server: an IP address, empty for the system's resolver.
    void setDnsFirst(bool on, const QString &server);
    // The pre-check the settings ask for: their server (else the one named
    // by VANTREL_DNS_SERVER, else the system's) and look-ups at a time.
    DnsPrecheck::Options dnsOptions() const;

    // Dispatches one name to a lookup on a pool slot: from the history when
    // it has a recent verdict, as registered when DNS shows it delegated,
    // otherwise to the registry.
    void startLookup(const QString &name, int slot);
    // The verdict the history holds for a prepared name, when the settings
    // let a kept verdict stand.
    std::optional<LookupOutcome> answerFromHistory(const QString &prepared, int slot = 0);
    // A lookup of the paced run has ended: filed, then reported by lookupEnded().
    void finishLookup(const LookupOutcome &outcome);
    // Files an ended lookup: available and registered names into the result
    // lists, a refusal into the blocked notice; then the list sizes are
    // checked. Every verdict but one taken from the history is kept in the
    // history, with source (the session's source when empty).
    //
    // Nothing of a lookup is filed or reported ahead of its history row: an
    // outcome waits until the history has committed the batch that holds its
    // row (a fraction of a second), and outcomes are filed in the order they
    // ended. lookupsFiled() says when none is waiting any more.
    void file(const LookupOutcome &outcome, const QString &source = QString());
    // Writes the history's pending rows now and files every waiting outcome;
    // when the write fails they are filed all the same.
    void commitHistory();
    bool hasUnfiledLookups() const { return !m_unfiled.isEmpty(); }
    // Keeps a verdict reached outside the lookup path (a setup test) in the history.
    void record(const LookupOutcome &outcome, const QString &source);
    // A registry that left a query unanswered: the blocked notice shows it.
    void reportUnanswered(const QString &serverAddress);

    // Stops the search loop and closes every connection.
    void stop();

signals:
    // A pool lookup has ended and has been filed; the search loop has not
    // counted it yet.
    void lookupEnded(const LookupOutcome &outcome);
    // Any outcome has been filed, whoever asked for it.
    void outcomeFiled(const LookupOutcome &outcome);
    // Every outcome handed to file() or finishLookup() so far has been filed.
    void lookupsFiled();
    // DNS stopped answering; this run asks the registries directly.
    void dnsGaveUp(const QString &reason);

private:
    struct DnsWaiter
    {
        QString name;
        int slot = 0;
        QString prepared;
    };

    void poolLookupEnded(const LookupOutcome &outcome);
    void askRegistry(const QString &name, int slot);
    void settledWithoutQuery(const LookupOutcome &outcome);
    void endWithoutQuery(const LookupOutcome &outcome);
    void dnsAnswered(const QString &asked, DnsPrecheck::Answer answer);
    void followDnsSettings();
    void openHistory();
    void fileAfterCommit(const LookupOutcome &outcome, const QString &source, bool ended);
    void fileCommitted();
    void fileNow(const LookupOutcome &outcome);

    QString m_programFolder;
    SettingsStore &m_settings;
    PoolTimings m_timings;
    LookupContext m_lookup;
    ThrottleState m_throttle;
    ResultLists m_results;
    RegistrarBlockedNotice m_blockedNotice;
    ConnectionPool m_pool;
    SearchLoop m_loop;
    PacedRun m_pacedRun;
    QString m_chosenTld;
    QString m_source;
    QDateTime m_resumedRunBegan;
    std::optional<HistoryDatabase> m_historyDatabase;
    std::unique_ptr<HistoryStore> m_history;
    QString m_historyNotice;
    QString m_registryNotice;
    std::unique_ptr<DnsPrecheck> m_dns;
    QHash<QString, QList<DnsWaiter>> m_dnsWaiters; // by the name DNS was asked
    struct Unfiled
    {
        LookupOutcome outcome;
        bool ended = false; // reported by lookupEnded() once filed
    };
    QList<Unfiled> m_unfiled; // ended, waiting for the history to commit their rows
    int m_stops = 0;          // what a stopped run left queued is dropped
    bool m_batchAskedRegistry = false;
};
