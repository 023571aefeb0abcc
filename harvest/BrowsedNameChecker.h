#pragma once

#include "core/DomainListModel.h"
#include "core/LookupResult.h"
#include "search/PacedRun.h"
#include "search/StringListWordSource.h"

#include <QObject>
#include <QStringList>

class LookupSession;

// Checks the names the browse window finds, through the program's lookup
// session: each name once, in the order found, answered from the history
// when it may, else asked of DNS and then of the registry its route names,
// through the program's one lookup service, so a registry keeps one pace
// whatever else the program asks it. The verdicts are filed into the program's result lists and
// kept in the history as found by the browse window; available names are
// also listed in the window's List1, registered ones in its List2.
//
// Names are checked in batches: the names handed over while a batch runs
// wait (the backlog) and make the next batch once it has ended.
class BrowsedNameChecker : public QObject
{
    Q_OBJECT

public:
    // Registry lookups at a time.
    static constexpr int parallel = 4;

    explicit BrowsedNameChecker(LookupSession &session, QObject *parent = nullptr);

    // Names found on the page shown, checked after those handed over before.
    // A name without a dot is no domain name and is passed over.
    void check(const QStringList &names);
    // Ends the checking now: the running batch and the backlog are dropped.
    // Names handed over later are checked again.
    void stop();

    bool isChecking() const { return m_run.isRunning() || !m_backlog.isEmpty(); }
    // Names whose lookup has ended since the window opened.
    int checked() const { return m_checked; }
    // The checked names and those still to check.
    int total() const { return m_total; }

    // List1 and List2 of the window.
    DomainListModel &unregisteredList() { return m_List1; }
    DomainListModel &registeredList() { return m_List2; }

signals:
    // checked() or total() has changed.
    void progressChanged(int checked, int total);
    // A name has been checked and, with a verdict, listed.
    void nameChecked(const LookupResult &outcome);
    // Every name handed over has been checked.
    void finished();

private:
    void startBatch();
    void batchStopped();
    void nameEnded(const LookupResult &outcome);

    PacedRun m_run;
    StringListWordSource m_batch{QStringList()};
    QStringList m_backlog;
    DomainListModel m_List1;
    DomainListModel m_List2;
    int m_checked = 0;
    int m_total = 0;
    bool m_dropping = false;
};
