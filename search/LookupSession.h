#pragma once

#include "core/ConnectionPool.h"
#include "core/LookupContext.h"
#include "core/LookupOutcome.h"
#include "core/RegistrarBlockedNotice.h"
#include "core/ResultLists.h"
#include "core/ThrottleState.h"
#include "search/SearchLoop.h"

#include <QObject>
#include <QString>

struct Branding;
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
//    query, an RDAP query beside WHOIS and the per-registry pacing all decide
//    here, before or instead of ConnectionPool::startLookup().
//  - file() takes an ended lookup into the result lists or the blocked
//    notice. A history store that records every outcome records it here.
//
// The search loop asks for its lookups through startLookup(); the pool's
// ended lookups are filed before the loop counts them and before
// lookupEnded() is emitted. Other checkers (the browse window's) file their
// own queries' outcomes through file().
class LookupSession : public QObject
{
    Q_OBJECT

public:
    // branding: its product name is the settings application prepare() reads;
    // it is read then, so it may still change before.
    LookupSession(QString programFolder, SettingsStore &settings, const Branding &branding, int poolSize = 1,
                  PoolTimings timings = {}, QObject *parent = nullptr);

    // The start-up step: creates the start-up files and folders, installs the
    // shipped files, writes the default TLD table when there is none, loads
    // the table and the lookup settings. Every step is tried; false with the
    // first failure in *error when one of them failed.
    bool prepare(QString *error);

    QString programFolder() const { return m_programFolder; }
    LookupContext &lookup() { return m_lookup; }
    ThrottleState &throttle() { return m_throttle; }
    ConnectionPool &pool() { return m_pool; }
    SearchLoop &loop() { return m_loop; }
    ResultLists &results() { return m_results; }
    RegistrarBlockedNotice &blockedNotice() { return m_blockedNotice; }

    // The TLD appended to names without a dot.
    void setChosenTld(const QString &tld) { m_pool.setChosenTld(tld); }

    // Dispatches one name to a lookup on a pool slot.
    void startLookup(const QString &name, int slot);
    // Files an ended lookup: available and registered names into the result
    // lists, a refusal into the blocked notice; then the list sizes are checked.
    void file(const LookupOutcome &outcome);
    // A registry that left a query unanswered: the blocked notice shows it.
    void reportUnanswered(const QString &serverAddress);

    // Stops the search loop and closes every connection.
    void stop();

signals:
    // A pool lookup has ended and has been filed.
    void lookupEnded(const LookupOutcome &outcome);
    // Any outcome has been filed, whoever asked for it.
    void outcomeFiled(const LookupOutcome &outcome);

private:
    void poolLookupEnded(const LookupOutcome &outcome);

    QString m_programFolder;
    SettingsStore &m_settings;
    const Branding &m_branding;
    LookupContext m_lookup;
    ThrottleState m_throttle;
    ResultLists m_results;
    RegistrarBlockedNotice m_blockedNotice;
    ConnectionPool m_pool;
    SearchLoop m_loop;
};
