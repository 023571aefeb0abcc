#include "core/LookupClient.h"
#include "core/LookupService.h"
#include "tests/support/WhoisTestServer.h"

#include <QElapsedTimer>
#include <QTcpSocket>
#include <QTest>
#include <QTimer>

#include <memory>

using namespace Qt::StringLiterals;

namespace {

constexpr int tickMs = 40;

// A registry that answers each query after a wait (never, with a negative
// one), noting when each query arrived and how many were open at once.
struct LoggingRegistry
{
    explicit LoggingRegistry(const QByteArray &reply = "No match\r\n", int answerAfterMs = 30)
    {
        clock.start();
        server.setHandler([this, reply, answerAfterMs](QTcpSocket *socket, const QByteArray &, int) {
            startedAt << clock.elapsed();
            mostOpen = qMax(mostOpen, ++open);
            if (answerAfterMs >= 0)
                QTimer::singleShot(answerAfterMs, socket, [this, socket, reply] {
                    --open;
                    WhoisTestServer::answerAndClose(socket, reply);
                });
        });
    }

    LookupRequest request(const QString &name, int throttleMs = 0) const
    {
        LookupRequest request;
        request.given = request.prepared = name;
        request.ascii = name.toLatin1();
        request.route.server = u"127.0.0.1"_s;
        request.route.port = server.port();
        request.route.throttleMs = throttleMs;
        request.route.successIndicators = u"No match"_s;
        return request;
    }

    qint64 smallestGap() const
    {
        qint64 gap = std::numeric_limits<qint64>::max();
        for (qsizetype index = 1; index < startedAt.size(); ++index)
            gap = qMin(gap, startedAt.at(index) - startedAt.at(index - 1));
        return gap;
    }

    WhoisTestServer server;
    QElapsedTimer clock;
    QList<qint64> startedAt;
    int open = 0;
    int mostOpen = 0;
};

// Every result a client hears of, in the order they ended.
void listen(LookupClient &client, QList<LookupResult> &heard)
{
    QObject::connect(&client, &LookupClient::ended, &client, [&heard](const LookupResult &result) { heard << result; });
}

void listen(LookupClient &client, QStringList &heard)
{
    QObject::connect(&client, &LookupClient::ended, &client,
                     [&heard](const LookupResult &result) { heard << result.domain; });
}

} // namespace

class TestLookupService : public QObject
{
    Q_OBJECT

private slots:
    void callersShareOnePace();
    void goneCallerLeavesNothing_data();
    void goneCallerLeavesNothing();
    void unansweredNameGetsItsTries_data();
    void unansweredNameGetsItsTries();
};

// Two callers on one registry: one pace for both, each hears only its own
// names, and a name a user waits for goes before the names queued.
void TestLookupService::callersShareOnePace()
{
    constexpr int pauseMs = 150;
    LoggingRegistry registry;
    QVERIFY(registry.server.listen());
    LookupService service(8, PoolTimings{tickMs, 10, 30});
    LookupClient search(service);
    LookupClient browse(service);
    LookupClient whois(service);
    whois.setPriority(LookupService::Priority::Interactive);
    QStringList bySearch, byBrowse, byWhois;
    listen(search, bySearch);
    listen(browse, byBrowse);
    listen(whois, byWhois);

    QStringList searchNames, browseNames;
    for (int number = 1; number <= 5; ++number) {
        searchNames << u"search%1.test"_s.arg(number);
        browseNames << u"browse%1.test"_s.arg(number);
        search.submit(registry.request(searchNames.last(), pauseMs));
        browse.submit(registry.request(browseNames.last(), pauseMs));
    }
    QTRY_VERIFY(!registry.startedAt.isEmpty());
    whois.submit(registry.request(u"wanted.test"_s, pauseMs));
    QTRY_COMPARE_WITH_TIMEOUT(bySearch.size() + byBrowse.size() + byWhois.size(), 11, 20000);

    QCOMPARE(bySearch, searchNames);
    QCOMPARE(byBrowse, browseNames);
    QCOMPARE(byWhois, QStringList{u"wanted.test"_s});
    QCOMPARE(registry.server.queries.at(1), "wanted.test"_ba);
    QCOMPARE(registry.mostOpen, 1);
    QVERIFY2(registry.smallestGap() >= pauseMs, qPrintable(QString::number(registry.smallestGap())));
}

void TestLookupService::goneCallerLeavesNothing_data()
{
    QTest::addColumn<bool>("deleted");
    QTest::newRow("window closed") << true;
    QTest::newRow("checking stopped") << false;
}

// A caller gone mid-lookup: its queued names are never asked, its running
// one reaches nobody, and the registry's pace still holds for the others.
void TestLookupService::goneCallerLeavesNothing()
{
    QFETCH(bool, deleted);
    LoggingRegistry registry("No match\r\n", 200);
    QVERIFY(registry.server.listen());
    LookupService service(8, PoolTimings{tickMs, 10, 30});
    auto browse = std::make_unique<LookupClient>(service);
    int heardByBrowse = 0;
    connect(browse.get(), &LookupClient::ended, this, [&heardByBrowse] { ++heardByBrowse; });
    LookupClient search(service);
    QStringList bySearch;
    listen(search, bySearch);

    for (int number = 1; number <= 4; ++number)
        browse->submit(registry.request(u"browse%1.test"_s.arg(number), 100));
    QTRY_COMPARE(registry.startedAt.size(), 1);
    if (deleted)
        browse.reset();
    else
        browse->cancelAll();
    search.submit(registry.request(u"search1.test"_s, 100));
    search.submit(registry.request(u"search2.test"_s, 100));
    QTRY_COMPARE_WITH_TIMEOUT(bySearch.size(), 2, 10000);
    QTest::qWait(300);

    QCOMPARE(heardByBrowse, 0);
    QCOMPARE(registry.server.queries, (QList<QByteArray>{"browse1.test", "search1.test", "search2.test"}));
    QVERIFY(registry.smallestGap() >= 100);
    QCOMPARE(service.running(), 0);
}

void TestLookupService::unansweredNameGetsItsTries_data()
{
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<int>("answerAfterMs");
    QTest::addColumn<int>("maxTries");
    QTest::addColumn<int>("kind");
    QTest::addColumn<int>("connections");
    const QByteArray refusal = "Query rate limit exceeded\r\n";
    QTest::newRow("refused: a search's three") << refusal << 0 << LookupService::maxTries
                                               << int(LookupResult::Kind::Blocked) << LookupService::maxTries;
    QTest::newRow("refused: a setup test's one") << refusal << 0 << 1 << int(LookupResult::Kind::Blocked) << 1;
    // Reconnected at 10 and 20 ticks, given up at 30, and never asked again
    // of a registry that never answered.
    QTest::newRow("silent") << QByteArray() << -1 << LookupService::maxTries << int(LookupResult::Kind::Timeout) << 3;
}

// The one clock that gives a query up, and the tries a refused or silent name gets.
void TestLookupService::unansweredNameGetsItsTries()
{
    QFETCH(QByteArray, reply);
    QFETCH(int, answerAfterMs);
    QFETCH(int, maxTries);
    QFETCH(int, kind);
    QFETCH(int, connections);
    LoggingRegistry registry(reply, answerAfterMs);
    QVERIFY(registry.server.listen());
    LookupService service(2, PoolTimings{tickMs, 10, 30});
    service.setPacing({50, 200, 20, 600000});
    QStringList unanswered;
    connect(&service, &LookupService::registryUnanswered, this,
            [&unanswered](const QString &address) { unanswered << address; });
    LookupClient client(service);
    client.setMaxTries(maxTries);
    QList<LookupResult> ended;
    listen(client, ended);

    client.submit(registry.request(u"unanswered.test"_s));
    QTRY_COMPARE_WITH_TIMEOUT(ended.size(), 1, 10000);
    QTest::qWait(12 * tickMs);
    QCOMPARE(ended.size(), 1);
    QCOMPARE(int(ended.first().kind), kind);
    QCOMPARE(ended.first().given, u"unanswered.test"_s);
    QCOMPARE(ended.first().source, LookupResult::Source::Registry);
    QVERIFY(ended.first().answeredAt.isValid());
    QCOMPARE(registry.server.connections, connections);
    QCOMPARE(unanswered, kind == int(LookupResult::Kind::Timeout) ? QStringList{u"127.0.0.1"_s} : QStringList());
    QCOMPARE(service.running(), 0);
}

QTEST_GUILESS_MAIN(TestLookupService)
#include "TestLookupService.moc"
