#include "core/ConnectionPool.h"
#include "core/LookupClient.h"
#include "tests/support/TestSession.h"
#include "core/LookupContext.h"
#include "core/LookupRoute.h"
#include "core/RegistrarBlockedNotice.h"
#include "core/RegistryDirectory.h"
#include "core/ResultLists.h"
#include "tests/support/TestFiles.h"
#include "tests/support/WhoisTestServer.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

Q_DECLARE_METATYPE(LookupResult)

namespace {

const QByteArray serverList = "# comment\n"
                              "co.za whois.coza.example\n"
                              "za whois.za.example\n"
                              "br.com whois.brcom.example\n"
                              "uk.com whois.ukcom.example\n"
                              "com whois.com.example\n"
                              "info -\n"
                              "qq whois.qq.example\n"
                              "io whois.io.example extra-field\n"
                              "bad_suffix whois.bad.example\n"
                              "xyz\n";

const QByteArray bootstrap =
    "{\"publication\": \"2026-07-14T22:00:03Z\", \"services\": ["
    "[[\"info\", \"app\"], [\"http://rdap.plain.example/\", \"https://rdap.one.example/v1/\"]],"
    "[[\"io\"], [\"https://rdap.io.example\"]],"
    "[[\"com\", \"net\"], [\"https://rdap.com.example/\"]],"
    "[[\"cc\", \"qq\"], [\"https://rdap.qq.example/\"]]]}";

TldEntry row(const QString &extension, const QString &server, bool enabled = true, quint16 port = 4343)
{
    TldEntry entry;
    entry.extension = extension;
    entry.whoisServer = server;
    entry.port = port;
    entry.enabled = enabled;
    entry.throttleMs = 7;
    entry.successIndicators = u"own phrase"_s;
    return entry;
}

} // namespace

class TestLookupRoute : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void routes_data();
    void routes();
    void badRegistryFiles();
    void shippedRegistries_data();
    void shippedRegistries();
    void namesWithoutRowNeverReachComServer();
    void preferenceAndFallback_data();
    void preferenceAndFallback();
    void whoisEndingsThatCallForTheFallback_data();
    void whoisEndingsThatCallForTheFallback();
    void updatedRegistryCopyWins();

private:
    QTemporaryDir m_folder;
    RegistryDirectory m_registries;
};

void TestLookupRoute::initTestCase()
{
    QVERIFY(m_folder.isValid());
    writeFile(m_folder.filePath(u"whois-servers.txt"_s), serverList);
    writeFile(m_folder.filePath(u"rdap-dns.json"_s), bootstrap);
    QString error;
    QVERIFY2(m_registries.loadFolder(m_folder.path(), &error), qPrintable(error));
}

void TestLookupRoute::routes_data()
{
    QTest::addColumn<QString>("domain");
    QTest::addColumn<bool>("useProxy");
    QTest::addColumn<QString>("server"); // empty: no registry
    QTest::addColumn<int>("port");

    QTest::newRow("enabled row") << u"a.com"_s << false << u"row.com.example"_s << 4343;
    QTest::newRow("disabled row: shipped host") << u"a.za"_s << false << u"whois.za.example"_s << 43;
    QTest::newRow("longest suffix") << u"a.co.za"_s << false << u"whois.coza.example"_s << 43;
    QTest::newRow("second-level registry") << u"a.br.com"_s << false << u"whois.brcom.example"_s << 43;
    QTest::newRow("row of the longer suffix") << u"a.uk.com"_s << false << u"row.ukcom.example"_s << 4343;
    QTest::newRow("two-label row") << u"a.net.uk"_s << false << u"row.netuk.example"_s << 4343;
    QTest::newRow("no port 43: RDAP, https preferred")
        << u"a.info"_s << false << u"https://rdap.one.example/v1/"_s << 443;
    QTest::newRow("RDAP only") << u"a.app"_s << false << u"https://rdap.one.example/v1/"_s << 443;
    QTest::newRow("malformed line skipped") << u"a.io"_s << false << u"https://rdap.io.example/"_s << 443;
    QTest::newRow("RDAP row") << u"a.rd"_s << false << u"http://127.0.0.1:20001/rdap/"_s << 443;
    QTest::newRow("no registry") << u"a.b.zz"_s << false << QString() << 0;
    QTest::newRow("proxy") << u"a.za"_s << true << u"row.proxy.example"_s << 4343;
}

void TestLookupRoute::routes()
{
    QFETCH(QString, domain);
    QFETCH(bool, useProxy);
    QFETCH(QString, server);
    QFETCH(int, port);
    TldTable table;
    table.setEntries({row(u"za"_s, u"row.za.example"_s, false), row(u"com"_s, u"row.com.example"_s),
                      row(u"net.uk"_s, u"row.netuk.example"_s), row(u"uk.com"_s, u"row.ukcom.example"_s),
                      row(u"rd"_s, u"http://127.0.0.1:20001/rdap/"_s), row(u"proxy"_s, u"row.proxy.example"_s)});

    const LookupRoute route = routeLookup(domain, table, useProxy, m_registries);
    QCOMPARE(route.server, server);
    if (server.isEmpty()) {
        QCOMPARE(route.error, u"No registry is known for .zz"_s);
        return;
    }
    QVERIFY(route.error.isEmpty());
    QCOMPARE(int(route.port), port);
    QCOMPARE(route.isRdap(), server.startsWith(u"http"_s));
    QCOMPARE(route.successIndicators.startsWith(u"own phrase"_s),
             port != 43 && !server.contains(u"one.example"_s) && !server.contains(u"io.example"_s));
}

// A missing or broken bootstrap says so, and the WHOIS servers still work.
void TestLookupRoute::badRegistryFiles()
{
    QTemporaryDir folder;
    writeFile(folder.filePath(u"whois-servers.txt"_s), serverList);
    RegistryDirectory registries;
    QString error;
    QVERIFY(!registries.loadFolder(folder.path(), &error));
    QVERIFY2(error.contains(u"RDAP bootstrap"_s) && error.contains(u"rdap-dns.json"_s), qPrintable(error));
    QCOMPARE(registries.whoisHost(u"a.co.za"_s), u"whois.coza.example"_s);

    writeFile(folder.filePath(u"rdap-dns.json"_s), "{\"services\": [[[\"io\"], [\"https://x/\"]]");
    QVERIFY(!registries.loadFolder(folder.path(), &error));
    QVERIFY2(error.contains(u"not a bootstrap file"_s), qPrintable(error));
    QCOMPARE(registries.rdapBaseUrl(u"a.io"_s), QString());
    QCOMPARE(registries.whoisHost(u"a.za"_s), u"whois.za.example"_s);
}

void TestLookupRoute::shippedRegistries_data()
{
    QTest::addColumn<QString>("domain");
    QTest::addColumn<QString>("server");
    QTest::newRow("io") << u"foo.io"_s << u"whois.nic.io"_s;
    QTest::newRow("ai") << u"foo.ai"_s << u"whois.nic.ai"_s;
    QTest::newRow("app") << u"foo.app"_s << u"whois.nic.app"_s;
    QTest::newRow("xyz") << u"foo.xyz"_s << u"whois.nic.xyz"_s;
    QTest::newRow("co") << u"foo.co"_s << u"whois.registry.co"_s;
    QTest::newRow("co.za") << u"foo.co.za"_s << u"whois.registry.net.za"_s;
    QTest::newRow("co.uk") << u"foo.co.uk"_s << u"whois.nic.uk"_s;
    QTest::newRow("info: RDAP only") << u"foo.info"_s << u"https://rdap.identitydigital.services/rdap/"_s;
}

// The registry files the program ships know today's servers.
void TestLookupRoute::shippedRegistries()
{
    QFETCH(QString, domain);
    QFETCH(QString, server);
    RegistryDirectory registries;
    QString error;
    QVERIFY2(registries.loadFolder(qEnvironmentVariable("VANTREL_DATA_DIR") + u"/registry"_s, &error),
             qPrintable(error));
    TldTable table;
    table.setEntries({row(u"com"_s, u"127.0.0.1"_s)});
    QCOMPARE(routeLookup(domain, table, false, registries, RegistryProtocol::Whois).server, server);
    const LookupRoute rdapFirst = routeLookup(domain, table, false, registries);
    QCOMPARE(rdapFirst.hasFallback() ? rdapFirst.fallbackServer : rdapFirst.server, server);
}

// A "com" server that calls everything free is asked only about com names;
// names of TLDs nobody is known for end as errors, filed nowhere.
void TestLookupRoute::namesWithoutRowNeverReachComServer()
{
    WhoisTestServer comServer;
    QVERIFY(comServer.listen());
    comServer.setReply("No match\r\n");
    QTemporaryDir folder;
    TestSession engine(folder.path(), 1);
    LookupContext &context = engine.session.lookup();
    TldEntry com = row(u"com"_s, u"127.0.0.1"_s);
    com.port = comServer.port();
    context.tldTable.setEntries({com});
    ConnectionPool pool(1);
    ResultLists &results = engine.session.results();
    const RegistrarBlockedNotice &notice = engine.session.blockedNotice();
    QSignalSpy ended(&pool, &ConnectionPool::lookupEnded);
    connect(&pool, &ConnectionPool::lookupEnded, &engine.session,
            [&engine](const LookupResult &result) { engine.session.file(result); });

    const QStringList names{u"foo.io"_s, u"foo.ai"_s, u"foo.app"_s, u"foo.xyz"_s, u"foo.co"_s, u"foo.co.za"_s};
    for (const QString &name : names) {
        pool.startLookup(engine.session.admit(name), 0);
        QTRY_COMPARE(ended.size(), int(names.indexOf(name)) + 1);
        const auto outcome = ended.last().first().value<LookupResult>();
        QCOMPARE(outcome.kind, LookupResult::Kind::Error);
        QCOMPARE(outcome.reason, u"norow"_s);
    }
    pool.startLookup(engine.session.admit(u"foo.com"_s), 0);
    QTRY_COMPARE(ended.size(), int(names.size()) + 1);
    QCOMPARE(comServer.queries, QList<QByteArray>{"foo.com"});
    QCOMPARE(results.names(ResultList::High), QStringList{u"foo.com"_s});
}

void TestLookupRoute::preferenceAndFallback_data()
{
    QTest::addColumn<QString>("domain");
    QTest::addColumn<bool>("whoisFirst");
    QTest::addColumn<QString>("server");
    QTest::addColumn<int>("port");
    QTest::addColumn<QString>("fallback"); // empty: none
    const QString comRdap = u"https://rdap.com.example/"_s;
    const QString qqRdap = u"https://rdap.qq.example/"_s;
    QTest::newRow("registry's server: RDAP first") << u"a.com"_s << false << comRdap << 443 << u"whois.com.example"_s;
    QTest::newRow("registry's server: WHOIS first") << u"a.com"_s << true << u"whois.com.example"_s << 43 << comRdap;
    QTest::newRow("default table's server") << u"a.cc"_s << false << qqRdap << 443 << u"ccwhois.verisign-grs.com"_s;
    QTest::newRow("user's own server") << u"a.net"_s << false << u"mirror.example"_s << 43 << QString();
    QTest::newRow("user's own port") << u"a.qq"_s << false << u"whois.qq.example"_s << 4343 << QString();
    QTest::newRow("RDAP only") << u"a.app"_s << true << u"https://rdap.one.example/v1/"_s << 443 << QString();
    QTest::newRow("longer suffix of another registry")
        << u"a.br.com"_s << false << u"whois.brcom.example"_s << 43 << QString();
}

// RDAP first where the registry has it, unless WHOIS is preferred; the
// other protocol of the same registry is the fallback. A server the user
// chose (a row's own server, a server override) is asked alone.
void TestLookupRoute::preferenceAndFallback()
{
    QFETCH(QString, domain);
    QFETCH(bool, whoisFirst);
    QFETCH(QString, server);
    QFETCH(int, port);
    QFETCH(QString, fallback);
    LookupContext context;
    context.registries = m_registries;
    context.preferredProtocol = whoisFirst ? RegistryProtocol::Whois : RegistryProtocol::Rdap;
    context.tldTable.setEntries(
        {row(u"com"_s, u"whois.com.example"_s, true, 43), row(u"net"_s, u"mirror.example"_s, true, 43),
         row(u"cc"_s, u"ccwhois.verisign-grs.com"_s, true, 43), row(u"qq"_s, u"whois.qq.example"_s)});
    const LookupRoute route = context.route(domain);
    QCOMPARE(route.server, server);
    QCOMPARE(int(route.port), port);
    QCOMPARE(route.fallbackServer, fallback);
    if (route.hasFallback()) {
        const LookupRoute other = route.fallback();
        QCOMPARE(other.server, fallback);
        QCOMPARE(int(other.port), other.isRdap() ? 443 : 43);
        QVERIFY(!other.hasFallback() && other.successIndicators == route.successIndicators);
    }
    context.serverOverride = {u"override.example"_s, 4343};
    QVERIFY(!context.route(domain).hasFallback());
}

void TestLookupRoute::whoisEndingsThatCallForTheFallback_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<int>("error");
    QTest::addColumn<bool>("unreachable");
    using Kind = LookupResult::Kind;
    using Error = LookupResult::ErrorKind;
    QTest::newRow("refuses the query") << int(Kind::Blocked) << int(Error::None) << false;
    QTest::newRow("closes without a reply") << int(Kind::Error) << int(Error::EmptyReply) << true;
    QTest::newRow("nobody listening") << int(Kind::Error) << int(Error::Network) << true;
    QTest::newRow("never answers") << int(Kind::Timeout) << int(Error::NoReply) << false;
    QTest::newRow("not a domain name") << int(Kind::Error) << int(Error::BadName) << false;
}

// A WHOIS host that cannot be reached sends the name to its registry's RDAP;
// one that refuses or is slow does not.
void TestLookupRoute::whoisEndingsThatCallForTheFallback()
{
    QFETCH(int, kind);
    QFETCH(int, error);
    QFETCH(bool, unreachable);
    LookupRoute route;
    route.server = u"whois.test.example"_s;
    LookupResult ending(0, u"name.test"_s, route.server, LookupResult::Kind(kind));
    ending.error = LookupResult::ErrorKind(error);
    QCOMPARE(route.unreachable(ending), unreachable);
}

// A copy of the registry data in the program folder wins over the shipped
// one; a copy that does not load is passed over, and the message says so.
void TestLookupRoute::updatedRegistryCopyWins()
{
    QTemporaryDir programFolder;
    const QString updated = RegistryDirectory::updatedFolder(programFolder.path());
    writeFile(updated + u"/rdap-dns.json"_s, "{\"services\": [[[\"zz\"], [\"https://rdap.zz.example/\"]]]}");
    RegistryDirectory registries;
    QString error;
    QVERIFY2(registries.loadFolders(m_folder.path(), updated, &error), qPrintable(error));
    QCOMPARE(registries.rdapBaseUrl(u"a.zz"_s), u"https://rdap.zz.example/"_s);
    QCOMPARE(registries.rdapBaseUrl(u"a.io"_s), QString());
    QCOMPARE(registries.whoisHost(u"a.co.za"_s), u"whois.coza.example"_s); // no copy of its own: the shipped one

    writeFile(updated + u"/rdap-dns.json"_s, "{\"services\": []}");
    QVERIFY(!registries.loadFolders(m_folder.path(), updated, &error));
    QVERIFY2(error.contains(u"the shipped copy is used"_s), qPrintable(error));
    QCOMPARE(registries.rdapBaseUrl(u"a.zz"_s), QString());
    QCOMPARE(registries.rdapBaseUrl(u"a.io"_s), u"https://rdap.io.example/"_s);
}

QTEST_GUILESS_MAIN(TestLookupRoute)
#include "TestLookupRoute.moc"
