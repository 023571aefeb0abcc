#include "core/HistoryStore.h"
#include "core/LookupResult.h"
#include "core/RegistryBudget.h"
#include "core/RegistryLimits.h"
#include "tests/support/PostgresTestServer.h"
#include "tests/support/TestFiles.h"

#include <QTemporaryDir>
#include <QTest>

#include <atomic>
#include <memory>
#include <thread>

using namespace Qt::StringLiterals;

namespace {

const QByteArray limitsFile = "# comment\n"
                              "capped   whois.capped.test,rdap.capped.test  100/24h,5/s  address  2026-12-08  https://capped.test/aup\n"
                              "shared   whois.shared.test                  3/10min      /24      2026-12-08  https://shared.test/aup\n"
                              "paced    whois.paced.test                   15/min       address  2026-12-08  https://paced.test/aup\n";

const QDateTime morning(QDate(2026, 12, 8), QTime(9, 0), Qt::UTC);

RegistryLimits limits()
{
    QTemporaryDir folder;
    const QString path = folder.filePath(u"limits.txt"_s);
    writeFile(path, limitsFile);
    RegistryLimits result;
    QString error;
    if (!result.load(path, &error))
        qWarning("%s", qPrintable(error));
    return result;
}

// One process's view of the history: its own store and connection.
struct Asker
{
    std::unique_ptr<HistoryStore> store;
    std::unique_ptr<RegistryBudget> budget;

    Asker(const HistoryDatabase &database, const QString &bindAddress)
        : store(std::make_unique<HistoryStore>(database))
    {
        QString error;
        if (!store->open(&error))
            qWarning("%s", qPrintable(error));
        budget = std::make_unique<RegistryBudget>(store->connectionName(), database.displayName(), limits(),
                                                  QHostAddress(bindAddress));
        if (!budget->prepare(&error))
            qWarning("%s", qPrintable(error));
    }
};

} // namespace

class TestRegistryBudget : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void readsLimits_data();
    void readsLimits();
    void shippedLimitsAreReadable();
    void capHoldsAcrossProcesses_data();
    void capHoldsAcrossProcesses();
    void racingAskersNeverOverspend_data() { capHoldsAcrossProcesses_data(); }
    void racingAskersNeverOverspend();
    void askersAreCountedAsTheRegistryCounts_data();
    void askersAreCountedAsTheRegistryCounts();

private:
    HistoryDatabase database(const QTemporaryDir &dir, bool server);

    std::unique_ptr<PostgresTestServer> m_server;
    int m_databases = 0;
};

void TestRegistryBudget::initTestCase()
{
    m_server = std::make_unique<PostgresTestServer>();
    if (!m_server->isRunning())
        qWarning("PostgreSQL rows will be skipped: %s", qPrintable(m_server->skipReason()));
}

HistoryDatabase TestRegistryBudget::database(const QTemporaryDir &dir, bool server)
{
    if (!server)
        return HistoryDatabase::inProgramFolder(dir.path());
    const QString url = m_server->createDatabase(u"budget%1"_s.arg(++m_databases));
    return *HistoryDatabase::fromText(url, dir.path(), nullptr);
}

void TestRegistryBudget::readsLimits_data()
{
    QTest::addColumn<QByteArray>("row");
    QTest::addColumn<QString>("problem"); // empty: the row is read
    QTest::addColumn<int>("intervalMs");
    QTest::addColumn<int>("counted");

    QTest::newRow("rate and cap") << QByteArray("n whois.n.test 5/s,1000/24h address 2026-12-08 https://n.test/aup")
                                  << QString() << 200 << 1;
    QTest::newRow("window with a count") << QByteArray("c whois.c.test,rdap.c.test 1800/15min /24 2026-12-08 x y")
                                         << QString() << 500 << 1;
    QTest::newRow("a minute: paced, not counted") << QByteArray("e whois.e.test 15/min address 2026-12-08 s")
                                                  << QString() << 4000 << 0;
    QTest::newRow("a day: counted, not paced") << QByteArray("i whois.i.test 100/d address 2026-12-08 s")
                                               << QString() << 0 << 1;
    QTest::newRow("not numbers") << QByteArray("x whois.x.test five/s address 2026-12-08 s")
                                 << u"limits.txt line 2: \"five/s\" is not a limit"_s << 0 << 0;
    QTest::newRow("a limit of 0") << QByteArray("x whois.x.test 0/s address 2026-12-08 s")
                                  << u"limits.txt line 2: \"0/s\" is not a limit"_s << 0 << 0;
    QTest::newRow("a window of 0") << QByteArray("x whois.x.test 5/0s address 2026-12-08 s")
                                   << u"limits.txt line 2: \"5/0s\" is not a limit"_s << 0 << 0;
    QTest::newRow("no source") << QByteArray("x whois.x.test 5/s address 2026-12-08")
                               << u"limits.txt line 2: a row needs"_s << 0 << 0;
    QTest::newRow("bad scope") << QByteArray("x whois.x.test 5/s /16 2026-12-08 s")
                               << u"limits.txt line 2: the scope \"/16\""_s << 0 << 0;
    QTest::newRow("bad date") << QByteArray("x whois.x.test 5/s address 8.12.2026 s")
                              << u"limits.txt line 2: \"8.12.2026\" is not a date"_s << 0 << 0;
    QTest::newRow("bad host") << QByteArray("x whois_x 5/s address 2026-12-08 s")
                              << u"limits.txt line 2: \"whois_x\" is not a host name"_s << 0 << 0;
}

// Each row is read or named with its problem; the good rows of a file with
// a bad one are still used.
void TestRegistryBudget::readsLimits()
{
    QFETCH(QByteArray, row);
    QFETCH(QString, problem);
    QFETCH(int, intervalMs);
    QFETCH(int, counted);
    QTemporaryDir folder;
    const QString path = folder.filePath(u"limits.txt"_s);
    writeFile(path, "kept whois.kept.test 1/s address 2026-12-08 https://kept.test\n" + row + "\n");
    RegistryLimits limits;
    QString error;
    QCOMPARE(limits.load(path, &error), problem.isEmpty());
    QVERIFY2(problem.isEmpty() ? error.isEmpty() : error.startsWith(problem), qPrintable(error));
    QVERIFY(limits.forHost(u"WHOIS.kept.test"_s));
    QCOMPARE(limits.rows().size(), problem.isEmpty() ? 2 : 1);
    if (!problem.isEmpty())
        return;
    const RegistryLimitRow &read = limits.rows().last();
    QCOMPARE(read.intervalMs(), intervalMs);
    QCOMPARE(read.counted().size(), counted);
    QVERIFY(limits.forHost(read.hosts.last()) == &read);
}

// The shipped limits read without a problem, with their source and date.
void TestRegistryBudget::shippedLimitsAreReadable()
{
    const QString path = qEnvironmentVariable("VANTREL_DATA_DIR") + u"/registry/limits.txt"_s;
    RegistryLimits limits;
    QString error;
    QVERIFY2(limits.load(path, &error), qPrintable(error));
    for (const QString &host : {u"whois.nic.uk"_s, u"whois.nic.fr"_s, u"whois.weare.ie"_s, u"whois.eu"_s,
                                u"whois.centralnic.net"_s, u"rdap.centralnic.com"_s}) {
        const RegistryLimitRow *row = limits.forHost(host);
        QVERIFY2(row, qPrintable(host));
        QVERIFY(row->date.isValid() && row->source.startsWith(u"http"_s));
    }
    const RegistryLimitRow *nominet = limits.forHost(u"whois.nic.uk"_s);
    QCOMPARE(nominet->intervalMs(), 200);
    QCOMPARE(nominet->counted().first().text(), u"1,000 a day"_s);
}

void TestRegistryBudget::capHoldsAcrossProcesses_data()
{
    QTest::addColumn<bool>("server");
    QTest::newRow("sqlite") << false;
    QTest::newRow("postgresql") << true;
}

// Two processes on one database draw from one daily budget of 100: of 150
// queries 100 are allowed, the rest are not asked and say when the registry
// resumes; a window that has passed gives its queries back, the oldest first.
void TestRegistryBudget::capHoldsAcrossProcesses()
{
    QFETCH(bool, server);
    if (server && !m_server->isRunning())
        QSKIP(qPrintable(m_server->skipReason()));
    QTemporaryDir dir;
    const HistoryDatabase database = this->database(dir, server);
    Asker first(database, QString());
    Asker second(database, QString());
    QString error;
    int allowed = 0;
    std::optional<BudgetDecision> refused;
    for (int query = 0; query < 150; ++query) {
        // The first 60 at nine, the rest an hour later.
        const QDateTime at = morning.addSecs(query < 60 ? query : 3600 + query);
        Asker &asker = query % 2 == 0 ? first : second;
        const std::optional<BudgetDecision> decision = asker.budget->take(u"whois.capped.test"_s, at, &error);
        QVERIFY2(decision, qPrintable(error));
        allowed += decision->allowed ? 1 : 0;
        if (!decision->allowed && !refused)
            refused = decision;
    }
    QCOMPARE(allowed, 100);
    QVERIFY(refused);
    QCOMPARE(refused->host, u"whois.capped.test"_s);
    QCOMPARE(refused->spentLimit.queries, 100);
    QCOMPARE(refused->resumesAt, morning.addDays(1));
    QVERIFY2(refused->message().startsWith(u"whois.capped.test: daily limit of 100 reached; resumes at "_s),
             qPrintable(refused->message()));
    const LookupResult notAsked = refused->notAsked(u"name.test"_s);
    QCOMPARE(notAsked.kind, LookupResult::Kind::Error);
    QCOMPARE(notAsked.error, LookupResult::ErrorKind::Budget);
    QCOMPARE(notAsked.reason, u"dailycap"_s);
    QCOMPARE(notAsked.errorString, refused->message());
    // The registry's RDAP host draws from the same budget; another registry not.
    QVERIFY(!second.budget->take(u"RDAP.capped.test"_s, morning.addSecs(7200), &error)->allowed);
    QVERIFY(second.budget->take(u"whois.free.test"_s, morning.addSecs(7200), &error)->allowed);

    // A day after nine, the 60 queries of nine have left the window.
    const QDateTime nextDay = morning.addDays(1).addSecs(60);
    QCOMPARE(*first.budget->used(u"whois.capped.test"_s, refused->spentLimit, nextDay, &error), 40);
    int again = 0;
    for (int query = 0; query < 70; ++query)
        again += first.budget->take(u"whois.capped.test"_s, nextDay, &error)->allowed ? 1 : 0;
    QCOMPARE(again, 60);
}

// Two askers that take at the same moments, each on its own thread and
// connection, never take more than the budget between them.
void TestRegistryBudget::racingAskersNeverOverspend()
{
    QFETCH(bool, server);
    if (server && !m_server->isRunning())
        QSKIP(qPrintable(m_server->skipReason()));
    QTemporaryDir dir;
    const HistoryDatabase database = this->database(dir, server);
    Asker(database, QString()); // creates the tables before the race
    std::atomic<int> allowed = 0;
    std::atomic<int> failures = 0;
    const auto ask = [&] {
        Asker asker(database, QString());
        QString error;
        for (int query = 0; query < 80; ++query) {
            const std::optional<BudgetDecision> decision =
                asker.budget->take(u"whois.capped.test"_s, morning.addSecs(query / 10), &error);
            if (!decision)
                ++failures;
            else if (decision->allowed)
                ++allowed;
        }
    };
    std::thread one(ask);
    std::thread two(ask);
    one.join();
    two.join();
    QCOMPARE(failures.load(), 0);
    QCOMPARE(allowed.load(), 100);
}

void TestRegistryBudget::askersAreCountedAsTheRegistryCounts_data()
{
    QTest::addColumn<QString>("host");
    QTest::addColumn<QString>("firstAddress");
    QTest::addColumn<QString>("secondAddress");
    QTest::addColumn<bool>("shared");
    QTest::newRow("per address: two addresses") << u"whois.capped.test"_s << u"127.0.0.2"_s << u"127.0.0.3"_s
                                                << false;
    QTest::newRow("per address: one address") << u"whois.capped.test"_s << u"127.0.0.2"_s << u"127.0.0.2"_s << true;
    QTest::newRow("per address: the system's choice") << u"whois.capped.test"_s << QString() << QString() << true;
    QTest::newRow("per /24: one network") << u"whois.shared.test"_s << u"127.0.0.2"_s << u"127.0.0.3"_s << true;
    QTest::newRow("per /24: two networks") << u"whois.shared.test"_s << u"127.0.0.2"_s << u"127.0.1.2"_s << false;
    QTest::newRow("per /48") << u"whois.shared.test"_s << u"2001:db8:1:1::1"_s << u"2001:db8:1:2::1"_s << true;
}

// Askers the registry counts as one share a budget; others have their own.
void TestRegistryBudget::askersAreCountedAsTheRegistryCounts()
{
    QFETCH(QString, host);
    QFETCH(QString, firstAddress);
    QFETCH(QString, secondAddress);
    QFETCH(bool, shared);
    QTemporaryDir dir;
    const HistoryDatabase database = this->database(dir, false);
    Asker first(database, firstAddress);
    Asker second(database, secondAddress);
    QString error;
    const RateLimit limit = limits().forHost(host)->counted().first();
    for (int query = 0; query < limit.queries; ++query)
        QVERIFY(first.budget->take(host, morning, &error)->allowed);
    QVERIFY(!first.budget->take(host, morning, &error)->allowed);
    QCOMPARE(second.budget->take(host, morning, &error)->allowed, !shared);
    // A short window passes as well: the registry takes queries again.
    if (limit.windowMs < 24 * 3600 * 1000)
        QVERIFY(first.budget->take(host, morning.addMSecs(limit.windowMs), &error)->allowed);
}

QTEST_GUILESS_MAIN(TestRegistryBudget)
#include "TestRegistryBudget.moc"
