#pragma once

#include "core/ConnectionPool.h"
#include "core/DnsPrecheck.h"
#include "core/HistoryStore.h"
#include "core/LookupContext.h"
#include "core/LookupResult.h"
#include "core/LookupRequest.h"
#include "core/RegistrarBlockedNotice.h"
#include "core/ResultLists.h"

#include <QDateTime>
#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>

#include <memory>

class SettingsStore;

// The lookup engine of one program run: the TLD table and lookup settings,
// the WHOIS connection pool, the history, the result lists and the
// registrar-blocked notice. The desktop program keeps one for all its
// windows; each headless command keeps its own.
//
// Every lookup passes through two places here:
//
//  - admit() takes a name to a lookup request, once: the name as asked, its
//    bytes on the wire and the registry its route names. answerFromHistory()
//    may settle it without a query. Whatever schedules the queries (a paced
//    run) asks DNS and the pool with that request and never prepares or
//    routes the name again.
//  - finishLookup() files an ended lookup into the result lists, the history
//    or the blocked notice, and reports it by lookupEnded().
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
    ConnectionPool &pool() { return m_pool; }
    PoolTimings timings() const { return m_timings; }
    ResultLists &results() { return m_results; }
    RegistrarBlockedNotice &blockedNotice() { return m_blockedNotice; }

    // The TLDs appended to names without a dot: a run asks such a name in
    // each, in this order. None: the default extension.
    void setChosenTlds(const QStringList &tlds);
    const QStringList &chosenTlds() const { return m_chosenTlds; }

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

    // The name as it will be asked, and where: prepared with tld (else the
    // default extension), in its ASCII form, routed to its registry.
    LookupRequest admit(const QString &name, const QString &tld) const;
    // The same with the first chosen TLD.
    LookupRequest admit(const QString &name) const { return admit(name, m_chosenTlds.value(0)); }
    // The verdict the history holds for a prepared name, when the settings
    // let a kept verdict stand.
    std::optional<LookupResult> answerFromHistory(const QString &prepared, int slot = 0);
    // A lookup has ended: filed, then reported by lookupEnded().
    void finishLookup(const LookupResult &outcome);
    // Files an ended lookup: available and registered names into the result
    // lists, a refusal into the blocked notice; then the list sizes are
    // checked. Every verdict but one taken from the history is kept in the
    // history, with source (the session's source when empty).
    //
    // Nothing of a lookup is filed or reported ahead of its history row: an
    // outcome waits until the history has committed the batch that holds its
    // row (a fraction of a second), and outcomes are filed in the order they
    // ended. lookupsFiled() says when none is waiting any more.
    void file(const LookupResult &outcome, const QString &source = QString());
    // Writes the history's pending rows now and files every waiting outcome;
    // when the write fails they are filed all the same.
    void commitHistory();
    bool hasUnfiledLookups() const { return !m_unfiled.isEmpty(); }
    // Keeps a verdict reached outside the lookup path (a setup test) in the history.
    void record(const LookupResult &outcome, const QString &source);
    // A registry that left a query unanswered: the blocked notice shows it.
    void reportUnanswered(const QString &serverAddress);

    // Closes every connection of the pool.
    void stop();

signals:
    // A lookup has ended and has been filed.
    void lookupEnded(const LookupResult &outcome);
    // Any outcome has been filed, whoever asked for it.
    void outcomeFiled(const LookupResult &outcome);
    // Every outcome handed to file() or finishLookup() so far has been filed.
    void lookupsFiled();

private:
    void openHistory();
    void fileAfterCommit(const LookupResult &outcome, const QString &source, bool ended);
    void fileCommitted();
    void fileNow(const LookupResult &outcome);

    QString m_programFolder;
    SettingsStore &m_settings;
    PoolTimings m_timings;
    LookupContext m_lookup;
    ResultLists m_results;
    RegistrarBlockedNotice m_blockedNotice;
    ConnectionPool m_pool;
    QStringList m_chosenTlds;
    QString m_source;
    QDateTime m_resumedRunBegan;
    std::optional<HistoryDatabase> m_historyDatabase;
    std::unique_ptr<HistoryStore> m_history;
    QString m_historyNotice;
    QString m_registryNotice;
    struct Unfiled
    {
        LookupResult outcome;
        bool ended = false; // reported by lookupEnded() once filed
    };
    QList<Unfiled> m_unfiled; // ended, waiting for the history to commit their rows
};
