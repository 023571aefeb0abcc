#include "core/LookupContext.h"
#include "core/RegistrarBlockedNotice.h"
#include "core/ResultLists.h"
#include "core/ThrottleState.h"
#include "harvest/BrowsedNameChecker.h"
#include "harvest/BrowsedPageExtraction.h"
#include "tests/support/TestFiles.h"
#include "tests/support/TestSession.h"
#include "tests/support/WaitUntil.h"
#include "tests/support/WhoisTestServer.h"

#include <QDir>
#include <QEventLoop>
#include <QSignalSpy>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <functional>

using namespace Qt::StringLiterals;

namespace {

const QString standard = u"No match,not found,AVAIL"_s;

// Names holding "free" are available, every other name is registered.
void answerByName(QTcpSocket *socket, const QByteArray &query, int)
{
    WhoisTestServer::answerAndClose(socket, query.contains("free") ? "No match for " + query + "\r\n"
                                                                   : "Domain Name: " + query.toUpper() + "\r\n");
}

struct CheckerFixture
{
    explicit CheckerFixture(BrowsedCheckTimings timings = {20, 20, 5})
        : engine(folder.path())
        , context(engine.session.lookup())
        , throttle(checker.throttle())
        , results(engine.session.results())
        , notice(engine.session.blockedNotice())
        , checker(browsedNamesPath(folder.path()), engine.session, counters, timings)
        , checkStatus(&checker, &BrowsedNameChecker::checkStatusChanged)
        , pageStatus(&checker, &BrowsedNameChecker::pageStatusChanged)
        , unregisteredCaption(&checker, &BrowsedNameChecker::unregisteredCaptionChanged)
        , registeredCaption(&checker, &BrowsedNameChecker::registeredCaptionChanged)
    {
        comServer.setHandler(answerByName);
        netServer.setHandler(answerByName);
    }

    bool listen()
    {
        if (!comServer.listen() || !netServer.listen())
            return false;
        TldEntry org{u"org"_s, u"127.0.0.1"_s, quint16(netServer.port()), false, 0, standard};
        context.tldTable.setEntries({entry(u"com"_s, comServer), entry(u"net"_s, netServer), org});
        return true;
    }

    TldEntry entry(const QString &extension, const WhoisTestServer &server, qint32 throttleMs = 0) const
    {
        return {extension, u"127.0.0.1"_s, quint16(server.port()), true, throttleMs, standard};
    }

    void writeList(const QByteArray &contents, qint32 totalFound)
    {
        writeFile(browsedNamesPath(folder.path()), contents);
        counters.totalFound = totalFound;
        counters.pageFound = totalFound;
    }

    QStringList texts(const QSignalSpy &spy) const
    {
        QStringList all;
        for (const QList<QVariant> &arguments : spy)
            all << arguments.at(0).toString();
        return all;
    }

    bool doneWith(qint32 count) const
    {
        return checker.nextIndex() == count && !checker.isQuerying() && !checker.isPausing();
    }

    QTemporaryDir folder;
    TestSession engine;
    LookupContext &context;
    const ThrottleState &throttle;
    ResultLists &results;
    RegistrarBlockedNotice &notice;
    ExtractionCounters counters;
    WhoisTestServer comServer;
    WhoisTestServer netServer;
    BrowsedNameChecker checker;
    QSignalSpy checkStatus;
    QSignalSpy pageStatus;
    QSignalSpy unregisteredCaption;
    QSignalSpy registeredCaption;
};

} // namespace

class TestBrowsedNameChecker : public QObject
{
    Q_OBJECT

private slots:
    void checksNamesInOrderAndFilesThem();
    void readListEntry_data();
    void readListEntry();
    void missingListIsTheEndOfTheList();
    void namesThatCannotBeAskedAreSkipped();
    void verdict_data();
    void verdict();
    void slowServerIsAskedOnce();
    void silentServerTimesOut();
    void pauseBeforeTheNextName();
    void stopLeavesTheQuery();
};

void TestBrowsedNameChecker::checksNamesInOrderAndFilesThem()
{
    CheckerFixture fixture;
    QVERIFY(fixture.listen());
    fixture.writeList("free.com\r\ntaken.com\r\n\r\nlongerfree.net\r\nlongtaken.net\r\n\r\n", 4);
    fixture.checker.start();
    QVERIFY(waitUntil([&] { return fixture.doneWith(4); }));

    QCOMPARE(fixture.comServer.queries, (QList<QByteArray>{"free.com", "taken.com"}));
    QCOMPARE(fixture.netServer.queries, (QList<QByteArray>{"longerfree.net", "longtaken.net"}));
    QCOMPARE(fixture.checker.unregisteredList().names(), (QStringList{u"free.com"_s, u"longerfree.net"_s}));
    QCOMPARE(fixture.checker.registeredList().names(), (QStringList{u"taken.com"_s, u"longtaken.net"_s}));
    QCOMPARE(fixture.results.names(ResultList::High), QStringList{u"free.com"_s});
    QCOMPARE(fixture.results.names(ResultList::Low), QStringList{u"longerfree.net"_s});
    QCOMPARE(fixture.results.names(ResultList::Registered), (QStringList{u"taken.com"_s, u"longtaken.net"_s}));
    QCOMPARE(fixture.texts(fixture.unregisteredCaption), (QStringList{u"Unregistered: (1)"_s, u"Unregistered: (2)"_s}));
    QCOMPARE(fixture.texts(fixture.registeredCaption), (QStringList{u"Registered: (1)"_s, u"Registered: (2)"_s}));

    const QStringList status = fixture.texts(fixture.checkStatus);
    QCOMPARE(status.mid(0, 4), (QStringList{u"Checking status of: free.com"_s, u"Unregistered: free.com"_s,
                                            u"Pausing for 0 milliseconds."_s, u"Checking status of: taken.com"_s}));
    QCOMPARE(status.mid(4, 2),
             (QStringList{u"Pausing for 0 milliseconds."_s, u"Checking status of: longerfree.net"_s}));
    QTRY_COMPARE(fixture.texts(fixture.checkStatus).constLast(), u"Checked 4 unique domains."_s);
    QCOMPARE(fixture.texts(fixture.pageStatus).constLast(), u"Finished domains on current page"_s);
}

void TestBrowsedNameChecker::readListEntry_data()
{
    QTest::addColumn<QByteArray>("contents");
    QTest::addColumn<qint32>("index");
    QTest::addColumn<QString>("entry"); // empty: the end of the list
    const QByteArray list = "\r\none.com\r\n \r\ntwo.com\r\n\r\nthree.com \r\n\r\n";
    QTest::newRow("first") << list << 0 << u"one.com"_s;
    QTest::newRow("after empty and space lines") << list << 1 << u"two.com"_s;
    QTest::newRow("trailing space kept") << list << 2 << u"three.com "_s;
    QTest::newRow("past the end") << list << 3 << QString();
    QTest::newRow("last line without line end") << "one.com\r\ntwo.com"_ba << 1 << u"two.com"_s;
    QTest::newRow("cr alone ends a line") << "one.com\rtwo.com\r"_ba << 1 << u"two.com"_s;
}

void TestBrowsedNameChecker::readListEntry()
{
    QFETCH(QByteArray, contents);
    QFETCH(qint32, index);
    QFETCH(QString, entry);
    CheckerFixture fixture;
    fixture.writeList(contents, 0);
    const WordRead read = fixture.checker.readListEntry(index);
    QCOMPARE(read.status, entry.isEmpty() ? WordRead::Status::EndOfList : WordRead::Status::Word);
    QCOMPARE(read.word, entry);
}

void TestBrowsedNameChecker::missingListIsTheEndOfTheList()
{
    CheckerFixture fixture;
    QVERIFY(fixture.listen());
    QCOMPARE(fixture.checker.readListEntry(0).status, WordRead::Status::ReadFailed);
    fixture.checker.start();
    QTRY_VERIFY(fixture.checkStatus.size() >= 2);
    QCOMPARE(fixture.texts(fixture.checkStatus).constFirst(), u"Checked 0 unique domains."_s);
    QCOMPARE(fixture.checker.nextIndex(), 0);
    QVERIFY(fixture.pageStatus.isEmpty());

    // The first page's names arrive later; the first of them is not lost.
    fixture.writeList("first.com\r\nsecond.com\r\n\r\n", 2);
    fixture.checker.dispatchNextName();
    QVERIFY(waitUntil([&] { return fixture.doneWith(2); }));
    QCOMPARE(fixture.comServer.queries, (QList<QByteArray>{"first.com", "second.com"}));
}

void TestBrowsedNameChecker::namesThatCannotBeAskedAreSkipped()
{
    CheckerFixture fixture;
    QVERIFY(fixture.listen());
    // No TLD at all, a disabled TLD, an enabled one without its dot, and a
    // three-label name that names an enabled TLD but whose suffixes are in no row.
    // A label over 63 octets has no query; a name outside ASCII goes in its IDNA form.
    fixture.writeList("nodot\r\nsite.org\r\ncomics\r\nwww.shop.co.zz\r\nline%0Abreak.com\r\n" + QByteArray(64, 'x') +
                          ".com\r\nb\xfc"
                          "cher.com\r\nlast.net\r\n",
                      8);
    fixture.context.tldTable.setEntries({fixture.entry(u"com"_s, fixture.comServer),
                                         fixture.entry(u"net"_s, fixture.netServer),
                                         fixture.entry(u"co"_s, fixture.netServer)});
    fixture.checker.dispatchNextName();
    QVERIFY(waitUntil([&] { return fixture.doneWith(8); }));
    // A decoded line feed would split the query in two.
    QCOMPARE(fixture.comServer.queries, (QList<QByteArray>{"linebreak.com", "xn--bcher-kva.com"}));
    QCOMPARE(fixture.netServer.queries, QList<QByteArray>{"last.net"});
    QCOMPARE(fixture.texts(fixture.checkStatus).constFirst(), u"Checking status of: linebreak.com"_s);
}

void TestBrowsedNameChecker::verdict_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("indicators");
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<QString>("filed");

    QTest::newRow("success phrase, any case")
        << u"abc.com"_s << standard << "NO MATCH for abc.com"_ba << u"available"_s;
    QTest::newRow("phrase reversed inside a word")
        << u"abc.com"_s << standard << "abc.com is unavailable"_ba << u"registered"_s;
    QTest::newRow("phrase wins over error") << u"abc.com"_s << standard << "error: No match"_ba << u"available"_s;
    QTest::newRow("empty item matches any reply")
        << u"abc.com"_s << u"No match,,x"_s << "Domain: ABC.COM"_ba << u"available"_s;
    // A connection closed before any byte is no verdict at all.
    QTest::newRow("empty item, empty reply") << u"abc.com"_s << u"No match,,x"_s << QByteArray() << u"nowhere"_s;
    QTest::newRow("empty reply") << u"abc.com"_s << standard << QByteArray() << u"nowhere"_s;
    QTest::newRow("refusal") << u"abc.com"_s << standard << "Query rate exceeded"_ba << u"blocked"_s;
    QTest::newRow("registered") << u"abc.com"_s << standard << "Domain Name: ABC.COM"_ba << u"registered"_s;
    QTest::newRow("bare extension available") << u".com"_s << standard << "No match"_ba << u"nowhere"_s;
    QTest::newRow("bare extension registered") << u".com"_s << standard << "Domain"_ba << u"nowhere"_s;
    QTest::newRow("end marker look-alike") << u"endoffile.com"_s << standard << "No match"_ba << u"nowhere"_s;
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
    fixture.comServer.setReply(reply);
    fixture.comServer.setHandler(
        [reply](QTcpSocket *socket, const QByteArray &, int) { WhoisTestServer::answerAndClose(socket, reply); });
    fixture.writeList(name.toLatin1() + "\r\n", 1);
    fixture.checker.dispatchNextName();
    QVERIFY(waitUntil([&] { return fixture.doneWith(1); }));

    QCOMPARE(fixture.comServer.queries, QList<QByteArray>{name.toLatin1()});
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

void TestBrowsedNameChecker::slowServerIsAskedOnce()
{
    // Timer1 ticks every 20 ms while the answer takes 300 ms.
    CheckerFixture fixture({20, 100, 5});
    QVERIFY(fixture.listen());
    fixture.comServer.setHandler([](QTcpSocket *socket, const QByteArray &query, int) {
        WhoisTestServer::answerLater(socket, "No match for " + query, 300);
    });
    fixture.writeList("slow.com\r\nnext.com\r\n", 2);
    fixture.checker.start();
    QVERIFY(waitUntil([&] { return fixture.doneWith(2); }));
    QCOMPARE(fixture.comServer.connections, 2);
    QCOMPARE(fixture.comServer.queries, (QList<QByteArray>{"slow.com", "next.com"}));
    QCOMPARE(fixture.checker.unregisteredList().names(), (QStringList{u"slow.com"_s, u"next.com"_s}));
    QVERIFY(fixture.notice.registrar().isEmpty());
}

void TestBrowsedNameChecker::silentServerTimesOut()
{
    CheckerFixture fixture({20, 30, 5});
    QVERIFY(fixture.listen());
    fixture.comServer.setHandler([](QTcpSocket *, const QByteArray &, int) {});
    QSignalSpy shown(&fixture.notice, &RegistrarBlockedNotice::showRequested);
    fixture.writeList("silent.com\r\nanswered.net\r\n", 2);
    fixture.checker.start();
    QVERIFY(waitUntil([&] { return fixture.doneWith(2); }));

    QCOMPARE(fixture.comServer.connections, 1);
    QCOMPARE(shown.size(), 1);
    QCOMPARE(fixture.notice.registrar(), u"127.0.0.1"_s);
    QCOMPARE(fixture.notice.response(), u"Connection Timed Out"_s);
    QVERIFY(fixture.checker.unregisteredList().names().isEmpty());
    QCOMPARE(fixture.checker.registeredList().names(), QStringList{u"answered.net"_s});
    QCOMPARE(fixture.netServer.queries, QList<QByteArray>{"answered.net"});

    // Nobody listening at all: the name ends at once, and it is no refusal
    // by a registry.
    fixture.context.tldTable.setEntries(
        {TldEntry{u"com"_s, u"127.0.0.1"_s, quint16(WhoisTestServer::unusedPort()), true, 0, standard}});
    fixture.writeList("silent.com\r\nanswered.net\r\nrefused.com\r\n", 3);
    fixture.checker.dispatchNextName();
    QVERIFY(waitUntil([&] { return fixture.doneWith(3); }));
    QCOMPARE(shown.size(), 1);
}

void TestBrowsedNameChecker::pauseBeforeTheNextName()
{
    CheckerFixture fixture({5, 1000, 5});
    QVERIFY(fixture.listen());
    fixture.context.tldTable.setEntries({fixture.entry(u"com"_s, fixture.comServer, 200)});
    QList<bool> pausingWhenAsked;
    fixture.comServer.setHandler([&](QTcpSocket *socket, const QByteArray &query, int connection) {
        pausingWhenAsked << fixture.throttle.throttleActive();
        answerByName(socket, query, connection);
    });
    fixture.writeList("one.com\r\ntwo.com\r\n", 2);
    fixture.checker.start();
    QVERIFY(waitUntil([&] { return fixture.checker.isPausing(); }));
    QVERIFY(fixture.throttle.throttleActive());
    QCOMPARE(fixture.throttle.currentThrottleMs(), 200);
    QCOMPARE(fixture.texts(fixture.checkStatus).constLast(), u"Pausing for 200 milliseconds."_s);
    QVERIFY(waitUntil([&] { return fixture.doneWith(2); }));
    QCOMPARE(pausingWhenAsked, (QList<bool>{false, false}));
    QCOMPARE(fixture.comServer.queries, (QList<QByteArray>{"one.com", "two.com"}));
}

void TestBrowsedNameChecker::stopLeavesTheQuery()
{
    CheckerFixture fixture;
    QVERIFY(fixture.listen());
    fixture.comServer.setHandler([](QTcpSocket *socket, const QByteArray &query, int) {
        WhoisTestServer::answerLater(socket, "No match for " + query, 100);
    });
    fixture.writeList("one.com\r\n", 1);
    fixture.checker.start();
    QTRY_COMPARE(fixture.comServer.queries.size(), 1);
    fixture.checker.stop();
    QTest::qWait(250);
    QVERIFY(!fixture.checker.isQuerying());
    QCOMPARE(fixture.checker.nextIndex(), 0);
    QVERIFY(fixture.checker.unregisteredList().names().isEmpty());
    QCOMPARE(fixture.results.counter(ResultList::High), 0);
}

QTEST_GUILESS_MAIN(TestBrowsedNameChecker)
#include "TestBrowsedNameChecker.moc"
