#include "harvest/BrowsedNameChecker.h"

#include "search/LookupSession.h"

namespace {

// How the history names the verdicts of browsed pages.
const QString historySource = QStringLiteral("browse window");

} // namespace

BrowsedNameChecker::BrowsedNameChecker(LookupSession &session, QObject *parent)
    : QObject(parent)
    , m_run(session)
{
    m_run.runBeside(historySource);
    m_run.setParallel(parallel);
    connect(&m_run, &PacedRun::nameEnded, this, &BrowsedNameChecker::nameEnded);
    connect(&m_run, &PacedRun::stopped, this, &BrowsedNameChecker::batchStopped);
}

void BrowsedNameChecker::check(const QStringList &names)
{
    const qsizetype before = m_backlog.size();
    for (const QString &name : names) {
        // Nothing may be appended to a name without its TLD.
        if (name.contains(u'.'))
            m_backlog << name;
    }
    if (m_backlog.size() == before)
        return;
    m_total += int(m_backlog.size() - before);
    emit progressChanged(m_checked, m_total);
    startBatch();
}

void BrowsedNameChecker::stop()
{
    m_backlog.clear();
    m_dropping = true;
    // Names the run has ended are reported before it says it stopped.
    m_run.stop();
    m_dropping = false;
    if (m_total != m_checked) {
        m_total = m_checked;
        emit progressChanged(m_checked, m_total);
    }
}

void BrowsedNameChecker::startBatch()
{
    if (m_run.isRunning() || m_backlog.isEmpty())
        return;
    m_batch = StringListWordSource(std::exchange(m_backlog, {}));
    m_run.start(m_batch, 1);
}

void BrowsedNameChecker::batchStopped()
{
    if (m_dropping)
        return;
    if (m_backlog.isEmpty()) {
        emit finished();
        return;
    }
    // Not from inside the run's own report.
    QMetaObject::invokeMethod(this, &BrowsedNameChecker::startBatch, Qt::QueuedConnection);
}

void BrowsedNameChecker::nameEnded(const LookupResult &outcome)
{
    ++m_checked;
    if (outcome.kind == LookupResult::Kind::Available)
        m_List1.append(outcome.domain);
    else if (outcome.kind == LookupResult::Kind::Registered)
        m_List2.append(outcome.domain);
    emit nameChecked(outcome);
    emit progressChanged(m_checked, m_total);
}
