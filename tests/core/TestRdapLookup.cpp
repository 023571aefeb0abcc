#include "core/ConnectionPool.h"
#include "tests/support/TestSession.h"
#include "core/LookupContext.h"
#include "core/RdapQuery.h"
#include "core/RegistrarBlockedNotice.h"
#include "core/ResultLists.h"
#include "tests/support/HttpTestServer.h"
#include "tests/support/TestData.h"
#include "tests/support/WhoisTestServer.h"

#include <QFile>
#include <QSignalSpy>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

Q_DECLARE_METATYPE(LookupResult)

namespace {

const QByteArray domainObject = "{\"objectClassName\":\"domain\",\"ldhName\":\"NAME.TEST\",\"status\":[\"active\"]}";

void answer(QTcpSocket *socket, const QByteArray &status, const QByteArray &headers, const QByteArray &body)
{
    socket->write("HTTP/1.1 " + status + "\r\nContent-Type: application/rdap+json\r\nContent-Length: " +
                  QByteArray::number(body.size()) + "\r\n" + headers + "Connection: close\r\n\r\n" + body);
    socket->disconnectFromHost();
}

// A real registry answer about a registered name, or a minimal domain object
// without the shared test data.
QByteArray registeredBody()
{
    const QString root = testDataDir(u"rdap"_s);
    QFile file(root + u"/responses/com/google.com.verisign-2024-07.json"_s);
    return !root.isEmpty() && file.open(QIODevice::ReadOnly) ? file.readAll() : domainObject;
}

} // namespace

class TestRdapLookup : public QObject
{
    Q_OBJECT

private slots:
    void outcomes_data();
    void outcomes();
};

void TestRdapLookup::outcomes_data()
{
    QTest::addColumn<QByteArray>("status"); // empty: never answers; "redirect N": N redirects, then the domain object
    QTest::addColumn<QByteArray>("headers");
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("reason");

    using Kind = LookupResult::Kind;
    QTest::newRow("404") << "404 Not Found"_ba << QByteArray() << QByteArray() << int(Kind::Available) << u"rdap:404"_s;
    QTest::newRow("200 domain object") << "200 OK"_ba << QByteArray() << registeredBody() << int(Kind::Registered)
                                       << u"rdap:200"_s;
    QTest::newRow("429") << "429 Too Many Requests"_ba
                         << "Retry-After: 30\r\n"_ba << QByteArray() << int(Kind::Blocked) << u"rdap:429"_s;
    QTest::newRow("503 with Retry-After")
        << "503 Service Unavailable"_ba
        << "Retry-After: 5\r\n"_ba << QByteArray() << int(Kind::Blocked) << u"rdap:503"_s;
    QTest::newRow("429 without Retry-After")
        << "429 Too Many Requests"_ba << QByteArray() << QByteArray() << int(Kind::Blocked) << u"rdap:429"_s;
    QTest::newRow("503 with Retry-After: -1")
        << "503 Service Unavailable"_ba << "Retry-After: -1\r\n"_ba << QByteArray() << int(Kind::Error)
        << u"rdap:503"_s;
    QTest::newRow("500") << "500 Internal Server Error"_ba << QByteArray() << QByteArray() << int(Kind::Error)
                         << u"rdap:500"_s;
    QTest::newRow("never answers") << QByteArray() << QByteArray() << QByteArray() << int(Kind::Timeout)
                                   << u"rdap:timeout"_s;
    QTest::newRow("garbage JSON") << "200 OK"_ba << QByteArray() << "<html>not json"_ba << int(Kind::Error)
                                  << u"rdap:200 not a domain object"_s;
    QTest::newRow("huge body is cut") << "200 OK"_ba << QByteArray()
                                      << domainObject.chopped(1) + ",\"x\":\"" + QByteArray(RdapQuery::bodyCap, 'x') +
                                             "\"}"
                                      << int(Kind::Error) << u"rdap:200 not a domain object"_s;
    QTest::newRow("three redirects") << "redirect 3"_ba << QByteArray() << domainObject << int(Kind::Registered)
                                     << u"rdap:200"_s;
    QTest::newRow("four redirects") << "redirect 4"_ba << QByteArray() << domainObject << int(Kind::Error)
                                    << u"rdap:redirect"_s;
    QTest::newRow("nobody listening") << "closed"_ba << QByteArray() << QByteArray() << int(Kind::Error)
                                      << u"rdap:network"_s;
}

// A row whose server is an RDAP base URL is asked over HTTP on the pool's
// slot and its answer filed like a WHOIS verdict.
void TestRdapLookup::outcomes()
{
    QFETCH(QByteArray, status);
    QFETCH(QByteArray, headers);
    QFETCH(QByteArray, body);
    QFETCH(int, kind);
    QFETCH(QString, reason);

    HttpTestServer server;
    QVERIFY(server.listen());
    server.setHandler([&](QTcpSocket *socket, const HttpTestServer::Request &request) {
        if (status.isEmpty())
            return;
        if (status.startsWith("redirect")) {
            // Each redirect puts one more "/hop" in front of the path.
            if (request.target.count("/hop") < status.mid(9).toInt()) {
                answer(socket, "302 Found", "Location: /hop" + request.target + "\r\n", {});
                return;
            }
            answer(socket, "200 OK", {}, body);
            return;
        }
        answer(socket, status, headers, body);
    });

    QTemporaryDir folder;
    TestSession engine(folder.path(), 1, PoolTimings{50, 4, 60});
    LookupContext &context = engine.session.lookup();
    TldEntry row;
    row.extension = u"test"_s;
    const quint16 port = status == "closed" ? WhoisTestServer::unusedPort() : server.port();
    row.whoisServer = u"http://127.0.0.1:%1/rdap/"_s.arg(port);
    row.port = 43;
    row.enabled = true;
    row.successIndicators = u"No match"_s;
    context.tldTable.setEntries({row});
    ConnectionPool pool(1, PoolTimings{50, 4, 60});
    ResultLists &results = engine.session.results();
    const RegistrarBlockedNotice &notice = engine.session.blockedNotice();
    QSignalSpy ended(&pool, &ConnectionPool::lookupEnded);
    connect(&pool, &ConnectionPool::lookupEnded, &engine.session,
            [&engine](const LookupResult &result) { engine.session.file(result); });

    const LookupRequest request = engine.session.admit(u"name.test"_s);
    pool.startLookup(request, 0);
    QTRY_COMPARE(ended.size(), 1);
    const auto outcome = ended.first().first().value<LookupResult>();
    QCOMPARE(outcome.reason, reason);
    QCOMPARE(int(outcome.kind), kind);
    QCOMPARE(outcome.server, row.whoisServer);
    // Every error ending here sends the name to the registry's other protocol.
    QCOMPARE(request.route.unreachable(outcome), outcome.kind == LookupResult::Kind::Error);
    if (status == "closed")
        return;
    QCOMPARE(server.requests.first().target, "/rdap/domain/name.test"_ba);
    QCOMPARE(server.requests.first().header("Accept"), "application/rdap+json"_ba);
    QCOMPARE(results.names(ResultList::High),
             kind == int(LookupResult::Kind::Available) ? QStringList{u"name.test"_s} : QStringList());
    QCOMPARE(results.names(ResultList::Registered),
             kind == int(LookupResult::Kind::Registered) ? QStringList{u"name.test"_s} : QStringList());
    // The wait is shown only when the server gave one.
    if (kind == int(LookupResult::Kind::Blocked))
        QVERIFY2(notice.response().contains(u"retry after"_s) == !headers.isEmpty(), qPrintable(notice.response()));
}

QTEST_GUILESS_MAIN(TestRdapLookup)
#include "TestRdapLookup.moc"
