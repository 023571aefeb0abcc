#include "core/HistoryStore.h"
#include "core/LookupContext.h"
#include "core/RegistrarBlockedNotice.h"
#include "core/ResultLists.h"
#include "harvest/BrowsedNameChecker.h"
#include "search/PacedRun.h"
#include "search/StringListWordSource.h"
#include "tests/support/DnsTestServer.h"
#include "tests/support/TestFiles.h"
#include "tests/support/TestSession.h"
#include "tests/support/WaitUntil.h"
#include "tests/support/WhoisTestServer.h"

#include <QDir>
#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

const QString standard = u"No match,not found,AVAIL"_s;

// Names holding "free" are available, every other name is registered.
void answerByName(QTcpSocket *socket, const QByteArray &query, int)
{
    WhoisTestServer::answerLater(socket,
                                 query.contains("free") ? "No match for " + query + "\r\n"
                                                        : "Domain Name: " + query.toUpper() + "\r\n",
                                 5);
}

QStringList numberedNames(const QString &stem, int count, const QString &tld)
{
    QStringList names;
    for (int number = 1; number <= count; ++number)
        names << u"%1%2.%3"_s.arg(stem).arg(number).arg(tld);
    return names;
}

QStringList texts(const QList<QByteArray> &queries)
{
    QStringList all;
    for (const QByteArray &query : queries)
        all << QString::fromLatin1(query);
    return all;
}

// A checker on a session whose pool also has room for the main window's run.
struct CheckerFixture
{
    CheckerFixture()
        : engine(folder.path(), 8, PoolTimings{40, 10, 10})
        , context(engine.session.lookup())
        , results(engine.session.results())
        , notice(engine.session.blockedNotice())
        , checker(engine.session)
        , finished(&checker, &BrowsedNameChecker::finished)
    {
        comServer.setHandler(answerByName);
        netServer.setHandler(answerByName);
    }

    bool listen()
    {
        if (!comServer.listen() || !netServer.listen())
            return false;
        context.tldTable.setEntries({entry(u"com"_s, comServer), entry(u"net"_s, netServer)});
        return true;
    }

    TldEntry entry(const QString &extension, const WhoisTestServer &server) const
    {
        return {extension, u"127.0.0.1"_s, quint16(server.port()), true, 0, standard};
    }

    bool checkAll(const QStringList &names)
    {
        const qsizetype before = finished.size();
        checker.check(names);
        return waitUntil([&] { return finished.size() > before && !checker.isChecking(); });
    }

    QTemporaryDir folder;
    TestSession engine;
    LookupContext &context;
    ResultLists &results;
    RegistrarBlockedNotice &notice;
    WhoisTestServer comServer;
    WhoisTestServer netServer;
    BrowsedNameChecker checker;
    QSignalSpy finished;
};

} // namespace

class TestBrowsedNameChecker : public QObject
{
    Q_OBJECT

private slots:
    void checksNamesAndFilesThem();
    void verdict_data();
    void verdict();
    void stopDropsTheBacklogAndEachNameIsAskedOnce();
    void registryKeepsItsPaceFromBatchToBatch();
    void namesGoThroughHistoryAndDns();
};

void TestBrowsedNameChecker::checksNamesAndFilesThem()
{
    CheckerFixture fixture;
    QVERIFY(fixture.listen());
    QSignalSpy progress(&fixture.checker, &BrowsedNameChecker::progressChanged);
    // A name without a dot is passed over: nothing is appended to it.
    QVERIFY(fixture.checkAll({u"free.com"_s, u"taken.com"_s, u"nodot"_s, u"longerfree.net"_s, u"longtaken.net"_s}));

    QCOMPARE(fixture.comServer.queries.size() + fixture.netServer.queries.size(), 4);
    QStringList unregistered = fixture.checker.unregisteredList().names();
    unregistered.sort();
    QCOMPARE(unregistered, (QStringList{u"free.com"_s, u"longerfree.net"_s}));
    QCOMPARE(fixture.checker.registeredList().size(), 2);
    QCOMPARE(fixture.results.names(ResultList::High), QStringList{u"free.com"_s});
    QCOMPARE(fixture.results.names(ResultList::Low), QStringList{u"longerfree.net"_s});
    QCOMPARE(fixture.results.counter(ResultList::Registered), 2);
    QCOMPARE(progress.constFirst(), (QList<QVariant>{0, 4}));
    QCOMPARE(progress.constLast(), (QList<QVariant>{4, 4}));
}

void TestBrowsedNameChecker::verdict_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("indicators");
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<QString>("filed");

    QTest::newRow("success phrase, any case")
        << u"abc.com"_s << standard << "NO MATCH for abc.com"_ba << u"available"_s;
    QTest::newRow("phrase wins over error") << u"abc.com"_s << standard << "error: No match"_ba << u"available"_s;
    // A connection closed before any byte is no verdict at all.
    QTest::newRow("empty reply") << u"abc.com"_s << standard << QByteArray() << u"nowhere"_s;
    QTest::newRow("refusal") << u"abc.com"_s << standard << "Query rate exceeded"_ba << u"blocked"_s;
    QTest::newRow("registered") << u"abc.com"_s << standard << "Domain Name: ABC.COM"_ba << u"registered"_s;
    QTest::newRow("bare extension") << u".com"_s << standard << "No match"_ba << u"nowhere"_s;
}

void TestBrowsedNameChecker::verdict()
{
    QFETCH(QString, name);
    QFETCH(QString, indicators);
    QFETCH(QByteArray, reply);
    QFETCH(QString, filed);
    CheckerFixture fixture;
    QVERIFY(fixture.listen());
    TldEntry com = fixture.entry(u"com"_s, fixture.comServer);
    com.successIndicators = indicators;
    fixture.context.tldTable.setEntries({com});
    fixture.comServer.setHandler(
        [reply](QTcpSocket *socket, const QByteArray &, int) { WhoisTestServer::answerAndClose(socket, reply); });
    QVERIFY(fixture.checkAll({name}));

    QCOMPARE(fixture.checker.checked(), 1);
    QCOMPARE(fixture.checker.unregisteredList().names(), filed == u"available"_s ? QStringList{name} : QStringList());
    QCOMPARE(fixture.checker.registeredList().names(), filed == u"registered"_s ? QStringList{name} : QStringList());
    QCOMPARE(fixture.results.counter(ResultList::High), filed == u"available"_s ? 1 : 0);
    QCOMPARE(fixture.results.counter(ResultList::Registered), filed == u"registered"_s ? 1 : 0);
    if (filed == u"blocked"_s) {
        QCOMPARE(fixture.notice.registrar(), u"127.0.0.1"_s);
        QCOMPARE(fixture.notice.response(), QString::fromLatin1(reply));
    } else {
        QVERIFY(fixture.notice.registrar().isEmpty());
    }
}

// The checker runs beside the main window's search on the same session:
// stopping it drops its running batch and its backlog and leaves the search
// alone; each name handed over is asked at most once, in the order found.
void TestBrowsedNameChecker::stopDropsTheBacklogAndEachNameIsAskedOnce()
{
    CheckerFixture fixture;
    QVERIFY(fixture.listen());
    PacedRun search(fixture.engine.session);
    search.setParallel(4);
    QSignalSpy searchEnded(&search, &PacedRun::nameEnded);
    StringListWordSource searchWords(numberedNames(u"search"_s, 40, u"net"_s));
    search.start(searchWords, 1);

    const QStringList firstPage = numberedNames(u"first"_s, 30, u"com"_s);
    const QStringList secondPage = numberedNames(u"second"_s, 30, u"com"_s);
    fixture.checker.check(firstPage.mid(0, 10));
    // Found while the first batch runs: they wait for the next one.
    fixture.checker.check(firstPage.mid(10));
    QVERIFY(waitUntil([&] { return fixture.checker.checked() >= 5; }));
    QCOMPARE(fixture.checker.total(), 30);

    fixture.checker.stop();
    QVERIFY(!fixture.checker.isChecking());
    QCOMPARE(fixture.checker.total(), fixture.checker.checked());
    const int checkedAtStop = fixture.checker.checked();

    // The search ends every one of its names meanwhile.
    QVERIFY(waitUntil([&] { return !search.isRunning(); }));
    QCOMPARE(searchEnded.size(), 40);
    QCOMPARE(fixture.netServer.queries.size(), 40);
    QCOMPARE(fixture.checker.checked(), checkedAtStop);
    // Only the lookups on the wire at the stop may have reached the registry.
    const int askedAtStop = int(fixture.comServer.queries.size());
    QVERIFY(askedAtStop <= checkedAtStop + BrowsedNameChecker::parallel);
    // The checker's batches left the search's counters alone.
    QCOMPARE(fixture.results.counter(ResultList::Registered), 40 + fixture.checker.registeredList().size());

    // Names found later are checked; the dropped ones are not.
    QVERIFY(fixture.checkAll(secondPage));
    QCOMPARE(fixture.checker.checked(), checkedAtStop + 30);
    QCOMPARE(fixture.checker.total(), checkedAtStop + 30);
    const QStringList asked = texts(fixture.comServer.queries);
    QCOMPARE(QSet<QString>(asked.cbegin(), asked.cend()).size(), asked.size());
    QStringList askedLater = asked.mid(askedAtStop);
    askedLater.sort();
    QStringList expected = secondPage;
    expected.sort();
    QCOMPARE(askedLater, expected);
    for (const QString &name : asked.mid(0, askedAtStop))
        QVERIFY2(firstPage.contains(name), qPrintable(name));
}

// Names handed over one batch after another, and after a stop, still reach
// a registry no sooner than its pause after the query before.
void TestBrowsedNameChecker::registryKeepsItsPaceFromBatchToBatch()
{
    CheckerFixture fixture;
    QVERIFY(fixture.listen());
    TldEntry com = fixture.entry(u"com"_s, fixture.comServer);
    com.throttleMs = 150;
    fixture.context.tldTable.setEntries({com});
    QElapsedTimer clock;
    clock.start();
    QList<qint64> arrivals;
    fixture.comServer.setHandler([&](QTcpSocket *socket, const QByteArray &query, int connection) {
        arrivals << clock.elapsed();
        answerByName(socket, query, connection);
    });
    fixture.checker.check({u"one.com"_s});
    fixture.checker.check({u"two.com"_s, u"three.com"_s});
    QVERIFY(waitUntil([&] { return arrivals.size() == 3; }));
    fixture.checker.stop();
    QVERIFY(fixture.checkAll({u"four.com"_s}));

    QCOMPARE(arrivals.size(), 4);
    for (int index = 1; index < arrivals.size(); ++index)
        QVERIFY2(arrivals.at(index) - arrivals.at(index - 1) >= 150 - 5,
                 qPrintable(u"query %1 came %2 ms after the one before"_s.arg(index).arg(arrivals.at(index) -
                                                                                         arrivals.at(index - 1))));
}

// A name is answered from the history when it may, else asked of DNS, and
// the registry only sees names DNS does not show delegated; the verdicts are
// kept in the history as found by the browse window.
void TestBrowsedNameChecker::namesGoThroughHistoryAndDns()
{
    DnsTestServer dns;
    if (!dns.listen())
        QSKIP("a DNS responder needs UDP port 53 on 127.0.0.1 (root)");
    dns.zone.insert(u"delegated.com"_s);
    CheckerFixture fixture;
    QVERIFY(fixture.listen());
    writeFile(QDir(fixture.folder.path()).filePath(u"TLDs.txt"_s),
              "com|127.0.0.1|" + QByteArray::number(fixture.comServer.port()) + "|Enabled|0|No match\r\n");
    QString error;
    QVERIFY2(fixture.engine.session.prepare(&error), qPrintable(error));
    LookupSession &session = fixture.engine.session;
    QVERIFY(session.history());
    session.setRecheckAfterDays(30);
    session.setDnsFirst(true, DnsTestServer::address().toString());
    LookupResult kept(0, u"kept.com"_s, u"127.0.0.1"_s, LookupResult::Kind::Available);
    session.record(kept, u"check"_s);
    session.commitHistory();

    QVERIFY(fixture.checkAll({u"kept.com"_s, u"delegated.com"_s, u"asked.com"_s}));
    QCOMPARE(fixture.comServer.queries, QList<QByteArray>{"asked.com"});
    QVERIFY(!dns.questions.contains(u"kept.com"_s));
    QVERIFY(dns.questions.contains(u"delegated.com"_s));
    QCOMPARE(fixture.checker.registeredList().names(), (QStringList{u"delegated.com"_s, u"asked.com"_s}));
    QCOMPARE(fixture.checker.unregisteredList().names(), QStringList{u"kept.com"_s});

    const QDateTime today = QDateTime::currentDateTimeUtc().addDays(-1);
    for (const QString &name : {u"delegated.com"_s, u"asked.com"_s}) {
        const std::optional<HistoryEntry> row = session.history()->recentVerdict(name, today);
        QVERIFY2(row, qPrintable(name));
        QCOMPARE(row->source, u"browse window"_s);
        QCOMPARE(row->verdict, u"registered"_s);
    }
    QCOMPARE(session.history()->recentVerdict(u"kept.com"_s, today)->source, u"check"_s);
}

QTEST_GUILESS_MAIN(TestBrowsedNameChecker)
#include "TestBrowsedNameChecker.moc"
