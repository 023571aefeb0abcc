#include "cli/QueueWorker.h"

#include "cli/Command.h"
#include "cli/HeadlessRun.h"
#include "core/HistoryStore.h"
#include "core/WorkQueue.h"
#include "search/WordSource.h"

#include <QEventLoop>
#include <QSqlQuery>
#include <QTextStream>

#include <deque>

namespace {

bool isAnswer(const QString &verdict)
{
    return verdict == QLatin1String("available") || verdict == QLatin1String("registered");
}

} // namespace

// The run's words: names leased as the run asks for them. The list ends
// when the queue has none left, or the server could not be asked.
class QueueWorker::LeasedNames : public WordSource
{
public:
    LeasedNames(WorkQueue &queue, const Options &options)
        : m_queue(queue)
        , m_options(options)
    {
    }

    WordRead readWord(qint32) override
    {
        if (m_names.empty() && m_error.isEmpty()) {
            const std::optional<QStringList> leased =
                m_queue.lease(m_options.worker, m_options.leaseBatch, m_options.leaseMs, &m_error);
            if (leased)
                m_names.assign(leased->cbegin(), leased->cend());
        }
        if (m_names.empty())
            return WordRead::endOfList();
        QString name = m_names.front();
        m_names.pop_front();
        return WordRead::found(name);
    }

    QString error() const { return m_error; }

private:
    WorkQueue &m_queue;
    const Options &m_options;
    std::deque<QString> m_names;
    QString m_error;
};

QueueWorker::QueueWorker(HeadlessRun &run, HistoryStore &store, WorkQueue &queue, Options options, QTextStream &err,
                         QObject *parent)
    : QObject(parent)
    , m_run(run)
    , m_store(store)
    , m_queue(queue)
    , m_options(std::move(options))
    , m_err(err)
{
    // A verdict is kept only while this worker holds its name.
    m_store.setRowGuard([worker = m_options.worker](QSqlQuery &query, const HistoryEntry &entry) {
        return WorkQueue::markDone(query, worker, entry.name, isAnswer(entry.verdict));
    });
    // A verdict taken from the history is not written again; the name is done.
    connect(&m_run.pacedRun(), &PacedRun::nameEnded, this, [this](const LookupResult &outcome) {
        if (outcome.source == LookupResult::Source::History)
            writeDone(outcome.domain);
    });
    m_renewTimer.setInterval(qMax(1, m_options.leaseMs / 3));
    connect(&m_renewTimer, &QTimer::timeout, this, [this] { m_queue.renew(m_options.worker, m_options.leaseMs, nullptr); });
}

void QueueWorker::writeDone(const QString &name)
{
    // Not written now, the name comes back when the lease ends and is answered again.
    m_queue.markDone(m_options.worker, name, true);
}

int QueueWorker::run()
{
    m_run.pacedRun().setLookAhead(m_options.lookAhead);
    m_run.pacedRun().setAskOncePerRun(false);
    m_renewTimer.start();
    int exitCode = ExitSuccess;
    for (;;) {
        LeasedNames names(m_queue, m_options);
        const std::optional<WorkQueue::Status> status = m_queue.status(nullptr);
        const qint64 open = status ? status->queued + status->leased : 0;
        const int code = m_run.run(names, 1, int(qMin<qint64>(open, INT_MAX - 1)));
        QString error;
        const bool written = m_store.flush(&error);
        if (code == ExitInterrupted) {
            // What was not checked goes back to the queue at once.
            m_queue.release(m_options.worker, nullptr);
            return code;
        }
        if (code != ExitSuccess && exitCode != ExitFailure)
            exitCode = code;
        if (!written || !names.error().isEmpty()) {
            reconnect(written ? names.error() : error);
            continue;
        }
        // Names leased by a worker that may have died come back when their
        // lease ends; the queue is done when no name is leased any more.
        // Another worker may give names back sooner (Ctrl+C): look again soon.
        const std::optional<qint64> leaseEnds = m_queue.nextLeaseEndMs(&error);
        if (!error.isEmpty()) {
            reconnect(error);
            continue;
        }
        if (!leaseEnds)
            break;
        wait(int(qMin<qint64>(*leaseEnds + 100, m_options.idlePollMs)));
    }
    m_renewTimer.stop();
    return exitCode;
}

// Waits for the server with back-off until a new connection opens.
void QueueWorker::reconnect(const QString &why)
{
    m_err << "vantrel work: " << why << "; waiting for the database" << Qt::endl;
    int delayMs = qMin(1000, m_options.retryMaxMs);
    QString error;
    for (;;) {
        wait(delayMs);
        if (m_store.reconnect(&error) && m_store.flush(&error))
            break;
        delayMs = qMin(delayMs * 2, m_options.retryMaxMs);
    }
    m_err << "vantrel work: connected to the database again" << Qt::endl;
}

void QueueWorker::wait(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}
