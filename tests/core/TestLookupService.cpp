#include "core/LookupClient.h"
#include "core/LookupService.h"
#include "tests/support/WhoisTestServer.h"

#include <QElapsedTimer>
#include <QPointer>
#include <QTcpSocket>
#include <QTest>
#include <QTimer>

#include <memory>

using namespace Qt::StringLiterals;

namespace {

constexpr int tickMs = 40;

// A registry that answers each query after a short wait, noting when each
// query arrived and how many connections were open at once.
struct LoggingRegistry
{
    explicit LoggingRegistry(const QByteArray &reply = "No match\r\n", int answerAfterMs = 30)
    {
        clock.start();
        server.setHandler([this, reply, answerAfterMs](QTcpSocket *socket, const QByteArray &, int) {
            startedAt << clock.elapsed();
            mostOpen = qMax(mostOpen, ++open);
            QTimer::singleShot(answerAfterMs, socket, [this, socket, reply] {
                --open;
                WhoisTestServer::answerAndClose(socket, reply);
            });
        });
    }

    LookupRequest request(const QString &name, int throttleMs = 0) const
    {
        LookupRequest request;
        request.given = name;
        request.prepared = name;
        request.ascii = name.toLatin1();
        request.route.server = u"127.0.0.1"_s;
        request.route.port = server.port();
        request.route.throttleMs = throttleMs;
        request.route.successIndicators = u"No match"_s;
        return request;
    }

    qint64 smallestGap() const
    {
        qint64 gap = -1;
        for (qsizetype index = 1; index < startedAt.size(); ++index) {
            const qint64 between = startedAt.at(index) - startedAt.at(index - 1);
            gap = gap < 0 ? between : qMin(gap, between);
        }
        return gap;
    }

    WhoisTestServer server;
    QElapsedTimer clock;
    QList<qint64> startedAt;
    int open = 0;
    int mostOpen = 0;
};

// Every name a client heard of, in the order they ended.
void listen(LookupClient &client, QStringList &heard)
{
    QObject::connect(&client, &LookupClient::ended, &client,
                     [&heard](const LookupResult &result) { heard << result.domain; });
}

QStringList names(const QString &prefix, int count)
{
    QStringList list;
    for (int number = 1; number <= count; ++number)
        list << u"%1%2.test"_s.arg(prefix).arg(number);
    return list;
}

} // namespace

class TestLookupService : public QObject
{
    Q_OBJECT

private slots:
    void callersShareOnePace_data();
    void callersShareOnePace();
    void userWaitsBeforeQueuedNames();
    void goneCallerLeavesNothing_data();
    void goneCallerLeavesNothing();
    void refusedNameGetsItsTries_data();
    void refusedNameGetsItsTries();
    void silentRegistryIsGivenUpOnce();
};

void TestLookupService::callersShareOnePace_data()
{
    QTest::addColumn<int>("pauseMs");
    QTest::newRow("no pause") << 0;
    QTest::newRow("a pause") << 150;
}

// Two callers on one registry: one pace for both, and each hears only its own names.
void TestLookupService::callersShareOnePace()
{
    QFETCH(int, pauseMs);
    LoggingRegistry registry;
    QVERIFY(registry.server.listen());
    LookupService service(8, PoolTimings{tickMs, 10, 30});
    LookupClient search(service);
    LookupClient browse(service);
    QStringList heardBySearch;
    QStringList heardByBrowse;
    listen(search, heardBySearch);
    listen(browse, heardByBrowse);

    const QStringList searchNames = names(u"search"_s, 5);
    const QStringList browseNames = names(u"browse"_s, 5);
    for (int index = 0; index < 5; ++index) {
        search.submit(registry.request(searchNames.at(index), pauseMs));
        browse.submit(registry.request(browseNames.at(index), pauseMs));
    }
    QTRY_COMPARE_WITH_TIMEOUT(heardBySearch.size() + heardByBrowse.size(), 10, 20000);

    QCOMPARE(heardBySearch, searchNames);
    QCOMPARE(heardByBrowse, browseNames);
    QCOMPARE(registry.startedAt.size(), 10);
    QVERIFY(search.isIdle() && browse.isIdle());
    if (pauseMs > 0) {
        QCOMPARE(registry.mostOpen, 1);
        QVERIFY2(registry.smallestGap() >= pauseMs, qPrintable(QString::number(registry.smallestGap())));
    }
}

// A name a user waits for goes before the names a search has queued.
void TestLookupService::userWaitsBeforeQueuedNames()
{
    LoggingRegistry registry;
    QVERIFY(registry.server.listen());
    LookupService service(8, PoolTimings{tickMs, 10, 30});
    LookupClient search(service);
    LookupClient whois(service);
    whois.setPriority(LookupService::Priority::Interactive);
    QStringList heard;
    listen(search, heard);
    listen(whois, heard);

    for (const QString &name : names(u"queued"_s, 4))
        search.submit(registry.request(name, 100));
    QTRY_COMPARE(registry.startedAt.size(), 1);
    whois.submit(registry.request(u"wanted.test"_s, 100));
    QTRY_COMPARE_WITH_TIMEOUT(heard.size(), 5, 10000);
    QCOMPARE(registry.server.queries.at(1), "wanted.test"_ba);
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
    QStringList heardBySearch;
    listen(search, heardBySearch);

    for (const QString &name : names(u"browse"_s, 4))
        browse->submit(registry.request(name, 100));
    QTRY_COMPARE(registry.startedAt.size(), 1);
    if (deleted)
        browse.reset();
    else
        browse->cancelAll();
    search.submit(registry.request(u"search1.test"_s, 100));
    search.submit(registry.request(u"search2.test"_s, 100));
    QTRY_COMPARE_WITH_TIMEOUT(heardBySearch.size(), 2, 10000);
    QTest::qWait(300);

    QCOMPARE(heardByBrowse, 0);
    QCOMPARE(registry.server.queries, (QList<QByteArray>{"browse1.test", "search1.test", "search2.test"}));
    QVERIFY(registry.smallestGap() >= 100);
    QCOMPARE(service.running(), 0);
}

void TestLookupService::refusedNameGetsItsTries_data()
{
    QTest::addColumn<int>("tries");
    QTest::newRow("a search's three") << LookupService::maxTries;
    QTest::newRow("a setup test's one") << 1;
}

void TestLookupService::refusedNameGetsItsTries()
{
    QFETCH(int, tries);
    LoggingRegistry registry("Query rate limit exceeded\r\n", 0);
    QVERIFY(registry.server.listen());
    LookupService service(8, PoolTimings{tickMs, 10, 30});
    service.setPacing({50, 200, 20, 600000});
    LookupClient client(service);
    client.setMaxTries(tries);
    QList<LookupResult> ended;
    connect(&client, &LookupClient::ended, this, [&ended](const LookupResult &result) { ended << result; });

    client.submit(registry.request(u"refused.test"_s));
    QTRY_COMPARE_WITH_TIMEOUT(ended.size(), 1, 10000);
    QCOMPARE(ended.first().kind, LookupResult::Kind::Blocked);
    QCOMPARE(ended.first().given, u"refused.test"_s);
    QCOMPARE(ended.first().source, LookupResult::Source::Registry);
    QCOMPARE(ended.first().protocol, LookupResult::Protocol::Whois);
    QVERIFY(ended.first().answeredAt.isValid());
    QCOMPARE(registry.server.queries.size(), tries);
}

// One clock gives a silent query up: reconnected on the way, ended once as a
// time-out, and not asked again of a registry that never answered.
void TestLookupService::silentRegistryIsGivenUpOnce()
{
    WhoisTestServer server;
    QVERIFY(server.listen());
    server.setHandler([](QTcpSocket *, const QByteArray &, int) {});
    LookupService service(2, PoolTimings{tickMs, 10, 30});
    QStringList unanswered;
    connect(&service, &LookupService::registryUnanswered, this,
            [&unanswered](const QString &address) { unanswered << address; });
    LookupClient client(service);
    QList<LookupResult> ended;
    connect(&client, &LookupClient::ended, this, [&ended](const LookupResult &result) { ended << result; });
    LoggingRegistry names;
    client.submit([&] {
        LookupRequest request = names.request(u"silent.test"_s);
        request.route.port = server.port();
        return request;
    }());

    QTRY_COMPARE_WITH_TIMEOUT(ended.size(), 1, 60 * tickMs);
    QCOMPARE(ended.first().kind, LookupResult::Kind::Timeout);
    QCOMPARE(ended.first().error, LookupResult::ErrorKind::NoReply);
    QCOMPARE(server.connections, 3); // at 0, 10 and 20 ticks
    QCOMPARE(unanswered, QStringList{u"127.0.0.1"_s});
    QTest::qWait(12 * tickMs);
    QCOMPARE(server.connections, 3);
    QCOMPARE(ended.size(), 1);
    QCOMPARE(service.running(), 0);
}

QTEST_GUILESS_MAIN(TestLookupService)
#include "TestLookupService.moc"
