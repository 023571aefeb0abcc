#include "base/Branding.h"
#include "harvest/BrowsedPageExtraction.h"
#include "harvest/Marketplace.h"
#include "tests/support/TestData.h"
#include "tests/support/TestFiles.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

class TestBrowsedPageExtraction : public QObject
{
    Q_OBJECT

private slots:
    void init();

    void pageNames_data();
    void pageNames();
    void bareHostWindowStaysInsideTheLine();
    void namesAreUniqueSinceTheWindowOpened();
    void pagesAppendToTheListFile();
    void staleTemporaryFileIsReplaced();
    void temporaryFileNames();
    void frameTags_data();
    void frameTags();
    void listFileFailureKeepsThePage();
    void marketplaceAddresses_data();
    void marketplaceAddresses();
    void marketplacesAreConfigured();
    void realPages_data();
    void realPages();

private:
    ExtractionSettings settings(const QStringList &extensions) const;
    QString listPath() const { return browsedNamesPath(m_folder->path()); }

    std::unique_ptr<QTemporaryDir> m_folder;
};

void TestBrowsedPageExtraction::init()
{
    m_folder = std::make_unique<QTemporaryDir>();
    QVERIFY(m_folder->isValid());
}

ExtractionSettings TestBrowsedPageExtraction::settings(const QStringList &extensions) const
{
    return {extensions, browsedPageTempPath(m_folder->path()), ExtractionFilter()};
}

void TestBrowsedPageExtraction::pageNames_data()
{
    QTest::addColumn<QByteArray>("page");
    QTest::addColumn<QStringList>("extensions");
    QTest::addColumn<QString>("expected");
    const QStringList comNet{u"com"_s, u"net"_s};

    QTest::newRow("links") << "<a href=\"http://www.Example.com/page?x=1\">x</a> <a href=\"http://shop.other.net/\">"_ba
                           << comNet << u"Example.com\r\nother.net\r\n"_s;
    QTest::newRow("wbr inside a link") << "<a href=\"http://www.long<wbr>name.com/\">"
                                          "http://www.broken<WBR>up.net/</a>"_ba
                                       << comNet << u"longname.com\r\nbrokenup.net\r\n"_s;
    QTest::newRow("mail link") << "<a href=\"mailto:sales@mail-shop.com\">write to sales@mail-shop.com</a>"_ba << comNet
                               << u"mail-shop.com\r\n"_s;
    QTest::newRow("dotted user name") << "<p>john.doe@dotted-user.net</p>"_ba << comNet << u"dotted-user.net\r\n"_s;
    QTest::newRow("bare hosts in text") << "<p>Visit shop.plain-text.com today or <b>bold-host.net</b></p>"_ba << comNet
                                        << u"plain-text.com\r\nbold-host.net\r\n"_s;
    QTest::newRow("attribute values") << "<img alt='quoted.com'> <div data-x=equals-sign.net>"_ba << comNet
                                      << u"quoted.com\r\nequals-sign.net\r\n"_s;
    QTest::newRow("https addresses") << "<a href=\"https://www.secure-site.com/login\">"_ba << comNet
                                     << u"secure-site.com\r\n"_s;
    QTest::newRow("user at host link") << "<a href=\"http://webmaster@host-at.com/\">x</a>"_ba << comNet
                                       << u"host-at.com\r\n"_s;
    QTest::newRow("target blank only for links")
        << "<a href=\"http://www.targetblank.com/\">x</a> <i>targetblank.net</i>"_ba << comNet
        << u"targetblank.net\r\n"_s;
    QTest::newRow("filtered link hosts, bare text kept")
        << "<a href=\"http://search.yahoo.com/x\">y</a> <a href=\"http://www.afternic.com/\">a</a>"_ba << comNet
        << u"yahoo.com\r\nafternic.com\r\n"_s;
    QTest::newRow("port") << "<a href=\"http://www.port-site.com:8080/index.html\">"_ba << comNet
                          << u"port-site.com:\r\n"_s;
    QTest::newRow("first character of a line start is lost") << "glued.com is a name"_ba << comNet << u"lued.com\r\n"_s;
    QTest::newRow("every name of a text line")
        << "<p>Compare one-site.com, two-site.net and www.three-site.com; or four.com.</p>"_ba << comNet
        << u"one-site.com\r\ntwo-site.net\r\nthree-site.com\r\nfour.com\r\n"_s;
    QTest::newRow("secure addresses in text and script")
        << "<p>see https://kwfinder.com/ now</p><script>x='href\\x3d\\x22https://mangools.com/\\x22'</script>"
           "<span>HTTPS://BING.COM/</span>"_ba
        << comNet << u"kwfinder.com\r\nmangools.com\r\nBING.COM\r\n"_s;
    QTest::newRow("wrapped results")
        << "<a href=\"http://r.search.yahoo.com/_ylt=A/RU=https%3a%2f%2fwww.wrapped-y.com%2f/RK=0/RS=x-\">y</a>"
           "<a href=\"//duckduckgo.com/l/?uddg=https%3A%2F%2Fwrapped-d.net%2F&amp;rut=1\">d</a>"_ba
        << comNet << u"wrapped-y.com\r\nwrapped-d.net\r\n"_s;
    QTest::newRow("disabled TLD") << "<a href=\"http://www.only.org/\">only.org</a>"_ba << comNet << QString();
    QTest::newRow("no TLD enabled") << "<a href=\"http://www.example.com/\">"_ba << QStringList() << QString();
}

void TestBrowsedPageExtraction::pageNames()
{
    QFETCH(QByteArray, page);
    QFETCH(QStringList, extensions);
    QFETCH(QString, expected);
    BrowsedPages pages;
    QString error;
    QVERIFY2(extractBrowsedPage(QString::fromLatin1(page), settings(extensions), pages, listPath(), nullptr, &error),
             qPrintable(error));
    QCOMPARE(pages.seenList.text(), expected);
    QCOMPARE(pages.counters.pageFound, qint32(expected.count(u"\r\n"_s)));
    QCOMPARE(pages.counters.totalFound, pages.counters.pageFound);
    QVERIFY(pages.pageList.isEmpty());
    QCOMPARE(readFile(listPath()), (expected + u"\r\n"_s).toLatin1());
    QCOMPARE(QDir(m_folder->path()).entryList(QDir::Files), QStringList{u"BrowsedNames.txt"_s});
}

void TestBrowsedPageExtraction::bareHostWindowStaysInsideTheLine()
{
    // The TLD ends four characters into the line, so the five characters
    // before its end would begin before the line. Starting at the line's first
    // character, that character is dropped as for any line start.
    BrowsedPages pages;
    QVERIFY(extractBrowsedPage(u".com is the commonest"_s, settings({u"com"_s}), pages, listPath()));
    QCOMPARE(pages.seenList.text(), QString());

    QString candidate;
    QVERIFY(bareHostCandidate(u"ab.com"_s, {u"com"_s}, candidate));
    QCOMPARE(candidate, u"b.com"_s);
}

void TestBrowsedPageExtraction::namesAreUniqueSinceTheWindowOpened()
{
    BrowsedPages pages;
    const ExtractionSettings comOnly = settings({u"com"_s});
    QVERIFY(
        extractBrowsedPage(u"http://www.example.com/ and again http://www.example.com/"_s, comOnly, pages, listPath()));
    QVERIFY(extractBrowsedPage(u"<p>www.example.com</p> http://www.EXAMPLE.com/x http://www.ample.com/"_s, comOnly,
                               pages, listPath()));
    QCOMPARE(readFile(listPath()), "example.com\r\n\r\n\r\n"_ba);
    QCOMPARE(pages.counters.totalFound, 1);
    // pageFound belongs to the browser's page, not to one extraction.
    QCOMPARE(pages.counters.pageFound, 1);

    pages.seenList.clear();
    QVERIFY(extractBrowsedPage(u"http://www.example.com/"_s, comOnly, pages, listPath()));
    QCOMPARE(readFile(listPath()), "example.com\r\n\r\n\r\nexample.com\r\n\r\n"_ba);
    QCOMPARE(pages.counters.totalFound, 2);
    QCOMPARE(pages.counters.pageFound, 2);
}

void TestBrowsedPageExtraction::pagesAppendToTheListFile()
{
    writeFile(listPath(), "earlier.com\r\n\r\n");
    BrowsedPages pages;
    BrowsedPageExtraction extraction(pages);
    QVERIFY(extraction.begin(u"http://www.one.com/ http://www.two.com/ http://www.one.com/"_s, settings({u"com"_s})));
    QList<bool> accepted;
    while (extraction.hasNextLine())
        accepted << extraction.processNextLine().accepted;
    QCOMPARE(accepted.count(true), 2);
    QCOMPARE(pages.pageList, u"one.com\r\ntwo.com\r\n"_s);
    QVERIFY(extraction.finish(listPath()));
    QCOMPARE(readFile(listPath()), "earlier.com\r\n\r\none.com\r\ntwo.com\r\n\r\n"_ba);
    QVERIFY(pages.pageList.isEmpty());
}

void TestBrowsedPageExtraction::staleTemporaryFileIsReplaced()
{
    const ExtractionSettings comOnly = settings({u"com"_s});
    writeFile(comOnly.tempFilePath, "http://www.left-over.com/\r\n");
    BrowsedPages pages;
    {
        BrowsedPageExtraction extraction(pages);
        QVERIFY(extraction.begin(u"http://www.fresh.com/ http://www.later.com/"_s, comOnly));
        QVERIFY(QFile::exists(comOnly.tempFilePath));
        extraction.processNextLine();
        QVERIFY(extraction.hasNextLine());
    }
    // Abandoned half-way: no file is left behind, and nothing is listed yet.
    QVERIFY(!QFile::exists(comOnly.tempFilePath));
    QVERIFY(!QFile::exists(listPath()));

    QVERIFY(extractBrowsedPage(u"http://www.fresh.com/"_s, comOnly, pages, listPath()));
    QCOMPARE(pages.seenList.text(), u"fresh.com\r\n"_s);
    QVERIFY(!QFile::exists(comOnly.tempFilePath));
}

void TestBrowsedPageExtraction::temporaryFileNames()
{
    const QString path = browsedPageTempPath(u"/programs/vantrel"_s, QDateTime(QDate(2026, 12, 6), QTime(13, 45, 7)));
    QVERIFY2(path.startsWith(u"/programs/vantrel/SearchOutput"_s), qPrintable(path));
    const QString stamp = path.mid(QStringLiteral("/programs/vantrel/SearchOutput").size());
    QVERIFY2(stamp.contains(u"2026"_s) || stamp.contains(u"26"_s), qPrintable(stamp));
    QVERIFY2(stamp.contains(u"07"_s), qPrintable(stamp));
    for (QChar removed : {u' ', u':', u'/', u'\\'})
        QVERIFY2(!stamp.contains(removed), qPrintable(stamp));
}

void TestBrowsedPageExtraction::frameTags_data()
{
    QTest::addColumn<QString>("page");
    QTest::addColumn<QStringList>("frames");
    QTest::addColumn<QString>("names");

    QTest::newRow("frameset body") << u"\n<frame src=\"http://www.example.com/menu.html\" name=\"menu\">\n"
                                      "<frame src=\"http://www.example.com/main.html\" name=\"main\">\n"_s
                                   << QStringList{u"www.example.com/menu.html "_s, u"www.example.com/main.html "_s}
                                   << QString();
    QTest::newRow("upper case, no other attribute")
        << u"<FRAME SRC=\"http://www.framed.net/body.html\">\n<a href=\"http://www.after.com/\">"_s
        << QStringList{u"www.framed.net/body.html"_s} << u"after.com\r\n"_s;
    QTest::newRow("frameset tag alone starts nothing")
        << u"<frameset cols=\"50%\"> http://www.site.com/"_s << QStringList() << u"site.com\r\n"_s;
    QTest::newRow("address on the last line") << u"<frame src=\"http://127.0.0.1:8080/left.html\" name=\"left\">"_s
                                              << QStringList{u"127.0.0.1:8080/left.html "_s} << QString();
    QTest::newRow("tag on the last line")
        << u"http://www.before.com/ <frame src=\"left.html\">"_s << QStringList() << u"before.com\r\n"_s;
}

void TestBrowsedPageExtraction::frameTags()
{
    QFETCH(QString, page);
    QFETCH(QStringList, frames);
    QFETCH(QString, names);
    BrowsedPages pages;
    QStringList followed;
    QVERIFY(extractBrowsedPage(page, settings({u"com"_s, u"net"_s}), pages, listPath(), &followed));
    QCOMPARE(followed, frames);
    QCOMPARE(pages.seenList.text(), names);
    QCOMPARE(readFile(listPath()), (names + u"\r\n"_s).toLatin1());
}

void TestBrowsedPageExtraction::listFileFailureKeepsThePage()
{
    BrowsedPages pages;
    QString error;
    const QString unwritable = m_folder->filePath(u"missing/BrowserSearch.txt"_s);
    QVERIFY(!extractBrowsedPage(u"http://www.kept.com/"_s, settings({u"com"_s}), pages, unwritable, nullptr, &error));
    QVERIFY2(error.contains(u"missing/BrowserSearch.txt"_s), qPrintable(error));
    QCOMPARE(pages.pageList, u"kept.com\r\n"_s);
    QVERIFY(extractBrowsedPage(u"http://www.next.com/"_s, settings({u"com"_s}), pages, listPath()));
    QCOMPARE(readFile(listPath()), "kept.com\r\nnext.com\r\n\r\n"_ba);
}

void TestBrowsedPageExtraction::marketplaceAddresses_data()
{
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("homePage");
    QTest::addColumn<QUrl>("address");
    QTest::newRow("afternic") << u"AfterNIC"_s << u"https://www.afternic.example/"_s
                              << QUrl(u"https://www.afternic.example/index.php?ref_id=R1"_s);
    QTest::newRow("sedo") << u"Sedo"_s << u"https://sedo.example/home?x=1#top"_s
                          << QUrl(u"https://sedo.example/main.php3?language=us&partnerid=P2"_s);
    QTest::newRow("dmoz") << u"DMOZ"_s << u"http://www.dmoz.example/"_s << QUrl(u"http://www.dmoz.example/"_s);
    QTest::newRow("others as configured")
        << u"NameJet"_s << u"www.namejet.example/start"_s << QUrl(u"http://www.namejet.example/start"_s);
}

void TestBrowsedPageExtraction::marketplaceAddresses()
{
    QFETCH(QString, caption);
    QFETCH(QString, homePage);
    QFETCH(QUrl, address);
    QCOMPARE(marketplaceAddress(caption, homePage, u"R1"_s, u"P2"_s), address);
    QCOMPARE(marketplaceCaptions().size(), 9);
}

void TestBrowsedPageExtraction::marketplacesAreConfigured()
{
    writeFile(m_folder->filePath(u"branding.ini"_s), "[Branding]\r\nmarketSedo=https://sedo.example/\r\n"
                                                     "sedoPartnerId=4711\r\nafternicRefId=abc\r\n");
    const Branding branding = applyBranding(m_folder->path());
    const Branding builtIn;
    QCOMPARE(branding.marketplaceHomePages.size(), marketplaceCaptions().size());
    QCOMPARE(branding.marketplaceHomePages.at(5), u"https://sedo.example/"_s);
    QCOMPARE(branding.marketplaceHomePages.at(3), builtIn.marketplaceHomePages.at(3));
    QCOMPARE(marketplaceAddress(u"Sedo"_s, branding.marketplaceHomePages.at(5), branding.afternicRefId,
                                branding.sedoPartnerId),
             QUrl(u"https://sedo.example/main.php3?language=us&partnerid=4711"_s));
    QCOMPARE(marketplaceAddress(u"AfterNIC"_s, branding.marketplaceHomePages.at(3), branding.afternicRefId,
                                branding.sedoPartnerId)
                 .query(),
             u"ref_id=abc"_s);
}

void TestBrowsedPageExtraction::realPages_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QStringList>("mustFind");
    const QString folder = testDataDir(u"pages"_s);
    if (folder.isEmpty()) {
        QTest::newRow("no test pages") << QString() << QStringList();
        return;
    }
    QTest::newRow("portal") << folder + u"/unfurl-qq-com-portal.html"_s << QStringList{u"qq.com"_s};
    QTest::newRow("article") << folder + u"/readability-wikipedia-new-zealand.html"_s
                             << QStringList{u"newzealand.com"_s, u"unesco.org"_s};
}

void TestBrowsedPageExtraction::realPages()
{
    QFETCH(QString, file);
    QFETCH(QStringList, mustFind);
    if (file.isEmpty())
        QSKIP("the shared test pages are not available");
    QFile source(file);
    if (!source.open(QIODevice::ReadOnly))
        QSKIP("the shared test page is not available");
    BrowsedPages pages;
    QStringList frames;
    QVERIFY(extractBrowsedPage(QString::fromLatin1(source.readAll()),
                               settings({u"com"_s, u"net"_s, u"org"_s, u"co.uk"_s}), pages, listPath(), &frames));
    // Every accepted name is one usable line of the list file.
    const QStringList lines = QString::fromLatin1(readFile(listPath())).split(u"\r\n"_s);
    QCOMPARE(lines.count(QString()), 2); // the page's closing empty line, then the end of the file
    QCOMPARE(qint32(lines.size() - 2), pages.counters.totalFound);
    for (const QString &name : mustFind)
        QVERIFY2(lines.contains(name), qPrintable(name));
    for (const QString &line : lines)
        QVERIFY2(!line.contains(u'<') && !line.contains(u'>'), qPrintable(line));
}

QTEST_GUILESS_MAIN(TestBrowsedPageExtraction)
#include "TestBrowsedPageExtraction.moc"
