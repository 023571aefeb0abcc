#pragma once

#include "core/DnsPrecheck.h"
#include "core/HistoryStore.h"
#include "core/LookupContext.h"
#include "core/LookupResult.h"
#include "core/LookupRequest.h"
#include "core/LookupService.h"
#include "core/RegistrarBlockedNotice.h"
#include "core/ResultLists.h"

#include <QDateTime>
#include <QHash>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

class SettingsStore;

// The lookup engine of one program run: the TLD table and lookup settings,
// the one lookup service (every registry query of the process), the history,
// the result lists and the registrar-blocked notice. The desktop program
// keeps one for all its windows; each headless command keeps its own.
//
// Every lookup passes through three places here:
//
//  - admit() takes a name to a lookup request, once: the name as asked, its
//    bytes on the wire and the registry its route names.
//  - keptVerdicts() may settle names without a query; whatever schedules the
//    queries (a paced run) then asks DNS and the service with that request
//    and never prepares or routes the name again.
//  - file() files an ended lookup into the result lists, the history or the
//    blocked notice, and tells the one who asked once its history row is kept.
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
    LookupService &service() { return m_service; }
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
    static DnsPrecheck::Options dnsOptions(const LookupContext &lookup);

    // The name as it will be asked, and where: prepared with tld (else the
    // default extension), in its ASCII form, routed to its registry.
    LookupRequest admit(const QString &name, const QString &tld) const;
    // The same with the first chosen TLD.
    LookupRequest admit(const QString &name) const { return admit(name, m_chosenTlds.value(0)); }
    // The verdicts the history holds for prepared names, by name, when a kept
    // verdict may stand (younger than recheckAfterDays days, or reached since
    // the resumed run began): one statement for the whole batch.
    QHash<QString, LookupResult> keptVerdicts(const QStringList &prepared, int recheckAfterDays);
    using FiledReport = std::function<void(const LookupResult &result)>;
    // Files an ended lookup: available and registered names into the result
    // lists, a refusal into the blocked notice; then the list sizes are
    // checked. Every verdict but one taken from the history is kept in the
    // history, with source (the session's source when empty).
    //
    // Nothing of a lookup is filed or reported ahead of its history row: a
    // result waits until the history has committed the batch that holds its
    // row (a fraction of a second), and results are filed in the order they
    // ended; then filed is called, unless context is gone.
    void file(const LookupResult &result, const QString &source = QString(), QObject *context = nullptr,
              FiledReport filed = {});
    // Writes the history's pending rows now and files every waiting result;
    // when the write fails they are filed all the same.
    void commitHistory();
    bool hasUnfiledLookups() const { return !m_unfiled.isEmpty(); }
    // Keeps a verdict reached outside the lookup path (a setup test) in the history.
    void record(const LookupResult &outcome, const QString &source);
    // A registry that left a query unanswered: the blocked notice shows it.
    void reportUnanswered(const QString &serverAddress);

signals:
    // Any result has been filed, whoever asked for it.
    void outcomeFiled(const LookupResult &outcome);

private:
    static LookupResult resultFromHistory(const HistoryEntry &entry);
    void openHistory();
    void loadLimits(const QString &shippedFolder);
    void fileCommitted();
    void fileNow(const LookupResult &outcome);

    QString m_programFolder;
    SettingsStore &m_settings;
    LookupContext m_lookup;
    ResultLists m_results;
    RegistrarBlockedNotice m_blockedNotice;
    LookupService m_service;
    QStringList m_chosenTlds;
    QString m_source;
    QDateTime m_resumedRunBegan;
    std::optional<HistoryDatabase> m_historyDatabase;
    std::unique_ptr<HistoryStore> m_history;
    QString m_historyNotice;
    QString m_registryNotice;
    struct Unfiled
    {
        LookupResult result;
        QPointer<QObject> context;
        FiledReport filed;
    };
    QList<Unfiled> m_unfiled; // ended, waiting for the history to commit their rows
};
