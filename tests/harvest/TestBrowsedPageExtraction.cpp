#include "base/Branding.h"
#include "harvest/BrowsedPageExtraction.h"
#include "harvest/Marketplace.h"
#include "harvest/PageReading.h"
#include "tests/harvest/HarvestPages.h"
#include "tests/support/TestFiles.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

class TestBrowsedPageExtraction : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void browsedNames_data();
    void browsedNames();
    void namesAreUniqueSinceTheWindowOpened();
    void framesAndTheListFile();
    void marketplaceAddresses_data();
    void marketplaceAddresses();
    void marketplacesAreConfigured();

private:
    NameRules rules(bool everyTld = false) const
    {
        return NameRules({u"com"_s, u"net"_s}, everyTld ? &m_registries : nullptr, m_harvest);
    }
    QString listPath() const { return browsedNamesPath(m_folder->path()); }

    RegistryDirectory m_registries;
    HarvestData m_harvest;
    std::unique_ptr<QTemporaryDir> m_folder;
};

void TestBrowsedPageExtraction::initTestCase()
{
    loadShippedHarvestData(m_harvest, m_registries);
}

void TestBrowsedPageExtraction::init()
{
    m_folder = std::make_unique<QTemporaryDir>();
    QVERIFY(m_folder->isValid());
}

void TestBrowsedPageExtraction::browsedNames_data()
{
    addHarvestPageRows();
}

void TestBrowsedPageExtraction::browsedNames()
{
    // The window reads the body the browser holds; the head's scripts are
    // not part of it.
    QFETCH(QByteArray, page);
    QFETCH(bool, everyTld);
    QFETCH(QStringList, expected);
    BrowsedPages pages;
    QVERIFY(extractBrowsedPage(bodyOfPage(QString::fromLatin1(page)), rules(everyTld), pages, listPath()));
    QCOMPARE(pages.seenList.text().split(u"\r\n"_s, Qt::SkipEmptyParts), expected);
    QCOMPARE(pages.counters.totalFound, expected.size());
    const QString listed = expected.isEmpty() ? QString() : expected.join(u"\r\n"_s) + u"\r\n"_s;
    QCOMPARE(readFile(listPath()), (listed + u"\r\n"_s).toLatin1());
}

void TestBrowsedPageExtraction::namesAreUniqueSinceTheWindowOpened()
{
    BrowsedPages pages;
    QVERIFY(extractBrowsedPage(u"<a href=\"http://www.example.com/\">x</a> example.com"_s, rules(), pages, listPath()));
    QVERIFY(extractBrowsedPage(u"<p>www.EXAMPLE.com</p> <a href=\"http://ample.com/\">y</a>"_s, rules(), pages,
                               listPath()));
    QCOMPARE(readFile(listPath()), "example.com\r\n\r\nample.com\r\n\r\n"_ba);
    QCOMPARE(pages.counters.totalFound, 2);
    // pageFound belongs to the browser's page, not to one extraction.
    QCOMPARE(pages.counters.pageFound, 2);

    pages.seenList.clear();
    QVERIFY(extractBrowsedPage(u"example.com"_s, rules(), pages, listPath()));
    QCOMPARE(readFile(listPath()), "example.com\r\n\r\nample.com\r\n\r\nexample.com\r\n\r\n"_ba);
    QCOMPARE(pages.counters.totalFound, 3);
}

void TestBrowsedPageExtraction::framesAndTheListFile()
{
    // Frame sources are reported in page order and yield no names themselves.
    writeFile(listPath(), "earlier.com\r\n\r\n");
    BrowsedPages pages;
    QStringList frames;
    QVERIFY(extractBrowsedPage(u"<FRAMESET><FRAME SRC=\"http://www.framed-menu.com/menu.html\">"
                               "<iframe src='/ads.html'>fallback.com</iframe></FRAMESET> kept.com"_s,
                               rules(), pages, listPath(), &frames));
    QCOMPARE(frames, (QStringList{u"http://www.framed-menu.com/menu.html"_s, u"/ads.html"_s}));
    QCOMPARE(readFile(listPath()), "earlier.com\r\n\r\nkept.com\r\n\r\n"_ba);

    // A list file that cannot be written keeps the page's names for the next one.
    QString error;
    const QString unwritable = m_folder->filePath(u"missing/BrowsedNames.txt"_s);
    QVERIFY(!extractBrowsedPage(u"next.com"_s, rules(), pages, unwritable, nullptr, &error));
    QVERIFY2(error.contains(u"missing/BrowsedNames.txt"_s), qPrintable(error));
    QCOMPARE(pages.pageList, u"next.com\r\n"_s);
    QVERIFY(extractBrowsedPage(u"last.com"_s, rules(), pages, listPath()));
    QCOMPARE(readFile(listPath()), "earlier.com\r\n\r\nkept.com\r\n\r\nnext.com\r\nlast.com\r\n\r\n"_ba);
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

QTEST_GUILESS_MAIN(TestBrowsedPageExtraction)
#include "TestBrowsedPageExtraction.moc"
