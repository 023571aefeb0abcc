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

TldTable table()
{
    TldTable tldTable;
    tldTable.setEntries({row(u"com"_s, u"whois.shared.test"_s, 100), row(u"net"_s, u"whois.shared.test"_s, 400),
                         row(u"org"_s, u"whois.free.test"_s, 0)});
    return tldTable;
}

RegistryLimits loadLimits(const QByteArray &rows, QString *error)
{
    QTemporaryDir folder;
    writeFile(folder.filePath(u"limits.txt"_s), rows);
    RegistryLimits limits;
    limits.load(folder.filePath(u"limits.txt"_s), error);
    return limits;
}

// A published limit of five a second (and a daily cap) for both of the registry's hosts.
RegistryLimits publishedLimits()
{
    QString error;
    const RegistryLimits limits =
        loadLimits("free whois.free.test,rdap.free.test 5/s,1000/d address 2026-12-08 s", &error);
    if (!error.isEmpty())
        qWarning("%s", qPrintable(error));
    return limits;
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
    void readsLimits_data();
    void readsLimits();
    void publishedLimitSpacesStarts();
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
    QTest::addColumn<qint64>("stallAt");     // -1: none
    QTest::addColumn<int>("earlierAnswers"); // in the registry's window when the run starts
    QTest::addColumn<qint64>("punishedAt");  // everything is refused for 3.5 s from then
    QTest::addColumn<bool>("published");     // the pacer knows the limit from the start
    QTest::addColumn<int>("latencyMs");
    QTest::addColumn<qint64>("runMs");
    QTest::addColumn<qint64>("steadyFrom");
    QTest::addColumn<double>("mostShare"); // of the allowed rate
    constexpr qint64 never = qint64(1) << 40;
    QTest::newRow("steady") << qint64(-1) << 0 << never << false << 3 << qint64(80000) << qint64(20000) << 0.95;
    // The caller asks nothing for 0.8 s, and the first query after that is
    // refused: the answers of the last second say the registry allows one a
    // second. Once that judgement's hold is over the pace finds the real rate
    // (up to all of it, as nothing was refused near it).
    QTest::newRow("refused after a stall")
        << qint64(30000) << 0 << never << false << 3 << qint64(1500000) << qint64(1200000) << 1.0;
    // The registry's window still holds the answers of a run just before
    // this one: the first refusal comes after one answer of this run.
    QTest::newRow("right after another run")
        << qint64(-1) << 5 << never << false << 3 << qint64(80000) << qint64(20000) << 0.95;
    // It punishes someone else's burst from the same address: refusals
    // with no answer between them.
    QTest::newRow("punished mid-run") << qint64(-1) << 0 << qint64(20000) << false << 3 << qint64(90000)
                                      << qint64(30000) << 0.95;
    // Paced below the published limit from the first query on, never
    // refused, several queries at once when the registry is far away.
    QTest::newRow("published limit") << qint64(-1) << 0 << never << true << 300 << qint64(60000) << qint64(0) << 0.95;
}

// Eight slots ask a registry that answers five queries in any second and
// refuses the rest. After the refusals of the first burst the pace settles
// at 85-95% of that rate, and a later refusal, if any, comes alone.
void TestRegistryPacer::steadyRegistryIsAskedNearItsRate()
{
    QFETCH(qint64, stallAt);
    QFETCH(int, earlierAnswers);
    QFETCH(qint64, punishedAt);
    QFETCH(bool, published);
    QFETCH(int, latencyMs);
    QFETCH(qint64, runMs);
    QFETCH(qint64, steadyFrom);
    QFETCH(double, mostShare);
    RegistryPacer pacer;
    pacer.setThrottles(table());
    if (published)
        pacer.setLimits(publishedLimits());
    const QString free = u"whois.free.test"_s;
    constexpr int slotCount = 8;
    std::deque<qint64> window; // the registry's answers of the last second
    for (int answer = 0; answer < earlierAnswers; ++answer)
        window.push_back(answer * 1000 / earlierAnswers - 1000);
    std::deque<std::pair<qint64, bool>> running; // end time, refused
    QList<qint64> answers;
    QList<qint64> refusals;
    bool refuseNext = false;
    for (qint64 now = 0; now < runMs; ++now) {
        while (!running.empty() && running.front().first <= now) {
            pacer.queryEnded(free, now, running.front().second);
            running.pop_front();
        }
        if (stallAt >= 0 && now >= stallAt && now < stallAt + 800) {
            refuseNext = true;
            continue;
        }
        while (int(running.size()) < slotCount && pacer.ready(free, now)) {
            pacer.queryStarted(free, now);
            while (!window.empty() && now - window.front() >= 1000)
                window.pop_front();
            const bool punished = now >= punishedAt && now < punishedAt + 3500;
            const bool refused = window.size() >= 5 || punished || std::exchange(refuseNext, false);
            (refused ? refusals : answers) << now;
            if (!refused)
                window.push_back(now);
            running.emplace_back(now + latencyMs, refused);
        }
    }
    const auto inSteadyState = [steadyFrom](qint64 at) { return at >= steadyFrom; };
    const double rate =
        std::count_if(answers.cbegin(), answers.cend(), inSteadyState) / (double(runMs - steadyFrom) / 1000);
    QVERIFY2(rate >= 0.85 * 5 && rate <= mostShare * 5, qPrintable(QString::number(rate)));
    QVERIFY(!published || refusals.isEmpty());
    for (qsizetype refusal = 1; refusal < refusals.size(); ++refusal) {
        const bool punishment = refusals.at(refusal) >= punishedAt && refusals.at(refusal) < punishedAt + 5500;
        if (refusals.at(refusal) > 2000 && !punishment)
            QVERIFY2(refusals.at(refusal) - refusals.at(refusal - 1) > 2000, qPrintable(QString::number(refusal)));
    }
}

// Every host of a published limit's row is spaced a tenth below it; a start
// without a clock holds the next one until it ends.
void TestRegistryPacer::readsLimits_data()
{
    QTest::addColumn<QByteArray>("row");
    QTest::addColumn<QString>("problem"); // empty: the row is read
    QTest::addColumn<int>("intervalMs");  // of the file's last row
    QTest::newRow("rate and cap") << "n whois.n.test 5/s,1000/24h address 2026-12-08 x y"_ba << QString() << 200;
    // A window of fifteen minutes is paced as well as one of a minute.
    QTest::newRow("windows with a count") << "e whois.e.test 1800/15min,15/1min /24 2026-12-08 s"_ba << QString() << 4000;
    QTest::newRow("a limit of 0") << "x whois.x.test 0/s address 2026-12-08 s"_ba << u"\"0/s\" is not"_s << 1000;
    QTest::newRow("no source") << "x whois.x.test 5/s address 2026-12-08"_ba << u"a row needs"_s << 1000;
    QTest::newRow("bad scope") << "x whois.x.test 5/s /16 2026-12-08 s"_ba << u"the scope \"/16\""_s << 1000;
}

// Each row is read or named with its problem; the good rows of a file with
// a bad one are still used.
void TestRegistryPacer::readsLimits()
{
    QFETCH(QByteArray, row);
    QFETCH(QString, problem);
    QFETCH(int, intervalMs);
    QString error;
    const RegistryLimits limits =
        loadLimits("kept WHOIS.kept.test 1/s address 2026-12-08 https://kept.test\n" + row, &error);
    QVERIFY2(problem.isEmpty() ? error.isEmpty() : error.startsWith(u"limits.txt line 2: "_s + problem),
             qPrintable(error));
    QCOMPARE(limits.rows().size(), problem.isEmpty() ? 2 : 1);
    const RegistryLimitRow &last = limits.rows().last();
    QCOMPARE(last.intervalMs(), intervalMs);
    QCOMPARE(limits.forHost(last.hosts.last().toUpper()), &last);
}

void TestRegistryPacer::publishedLimitSpacesStarts()
{
    RegistryPacer pacer;
    pacer.setLimits(publishedLimits());
    const QString rdap = u"rdap.free.test"_s;
    pacer.queryStarted(rdap, 100);
    QCOMPARE(pacer.readyAt(rdap), 320);
    pacer.queryEnded(rdap, 150, false);
    pacer.queryStarted(rdap);
    QVERIFY(!pacer.ready(rdap, 10000));
    pacer.queryEnded(rdap, 10000, false);
    QCOMPARE(pacer.readyAt(rdap), 10220);
}

// A registry that cannot be reached is passed over for a while, then asked again.
void TestRegistryPacer::unreachableHostIsPassedOverForAWhile()
{
    RegistryPacer pacer({1000, 60000, 20, 600000, 5000});
    pacer.markUnreachable(u"WHOIS.free.test"_s, 100);
    QVERIFY(pacer.isUnreachable(u"whois.free.test"_s, 5099));
    QVERIFY(!pacer.isUnreachable(u"whois.shared.test"_s, 200));
    QVERIFY(!pacer.isUnreachable(u"whois.free.test"_s, 5100));
}

QTEST_GUILESS_MAIN(TestRegistryPacer)
#include "TestRegistryPacer.moc"
