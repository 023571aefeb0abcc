#pragma once

#include <QObject>
#include <QString>
#include <QTimer>

class HeadlessRun;
class HistoryStore;
class QTextStream;
class WorkQueue;

// Checks the names of a shared work queue with a headless run until the
// queue is empty: leases a few names at a time and feeds them to the paced
// run as its word source; each verdict is written to the history in the
// transaction that marks its name done (while the lease still holds). Leases
// are renewed while the worker lives. A lost server is waited for, with
// back-off; the names in flight keep their verdicts until it is back.
class QueueWorker : public QObject
{
    Q_OBJECT

public:
    struct Options
    {
        QString worker;         // names this worker in the queue
        int leaseMs = 120000;   // a lease not renewed for this long ends
        int leaseBatch = 16;    // names leased at a time
        int lookAhead = 64;     // names held by the run, at most
        int retryMaxMs = 30000; // the longest wait between reconnections
        int idlePollMs = 1000;  // with no name to lease, how often to look again
    };

    QueueWorker(HeadlessRun &run, HistoryStore &store, WorkQueue &queue, Options options, QTextStream &err,
                QObject *parent = nullptr);

    // Returns the command's exit code, as HeadlessRun::run() does.
    int run();

private:
    class LeasedNames;

    void writeDone(const QString &name);
    void reconnect(const QString &why);
    void wait(int ms);

    HeadlessRun &m_run;
    HistoryStore &m_store;
    WorkQueue &m_queue;
    Options m_options;
    QTextStream &m_err;
    QTimer m_renewTimer;
};
