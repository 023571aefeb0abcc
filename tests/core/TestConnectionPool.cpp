#include "core/ConnectionPool.h"
#include "core/LookupContext.h"
#include "core/RegistrarBlockedNotice.h"
#include "core/ResultLists.h"
#include "tests/support/TestSession.h"
#include "tests/support/WhoisTestServer.h"

#include <QDir>
#include <QSignalSpy>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>

#include <sys/socket.h>

using namespace Qt::StringLiterals;

Q_DECLARE_METATYPE(LookupResult)

namespace {

constexpr int tickMs = 40;
const QString standard =
    u"No match,not registered,not found,available for registration,no domain records,AVAIL,No entries found"_s;

TldEntry entry(const QString &extension, quint16 port, const QString &indicators = standard,
               const QString &server = u"127.0.0.1"_s)
{
    return {extension, server, quint16(port), true, 0, indicators};
}

// A pool beside a lookup session on a temporary program folder, with
// everything the session files its outcomes into.
struct PoolFixture
{
    explicit PoolFixture(int poolSize = 1)
        : engine(folder.path())
        , context(engine.session.lookup())
        , results(engine.session.results())
        , notice(engine.session.blockedNotice())
        , pool(poolSize, PoolTimings{tickMs, 10, 30})
        , ended(&pool, &ConnectionPool::lookupEnded)
    {
        QDir(folder.path()).mkpath(u"backups"_s);
        QDir(folder.path()).mkpath(u"overflow"_s);
        // Whoever starts a lookup files its outcome; here the fixture does.
        QObject::connect(&pool, &ConnectionPool::lookupEnded, &engine.session,
                         [this](const LookupResult &result) { engine.session.file(result); });
    }

    void start(const QString &name, int slot = 0) { pool.startLookup(engine.session.admit(name), slot); }

    LookupResult outcome(int index = 0) const { return ended.at(index).at(0).value<LookupResult>(); }

    QTemporaryDir folder;
    TestSession engine;
    LookupContext &context;
    ResultLists &results;
    RegistrarBlockedNotice &notice;
    ConnectionPool pool;
    QSignalSpy ended;
};

} // namespace

class TestConnectionPool : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void answerAndCloseFilesVerdict_data();
    void answerAndCloseFilesVerdict();
    void blockedReplyKeepsFirstServer();
    void slowReplyIsCutAndAskedAgainOnEntryPort();
    void silentServerIsReconnectedThenAbandoned();
    void connectionFailureEndsAtOnce_data();
    void connectionFailureEndsAtOnce();
    void endlessReplyIsCapped();
    void resetConnectionEndsLookup();
    void unknownTldEndsAtOnceWithError();
    void stopDuringConnectTakesNoVerdict();
    void slotsKeepTheirOwnIndicators();
    void proxyTakesEveryName();

    // Replies
    void replyLostBeforeFirstByteIsError_data();
    void replyLostBeforeFirstByteIsError();
    // Names
    void queryCarriesAsciiForm_data();
    void queryCarriesAsciiForm();
};

void TestConnectionPool::initTestCase()
{
    qRegisterMetaType<LookupResult>();
}

void TestConnectionPool::answerAndCloseFilesVerdict_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<QByteArray>("query");
    QTest::addColumn<int>("kind");
    QTest::addColumn<int>("list");
    QTest::newRow("available short") << u"ab"_s << "No match for \"AB.TEST\".\r\n"_ba
                                     << "ab.test"_ba << int(LookupResult::Kind::Available) << int(ResultList::High);
    QTest::newRow("available long") << u"abcdefgh.test"_s << "NOT FOUND"_ba
                                    << "abcdefgh.test"_ba << int(LookupResult::Kind::Available)
                                    << int(ResultList::Low);
    QTest::newRow("registered") << u"Example.test"_s << "Domain Name: EXAMPLE.TEST\r\n"_ba
                                << "example.test"_ba << int(LookupResult::Kind::Registered)
                                << int(ResultList::Registered);
    // (Not "\xff\xfe" first: that is a UTF-16 byte-order mark.)
    QTest::newRow("NUL and 8-bit bytes") << u"bytes"_s << QByteArray("\xfe\xfd\0no MATCH\0", 12) << "bytes.test"_ba
                                         << int(LookupResult::Kind::Available) << int(ResultList::Mid);
    QTest::newRow("query is cleaned") << u"related:my%20site"_s << "No match"_ba
                                      << "mysite.test"_ba << int(LookupResult::Kind::Available)
                                      << int(ResultList::Mid);
}

void TestConnectionPool::answerAndCloseFilesVerdict()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, reply);
    QFETCH(QByteArray, query);
    QFETCH(int, kind);
    QFETCH(int, list);

    WhoisTestServer server;
    QVERIFY(server.listen());
    server.setReply(reply);
    PoolFixture fixture;
    fixture.context.tldTable.setEntries({entry(u"test"_s, server.port())});
    fixture.engine.session.setChosenTlds({u"test"_s});

    fixture.start(name, 0);
    QTRY_COMPARE(fixture.ended.size(), 1);
    QCOMPARE(server.queries, QList<QByteArray>{query});
    QCOMPARE(int(fixture.outcome().kind), kind);
    QCOMPARE(fixture.outcome().domain, QString::fromLatin1(query));
    QCOMPARE(fixture.outcome().reply, reply);
    QCOMPARE(fixture.outcome().error, LookupResult::ErrorKind::None);
    QCOMPARE(fixture.results.names(ResultList(list)), QStringList{QString::fromLatin1(query)});
    QCOMPARE(fixture.pool.runningLookups(), 0);
    QTest::qWait(3 * tickMs);
    QCOMPARE(fixture.ended.size(), 1);
}

void TestConnectionPool::blockedReplyKeepsFirstServer()
{
    WhoisTestServer server;
    QVERIFY(server.listen());
    server.setReply("Query rate EXCEEDED\r\n");
    PoolFixture fixture;
    fixture.context.tldTable.setEntries({entry(u"test"_s, server.port())});
    QSignalSpy shown(&fixture.notice, &RegistrarBlockedNotice::showRequested);

    fixture.start(u"one.test"_s, 0);
    QTRY_COMPARE(fixture.ended.size(), 1);
    QCOMPARE(fixture.outcome().kind, LookupResult::Kind::Blocked);
    QCOMPARE(fixture.notice.registrar(), u"127.0.0.1"_s);
    QCOMPARE(fixture.notice.response(), u"Query rate EXCEEDED\r\n"_s);

    server.setReply("quota used up");
    fixture.start(u"two.test"_s, 0);
    QTRY_COMPARE(fixture.ended.size(), 2);
    QCOMPARE(shown.size(), 2);
    QCOMPARE(fixture.notice.response(), u"Query rate EXCEEDED\r\n"_s);
    for (auto list : {ResultList::High, ResultList::Mid, ResultList::Low, ResultList::Registered})
        QVERIFY(fixture.results.names(list).isEmpty());
}

// Data still arriving ten ticks after the connect does not hold the slot: it
// reconnects on the entry's own port, asks again, and the verdict sees the
// first part followed by the whole new reply.
void TestConnectionPool::slowReplyIsCutAndAskedAgainOnEntryPort()
{
    WhoisTestServer server;
    QVERIFY(server.listen());
    server.setHandler([](QTcpSocket *socket, const QByteArray &, int connection) {
        if (connection == 1) {
            socket->write("Domain: slow.test\r\nNo ma");
            WhoisTestServer::answerLater(socket, "rest", 11 * tickMs);
        } else {
            WhoisTestServer::answerAndClose(socket, "tch\r\n");
        }
    });
    PoolFixture fixture;
    fixture.context.tldTable.setEntries({entry(u"test"_s, server.port())});

    fixture.start(u"slow.test"_s, 0);
    QTRY_COMPARE_WITH_TIMEOUT(fixture.ended.size(), 1, 30 * tickMs);
    QCOMPARE(server.connections, 2);
    QCOMPARE(server.queries, (QList<QByteArray>{"slow.test", "slow.test"}));
    QCOMPARE(fixture.outcome().kind, LookupResult::Kind::Available);
}

void TestConnectionPool::silentServerIsReconnectedThenAbandoned()
{
    WhoisTestServer server;
    QVERIFY(server.listen());
    server.setHandler([](QTcpSocket *, const QByteArray &, int) {});
    PoolFixture fixture;
    fixture.context.tldTable.setEntries({entry(u"test"_s, server.port())});

    fixture.start(u"silent.test"_s, 0);
    QTRY_COMPARE_WITH_TIMEOUT(server.connections, 3, 40 * tickMs); // at 0, 10 and 20 ticks
    QCOMPARE(fixture.ended.size(), 0);
    const LookupResult abandoned = fixture.pool.abandon(0);
    QCOMPARE(abandoned.kind, LookupResult::Kind::Timeout);
    // Connected every time: nothing failed but the reply.
    QCOMPARE(abandoned.error, LookupResult::ErrorKind::NoReply);
    QCOMPARE(abandoned.errorString, QString());
    QCOMPARE(abandoned.reason, u"timeout"_s);
    QCOMPARE(fixture.pool.runningLookups(), 0);
    QTest::qWait(12 * tickMs);
    QCOMPARE(server.connections, 3);
    QCOMPARE(fixture.ended.size(), 0);
}

void TestConnectionPool::connectionFailureEndsAtOnce_data()
{
    QTest::addColumn<QString>("server");
    QTest::addColumn<quint16>("port");
    QTest::addColumn<QString>("reason");
    QTest::newRow("refused") << u"127.0.0.1"_s << WhoisTestServer::unusedPort() << u"refused"_s;
    QTest::newRow("host does not resolve") << u"registry.invalid"_s << quint16(43) << u"resolve"_s;
}

void TestConnectionPool::connectionFailureEndsAtOnce()
{
    QFETCH(QString, server);
    QFETCH(quint16, port);
    QFETCH(QString, reason);
    PoolFixture fixture;
    fixture.context.tldTable.setEntries({entry(u"test"_s, port, standard, server)});

    fixture.start(u"failed.test"_s);
    // Without a watchdog only the failure itself can end it; the blocked notice stays empty.
    QTRY_COMPARE_WITH_TIMEOUT(fixture.ended.size(), 1, 5000);
    QCOMPARE(fixture.outcome().kind, LookupResult::Kind::Error);
    QCOMPARE(fixture.outcome().error, LookupResult::ErrorKind::Network);
    QCOMPARE(fixture.outcome().reason, reason);
    QVERIFY(!fixture.outcome().errorString.isEmpty());
    QCOMPARE(fixture.notice.registrar(), QString());
    QCOMPARE(fixture.pool.runningLookups(), 0);
}

void TestConnectionPool::endlessReplyIsCapped()
{
    WhoisTestServer server;
    QVERIFY(server.listen());
    QByteArray reply(3 * 1024 * 1024, 'x');
    reply += "No match";
    server.setReply(reply);
    PoolFixture fixture;
    fixture.context.tldTable.setEntries({entry(u"test"_s, server.port())});

    fixture.start(u"big.test"_s, 0);
    QTRY_COMPARE_WITH_TIMEOUT(fixture.ended.size(), 1, 10000);
    // The phrase lies beyond the kept first mebibyte.
    QCOMPARE(fixture.outcome().kind, LookupResult::Kind::Registered);
}

void TestConnectionPool::resetConnectionEndsLookup()
{
    WhoisTestServer server;
    QVERIFY(server.listen());
    server.setHandler([](QTcpSocket *socket, const QByteArray &, int) {
        socket->write("No match");
        socket->flush();
        socket->abort();
    });
    PoolFixture fixture;
    fixture.context.tldTable.setEntries({entry(u"test"_s, server.port())});

    fixture.start(u"reset.test"_s, 0);
    QTRY_COMPARE_WITH_TIMEOUT(fixture.ended.size(), 1, 40 * tickMs);
    QCOMPARE(fixture.pool.runningLookups(), 0);
}

void TestConnectionPool::unknownTldEndsAtOnceWithError()
{
    PoolFixture fixture;
    fixture.context.tldTable.setEntries({entry(u"net"_s, WhoisTestServer::unusedPort())});

    fixture.start(u"a.b.zz"_s, 0);
    QCOMPARE(fixture.ended.size(), 0); // never from inside startLookup
    QTRY_COMPARE(fixture.ended.size(), 1);
    QCOMPARE(fixture.outcome().kind, LookupResult::Kind::Error);
    QCOMPARE(fixture.outcome().domain, u"a.b.zz"_s);
    QCOMPARE(fixture.outcome().error, LookupResult::ErrorKind::NoTldEntry);
    QCOMPARE(fixture.outcome().errorString, u"No registry is known for .zz"_s);
}

void TestConnectionPool::stopDuringConnectTakesNoVerdict()
{
    WhoisTestServer server;
    QVERIFY(server.listen());
    server.setReply("No match");
    PoolFixture fixture;
    fixture.context.tldTable.setEntries({entry(u"test"_s, server.port())});

    fixture.start(u"stopped.test"_s, 0);
    fixture.pool.closeAll();
    QTest::qWait(15 * tickMs);
    QCOMPARE(fixture.ended.size(), 0);
    QVERIFY(fixture.results.names(ResultList::Mid).isEmpty());

    // Late events of a stopped run are ignored; a new lookup is not.
    fixture.start(u"again.test"_s, 0);
    QTRY_COMPARE(fixture.ended.size(), 1);
    QCOMPARE(fixture.results.names(ResultList::Mid), QStringList{u"again.test"_s});
}

void TestConnectionPool::slotsKeepTheirOwnIndicators()
{
    WhoisTestServer first;
    WhoisTestServer second;
    QVERIFY(first.listen());
    QVERIFY(second.listen());
    first.setHandler([](QTcpSocket *socket, const QByteArray &, int) {
        WhoisTestServer::answerLater(socket, "status: free", 3 * tickMs);
    });
    second.setReply("No entries found");
    PoolFixture fixture(2);
    fixture.context.tldTable.setEntries({entry(u"de"_s, first.port(), u"free"_s), entry(u"uk"_s, second.port())});

    fixture.start(u"one.de"_s, 0);
    fixture.start(u"two.uk"_s, 1);
    QCOMPARE(fixture.pool.runningLookups(), 2);
    QTRY_COMPARE(fixture.ended.size(), 2);
    QCOMPARE(fixture.outcome(0).kind, LookupResult::Kind::Available);
    QCOMPARE(fixture.outcome(1).kind, LookupResult::Kind::Available);
    QCOMPARE(fixture.results.names(ResultList::High), (QStringList{u"two.uk"_s, u"one.de"_s}));
}

void TestConnectionPool::proxyTakesEveryName()
{
    WhoisTestServer proxy;
    QVERIFY(proxy.listen());
    proxy.setReply("proxied: free");
    PoolFixture fixture;
    fixture.context.tldTable.setEntries(
        {entry(u"com"_s, WhoisTestServer::unusedPort()), entry(u"proxy"_s, proxy.port(), u"free"_s)});
    fixture.context.useProxy = true;

    fixture.start(u"anything.com"_s, 0);
    QTRY_COMPARE(fixture.ended.size(), 1);
    QCOMPARE(proxy.queries, QList<QByteArray>{"anything.com"});
    QCOMPARE(fixture.outcome().kind, LookupResult::Kind::Available);
}

void TestConnectionPool::replyLostBeforeFirstByteIsError_data()
{
    QTest::addColumn<bool>("reset");
    QTest::addColumn<int>("retries");
    QTest::addColumn<int>("silentConnections"); // the first ones end without a byte
    QTest::addColumn<int>("kind");
    QTest::addColumn<int>("connections");
    const int error = int(LookupResult::Kind::Error);
    QTest::newRow("closed") << false << 0 << 1 << error << 1;
    QTest::newRow("reset") << true << 0 << 1 << error << 1;
    QTest::newRow("closed, asked again") << false << 1 << 1 << int(LookupResult::Kind::Available) << 2;
    QTest::newRow("reset, asked again") << true << 1 << 1 << int(LookupResult::Kind::Available) << 2;
    QTest::newRow("closed twice") << false << 1 << 2 << error << 2;
}

void TestConnectionPool::replyLostBeforeFirstByteIsError()
{
    QFETCH(bool, reset);
    QFETCH(int, retries);
    QFETCH(int, silentConnections);
    QFETCH(int, kind);
    QFETCH(int, connections);

    WhoisTestServer server;
    QVERIFY(server.listen());
    server.setHandler([&](QTcpSocket *socket, const QByteArray &, int connection) {
        if (connection > silentConnections) {
            WhoisTestServer::answerAndClose(socket, "No match");
            return;
        }
        if (reset) {
            const linger resetOnClose{1, 0};
            ::setsockopt(int(socket->socketDescriptor()), SOL_SOCKET, SO_LINGER, &resetOnClose, sizeof resetOnClose);
            socket->abort();
        } else {
            socket->disconnectFromHost();
        }
    });
    PoolFixture fixture;
    fixture.context.tldTable.setEntries({entry(u"test"_s, server.port())});
    fixture.pool.setEmptyReplyRetries(retries);

    fixture.start(u"dropped.test"_s, 0);
    QTRY_COMPARE_WITH_TIMEOUT(fixture.ended.size(), 1, 8 * tickMs);
    QCOMPARE(int(fixture.outcome().kind), kind);
    QCOMPARE(server.connections, connections);
    if (kind == int(LookupResult::Kind::Error)) {
        QCOMPARE(fixture.outcome().error, LookupResult::ErrorKind::EmptyReply);
        QVERIFY(fixture.results.names(ResultList::Registered).isEmpty());
    }
    QCOMPARE(fixture.pool.runningLookups(), 0);
}

void TestConnectionPool::queryCarriesAsciiForm_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("query"); // empty: nothing may be sent
    QTest::newRow("IDNA") << u"日本語"_s << "xn--wgv71a119e.test"_ba;
    QTest::newRow("Latin-1 letter") << u"bücher"_s << "xn--bcher-kva.test"_ba;
    QTest::newRow("ASCII lowered") << u"Plain-1"_s << "plain-1.test"_ba;
    QTest::newRow("leading hyphen") << u"-lead"_s << QByteArray();
    QTest::newRow("next line control") << u"ab\u0085cd"_s << QByteArray();
    QTest::newRow("label over 63") << QString(64, u'a') << QByteArray();
    QTest::newRow("name over 253") << (QString(62, u'a') + u'.').repeated(4) + u"test"_s << QByteArray();
    QTest::newRow("a mebibyte") << QString(1024 * 1024, u'x') << QByteArray();
}

void TestConnectionPool::queryCarriesAsciiForm()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, query);

    WhoisTestServer server;
    QVERIFY(server.listen());
    server.setReply("No match");
    PoolFixture fixture;
    fixture.context.tldTable.setEntries({entry(u"test"_s, server.port())});
    fixture.engine.session.setChosenTlds({u"test"_s});

    fixture.start(name, 0);
    QTRY_COMPARE(fixture.ended.size(), 1);
    if (query.isEmpty()) {
        QCOMPARE(fixture.outcome().kind, LookupResult::Kind::Error);
        QCOMPARE(fixture.outcome().error, LookupResult::ErrorKind::BadName);
        QCOMPARE(server.connections, 0);
        return;
    }
    QCOMPARE(server.queries, QList<QByteArray>{query});
    QCOMPARE(fixture.outcome().kind, LookupResult::Kind::Available);
    // Lists show the name as it was given.
    QVERIFY2(!fixture.outcome().domain.startsWith(u"xn--"_s), qPrintable(fixture.outcome().domain));
    QVERIFY(fixture.results.names(ResultList::Low).contains(fixture.outcome().domain) ||
            fixture.results.names(ResultList::Mid).contains(fixture.outcome().domain) ||
            fixture.results.names(ResultList::High).contains(fixture.outcome().domain));
}

QTEST_GUILESS_MAIN(TestConnectionPool)
#include "TestConnectionPool.moc"
