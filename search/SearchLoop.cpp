#include "search/SearchLoop.h"

#include "core/ConnectionPool.h"
#include "core/NamePreparation.h"
#include "core/ResultLists.h"
#include "core/ThrottleState.h"
#include "search/WordSource.h"

SearchLoop::SearchLoop(ConnectionPool &pool, ThrottleState &throttle, ResultLists &results, QObject *parent)
    : QObject(parent)
    , m_pool(pool)
    , m_throttle(throttle)
    , m_results(results)
{
    connect(&m_throttle, &ThrottleState::pauseEnded, this, &SearchLoop::pauseEnded);
    connect(&m_pool, &ConnectionPool::watchdogExpired, this, &SearchLoop::watchdogExpired);
}

void SearchLoop::start(WordSource &source, qint32 startNumber, qint32 wordMax)
{
    m_source = &source;
    m_running = true;
    m_pool.setStopRequested(false);
    m_results.resetCounters();
    m_currentWordNumber = startNumber;
    m_wordMax = wordMax;
    m_positionAfterBatch = startNumber;
    emit resumePositionChanged(startNumber);
    dispatchBatch();
}

void SearchLoop::stop()
{
    m_pool.setStopRequested(true);
    m_pool.stopWatchdog();
    m_pool.closeAll();
    m_waitingForPause = false;
    m_batchDone = m_batchStarted;
    const bool wasRunning = m_running;
    m_running = false;
    if (wasRunning)
        emit stopped();
}

void SearchLoop::dispatchBatch()
{
    if (!m_running)
        return;
    m_listEnded = false;
    m_batchStarted = 0;
    m_batchDone = 0;
    m_pool.startWatchdog();
    // The pause is a continuation: pauseEnded() picks the batch up again.
    m_waitingForPause = true;
    m_throttle.startPause();
    emit pauseStarted(m_throttle.currentThrottleMs());
}

void SearchLoop::pauseEnded()
{
    if (!m_waitingForPause)
        return;
    m_waitingForPause = false;
    if (m_running)
        startBatchLookups();
}

void SearchLoop::startBatchLookups()
{
    for (int slot = 0; slot < m_pool.poolSize() && m_running; ++slot) {
        m_pool.closeSlot(slot);
        emit openConnectionsChanged(slot);
        const WordRead read = m_source->readWord(m_currentWordNumber);
        if (read.status == WordRead::Status::ReadFailed)
            emit wordSourceFailed(read.error);
        const bool endOfList = read.status != WordRead::Status::Word;
        ++m_currentWordNumber;
        if (m_wordMax >= m_currentWordNumber)
            emit progressed(m_currentWordNumber, m_wordMax);
        if (m_wordMax < m_currentWordNumber)
            emit closingConnections();
        else
            emit openConnectionsChanged(m_pool.poolSize() - m_batchDone);
        if (endOfList) {
            // The watchdog stays armed: lookups of this batch may still be running.
            m_listEnded = true;
            break;
        }
        m_positionAfterBatch = m_currentWordNumber;
        emit wordTaken(m_currentWordNumber);
        ++m_batchStarted;
        emit lookupRequested(correctName(read.word), slot);
    }
    // A batch that found the end of the list with nothing running ends the run now.
    if (m_running && m_listEnded && m_batchDone >= m_batchStarted)
        batchEnded();
}

void SearchLoop::lookupEnded()
{
    if (!m_running)
        return;
    ++m_batchDone;
    if (m_batchDone < m_batchStarted) {
        // Lookups of this batch are still running: the watchdog starts
        // counting again, so one that never ends cannot hold the run.
        m_pool.startWatchdog();
        return;
    }
    batchEnded();
}

void SearchLoop::batchEnded()
{
    m_pool.stopWatchdog();
    m_pool.closeAll();
    emit resumePositionChanged(m_positionAfterBatch);
    if (m_listEnded)
        stop();
    else
        dispatchBatch();
}

void SearchLoop::watchdogExpired()
{
    // Running lookups have already ended as timeouts. A watchdog that fires
    // during a long pause only gives the batch a fresh period.
    if (m_running && m_waitingForPause)
        m_pool.startWatchdog();
}
