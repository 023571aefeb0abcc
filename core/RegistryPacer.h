#pragma once

#include <QHash>
#include <QString>

class TldTable;

// How a registry's pause backs off after refusals and relaxes again.
struct PacingOptions
{
    // The first step is long enough for a registry's one-second window to pass.
    int backoffStartMs = 1000;
    int maxPauseMs = 60000;
    int relaxAfter = 20;
    // The shortest pause of a registry that has refused during the run.
    int refusedFloorMs = 250;
};

// The pause between queries to one registry, kept per server host across
// every slot: rows that share a server (com and net, the proxy row) share
// one pause, the largest throttle of those rows. A registry with a pause
// takes one query at a time, the next one no sooner than the pause after
// the previous one ended; a registry without one takes as many as there are
// slots.
//
// A refusal (a rate-limit notice or a query left unanswered) doubles the
// registry's pause, starting from PacingOptions::backoffStartMs and up to
// maxPauseMs; relaxAfter answers in a row halve it again, down to the
// throttle, or to refusedFloorMs once the registry has refused.
//
// Times are milliseconds on any steady clock the caller keeps.
class RegistryPacer
{
public:
    explicit RegistryPacer(PacingOptions options = {});

    // Takes each host's throttle from the table, forgetting earlier refusals.
    void setThrottles(const TldTable &table);

    // A host's pause is at least throttleMs from now on: the largest
    // throttle of the rows and suffixes it serves that a run has asked.
    void requireThrottle(const QString &host, int throttleMs);

    bool ready(const QString &host, qint64 now) const;
    // When the host takes its next query, if nothing is running there then.
    qint64 readyAt(const QString &host) const;
    int pauseMs(const QString &host) const;

    void queryStarted(const QString &host);
    // refused: the registry refused the query or left it unanswered.
    void queryEnded(const QString &host, qint64 now, bool refused);

private:
    struct Registry
    {
        int throttleMs = 0;
        int pauseMs = 0;
        int running = 0;
        int answersInRow = 0;
        qint64 readyAt = 0;
        qint64 backedOffAt = -1;
    };

    Registry &registry(const QString &host);

    PacingOptions m_options;
    QHash<QString, Registry> m_registries; // by host, lower case
};
