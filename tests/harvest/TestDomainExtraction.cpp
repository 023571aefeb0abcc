#include "harvest/CollectedList.h"
#include "harvest/DomainExtraction.h"
#include "harvest/RedirectLinks.h"
#include "tests/harvest/HarvestPages.h"
#include "tests/support/TestData.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTest>

using namespace Qt::StringLiterals;

class TestDomainExtraction : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void listBuilderNames_data();
    void listBuilderNames();
    void redirectTarget_data();
    void redirectTarget();
    void namesAreUniqueAcrossPages();
    void realPages_data();
    void realPages();

private:
    NameRules rules(const QStringList &extensions, bool everyTld = false) const
    {
        return NameRules(extensions, everyTld ? &m_registries : nullptr, m_harvest);
    }

    RegistryDirectory m_registries;
    HarvestData m_harvest;
};

void TestDomainExtraction::initTestCase()
{
    loadShippedHarvestData(m_harvest, m_registries);
}

void TestDomainExtraction::listBuilderNames_data()
{
    addHarvestPageRows();
}

void TestDomainExtraction::listBuilderNames()
{
    QFETCH(QByteArray, page);
    QFETCH(bool, everyTld);
    QFETCH(QStringList, expected);
    CollectedList list;
    ExtractionCounters counters{3, 9};
    int pieces = 0;
    extractDomains(QString::fromLatin1(page), rules({u"com"_s, u"net"_s}, everyTld), list, counters,
                   [&pieces] { ++pieces; });
    QCOMPARE(list.text().split(u"\r\n"_s, Qt::SkipEmptyParts), expected);
    QCOMPARE(counters.pageFound, expected.size());
    QCOMPARE(counters.totalFound, 3 + expected.size());
    QVERIFY(pieces > 0);
}

void TestDomainExtraction::redirectTarget_data()
{
    QTest::addColumn<QString>("address");
    QTest::addColumn<QString>("target");
    QTest::newRow("yahoo") << u"http://r.search.yahoo.com/_ylt=A9m./RV=2/RO=10/RU=http%3a%2f%2fwww.snow.com%2f/RK=0"_s
                           << u"http://www.snow.com/"_s;
    QTest::newRow("google q") << u"/url?q=https://www.domain.com/d/&amp;sa=U"_s << u"https://www.domain.com/d/"_s;
    QTest::newRow("google url") << u"https://www.google.com/url?sa=t&url=http%3A%2F%2Fa.com%2F&usg=x"_s
                                << u"http://a.com/"_s;
    QTest::newRow("bing") << u"https://www.bing.com/ck/a?!&&p=1&u=a1aHR0cDovL3BsYWluLXRhcmdldC5uZXQv&ntb=1"_s
                          << u"http://plain-target.net/"_s;
    QTest::newRow("duckduckgo") << u"//duckduckgo.com/l/?kh=-1&amp;uddg=https%3A%2F%2Fd.com%2F"_s
                                << u"https://d.com/"_s;
    QTest::newRow("target without scheme") << u"/url?q=www.encoded.com%2Fpath&amp;sa=U"_s << QString();
    QTest::newRow("bad base64") << u"https://www.bing.com/ck/a?u=a1***&ntb=1"_s << QString();
    QTest::newRow("quote in target") << u"/url?q=http://x.com/%22%3E&sa=U"_s << QString();
    QTest::newRow("parameter inside another name") << u"/x?menu=a1aHR0cDovL3BsYWluLXRhcmdldC5uZXQv"_s << QString();
    QTest::newRow("plain link") << u"http://www.example.com/url?x=1"_s << QString();
}

void TestDomainExtraction::redirectTarget()
{
    QFETCH(QString, address);
    QFETCH(QString, target);
    QCOMPARE(::redirectTarget(address), target);
}

void TestDomainExtraction::namesAreUniqueAcrossPages()
{
    // Uniqueness ignores case but not length: a name inside a longer one is
    // a name of its own.
    CollectedList list;
    ExtractionCounters counters;
    const NameRules comOnly = rules({u"com"_s});
    extractDomains(u"<a href=\"http://www.MyExample.com/\">a</a> <p>example.com</p>"_s, comOnly, list, counters);
    QCOMPARE(counters.pageFound, 2);
    extractDomains(u"<p>EXAMPLE.COM, myexample.com and third.com</p>"_s, comOnly, list, counters);
    QCOMPARE(counters.pageFound, 1);
    QCOMPARE(counters.totalFound, 3);
    QCOMPARE(list.text(), u"myexample.com\r\nexample.com\r\nthird.com\r\n"_s);
    extractDomains(QString(), comOnly, list, counters);
    QCOMPARE(counters.pageFound, 0);
}

void TestDomainExtraction::realPages_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QStringList>("mustFind");
    const QString pages = testDataDir(u"pages"_s);
    QFile index(pages + u"/index.tsv"_s);
    if (pages.isEmpty() || !index.open(QIODevice::ReadOnly)) {
        QTest::newRow("no test pages") << QString() << QStringList();
        return;
    }
    const QHash<QString, QStringList> known{
        {u"googlescraper-duckduckgo-html-2015.html"_s, {u"paulgraham.com"_s, u"whathappened.co.nz"_s}},
        {u"readability-wikipedia-new-zealand.html"_s, {u"bbc.co.uk"_s, u"newzealand.com"_s, u"unesco.org"_s}},
        {u"unfurl-rakuten-portal.html"_s, {u"rakuten.co.jp"_s}},
        {u"serp-parser-google-recaptcha.html"_s, {}},
    };
    index.readLine(); // header
    while (!index.atEnd()) {
        const QString file = QString::fromUtf8(index.readLine()).section(u'\t', 0, 0).trimmed();
        if (!file.isEmpty())
            QTest::newRow(qPrintable(file)) << pages + u'/' + file << known.value(file);
    }
}

void TestDomainExtraction::realPages()
{
    QFETCH(QString, file);
    QFETCH(QStringList, mustFind);
    if (file.isEmpty())
        QSKIP("the shared test pages are not available");
    QFile source(file);
    QVERIFY(source.open(QIODevice::ReadOnly));
    const QString page = QString::fromLatin1(source.readAll());

    CollectedList list;
    ExtractionCounters counters;
    extractDomains(page, rules({u"com"_s}, true), list, counters);
    const QStringList names = list.text().split(u"\r\n"_s, Qt::SkipEmptyParts);
    QCOMPARE(counters.pageFound, names.size());
    static const QRegularExpression hostName(u"^[a-z0-9]([a-z0-9-]*[a-z0-9])?(\\.[a-z0-9-]+)*\\.[a-z]{2,}$"_s);
    static const QRegularExpression engines(u"(^|\\.)(google|bing|bingj|yahoo|yimg|gstatic|duckduckgo)\\."_s);
    for (const QString &name : names) {
        QVERIFY2(hostName.match(name).hasMatch(), qPrintable(name));
        QVERIFY2(!engines.match(name).hasMatch(), qPrintable(name));
    }
    for (const QString &name : mustFind)
        QVERIFY2(names.contains(name), qPrintable(name));
    if (file.endsWith(u"recaptcha.html"_s))
        QVERIFY2(names.isEmpty(), qPrintable(names.join(u' ')));
}

QTEST_GUILESS_MAIN(TestDomainExtraction)
#include "TestDomainExtraction.moc"
