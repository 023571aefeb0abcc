#include "core/HistoryStore.h"
#include "core/LookupResult.h"
#include "core/RegistryBudget.h"
#include "core/RegistryLimits.h"
#include "tests/support/PostgresTestServer.h"
#include "tests/support/TestFiles.h"

#include <QTemporaryDir>
#include <QTest>

#include <atomic>
#include <thread>

using namespace Qt::StringLiterals;

namespace {

const QDateTime morning(QDate(2026, 12, 8), QTime(9, 0), Qt::UTC);
const QString capped = u"whois.capped.test"_s;

RegistryLimits load(const QByteArray &rows, QString *error)
{
    QTemporaryDir folder;
    writeFile(folder.filePath(u"limits.txt"_s), rows);
    RegistryLimits limits;
    limits.load(folder.filePath(u"limits.txt"_s), error);
    return limits;
}

// One process's view of the history: its own store, connection and budget.
struct Asker
{
    HistoryStore store;
    QString error;
    RegistryBudget budget;

    Asker(const HistoryDatabase &database, const QString &bindAddress = {})
        : store(database)
        , budget(store.connectionName(), {},
                 load("capped whois.capped.test,rdap.capped.test 100/24h,5/s address 2026-12-08 s\n", &error),
                 QHostAddress(bindAddress))
    {
        if (!store.open(&error) || !budget.prepare(&error))
            qWarning("%s", qPrintable(error));
    }
    // A query the database failed on counts as allowed: it spoils the count.
    bool allowed(const QString &host, const QDateTime &at)
    {
        return budget.take(host, at, &error).value_or(BudgetDecision()).allowed;
    }
};

} // namespace

class TestRegistryBudget : public QObject
{
    Q_OBJECT

private slots:
    void readsLimits_data();
    void readsLimits();
    void capHoldsAcrossProcesses_data();
    void capHoldsAcrossProcesses();
    void askersAreCountedAsTheRegistryCounts_data();
    void askersAreCountedAsTheRegistryCounts();

private:
    PostgresTestServer m_server;
};

void TestRegistryBudget::readsLimits_data()
{
    QTest::addColumn<QByteArray>("row");
    QTest::addColumn<QString>("problem"); // empty: the row is read
    QTest::addColumn<int>("intervalMs");  // of the file's last row
    QTest::addColumn<int>("counted");
    QTest::newRow("rate and cap") << "n whois.n.test 5/s,1000/24h address 2026-12-08 x y"_ba << QString() << 200 << 1;
    // A window of a minute is only paced; one of 15 minutes is counted too.
    QTest::newRow("windows with a count")
        << "e whois.e.test 1800/15min,15/1min /24 2026-12-08 s"_ba << QString() << 4000 << 1;
    QTest::newRow("a limit of 0") << "x whois.x.test 0/s address 2026-12-08 s"_ba << u"\"0/s\" is not"_s << 1000 << 0;
    QTest::newRow("no source") << "x whois.x.test 5/s address 2026-12-08"_ba << u"a row needs"_s << 1000 << 0;
    QTest::newRow("bad scope") << "x whois.x.test 5/s /16 2026-12-08 s"_ba << u"the scope \"/16\""_s << 1000 << 0;
}

// Each row is read or named with its problem; the good rows of a file with
// a bad one are still used.
void TestRegistryBudget::readsLimits()
{
    QFETCH(QByteArray, row);
    QFETCH(QString, problem);
    QFETCH(int, intervalMs);
    QFETCH(int, counted);
    QString error;
    const RegistryLimits limits = load("kept WHOIS.kept.test 1/s address 2026-12-08 https://kept.test\n" + row, &error);
    QVERIFY2(problem.isEmpty() ? error.isEmpty() : error.startsWith(u"limits.txt line 2: "_s + problem),
             qPrintable(error));
    QCOMPARE(limits.rows().size(), problem.isEmpty() ? 2 : 1);
    const RegistryLimitRow &last = limits.rows().last();
    QCOMPARE(last.intervalMs(), intervalMs);
    QCOMPARE(last.counted().size(), counted);
    QCOMPARE(limits.forHost(last.hosts.last().toUpper()), &last);
}

void TestRegistryBudget::capHoldsAcrossProcesses_data()
{
    QTest::addColumn<bool>("server");
    QTest::newRow("sqlite") << false;
    QTest::newRow("postgresql") << true;
}

// Processes on one database, each on its own thread and connection, draw
// from one daily budget of 100 and never take more between them, even when
// they ask at the same moments; the rest are not asked and say when the
// registry resumes. A window that has passed gives its queries back, the
// oldest first.
void TestRegistryBudget::capHoldsAcrossProcesses()
{
    QFETCH(bool, server);
    if (server && !m_server.isRunning())
        QSKIP(qPrintable(m_server.skipReason()));
    QTemporaryDir dir;
    const HistoryDatabase database =
        server ? *HistoryDatabase::fromText(m_server.createDatabase(u"budget"_s), dir.path(), nullptr)
               : HistoryDatabase::inProgramFolder(dir.path());
    Asker asker(database); // creates the tables before the race
    const auto race = [&database](const QDateTime &at, int each) {
        std::atomic<int> allowed = 0;
        const auto ask = [&] {
            Asker process(database);
            for (int query = 0; query < each; ++query)
                allowed += process.allowed(capped, at) ? 1 : 0;
        };
        std::thread one(ask);
        std::thread two(ask);
        one.join();
        two.join();
        return allowed.load();
    };
    QCOMPARE(race(morning, 30), 60);
    QCOMPARE(race(morning.addSecs(3600), 45), 40);
    const BudgetDecision refused = *asker.budget.take(capped, morning.addSecs(7200), &asker.error);
    QCOMPARE(refused.resumesAt, morning.addDays(1));
    const LookupResult notAsked = refused.notAsked(u"name.test"_s);
    QCOMPARE(notAsked.error, LookupResult::ErrorKind::Budget);
    QCOMPARE(notAsked.reason, u"dailycap"_s);
    QVERIFY2(notAsked.errorString.startsWith(capped + u": daily limit of 100 reached; resumes at "_s),
             qPrintable(notAsked.errorString));
    // The registry's RDAP host draws from the same budget; another registry not.
    QVERIFY(!asker.allowed(u"RDAP.capped.test"_s, morning.addSecs(7200)));
    QVERIFY(asker.allowed(u"whois.free.test"_s, morning.addSecs(7200)));
    QVERIFY(Asker(database, u"127.0.0.2"_s).allowed(capped, morning.addSecs(7200))); // another asker
    // A day after nine, the 60 queries of nine have left the window.
    int again = 0;
    for (int query = 0; query < 70; ++query)
        again += asker.allowed(capped, morning.addDays(1).addSecs(60)) ? 1 : 0;
    QCOMPARE(again, 60);
}

void TestRegistryBudget::askersAreCountedAsTheRegistryCounts_data()
{
    QTest::addColumn<bool>("network"); // the registry counts a /24 (IPv6: /48) as one asker
    QTest::addColumn<QString>("first");
    QTest::addColumn<QString>("second");
    QTest::addColumn<bool>("shared");
    QTest::newRow("per address: two") << false << u"127.0.0.2"_s << u"127.0.0.3"_s << false;
    QTest::newRow("per /24: one network") << true << u"127.0.0.2"_s << u"127.0.0.3"_s << true;
    QTest::newRow("per /24: two networks") << true << u"127.0.0.2"_s << u"127.0.1.2"_s << false;
    QTest::newRow("per /48") << true << u"2001:db8:1:1::1"_s << u"2001:db8:1:2::1"_s << true;
}

// Askers the registry counts as one share a budget; others have their own.
void TestRegistryBudget::askersAreCountedAsTheRegistryCounts()
{
    QFETCH(bool, network);
    QFETCH(QString, first);
    QFETCH(QString, second);
    QFETCH(bool, shared);
    RegistryLimitRow row;
    row.scope = network ? RegistryLimitRow::Scope::Network : RegistryLimitRow::Scope::Address;
    QCOMPARE(row.askerOf(QHostAddress(first)) == row.askerOf(QHostAddress(second)), shared);
}

QTEST_GUILESS_MAIN(TestRegistryBudget)
#include "TestRegistryBudget.moc"
