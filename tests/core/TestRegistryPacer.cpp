#include "core/RegistryLimits.h"
#include "core/RegistryPacer.h"
#include "core/TldTable.h"
#include "tests/support/TestFiles.h"

#include <QTemporaryDir>
#include <QTest>

#include <deque>

using namespace Qt::StringLiterals;

namespace {

TldEntry row(const QString &extension, const QString &server, qint32 throttleMs)
{
    TldEntry entry;
    entry.extension = extension;
    entry.whoisServer = server;
    entry.port = 43;
    entry.enabled = true;
    entry.throttleMs = throttleMs;
    return entry;
}

// A registry that answers five queries in any second per client and
// refuses the rest (refused queries do not count), asked by eight slots on
// the pacer's clock in whole milliseconds.
struct RationingRegistry
{
    static constexpr int slotCount = 8;
    const QString host = u"whois.free.test"_s;
    int latencyMs = 3;
    bool clocked = false;
    std::deque<qint64> window; // the answers of the last second
    std::pair<qint64, qint64> punished{-1, -1}; // everything then is refused
    std::pair<qint64, qint64> stall{-1, -1}; // the caller asks nothing then; the next query is refused
    QList<qint64> answers;
    QList<qint64> refusals;

    void run(RegistryPacer &pacer, qint64 runMs)
    {
        std::deque<std::pair<qint64, bool>> running; // end time, refused
        bool refuseNext = false;
        for (qint64 now = 0; now < runMs; ++now) {
            while (!running.empty() && running.front().first <= now) {
                pacer.queryEnded(host, now, running.front().second);
                running.pop_front();
            }
            if (now >= stall.first && now < stall.second) {
                refuseNext = true;
                continue;
            }
            while (int(running.size()) < slotCount && pacer.ready(host, now)) {
                if (clocked)
                    pacer.queryStarted(host, now);
                else
                    pacer.queryStarted(host);
                while (!window.empty() && now - window.front() >= 1000)
                    window.pop_front();
                const bool refused = window.size() >= 5 || (now >= punished.first && now < punished.second) ||
                                     std::exchange(refuseNext, false);
                (refused ? refusals : answers) << now;
                if (!refused)
                    window.push_back(now);
                running.emplace_back(now + latencyMs, refused);
            }
        }
    }

    qsizetype answersFrom(qint64 from) const
    {
        return std::count_if(answers.cbegin(), answers.cend(), [from](qint64 at) { return at >= from; });
    }
};

TldTable table()
{
    TldTable tldTable;
    tldTable.setEntries({row(u"com"_s, u"whois.shared.test"_s, 100), row(u"net"_s, u"whois.shared.test"_s, 400),
                         row(u"org"_s, u"whois.free.test"_s, 0)});
    return tldTable;
}

} // namespace

class TestRegistryPacer : public QObject
{
    Q_OBJECT

private slots:
    void rowsOnOneServerShareTheLargestPause();
    void registryWithoutPauseTakesManyAtOnce();
    void refusalsDoubleOncePerEpisode();
    void steadyRegistryIsAskedNearItsRate_data();
    void steadyRegistryIsAskedNearItsRate();
    void publishedLimitHoldsFromTheFirstQuery_data();
    void publishedLimitHoldsFromTheFirstQuery();
    void unreachableHostIsPassedOverForAWhile();
};

void TestRegistryPacer::rowsOnOneServerShareTheLargestPause()
{
    RegistryPacer pacer;
    pacer.setThrottles(table());
    const QString shared = u"WHOIS.shared.test"_s;
    QCOMPARE(pacer.pauseMs(shared), 400);
    QVERIFY(pacer.ready(shared, 0));
    pacer.queryStarted(shared);
    // One query at a time, whichever row it came from.
    QVERIFY(!pacer.ready(shared, 10000));
    pacer.queryEnded(shared, 1000, false);
    QVERIFY(!pacer.ready(shared, 1399));
    QCOMPARE(pacer.readyAt(shared), 1400);
    QVERIFY(pacer.ready(shared, 1400));
    // Another registry is not held by it.
    QVERIFY(pacer.ready(u"whois.free.test"_s, 1000));
}

void TestRegistryPacer::registryWithoutPauseTakesManyAtOnce()
{
    RegistryPacer pacer;
    pacer.setThrottles(table());
    const QString free = u"whois.free.test"_s;
    // One at a time, then one more each time as many as that have been answered.
    for (int atOnce = 1; atOnce <= 8; ++atOnce) {
        for (int query = 0; query < atOnce; ++query) {
            QVERIFY(pacer.ready(free, 0));
            pacer.queryStarted(free);
        }
        QVERIFY(!pacer.ready(free, 0));
        for (int query = 0; query < atOnce; ++query)
            pacer.queryEnded(free, 0, false);
    }
    QVERIFY(pacer.ready(u"unlisted.test"_s, 0));
}

void TestRegistryPacer::refusalsDoubleOncePerEpisode()
{
    RegistryPacer pacer({250, 2000, 3});
    pacer.setThrottles(table());
    const QString free = u"whois.free.test"_s;
    // Refused together, with nothing answered in the last window (it still
    // counts someone else's queries): one step of the back-off, which says
    // nothing of the rate it allows.
    for (int query = 0; query < 3; ++query)
        pacer.queryStarted(free);
    for (int query = 0; query < 3; ++query)
        pacer.queryEnded(free, 10, true);
    QCOMPARE(pacer.pauseMs(free), 250);
    QVERIFY(!pacer.ready(free, 259));
    QVERIFY(pacer.ready(free, 260));
    // Refused again after two pauses: doubles, up to the cap.
    qint64 now = 10;
    for (int expected : {500, 1000, 2000, 2000}) {
        now += 2 * pacer.pauseMs(free);
        pacer.queryStarted(free);
        pacer.queryEnded(free, now, true);
        QCOMPARE(pacer.pauseMs(free), expected);
    }
}

void TestRegistryPacer::steadyRegistryIsAskedNearItsRate_data()
{
    QTest::addColumn<qint64>("stallAt"); // -1: none
    QTest::addColumn<int>("earlierAnswers");
    QTest::addColumn<qint64>("punishedFrom");
    QTest::addColumn<qint64>("punishedUntil");
    QTest::addColumn<qint64>("runMs");
    QTest::addColumn<qint64>("steadyFrom");
    QTest::addColumn<double>("mostShare"); // of the allowed rate
    QTest::newRow("steady") << qint64(-1) << 0 << qint64(-1) << qint64(-1) << qint64(80000) << qint64(20000) << 0.95;
    // The caller asks nothing for 0.8 s, and the first query after that is
    // refused: the answers of the last second say the registry allows one a
    // second. Once that judgement's hold is over the pace finds the real rate
    // (up to all of it, as nothing was refused near it).
    QTest::newRow("refused after a stall")
        << qint64(30000) << 0 << qint64(-1) << qint64(-1) << qint64(1500000) << qint64(1200000) << 1.0;
    // The run starts right after another one at the registry's full rate:
    // the registry's window still holds the earlier run's answers, and the
    // first refusal comes after one or two answers of this run.
    QTest::newRow("starts right after another run")
        << qint64(-1) << 5 << qint64(-1) << qint64(-1) << qint64(80000) << qint64(20000) << 0.95;
    QTest::newRow("starts while another run slows down")
        << qint64(-1) << 4 << qint64(-1) << qint64(-1) << qint64(80000) << qint64(20000) << 0.95;
    // The registry refuses everything for 3.5 s (it punishes someone else's
    // burst from the same address): refusals with no answer between them,
    // at the start and in the middle of the run.
    QTest::newRow("punished at the start")
        << qint64(-1) << 0 << qint64(0) << qint64(3500) << qint64(90000) << qint64(30000) << 0.95;
    QTest::newRow("punished in the middle")
        << qint64(-1) << 0 << qint64(20000) << qint64(23500) << qint64(90000) << qint64(30000) << 0.95;
}

// Eight slots ask a registry that answers five queries in any second and
// refuses the rest. After the refusals of the first burst the pace settles
// at 85-95% of that rate, and a later refusal, if any, comes alone.
void TestRegistryPacer::steadyRegistryIsAskedNearItsRate()
{
    QFETCH(qint64, stallAt);
    QFETCH(int, earlierAnswers);
    QFETCH(qint64, punishedFrom);
    QFETCH(qint64, punishedUntil);
    QFETCH(qint64, runMs);
    QFETCH(qint64, steadyFrom);
    QFETCH(double, mostShare);
    RegistryPacer pacer;
    pacer.setThrottles(table());
    RationingRegistry registry;
    for (int answer = 0; answer < earlierAnswers; ++answer)
        registry.window.push_back(-1000 + answer * 1000 / earlierAnswers);
    registry.punished = {punishedFrom, punishedUntil};
    if (stallAt >= 0)
        registry.stall = {stallAt, stallAt + 800};
    registry.run(pacer, runMs);

    const double rate = registry.answersFrom(steadyFrom) / (double(runMs - steadyFrom) / 1000);
    QVERIFY2(rate >= 0.85 * 5 && rate <= mostShare * 5, qPrintable(QString::number(rate)));
    const QList<qint64> &refusals = registry.refusals;
    for (qsizetype refusal = 1; refusal < refusals.size(); ++refusal) {
        const bool afterPunishment = refusals.at(refusal) > punishedUntil + 2000;
        if (refusals.at(refusal) > 2000 && (refusals.at(refusal) < punishedFrom || afterPunishment))
            QVERIFY2(refusals.at(refusal) - refusals.at(refusal - 1) > 2000, qPrintable(QString::number(refusal)));
    }
}

void TestRegistryPacer::publishedLimitHoldsFromTheFirstQuery_data()
{
    QTest::addColumn<bool>("clocked"); // the caller tells the pacer when a query starts
    QTest::addColumn<int>("latencyMs");
    QTest::addColumn<double>("leastRate"); // answers a second
    // 5/s, a tenth below: a start every 220 ms, several at once.
    QTest::newRow("near") << true << 3 << 4.4;
    QTest::newRow("far away") << true << 300 << 4.4;
    // Without a clock the next start waits for the previous answer.
    QTest::newRow("no clock, near") << false << 3 << 4.3;
    QTest::newRow("no clock, far away") << false << 300 << 1.8;
}

// A registry whose limit is published is paced below it from its first
// query on: never refused, and no slower than the limit allows.
void TestRegistryPacer::publishedLimitHoldsFromTheFirstQuery()
{
    QFETCH(bool, clocked);
    QFETCH(int, latencyMs);
    QFETCH(double, leastRate);
    QTemporaryDir folder;
    const QString path = folder.filePath(u"limits.txt"_s);
    writeFile(path, "free whois.free.test,rdap.free.test 5/s,1000/24h address 2026-12-08 https://free.test/aup\n");
    RegistryLimits limits;
    QString error;
    QVERIFY2(limits.load(path, &error), qPrintable(error));
    RegistryPacer pacer;
    pacer.setLimits(limits);
    pacer.setThrottles(table()); // keeps the published pace
    RationingRegistry registry;
    registry.latencyMs = latencyMs;
    registry.clocked = clocked;
    registry.run(pacer, 60000);

    QCOMPARE(registry.refusals, QList<qint64>());
    const double rate = registry.answersFrom(0) / 60.0;
    QVERIFY2(rate >= leastRate && rate <= 5, qPrintable(QString::number(rate)));
    // The row's RDAP host is paced alike.
    const QString rdap = u"rdap.free.test"_s;
    pacer.queryStarted(rdap, 100);
    pacer.queryEnded(rdap, 150, false);
    QCOMPARE(pacer.readyAt(rdap), 320);
    QVERIFY(!pacer.ready(rdap, 319));
    QVERIFY(pacer.ready(rdap, 320));
}

// A registry that cannot be reached is passed over for a while, then asked again.
void TestRegistryPacer::unreachableHostIsPassedOverForAWhile()
{
    RegistryPacer pacer({1000, 60000, 20, 600000, 5000});
    pacer.setThrottles(table());
    QVERIFY(!pacer.isUnreachable(u"whois.free.test"_s, 0));
    pacer.markUnreachable(u"WHOIS.free.test"_s, 100);
    QVERIFY(pacer.isUnreachable(u"whois.free.test"_s, 5099));
    QVERIFY(!pacer.isUnreachable(u"whois.shared.test"_s, 200));
    QVERIFY(!pacer.isUnreachable(u"whois.free.test"_s, 5100));
}

QTEST_GUILESS_MAIN(TestRegistryPacer)
#include "TestRegistryPacer.moc"
