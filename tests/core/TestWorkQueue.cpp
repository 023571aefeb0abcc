#include "core/HistoryStore.h"
#include "core/WorkQueue.h"
#include "tests/support/PostgresTestServer.h"

#include <QHash>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

HistoryEntry verdict(const QString &name, const QString &kind)
{
    return {name, QStringLiteral("com"), kind, QStringLiteral("whois.example"), QString(),
            QDateTime::currentDateTimeUtc(), QStringLiteral("work")};
}

QStringList sorted(QStringList names)
{
    names.sort();
    return names;
}

} // namespace

class TestWorkQueue : public QObject
{
    Q_OBJECT

private slots:
    void leasesEachNameToOneWorker();
    void refusesAFileDatabase();
};

// Two workers and one that died: every name is leased to one worker at a
// time, done once, and the names of a lease that ended go to the next worker.
void TestWorkQueue::leasesEachNameToOneWorker()
{
    PostgresTestServer server;
    if (!server.isRunning())
        QSKIP(qPrintable(server.skipReason()));
    QTemporaryDir dir;
    const HistoryDatabase database =
        *HistoryDatabase::fromText(server.createDatabase(QStringLiteral("queue")), dir.path(), nullptr);
    HistoryStore store(database, {1000, 60000});
    WorkQueue queue(store.connectionName(), database.displayName());
    QString error;
    QVERIFY2(store.open(&error) && queue.prepare(&error), qPrintable(error));

    QCOMPARE(queue.add({u"a.com"_s, u"b.com"_s, u"c.com"_s, u"a.com"_s, u"q\"uote\\d.com"_s}, &error), 4);
    QCOMPARE(queue.add({u"c.com"_s, u"d.com"_s, u"e.com"_s}, &error), 2); // deduplicated against the queue
    QVERIFY(!queue.nextLeaseEndMs(&error));

    const QStringList first = *queue.lease(u"one"_s, 2, 60000, &error);
    QCOMPARE(sorted(first), (QStringList{u"a.com"_s, u"b.com"_s}));
    // A worker that leases for no time at all dies at once: its lease has ended.
    const QStringList dead = *queue.lease(u"dead"_s, 1, 0, &error);
    QCOMPARE(dead, QStringList{u"c.com"_s});
    const QStringList second = *queue.lease(u"two"_s, 10, 60000, &error);
    QCOMPARE(sorted(second), (QStringList{u"c.com"_s, u"d.com"_s, u"e.com"_s, u"q\"uote\\d.com"_s}));
    QCOMPARE(queue.lease(u"one"_s, 10, 60000, &error)->size(), 0);
    QVERIFY(*queue.nextLeaseEndMs(&error) > 50000);

    // A verdict is written only by the worker that holds the name, once.
    const auto guardFor = [](const QString &worker) {
        return [worker](QSqlQuery &query, const HistoryEntry &entry) {
            return WorkQueue::markDone(query, worker, entry.name, entry.verdict != QLatin1String("timeout"));
        };
    };
    store.setRowGuard(guardFor(u"dead"_s));
    store.record(verdict(u"c.com"_s, u"available"_s)); // too late: u"two"_s has it now
    QVERIFY(store.flush());
    store.setRowGuard(guardFor(u"two"_s));
    store.record(verdict(u"c.com"_s, u"registered"_s));
    store.record(verdict(u"c.com"_s, u"registered"_s)); // a second verdict on a done name
    store.record(verdict(u"d.com"_s, u"timeout"_s));
    QVERIFY(store.flush());
    store.setRowGuard(guardFor(u"one"_s));
    store.record(verdict(u"a.com"_s, u"available"_s));
    QVERIFY(store.flush());

    // u"two"_s stops: what it did not finish is queued again at once; u"one"_s
    // keeps b.com alive.
    QVERIFY(queue.release(u"two"_s, &error));
    QVERIFY(queue.renew(u"one"_s, 60000, &error));
    const QStringList third = *queue.lease(u"three"_s, 10, 60000, &error);
    QCOMPARE(sorted(third), (QStringList{u"e.com"_s, u"q\"uote\\d.com"_s}));

    QHash<QString, QStringList> written;
    QVERIFY(store.select({}, [&](const HistoryEntry &row) {
        written[row.name] << row.verdict;
        return true;
    }));
    QCOMPARE(written.value(u"c.com"_s), QStringList{u"registered"_s});
    QCOMPARE(written.value(u"a.com"_s), QStringList{u"available"_s});
    QCOMPARE(written.size(), 3);

    const WorkQueue::Status status = *queue.status(&error);
    QCOMPARE(status.queued, 0);
    QCOMPARE(status.leased, 3); // b.com, e.com and the quoted name
    QCOMPARE(status.done, 2);
    QCOMPARE(status.unanswered, 1);
    QCOMPARE(status.workers.size(), 2);
    QCOMPARE(status.workers.at(1).worker, QStringLiteral("two"));
    QCOMPARE(status.workers.at(1).done, 2);
}

void TestWorkQueue::refusesAFileDatabase()
{
    QTemporaryDir dir;
    HistoryStore store(HistoryDatabase::inProgramFolder(dir.path()));
    WorkQueue queue(store.connectionName(), QStringLiteral("history.sqlite"));
    QString error;
    QVERIFY(store.open(&error));
    QVERIFY(!queue.prepare(&error));
    QVERIFY2(error.contains(QLatin1String("needs a PostgreSQL server")), qPrintable(error));
}

QTEST_GUILESS_MAIN(TestWorkQueue)
#include "TestWorkQueue.moc"
