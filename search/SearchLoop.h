#pragma once

#include <QObject>
#include <QString>

class ConnectionPool;
class ResultLists;
class ThrottleState;
class WordSource;

// Drives a search run over a word source in batches: the throttle pause, one
// word per pool slot, and the next batch once every lookup of this one has
// ended. Stops on request or at the end of the source. Whoever owns the loop
// carries out lookupRequested() and reports each ended lookup through lookupEnded().
class SearchLoop : public QObject
{
    Q_OBJECT

public:
    SearchLoop(ConnectionPool &pool, ThrottleState &throttle, ResultLists &results, QObject *parent = nullptr);

    bool isRunning() const { return m_running; }
    qint32 currentWordNumber() const { return m_currentWordNumber; }
    // The position read at start-up; Start replaces it.
    void setCurrentWordNumber(qint32 position) { m_currentWordNumber = position; }
    qint32 wordMax() const { return m_wordMax; }

    // Start: zeroes the result counters and runs from startNumber.
    void start(WordSource &source, qint32 startNumber, qint32 wordMax);
    // Stop: closes every connection; late events of the run do nothing.
    void stop();
    // A lookup the loop asked for has ended (and has been filed).
    void lookupEnded();

signals:
    // The next word of the batch is to be looked up on this pool slot.
    void lookupRequested(const QString &name, int slot);
    // After each word taken, with the position of the next word.
    void wordTaken(qint32 nextWordNumber);
    // The position of the first word whose lookup has not ended: at Start,
    // and whenever every lookup of a batch has ended. A run resumed from it
    // repeats at most one batch and skips nothing.
    void resumePositionChanged(qint32 position);
    // The pause before a batch has begun.
    void pauseStarted(qint32 milliseconds);
    // A word was taken: the next word's position, within a list of wordMax.
    void progressed(qint32 wordNumber, qint32 wordMax);
    // Connections of the batch still open, or the last word taken: they are closing.
    void openConnectionsChanged(int open);
    void closingConnections();
    void stopped();
    // The word source could not be read ("File <path> not found."); the run
    // takes it as the end of the list.
    void wordSourceFailed(const QString &message);

private:
    void dispatchBatch();
    void pauseEnded();
    void startBatchLookups();
    void watchdogExpired();
    void batchEnded();

    ConnectionPool &m_pool;
    ThrottleState &m_throttle;
    ResultLists &m_results;
    WordSource *m_source = nullptr;
    bool m_running = false;
    bool m_waitingForPause = false;
    bool m_listEnded = false;
    qint32 m_currentWordNumber = 0;
    qint32 m_wordMax = 0;
    qint32 m_positionAfterBatch = 0; // the position after the batch's last word taken
    int m_batchStarted = 0;
    int m_batchDone = 0;
};
