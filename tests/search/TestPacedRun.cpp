#include "core/LookupResult.h"
#include "search/LookupSession.h"
#include "search/PacedRun.h"
#include "search/StringListWordSource.h"
#include "tests/support/DnsTestServer.h"
#include "tests/support/TestFiles.h"
#include "tests/support/TestSession.h"
#include "tests/support/WaitUntil.h"
#include "tests/support/WhoisTestServer.h"

#include <QDir>
#include <QElapsedTimer>
#include <QScopeGuard>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using namespace Qt::StringLiterals;

namespace {

QByteArray row(const char *extension, const char *host, quint16 port, int throttleMs)
{
    return QByteArray(extension) + '|' + host + '|' + QByteArray::number(port) + "|Enabled|" +
           QByteArray::number(throttleMs) + "|No match\r\n";
}

QStringList numberedNames(int count, const QString &tld)
{
    QStringList names;
    for (int number = 1; number <= count; ++number)
        names << u"word%1.%2"_s.arg(number).arg(tld);
    return names;
}

// A lookup session on a program folder with the given TLD table, whose paced
// run is watched: every name it ends, and when.
struct PacedFixture
{
    PacedFixture(const QByteArray &tlds, int poolSize, PoolTimings timings = {})
    {
        const QString folder = home.filePath(u"program"_s);
        QDir().mkpath(folder);
        writeFile(QDir(folder).filePath(u"TLDs.txt"_s), tlds);
        engine = std::make_unique<TestSession>(folder, poolSize, timings);
        scheduler = std::make_unique<PacedRun>(engine->session);
        QString error;
        prepared = engine->session.prepare(&error);
        QObject::connect(&paced(), &PacedRun::nameEnded, &paced(),
                         [this](const LookupResult &outcome) {
                             ended << outcome;
                             endedAt << clock.elapsed();
                         });
        QObject::connect(&paced(), &PacedRun::resumePositionChanged, &paced(),
                         [this](qint32 position) { resume = position; });
    }

    PacedRun &paced() { return *scheduler; }

    bool run(const QStringList &names, int timeoutMs)
    {
        StringListWordSource source(names);
        clock.start();
        paced().start(source, 1);
        return waitUntil([this] { return !paced().isRunning(); }, timeoutMs);
    }

    QHash<QString, QString> verdicts() const
    {
        QHash<QString, QString> byName;
        for (const LookupResult &outcome : ended)
            byName.insert(outcome.domain, LookupResult::kindText(outcome.kind));
        return byName;
    }

    QTemporaryDir home;
    std::unique_ptr<TestSession> engine;
    std::unique_ptr<PacedRun> scheduler;
    bool prepared = false;
    QElapsedTimer clock;
    QList<LookupResult> ended;
    QList<qint64> endedAt;
    qint32 resume = 0;
};

// Answers names of taken as registered, others as free, and at most five
// queries in any second: beyond that a rate-limit notice.
void rationReplies(WhoisTestServer &server, const QSet<QByteArray> &taken, QElapsedTimer &clock,
                   QList<qint64> &answeredAt)
{
    server.setHandler([&, taken](QTcpSocket *socket, const QByteArray &query, int) {
        const qint64 now = clock.elapsed();
        while (!answeredAt.isEmpty() && now - answeredAt.first() >= 1000)
            answeredAt.removeFirst();
        if (answeredAt.size() >= 5) {
            WhoisTestServer::answerAndClose(socket, "% Query rate limit exceeded\r\n");
            return;
        }
        answeredAt << now;
        WhoisTestServer::answerAndClose(socket, taken.contains(query.toLower()) ? "Domain Name: " + query + "\r\n"
                                                                                : "No match for " + query + "\r\n");
    });
}

} // namespace

class TestPacedRun : public QObject
{
    Q_OBJECT

private slots:
    void everyNameGetsItsTrueVerdict();
    void dnsFailureLeavesNamesToRegistry_data();
    void dnsFailureLeavesNamesToRegistry();
    void rowsOnOneServerNeverOverlap();
    void slowRegistryDoesNotHoldAnother();
    void refusedNameGivenUpAfterThreeTries();
    void resumeNeverPassesUnwrittenHistory();
    void silentRegistryOfShippedListHoldsNoOther();
    void severalTldsWordByWord_data();
    void severalTldsWordByWord();
};

// 200 names, 85% of them delegated, against a registry that rations its
// answers: none lost, none wrong, none left blocked.
void TestPacedRun::everyNameGetsItsTrueVerdict()
{
    DnsTestServer dns;
    if (!dns.listen())
        QSKIP("a DNS responder needs UDP port 53 on 127.0.0.1 (root)");
    WhoisTestServer registry;
    QVERIFY(registry.listen());
    const QStringList names = numberedNames(200, u"test"_s);
    QSet<QByteArray> taken;
    for (int index = 0; index < names.size(); ++index) {
        if (index % 20 < 17)
            dns.zone.insert(names.at(index));
        if (index % 20 < 18) // and a few taken names without delegation
            taken.insert(names.at(index).toLatin1());
    }
    QElapsedTimer registryClock;
    registryClock.start();
    QList<qint64> answeredAt;
    rationReplies(registry, taken, registryClock, answeredAt);

    PacedFixture fixture(row("test", "127.0.0.1", registry.port(), 0), 8);
    QVERIFY(fixture.prepared);
    // Relaxing sooner than a real run keeps the test short.
    fixture.engine->session.service().setPacing({1000, 60000, 5});
    QVERIFY(fixture.run(names, 60000));

    QCOMPARE(fixture.ended.size(), names.size());
    const QHash<QString, QString> verdicts = fixture.verdicts();
    QCOMPARE(verdicts.size(), names.size());
    for (const QString &name : names)
        QCOMPARE(verdicts.value(name), taken.contains(name.toLatin1()) ? u"registered"_s : u"available"_s);
    QCOMPARE(fixture.paced().settledByDns(), 170);
    QCOMPARE(fixture.paced().retriesWaiting(), 0);
    // Only the undelegated names were asked, some of them again after a refusal.
    QSet<QByteArray> asked(registry.queries.cbegin(), registry.queries.cend());
    QCOMPARE(asked.size(), 30);
    QVERIFY(registry.queries.size() > 30);
    QCOMPARE(fixture.resume, 201);
}

void TestPacedRun::dnsFailureLeavesNamesToRegistry_data()
{
    QTest::addColumn<DnsTestServer::Mode>("mode");
    QTest::newRow("never answers") << DnsTestServer::Mode::Silent;
    QTest::newRow("answers garbage") << DnsTestServer::Mode::Garbage;
}

void TestPacedRun::dnsFailureLeavesNamesToRegistry()
{
    QFETCH(DnsTestServer::Mode, mode);
    DnsTestServer dns;
    if (!dns.listen())
        QSKIP("a DNS responder needs UDP port 53 on 127.0.0.1 (root)");
    dns.setMode(mode);
    const QStringList names = numberedNames(6, u"test"_s);
    for (const QString &name : names)
        dns.zone.insert(name);
    WhoisTestServer registry;
    QVERIFY(registry.listen());
    registry.setReply("No match\r\n");

    PacedFixture fixture(row("test", "127.0.0.1", registry.port(), 0), 4);
    QVERIFY(fixture.prepared);
    QVERIFY(fixture.run(names, 15000));
    QCOMPARE(fixture.ended.size(), names.size());
    for (const LookupResult &outcome : std::as_const(fixture.ended))
        QCOMPARE(outcome.kind, LookupResult::Kind::Available);
    QCOMPARE(fixture.paced().settledByDns(), 0);
    QCOMPARE(registry.queries.size(), names.size());
}

// com and net on one server share one pause, whatever the number of slots.
void TestPacedRun::rowsOnOneServerNeverOverlap()
{
    WhoisTestServer registry;
    QVERIFY(registry.listen());
    QElapsedTimer clock;
    clock.start();
    QList<qint64> arrivals;
    int open = 0;
    int mostOpen = 0;
    registry.setHandler([&](QTcpSocket *socket, const QByteArray &, int) {
        arrivals << clock.elapsed();
        mostOpen = qMax(mostOpen, ++open);
        QObject::connect(socket, &QObject::destroyed, &registry, [&open] { --open; });
        WhoisTestServer::answerLater(socket, "Domain Name: taken\r\n", 30);
    });
    QStringList names;
    for (int number = 1; number <= 4; ++number)
        names << u"word%1.com"_s.arg(number) << u"word%1.net"_s.arg(number);

    PacedFixture fixture(row("com", "127.0.0.1", registry.port(), 150) + row("net", "127.0.0.1", registry.port(), 60),
                         8);
    QVERIFY(fixture.prepared);
    fixture.engine->session.setDnsFirst(false, QString());
    QVERIFY(fixture.run(names, 15000));

    QCOMPARE(fixture.ended.size(), names.size());
    QCOMPARE(arrivals.size(), names.size());
    QCOMPARE(mostOpen, 1);
    for (int index = 1; index < arrivals.size(); ++index)
        QVERIFY2(arrivals.at(index) - arrivals.at(index - 1) >= 150 + 30 - 5,
                 qPrintable(u"query %1 came %2 ms after the one before"_s.arg(index).arg(arrivals.at(index) -
                                                                                         arrivals.at(index - 1))));
}

// A registry with a long pause keeps its names queued; the other slots go on
// with the names of another registry.
void TestPacedRun::slowRegistryDoesNotHoldAnother()
{
    WhoisTestServer slow;
    WhoisTestServer fast;
    QVERIFY(slow.listen());
    QVERIFY(fast.listen());
    slow.setReply("Domain Name: taken\r\n");
    fast.setReply("No match\r\n");
    QStringList names;
    for (int number = 1; number <= 10; ++number)
        names << u"slow%1.aa"_s.arg(number) << u"fast%1.bb"_s.arg(number);

    PacedFixture fixture(row("aa", "localhost", slow.port(), 300) + row("bb", "127.0.0.1", fast.port(), 0), 2);
    QVERIFY(fixture.prepared);
    fixture.engine->session.setDnsFirst(false, QString());
    QVERIFY(fixture.run(names, 20000));

    QCOMPARE(fixture.ended.size(), names.size());
    int slowEnded = 0;
    int fastEnded = 0;
    for (const LookupResult &outcome : std::as_const(fixture.ended)) {
        if (outcome.domain.endsWith(u".bb"_s))
            ++fastEnded;
        else if (++slowEnded == 3)
            break;
    }
    QCOMPARE(fastEnded, 10);
    // Each registry still answers in list order.
    QStringList slowOrder;
    for (const LookupResult &outcome : std::as_const(fixture.ended)) {
        if (outcome.domain.endsWith(u".aa"_s))
            slowOrder << outcome.domain;
    }
    QCOMPARE(slowOrder, names.filter(u".aa"_s));
}

void TestPacedRun::refusedNameGivenUpAfterThreeTries()
{
    WhoisTestServer registry;
    QVERIFY(registry.listen());
    registry.setReply("Query quota exceeded\r\n");
    PacedFixture fixture(row("test", "127.0.0.1", registry.port(), 0), 4);
    QVERIFY(fixture.prepared);
    fixture.engine->session.setDnsFirst(false, QString());
    QVERIFY(fixture.run(numberedNames(2, u"test"_s), 15000));

    QCOMPARE(fixture.ended.size(), 2);
    for (const LookupResult &outcome : std::as_const(fixture.ended))
        QCOMPARE(outcome.kind, LookupResult::Kind::Blocked);
    QCOMPARE(registry.queries.size(), 2 * PacedRun::maxTries);
    // The notice shows the last refusal.
    QVERIFY(fixture.engine->session.blockedNotice().response().contains(u"quota"_s));
}

// A killed run resumes at the stored position, so every name before it must
// already have its row in the history: a name passed unwritten is never
// asked again.
void TestPacedRun::resumeNeverPassesUnwrittenHistory()
{
    WhoisTestServer registry;
    QVERIFY(registry.listen());
    registry.setHandler([](QTcpSocket *socket, const QByteArray &query, int) {
        WhoisTestServer::answerAndClose(socket, "No match for " + query + "\r\n");
    });
    PacedFixture fixture(row("test", "127.0.0.1", registry.port(), 0), 8);
    QVERIFY(fixture.prepared);
    fixture.engine->session.setDnsFirst(false, QString());
    const QString connection = u"resume-reader"_s;
    const auto closeReader = qScopeGuard([&connection] { QSqlDatabase::removeDatabase(connection); });
    QSqlDatabase reader = QSqlDatabase::addDatabase(u"QSQLITE"_s, connection);
    reader.setDatabaseName(QDir(fixture.engine->session.programFolder()).filePath(u"history.sqlite"_s));
    QVERIFY(reader.open());
    QList<qint32> ahead;
    QObject::connect(&fixture.paced(), &PacedRun::resumePositionChanged, &fixture.paced(), [&](qint32 position) {
        QSqlQuery rows(reader);
        if (!rows.exec(u"SELECT count(*) FROM verdicts"_s) || !rows.next() || rows.value(0).toInt() < position - 1)
            ahead << position;
    });
    QVERIFY(fixture.run(numberedNames(1200, u"test"_s), 60000));

    QVERIFY2(ahead.isEmpty(), qPrintable(u"positions ahead of the history: %1"_s.arg(ahead.size())));
    QCOMPARE(fixture.resume, 1201);
    QCOMPARE(fixture.ended.size(), 1200);
}

// .io goes by the shipped registry list to a registry that never answers,
// .com to its row's registry: each is paced and judged as the registry it is.
void TestPacedRun::silentRegistryOfShippedListHoldsNoOther()
{
    WhoisTestServer silent;
    if (!silent.listenOn(QHostAddress(u"127.0.0.2"_s), 43))
        QSKIP("a registry of the shipped list needs TCP port 43 on 127.0.0.2 (root)");
    silent.setHandler([](QTcpSocket *, const QByteArray &, int) {});
    WhoisTestServer com;
    QVERIFY(com.listen());
    com.setHandler([](QTcpSocket *socket, const QByteArray &query, int) {
        WhoisTestServer::answerLater(socket, query.startsWith("taken") ? "Domain Name: x\r\n" : "No match\r\n", 20);
    });
    QStringList names;
    for (int number = 1; number <= 4; ++number)
        names << u"taken%1.com"_s.arg(number) << u"free%1.com"_s.arg(number) << u"quiet%1.io"_s.arg(number);

    PacedFixture fixture(row("com", "127.0.0.1", com.port(), 0), 4, PoolTimings{50, 10, 8});
    QVERIFY(fixture.prepared);
    fixture.engine->session.setDnsFirst(false, QString());
    QTemporaryDir lists;
    const QString whoisServers = lists.filePath(u"whois-servers.txt"_s);
    writeFile(whoisServers, "io 127.0.0.2\n");
    QString error;
    QVERIFY2(fixture.engine->session.lookup().registries.loadWhoisServers(whoisServers, &error), qPrintable(error));
    QVERIFY(fixture.run(names, 20000));

    QCOMPARE(fixture.ended.size(), names.size());
    qint64 lastCom = 0;
    qint64 firstIo = -1;
    for (int index = 0; index < fixture.ended.size(); ++index) {
        const LookupResult &outcome = fixture.ended.at(index);
        if (outcome.domain.endsWith(u".io"_s)) {
            QCOMPARE(outcome.kind, LookupResult::Kind::Timeout);
            QCOMPARE(outcome.reason, u"timeout"_s);
            QCOMPARE(outcome.server, u"127.0.0.2"_s);
            if (firstIo < 0)
                firstIo = fixture.endedAt.at(index);
        } else {
            QCOMPARE(LookupResult::kindText(outcome.kind),
                     outcome.domain.startsWith(u"taken"_s) ? u"registered"_s : u"available"_s);
            lastCom = qMax(lastCom, fixture.endedAt.at(index));
        }
    }
    // com never waited for the silent registry, which was asked each name once
    // however much com answered.
    QVERIFY2(lastCom < firstIo, qPrintable(u"last com %1 ms, first io %2 ms"_s.arg(lastCom).arg(firstIo)));
    QCOMPARE(silent.queries.size(), 4);
    QCOMPARE(com.queries.size(), 8);
    QStringList unanswered = fixture.engine->session.results().unanswered().names();
    unanswered.sort();
    QCOMPARE(unanswered, names.filter(u".io"_s));
}

void TestPacedRun::severalTldsWordByWord_data()
{
    QTest::addColumn<QStringList>("words");
    QTest::addColumn<QStringList>("ended"); // in this order
    QTest::addColumn<int>("resume");
    QTest::newRow("every TLD before the next word")
        << QStringList{u"a"_s, u"b"_s, u"c"_s}
        << QStringList{u"a.com"_s, u"a.net"_s, u"a.org"_s, u"b.com"_s, u"b.net"_s,
                       u"b.org"_s, u"c.com"_s, u"c.net"_s, u"c.org"_s}
        << 4;
    QTest::newRow("a name once") << QStringList{u"a"_s, u"b.net"_s, u"A"_s, u"b"_s}
                                 << QStringList{u"a.com"_s, u"a.net"_s, u"a.org"_s, u"b.net"_s, u"b.com"_s, u"b.org"_s}
                                 << 5;
    // The registry never answers held.net: the run resumes at held, though
    // held.com has ended. (One slot: nothing passes held.net.)
    QTest::newRow("a word not ended in every TLD") << QStringList{u"a"_s, u"held"_s, u"c"_s}
                                                   << QStringList{u"a.com"_s, u"a.net"_s, u"a.org"_s, u"held.com"_s}
                                                   << 2;
}

void TestPacedRun::severalTldsWordByWord()
{
    QFETCH(QStringList, words);
    QFETCH(QStringList, ended);
    QFETCH(int, resume);
    WhoisTestServer registry;
    QVERIFY(registry.listen());
    registry.setHandler([](QTcpSocket *socket, const QByteArray &query, int) {
        if (query != "held.net")
            WhoisTestServer::answerAndClose(socket, "No match for " + query + "\r\n");
    });
    const quint16 port = registry.port();
    PacedFixture fixture(row("com", "127.0.0.1", port, 0) + row("net", "127.0.0.1", port, 0) +
                             row("org", "127.0.0.1", port, 0),
                         1);
    QVERIFY(fixture.prepared);
    fixture.engine->session.setDnsFirst(false, QString());
    fixture.engine->session.setChosenTlds({u"com"_s, u"net"_s, u"org"_s});
    StringListWordSource source(words);
    fixture.paced().start(source, 1);
    QVERIFY(waitUntil([&] { return fixture.ended.size() == ended.size(); }, 15000));
    fixture.paced().stop();

    QStringList names;
    for (const LookupResult &outcome : std::as_const(fixture.ended))
        names << outcome.domain;
    QCOMPARE(names, ended);
    QCOMPARE(fixture.paced().resumePosition(), resume);
}

QTEST_GUILESS_MAIN(TestPacedRun)
#include "TestPacedRun.moc"
