#include "search/ui/RunViewUpdates.h"

#include "core/ResultLists.h"
#include "search/ui/RunProgressBar.h"

#include <QLabel>

#include <utility>

namespace {

constexpr ResultList filedLists[] = {ResultList::Low, ResultList::Registered, ResultList::High, ResultList::Mid};

} // namespace

RunViewUpdates::RunViewUpdates(ResultLists &results, RunProgressBar &progress, QObject *parent)
    : QObject(parent)
    , m_results(results)
    , m_progress(progress)
{
    m_period.setSingleShot(true);
    m_period.setInterval(periodMs);
    connect(&m_period, &QTimer::timeout, this, [this] {
        if (!m_waiting)
            return;
        showWaiting();
        m_period.start();
    });
    for (const ResultList list : filedLists)
        connect(m_results.model(list), &DomainListModel::namesHeld, this, &RunViewUpdates::request);
}

void RunViewUpdates::runStarted()
{
    m_running = true;
    for (const ResultList list : filedLists)
        m_results.model(list)->setHoldAppended(true);
}

void RunViewUpdates::runStopped()
{
    m_running = false;
    m_period.stop();
    showWaiting();
    for (const ResultList list : filedLists)
        m_results.model(list)->setHoldAppended(false);
}

void RunViewUpdates::setText(QLabel *label, const QString &text)
{
    m_texts.insert(label, text);
    request();
}

void RunViewUpdates::advanceProgress(qint32 nextWordNumber)
{
    m_nextWordNumber = nextWordNumber;
    request();
}

void RunViewUpdates::request()
{
    if (m_period.isActive()) {
        m_waiting = true;
        return;
    }
    showWaiting();
    if (m_running)
        m_period.start();
}

void RunViewUpdates::showWaiting()
{
    m_waiting = false;
    for (auto it = m_texts.cbegin(); it != m_texts.cend(); ++it)
        it.key()->setText(it.value());
    m_texts.clear();
    if (m_nextWordNumber)
        m_progress.advance(*std::exchange(m_nextWordNumber, std::nullopt));
    for (const ResultList list : filedLists)
        m_results.model(list)->showHeldNames();
}
