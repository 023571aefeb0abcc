#include "core/ConnectionPool.h"
#include "core/LookupContext.h"
#include "core/RegistrarBlockedNotice.h"
#include "core/ResultLists.h"
#include "core/ThrottleState.h"
#include "search/SearchLoop.h"
#include "search/StringListWordSource.h"
#include "search/WordFile.h"
#include "tests/support/TestFiles.h"
#include "tests/support/TestSession.h"
#include "tests/support/WhoisTestServer.h"

#include <QDir>
#include <QRandomGenerator>
#include <QSignalSpy>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

Q_DECLARE_METATYPE(LookupOutcome)

namespace {

constexpr int tickMs = 20;

// A search run of a lookup session over a loopback WHOIS server for the "test" TLD.
struct RunFixture
{
    explicit RunFixture(int poolSize = 1, qint32 throttleMs = 0)
        : engine(folder.path(), poolSize, PoolTimings{tickMs, 10, 30})
        , context(engine.session.lookup())
        , throttle(engine.session.throttle())
        , results(engine.session.results())
        , notice(engine.session.blockedNotice())
        , pool(engine.session.pool())
        , loop(engine.session.loop())
        , taken(&loop, &SearchLoop::wordTaken)
        , stopped(&loop, &SearchLoop::stopped)
        , ended(&pool, &ConnectionPool::lookupEnded)
    {
        QDir(folder.path()).mkpath(u"backups"_s);
        QDir(folder.path()).mkpath(u"overflow"_s);
        server.listen();
        context.tldTable.setEntries(
            {{u"test"_s, u"127.0.0.1"_s, quint16(server.port()), true, throttleMs, u"No match"_s}});
        pool.setChosenTld(u"test"_s);
        throttle.setCurrentThrottleMs(throttleMs);
        QObject::connect(&loop, &SearchLoop::pauseStarted, &loop,
                         [this](qint32 ms) { entry << u"pause %1"_s.arg(ms); });
        QObject::connect(&loop, &SearchLoop::progressed, &loop,
                         [this](qint32 number, qint32 max) { entry << u"%1 of %2"_s.arg(number).arg(max); });
        QObject::connect(&loop, &SearchLoop::openConnectionsChanged, &loop, [this](int count) { open << count; });
        QObject::connect(&loop, &SearchLoop::closingConnections, &loop, [this] { open << closing; });
        QObject::connect(&loop, &SearchLoop::stopped, &loop, [this] { entry << u"stopped"_s; });
    }

    QList<qint32> takenPositions() const
    {
        QList<qint32> positions;
        for (const auto &arguments : taken)
            positions << arguments.at(0).toInt();
        return positions;
    }

    QTemporaryDir folder;
    WhoisTestServer server;
    TestSession engine;
    LookupContext &context;
    ThrottleState &throttle;
    ResultLists &results;
    RegistrarBlockedNotice &notice;
    ConnectionPool &pool;
    SearchLoop &loop;
    QSignalSpy taken;
    QSignalSpy stopped;
    QSignalSpy ended;
    static constexpr int closing = -1;
    QStringList entry; // pauses, progress and the stop, in order
    QList<int> open;   // open connections; closing when the last word was taken
};

QStringList numberedWords(int count)
{
    QStringList words;
    for (int i = 1; i <= count; ++i)
        words << u"word%1"_s.arg(i);
    return words;
}

} // namespace

class TestSearchLoop : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { qRegisterMetaType<LookupOutcome>(); }
    void startsAtPositionAndStopsAtEndOfList();
    void oneWordList();
    void stopDuringPauseStartsNoLookup();
    void batchesWaitForEveryLookup();
    void unknownTldDoesNotStallRun();
    void watchdogFreesBatchAndRunGoesOn();
    void fileThatGrowsDuringRun();
    void silentLookupDoesNotHoldBatchOfSeveralSlots();

    // Run end
    void lastPartialBatchOfSilentServersEnds_data();
    void lastPartialBatchOfSilentServersEnds();
    // Resume
    void resumePositionWaitsForEveryLookupOfBatch();
};

void TestSearchLoop::startsAtPositionAndStopsAtEndOfList()
{
    RunFixture run;
    StringListWordSource words(numberedWords(10));
    run.loop.start(words, 5, 10);
    QTRY_COMPARE(run.stopped.size(), 1);

    QCOMPARE(run.server.queries,
             (QList<QByteArray>{"word5.test", "word6.test", "word7.test", "word8.test", "word9.test", "word10.test"}));
    QCOMPARE(run.takenPositions(), (QList<qint32>{6, 7, 8, 9, 10, 11}));
    QCOMPARE(run.results.names(ResultList::Registered).size(), 6);
    QVERIFY(run.entry.contains(u"6 of 10"_s));
    QVERIFY(run.entry.contains(u"pause 0"_s));
    QVERIFY(!run.entry.contains(u"11 of 10"_s));
    // Taking the last word already says the connections are closing.
    const qsizetype lastWord = run.open.indexOf(RunFixture::closing);
    QVERIFY(lastWord > 0);
    QCOMPARE(run.entry.last(), u"stopped"_s);
    QVERIFY(!run.loop.isRunning());
}

void TestSearchLoop::oneWordList()
{
    RunFixture run;
    run.server.setReply("No match for ONLY.TEST");
    StringListWordSource words({u"only"_s});
    run.loop.start(words, 1, 1);
    QTRY_COMPARE(run.stopped.size(), 1);
    QCOMPARE(run.results.names(ResultList::High), QStringList{u"only.test"_s});
}

void TestSearchLoop::stopDuringPauseStartsNoLookup()
{
    RunFixture run(1, 300);
    StringListWordSource words(numberedWords(3));
    run.loop.start(words, 1, 3);
    QVERIFY(run.throttle.throttleActive());
    QCOMPARE(run.entry.last(), u"pause 300"_s);
    QTest::qWait(50);
    run.loop.stop();
    QCOMPARE(run.stopped.size(), 1);
    QTest::qWait(500);
    QCOMPARE(run.server.connections, 0);
    QCOMPARE(run.taken.size(), 0);
    QCOMPARE(run.entry.last(), u"stopped"_s);
}

// With several slots a batch ends only when every lookup started in it has
// ended, however the replies interleave.
void TestSearchLoop::batchesWaitForEveryLookup()
{
    RunFixture run(3);
    run.server.setHandler([](QTcpSocket *socket, const QByteArray &query, int) {
        const QByteArray reply = query.endsWith("3.test") ? "No match" : "Domain Name: taken";
        WhoisTestServer::answerLater(socket, reply, QRandomGenerator::global()->bounded(1, 60));
    });
    QList<int> runningAtStart;
    QObject::connect(&run.loop, &SearchLoop::wordTaken, &run.loop,
                     [&] { runningAtStart << run.pool.runningLookups(); });
    StringListWordSource words(numberedWords(7));
    run.loop.start(words, 1, 7);
    QTRY_COMPARE(run.stopped.size(), 1);

    QCOMPARE(run.server.queries.size(), 7);
    QCOMPARE(run.ended.size(), 7);
    // Lookups of one batch start together; a new batch starts with none running.
    QCOMPARE(runningAtStart, (QList<int>{0, 1, 2, 0, 1, 2, 0}));
    QCOMPARE(run.results.names(ResultList::Mid), QStringList{u"word3.test"_s});
    QCOMPARE(run.results.names(ResultList::Registered).size(), 6);
}

void TestSearchLoop::unknownTldDoesNotStallRun()
{
    RunFixture run;
    StringListWordSource words({u"a.b.zz"_s, u"fine"_s});
    run.loop.start(words, 1, 2);
    QTRY_COMPARE_WITH_TIMEOUT(run.stopped.size(), 1, 10 * tickMs);
    QCOMPARE(run.ended.at(0).at(0).value<LookupOutcome>().kind, LookupOutcome::Kind::Error);
    QCOMPARE(run.server.queries, QList<QByteArray>{"fine.test"});
}

void TestSearchLoop::watchdogFreesBatchAndRunGoesOn()
{
    RunFixture run;
    run.server.setHandler([](QTcpSocket *socket, const QByteArray &query, int) {
        if (query != "silent.test")
            WhoisTestServer::answerAndClose(socket, "No match");
    });
    StringListWordSource words({u"silent"_s, u"next"_s});
    run.loop.start(words, 1, 2);
    QTRY_COMPARE_WITH_TIMEOUT(run.stopped.size(), 1, 60 * tickMs);
    QCOMPARE(run.ended.size(), 2);
    QCOMPARE(run.ended.at(0).at(0).value<LookupOutcome>().kind, LookupOutcome::Kind::Timeout);
    QCOMPARE(run.notice.response(), u"Connection Timed Out"_s);
    QCOMPARE(run.results.names(ResultList::High), QStringList{u"next.test"_s});
}

// Names appended to the word file while the run reads it are checked too:
// the run ends at the end of the file, not at the size it had at Start.
void TestSearchLoop::fileThatGrowsDuringRun()
{
    RunFixture run;
    const QString path = run.folder.filePath(u"list.txt"_s);
    writeFile(path, "first\r\nsecond\r\n");
    WordFile words(path);
    QObject::connect(&run.loop, &SearchLoop::wordTaken, &run.loop, [&](qint32 next) {
        if (next == 3) {
            QFile file(path);
            QVERIFY(file.open(QIODevice::Append));
            file.write("third\r\n");
        }
    });
    run.loop.start(words, 1, words.countListEntries());
    QTRY_COMPARE(run.stopped.size(), 1);
    QCOMPARE(run.server.queries, (QList<QByteArray>{"first.test", "second.test", "third.test"}));
}

// With several slots, lookups that end reset the watchdog; a lookup that
// never ends is abandoned once nothing has ended for its period.
void TestSearchLoop::silentLookupDoesNotHoldBatchOfSeveralSlots()
{
    RunFixture run(3);
    run.server.setHandler([](QTcpSocket *socket, const QByteArray &query, int) {
        if (query != "silent.test")
            WhoisTestServer::answerAndClose(socket, "Domain Name: x");
    });
    StringListWordSource words({u"silent"_s, u"one"_s, u"two"_s, u"three"_s, u"four"_s});
    run.loop.start(words, 1, 5);
    QTRY_COMPARE_WITH_TIMEOUT(run.stopped.size(), 1, 80 * tickMs);
    QCOMPARE(run.ended.size(), 5);
    QCOMPARE(run.ended.at(2).at(0).value<LookupOutcome>().kind, LookupOutcome::Kind::Timeout);
    QCOMPARE(run.results.names(ResultList::Registered).size(), 4);
}

void TestSearchLoop::lastPartialBatchOfSilentServersEnds_data()
{
    QTest::addColumn<int>("poolSize");
    QTest::addColumn<int>("words");
    QTest::newRow("2 slots, one word") << 2 << 1;
    QTest::newRow("3 slots, four words") << 3 << 4;
    QTest::newRow("8 slots, seven words") << 8 << 7;
}

// Nothing answers: every batch, the last short one too, is freed by the
// watchdog, so the run ends one watchdog period after each batch.
void TestSearchLoop::lastPartialBatchOfSilentServersEnds()
{
    QFETCH(int, poolSize);
    QFETCH(int, words);
    RunFixture run(poolSize);
    run.server.setHandler([](QTcpSocket *, const QByteArray &, int) {});
    StringListWordSource source(numberedWords(words));
    run.loop.start(source, 1, words);
    const int batches = (words + poolSize - 1) / poolSize;
    QTRY_COMPARE_WITH_TIMEOUT(run.stopped.size(), 1, (batches * 30 + 40) * tickMs);
    QCOMPARE(run.ended.size(), words);
    for (const auto &arguments : run.ended)
        QCOMPARE(arguments.at(0).value<LookupOutcome>().kind, LookupOutcome::Kind::Timeout);
}

// The stored position never passes a word whose lookup is still running, so
// a run stopped (or killed) mid-batch is resumed at that batch.
void TestSearchLoop::resumePositionWaitsForEveryLookupOfBatch()
{
    RunFixture run(2);
    run.server.setHandler([](QTcpSocket *socket, const QByteArray &query, int) {
        if (query != "slow.test")
            WhoisTestServer::answerAndClose(socket, "Domain Name: x");
    });
    QSignalSpy resume(&run.loop, &SearchLoop::resumePositionChanged);
    StringListWordSource words({u"one"_s, u"slow"_s, u"three"_s});
    run.loop.start(words, 1, 3);
    QTRY_COMPARE(run.ended.size(), 1);
    QTest::qWait(3 * tickMs);
    run.loop.stop();
    QCOMPARE(resume.last().at(0).toInt(), 1);

    // Run to the end: the position follows each whole batch.
    resume.clear();
    run.server.setHandler(
        [](QTcpSocket *socket, const QByteArray &, int) { WhoisTestServer::answerAndClose(socket, "Domain Name: x"); });
    run.loop.start(words, 1, 3);
    QTRY_COMPARE(run.stopped.size(), 2);
    QList<int> positions;
    for (const auto &arguments : resume)
        positions << arguments.at(0).toInt();
    QCOMPARE(positions, (QList<int>{1, 3, 4}));
}

QTEST_GUILESS_MAIN(TestSearchLoop)
#include "TestSearchLoop.moc"
