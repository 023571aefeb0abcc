#include "core/TldTable.h"
#include "harvest/EngineSettings.h"
#include "harvest/ListBuilder.h"
#include "harvest/PageDownload.h"
#include "settings/ProgramFolder.h"
#include "settings/SettingsStore.h"
#include "tests/support/HttpTestServer.h"
#include "tests/support/TestFiles.h"
#include "tests/support/WhoisTestServer.h"

#include <QDir>
#include <QRandomGenerator>
#include <QSignalSpy>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

// A result page linking to name<first>.com .. name<first+count-1>.com.
QByteArray resultPage(int first, int count)
{
    QByteArray page = "<html><body><ol>\n";
    for (int i = first; i < first + count; ++i)
        page += "<li><a href=\"http://www.name" + QByteArray::number(i) + ".com/page\">Result</a></li>\n";
    return page + "</ol></body></html>\n";
}

QByteArray listOf(int first, int count)
{
    QByteArray list;
    for (int i = first; i < first + count; ++i)
        list += "name" + QByteArray::number(i) + ".com\r\n";
    return list;
}

TldTable comNetTable()
{
    TldEntry com;
    com.extension = u"com"_s;
    com.enabled = true;
    TldEntry net = com;
    net.extension = u"net"_s;
    TldTable table;
    table.setEntries({com, net});
    return table;
}

} // namespace

class TestListBuilder : public QObject
{
    Q_OBJECT

private slots:
    void init();

    void resultPageUrl_data();
    void resultPageUrl();
    void finishedListText_data();
    void finishedListText();
    void searchCopyName_data();
    void searchCopyName();

    void downloadReadsSmallChunks();
    void googleRunPagesUntilEmptyPage();
    void yahooRunStopsAtTargetCount();
    void pageWithoutNewNameEndsRun();
    void brokenConnections();
    void unreachableEngine();
    void unwritableListIsReported();
    void abortFromProgressReportEndsRun();
    void failuresKeepEarlierPages_data();
    void failuresKeepEarlierPages();
    void cancelKeepsNames();
    void engineAddressesFromSettings();

private:
    ListBuilderConfig loopbackConfig(quint16 port) const;
    QString listPath() const { return m_home->filePath(u"BrowserSearch.txt"_s); }

    std::unique_ptr<QTemporaryDir> m_home;
    TldTable m_table = comNetTable();
    HttpTestServer *m_server = nullptr;
};

void TestListBuilder::init()
{
    m_home = std::make_unique<QTemporaryDir>();
    QVERIFY(m_home->isValid());
    QVERIFY(ProgramFolder::createStartupFilesAndFolders(m_home->path()));
    delete m_server;
    m_server = new HttpTestServer(this);
    QVERIFY(m_server->listen());
}

ListBuilderConfig TestListBuilder::loopbackConfig(quint16 port) const
{
    ListBuilderConfig config;
    config.engines.yahoo = {u"http"_s, u"127.0.0.1"_s, port, u"/search/dir"_s};
    config.engines.google = {u"http"_s, u"127.0.0.1"_s, port, u"/search"_s};
    config.pauseMs = 0;
    QString error;
    if (!config.harvest.load(ProgramFolder::shippedDataDir() + u"/harvest"_s, &error))
        qWarning("%s", qPrintable(error));
    return config;
}

void TestListBuilder::resultPageUrl_data()
{
    QTest::addColumn<SearchEngine>("engine");
    QTest::addColumn<QString>("phrase");
    QTest::addColumn<qint32>("offset");
    QTest::addColumn<QByteArray>("url");
    QTest::newRow("yahoo first page") << SearchEngine::Yahoo << u"blue widgets"_s << 1
                                      << "http://search.yahoo.com/search/dir?h=s&xargs=0&p=blue+widgets&b=1"_ba;
    QTest::newRow("yahoo third page") << SearchEngine::Yahoo << u"x"_s << 41
                                      << "http://search.yahoo.com/search/dir?h=s&xargs=0&p=x&b=41"_ba;
    QTest::newRow("google second page")
        << SearchEngine::Google << u"blue widgets"_s << 101
        << "http://www.google.com/search?num=100&hl=en&lr=&ie=UTF-8&oe=UTF-8&safe=off&filter=0&start=100&sa=N"
           "&q=blue+widgets"_ba;
    QTest::newRow("ampersand stays in the phrase")
        << SearchEngine::Google << u"a&b"_s << 1
        << "http://www.google.com/search?num=100&hl=en&lr=&ie=UTF-8&oe=UTF-8&safe=off&filter=0&start=0&sa=N"
           "&q=a%26b"_ba;
    QTest::newRow("reserved and 8-bit characters")
        << SearchEngine::Yahoo << u"c++ / 100% #1 ?=\u00fcber"_s << 1
        << "http://search.yahoo.com/search/dir?h=s&xargs=0&p=c%2B%2B+%2F+100%25+%231+%3F%3D%C3%BCber&b=1"_ba;
    QTest::newRow("unreserved characters") << SearchEngine::Yahoo << u"A-z_0.9~"_s << 1
                                           << "http://search.yahoo.com/search/dir?h=s&xargs=0&p=A-z_0.9~&b=1"_ba;
    QTest::newRow("bing third page") << SearchEngine::Bing << u"blue widgets"_s << 101
                                     << "https://www.bing.com/search?q=blue+widgets&count=50&first=101"_ba;
    QTest::newRow("duckduckgo second page")
        << SearchEngine::DuckDuckGo << u"a&b"_s << 31 << "https://html.duckduckgo.com/html/?q=a%26b&s=30"_ba;
    QTest::newRow("no engine") << SearchEngine::None << u"x"_s << 1 << QByteArray();
}

void TestListBuilder::resultPageUrl()
{
    QFETCH(SearchEngine, engine);
    QFETCH(QString, phrase);
    QFETCH(qint32, offset);
    QFETCH(QByteArray, url);
    QCOMPARE(::resultPageUrl(engine, SearchEngineHosts(), encodeSearchPhrase(phrase), offset).toEncoded(), url);
}

void TestListBuilder::finishedListText_data()
{
    QTest::addColumn<QString>("found");
    QTest::addColumn<QString>("written");
    QTest::newRow("plain") << u"a.com\r\nb.net\r\n"_s << u"a.com\r\nb.net\r\n"_s;
    QTest::newRow("empty") << QString() << QString();
    QTest::newRow("blank lines") << u"a.com\r\n\r\n\r\n\r\nb.com\r\n"_s << u"a.com\r\nb.com\r\n"_s;
    QTest::newRow("128 breaks shrink to one")
        << u"a\r\n"_s.repeated(1) + u"\r\n"_s.repeated(127) + u"b"_s << u"a\r\nb"_s;
    QTest::newRow("129 breaks leave two") << u"a"_s + u"\r\n"_s.repeated(129) + u"b"_s << u"a\r\n\r\nb"_s;
    QTest::newRow("target leftovers") << u"x.comtarget=_blank\r\ny.orgtarget=_blank\r\nz.nettarget=_blank\r\n"_s
                                      << u"x.y.z.nettarget=_blank\r\n"_s;
}

void TestListBuilder::finishedListText()
{
    QFETCH(QString, found);
    QFETCH(QString, written);
    QCOMPARE(::finishedListText(found), written);
}

void TestListBuilder::searchCopyName_data()
{
    QTest::addColumn<SearchEngine>("engine");
    QTest::addColumn<QString>("phrase");
    QTest::addColumn<QString>("name");
    QTest::newRow("google") << SearchEngine::Google << u"blue widgets"_s << u"Google blue widgets.txt"_s;
    QTest::newRow("yahoo") << SearchEngine::Yahoo << u"a&b"_s << u"Yahoo a&b.txt"_s;
    QTest::newRow("duckduckgo") << SearchEngine::DuckDuckGo << u"x"_s << u"DuckDuckGo x.txt"_s;
    QTest::newRow("folders") << SearchEngine::Google << u"../../etc/x\\y"_s << u"Google .._.._etc_x_y.txt"_s;
    QTest::newRow("controls") << SearchEngine::Yahoo << u"a\tb\nc"_s + QChar(0) + QChar(0x7f) << u"Yahoo a_b_c__.txt"_s;
}

void TestListBuilder::searchCopyName()
{
    QFETCH(SearchEngine, engine);
    QFETCH(QString, phrase);
    QFETCH(QString, name);
    QCOMPARE(::searchCopyName(engine, phrase), name);
}

void TestListBuilder::downloadReadsSmallChunks()
{
    const QByteArray body = resultPage(1, 200);
    m_server->setBody(body);
    PageDownload download;
    QSignalSpy progress(&download, &PageDownload::progress);
    QSignalSpy finished(&download, &PageDownload::finished);
    download.start(QUrl(u"http://127.0.0.1:%1/page"_s.arg(m_server->port())));
    QVERIFY(finished.wait());
    QCOMPARE(finished.first().first().value<PageReply>().body, body);
    QVERIFY(!download.isRunning());

    QCOMPARE(m_server->requests.size(), 1);
    const HttpTestServer::Request &request = m_server->requests.first();
    QCOMPARE(request.header("User-Agent"), "Mozilla"_ba);
    QCOMPARE(request.header("Cache-Control"), "no-cache"_ba);

    // One report per read after the first: every read holds at most 256
    // bytes, and the last (empty) read reports the whole body.
    QVERIFY(progress.size() >= body.size() / PageDownload::chunkSize);
    qint64 previous = 0;
    for (const QList<QVariant> &report : std::as_const(progress)) {
        const qint64 bytes = report.first().toLongLong();
        const qint64 reads = previous == 0 ? 2 : 1; // the first read is not reported
        QVERIFY(bytes >= previous && bytes - previous <= reads * PageDownload::chunkSize);
        previous = bytes;
    }
    QCOMPARE(previous, qint64(body.size()));

    // An empty body is a single (empty) first read: no report.
    m_server->setBody(QByteArray());
    progress.clear();
    download.start(QUrl(u"http://127.0.0.1:%1/empty"_s.arg(m_server->port())));
    QVERIFY(finished.wait());
    QVERIFY(finished.last().first().value<PageReply>().body.isEmpty());
    QVERIFY(progress.isEmpty());
}

void TestListBuilder::googleRunPagesUntilEmptyPage()
{
    m_server->setHandler([](QTcpSocket *socket, const HttpTestServer::Request &request) {
        if (request.target.contains("&start=0&"))
            HttpTestServer::reply(socket, resultPage(1, 30));
        else if (request.target.contains("&start=100&"))
            HttpTestServer::reply(socket, resultPage(25, 30)); // 24 new names
        else
            HttpTestServer::reply(socket, "<html>No more results</html>");
    });
    QString phrase = u"blue widgets"_s;
    ListBuilder builder(m_home->path(), m_table, {[&phrase] { return phrase; }, u"Google Search"_s, 3},
                        loopbackConfig(m_server->port()));
    QCOMPARE(builder.engine(), SearchEngine::Google);
    QCOMPARE(builder.targetCount(), 1000);
    QSignalSpy status(&builder, &ListBuilder::statusChanged);
    QSignalSpy finished(&builder, &ListBuilder::finished);
    builder.fetchFirstPage();
    phrase = u"blue widgets, later"_s; // the copy takes the text as it is at the end
    QVERIFY(finished.wait(10000));

    QCOMPARE(finished.first(), (QList<QVariant>{54, 54}));
    QCOMPARE(m_server->requests.size(), 3);
    const QByteArray query =
        "/search?num=100&hl=en&lr=&ie=UTF-8&oe=UTF-8&safe=off&filter=0&start=%1&sa=N&q=blue+widgets";
    for (int page = 0; page < 3; ++page)
        QCOMPARE(m_server->requests.at(page).target, QByteArray(query).replace("%1", QByteArray::number(page * 100)));
    QCOMPARE(builder.resultOffset(), 201);

    const QByteArray expected = listOf(1, 54) + "\r\n";
    QCOMPARE(readFile(listPath()), expected);
    QCOMPARE(builder.listFile(), listPath());
    QCOMPARE(readFile(m_home->filePath(u"searches/Google blue widgets, later.txt"_s)), expected);

    QStringList texts;
    for (const QList<QVariant> &change : std::as_const(status))
        texts << change.first().toString();
    QVERIFY(texts.contains(u"Downloaded %1 bytes."_s.arg(resultPage(1, 30).size())));
    QVERIFY(texts.contains(u"Extracted 30 unique domain names"_s));
    QCOMPARE(texts.last(), u"Extracted 54 unique domain names"_s);
    // Every line's report comes after the page has arrived in full.
    QVERIFY(texts.indexOf(u"Extracted 1 unique domain names"_s) >
            texts.indexOf(u"Downloaded %1 bytes."_s.arg(resultPage(1, 30).size())));
}

void TestListBuilder::yahooRunStopsAtTargetCount()
{
    m_server->setHandler([](QTcpSocket *socket, const HttpTestServer::Request &request) {
        const int offset = request.target.mid(request.target.lastIndexOf("&b=") + 3).toInt();
        HttpTestServer::reply(socket, resultPage(offset * 10, 60));
    });
    ListBuilder builder(m_home->path(), m_table, {[] { return u"snow"_s; }, u"Yahoo Search"_s, 0},
                        loopbackConfig(m_server->port()));
    QCOMPARE(builder.targetCount(), 100);
    QSignalSpy finished(&builder, &ListBuilder::finished);
    builder.fetchFirstPage();
    QVERIFY(finished.wait(10000));

    // The test runs between pages only: the second page takes the list past 100.
    QCOMPARE(finished.first(), (QList<QVariant>{120, 120}));
    QCOMPARE(m_server->requests.size(), 2);
    QCOMPARE(m_server->requests.at(0).target, "/search/dir?h=s&xargs=0&p=snow&b=1"_ba);
    QCOMPARE(m_server->requests.at(1).target, "/search/dir?h=s&xargs=0&p=snow&b=21"_ba);
    QCOMPARE(readFile(listPath()), listOf(10, 60) + listOf(210, 60) + "\r\n");
    QVERIFY(QFile::exists(m_home->filePath(u"searches/Yahoo snow.txt"_s)));
}

void TestListBuilder::pageWithoutNewNameEndsRun()
{
    m_server->setBody(resultPage(1, 5));
    ListBuilder builder(m_home->path(), m_table, {[] { return u"c++ & 100%"_s; }, u"Yahoo Search"_s, 3},
                        loopbackConfig(m_server->port()));
    QSignalSpy finished(&builder, &ListBuilder::finished);
    builder.fetchFirstPage();
    QVERIFY(finished.wait(10000));
    QCOMPARE(finished.first(), (QList<QVariant>{5, 5}));
    QCOMPARE(m_server->requests.size(), 2);
    QCOMPARE(m_server->requests.at(1).target, "/search/dir?h=s&xargs=0&p=c%2B%2B+%26+100%25&b=21"_ba);
}

void TestListBuilder::brokenConnections()
{
    // Page 1 whole, page 2 broken off half-way: its names so far still count,
    // and the run ends there as a failure rather than asking for page 3.
    m_server->setHandler([](QTcpSocket *socket, const HttpTestServer::Request &request) {
        if (request.target.contains("&start=0&")) {
            HttpTestServer::reply(socket, resultPage(1, 3));
        } else {
            const QByteArray page = resultPage(10, 40);
            HttpTestServer::replyPartlyAndClose(socket, page.left(page.indexOf("name20.com")), page.size());
        }
    });
    ListBuilder builder(m_home->path(), m_table, {[] { return u"drop"_s; }, u"Google Search"_s, 1},
                        loopbackConfig(m_server->port()));
    QSignalSpy finished(&builder, &ListBuilder::finished);
    builder.fetchFirstPage();
    QVERIFY(finished.wait(10000));
    QCOMPARE(finished.first(), (QList<QVariant>{13, 13}));
    QCOMPARE(builder.endReason(), ListBuilderEnd::Unreachable);
    QCOMPARE(builder.endPage(), 2);
    QVERIFY(!m_server->requests.last().target.contains("&start=200&"));
    QCOMPARE(readFile(listPath()), listOf(1, 3) + listOf(10, 10) + "\r\n");
}

void TestListBuilder::unreachableEngine()
{
    // Nothing gathered: nothing is written, and there is nothing to search.
    writeFile(listPath(), "earlier.com\r\n");
    ListBuilderConfig config = loopbackConfig(WhoisTestServer::unusedPort());
    ListBuilder builder(m_home->path(), m_table, {[] { return u"nothing"_s; }, u"Google Search"_s, 0}, config);
    QSignalSpy status(&builder, &ListBuilder::statusChanged);
    QSignalSpy finished(&builder, &ListBuilder::finished);
    QSignalSpy empty(&builder, &ListBuilder::endedEmpty);
    builder.fetchFirstPage();
    QVERIFY(empty.wait(10000));
    QVERIFY(finished.isEmpty());
    QCOMPARE(builder.endReason(), ListBuilderEnd::Unreachable);
    QVERIFY2(!builder.endDetail().isEmpty(), "the network's error is kept");
    QCOMPARE(readFile(listPath()), "earlier.com\r\n"_ba);
    QVERIFY(!QFile::exists(m_home->filePath(u"searches/Google nothing.txt"_s)));
    // Nothing arrived, so no byte count was shown.
    for (const QList<QVariant> &change : std::as_const(status))
        QVERIFY(!change.first().toString().startsWith(u"Downloaded"_s));
}

void TestListBuilder::unwritableListIsReported()
{
    QFile::remove(listPath());
    QVERIFY(QDir(m_home->path()).mkdir(u"BrowserSearch.txt"_s));
    m_server->setBody(resultPage(1, 2));
    ListBuilder builder(m_home->path(), m_table, {[] { return u"x"_s; }, u"Google Search"_s, 0},
                        loopbackConfig(m_server->port()));
    QSignalSpy finished(&builder, &ListBuilder::finished);
    QSignalSpy failed(&builder, &ListBuilder::failed);
    builder.fetchFirstPage();
    QVERIFY(failed.wait(10000));
    QVERIFY(finished.isEmpty());
    QVERIFY(builder.listFile().isEmpty());
    QVERIFY(!QFile::exists(m_home->filePath(u"searches/Google x.txt"_s)));
}

void TestListBuilder::abortFromProgressReportEndsRun()
{
    writeFile(listPath(), "earlier.com\r\n");
    m_server->setBody(resultPage(1, 5000));
    ListBuilder builder(m_home->path(), m_table, {[] { return u"x"_s; }, u"Google Search"_s, 3},
                        loopbackConfig(m_server->port()));
    QSignalSpy finished(&builder, &ListBuilder::finished);
    bool aborted = false;
    connect(&builder, &ListBuilder::statusChanged, this, [&](const QString &text) {
        if (text == u"Extracted 2 unique domain names"_s) {
            builder.abort();
            aborted = true;
        }
    });
    builder.fetchFirstPage();
    QTRY_VERIFY(aborted);
    QVERIFY(!builder.isRunning());
    QTest::qWait(100);
    QVERIFY(finished.isEmpty());
    QCOMPARE(builder.totalFound(), 2);
    QCOMPARE(m_server->requests.size(), 1);
    QCOMPARE(readFile(listPath()), "earlier.com\r\n"_ba);
}

void TestListBuilder::failuresKeepEarlierPages_data()
{
    // How the server answers the second page; the first always has 3 names.
    QTest::addColumn<QString>("answer");
    QTest::addColumn<ListBuilderEnd>("reason");
    QTest::addColumn<QString>("detail");
    QTest::addColumn<int>("names");
    QTest::newRow("slow page is no failure") << u"slow"_s << ListBuilderEnd::Complete << QString() << 7;
    QTest::newRow("stalled body") << u"stall"_s << ListBuilderEnd::Stalled << QString() << 3;
    QTest::newRow("never answers") << u"silent"_s << ListBuilderEnd::Stalled << QString() << 3;
    QTest::newRow("http 500") << u"500"_s << ListBuilderEnd::HttpError << u"500 Internal Server Error"_s << 3;
    QTest::newRow("captcha page") << u"captcha"_s << ListBuilderEnd::Blocked << QString() << 3;
    QTest::newRow("random bytes") << u"garbage"_s << ListBuilderEnd::NotAPage << QString() << 3;
}

void TestListBuilder::failuresKeepEarlierPages()
{
    QFETCH(QString, answer);
    QFETCH(ListBuilderEnd, reason);
    QFETCH(QString, detail);
    QFETCH(int, names);
    m_server->setHandler([answer](QTcpSocket *socket, const HttpTestServer::Request &request) {
        const QByteArray second = resultPage(10, 4);
        if (request.target.contains("&start=0&")) {
            HttpTestServer::reply(socket, resultPage(1, 3));
        } else if (!request.target.contains("&start=100&")) {
            HttpTestServer::reply(socket, "<html><body>No more results.</body></html>");
        } else if (answer == u"slow") {
            // A chunk every 100 ms: the page takes far longer than the stall
            // time-out, but is never silent that long.
            HttpTestServer::replyPartly(socket, second.left(16), second.size());
            auto *drip = new QTimer(socket);
            connect(drip, &QTimer::timeout, socket, [socket, second, drip, sent = qsizetype(16)]() mutable {
                socket->write(second.mid(sent, 32));
                sent += 32;
                if (sent >= second.size()) {
                    drip->stop();
                    socket->disconnectFromHost();
                }
            });
            drip->start(100);
        } else if (answer == u"stall") {
            HttpTestServer::replyPartly(socket, second.left(second.size() / 2), second.size());
        } else if (answer == u"500") {
            HttpTestServer::reply(socket, second, "500 Internal Server Error");
        } else if (answer == u"captcha") {
            HttpTestServer::reply(socket, "<html><body><form id=\"captcha-form\">Our systems have detected unusual "
                                          "traffic from your computer network.</form>"
                                          "<a href=\"https://www.google.com/\">Google</a></body></html>");
        } else if (answer == u"garbage") {
            QByteArray bytes(4096, Qt::Uninitialized);
            QRandomGenerator random(26);
            for (char &byte : bytes)
                byte = char(random.bounded(256));
            HttpTestServer::reply(socket, bytes);
        }
    });
    ListBuilderConfig config = loopbackConfig(m_server->port());
    config.stallTimeoutMs = 300;
    ListBuilder builder(m_home->path(), m_table, {[] { return u"fail"_s; }, u"Google Search"_s, 3}, config);
    QSignalSpy finished(&builder, &ListBuilder::finished);
    builder.fetchFirstPage();
    QVERIFY(finished.wait(10000));
    QCOMPARE(builder.endReason(), reason);
    QCOMPARE(builder.endDetail(), detail);
    QCOMPARE(finished.first().first().toInt(), names);
    QCOMPARE(readFile(listPath()), listOf(1, 3) + (names > 3 ? listOf(10, 4) : QByteArray()) + "\r\n");
    if (reason != ListBuilderEnd::Complete)
        QCOMPARE(builder.endPage(), 2);
    QVERIFY(!builder.isRunning());
}

void TestListBuilder::cancelKeepsNames()
{
    // Cancel while the second page is awaited: the first page's names are written.
    m_server->setHandler([](QTcpSocket *socket, const HttpTestServer::Request &request) {
        if (request.target.contains("&start=0&"))
            HttpTestServer::reply(socket, resultPage(1, 3));
    });
    ListBuilder builder(m_home->path(), m_table, {[] { return u"stop"_s; }, u"Google Search"_s, 0},
                        loopbackConfig(m_server->port()));
    QSignalSpy finished(&builder, &ListBuilder::finished);
    builder.fetchFirstPage();
    QTRY_COMPARE(m_server->requests.size(), 2);
    builder.cancel();
    QCOMPARE(finished.size(), 1);
    QCOMPARE(finished.first(), (QList<QVariant>{3, 3}));
    QCOMPARE(readFile(listPath()), listOf(1, 3) + "\r\n");
    QCOMPARE(builder.endReason(), ListBuilderEnd::Cancelled);
    QVERIFY(!builder.isRunning());
    builder.cancel(); // once ended, nothing more happens
    QCOMPARE(finished.size(), 1);

    // Before the first page there is nothing: nothing is written.
    ListBuilder early(m_home->path(), m_table, {[] { return u"stop"_s; }, u"Google Search"_s, 0},
                      loopbackConfig(m_server->port()));
    QSignalSpy earlyEmpty(&early, &ListBuilder::endedEmpty);
    early.cancel();
    QCOMPARE(earlyEmpty.size(), 1);
    QCOMPARE(readFile(listPath()), listOf(1, 3) + "\r\n");
}

void TestListBuilder::engineAddressesFromSettings()
{
    SettingsStore settings({m_home->filePath(u"user"_s), m_home->filePath(u"machine"_s)}, u"Maker"_s, u"Ornisk"_s);
    const SearchEngineHosts defaults;
    SearchEngineHosts read = readEngineSettings(settings);
    QCOMPARE(read.yahoo.host, u"search.yahoo.com"_s);
    QCOMPARE(read.google.path, u"/search"_s);
    QCOMPARE(::resultPageUrl(SearchEngine::Yahoo, read, "x", 1),
             ::resultPageUrl(SearchEngine::Yahoo, defaults, "x", 1));

    QVERIFY(settings.saveUserSettings(u"Ornisk"_s, u"Engines"_s,
                                      {{u"GoogleScheme"_s, u"HTTPS"_s},
                                       {u"GoogleHost"_s, u"plain.example"_s},
                                       {u"GooglePath"_s, u"results"_s},
                                       {u"YahooScheme"_s, u"gopher"_s},
                                       {u"YahooHost"_s, u" "_s}}));
    read = readEngineSettings(settings);
    QCOMPARE(::resultPageUrl(SearchEngine::Google, read, "x", 1).toEncoded(),
             "https://plain.example/results?num=100&hl=en&lr=&ie=UTF-8&oe=UTF-8&safe=off&filter=0&start=0&sa=N&q=x"_ba);
    // An unknown scheme and an empty host keep their defaults.
    QCOMPARE(read.yahoo.scheme, u"http"_s);
    QCOMPARE(read.yahoo.host, u"search.yahoo.com"_s);
}

QTEST_GUILESS_MAIN(TestListBuilder)
#include "TestListBuilder.moc"
