#include "harvest/CollectedList.h"
#include "harvest/DomainExtraction.h"
#include "harvest/RedirectLinks.h"
#include "tests/support/TestData.h"
#include "tests/support/TestFiles.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

// The boundary rule stated one replacement at a time.
QString splitReference(QString text, const QStringList &extensions)
{
    for (const QString &extension : extensions) {
        for (const QString &delimiter : {u" "_s, u"/"_s, u"\""_s, u"'"_s, u":"_s, u"?"_s})
            text.replace(extension + delimiter, extension + delimiter + u"\r\n"_s);
        text.replace(u".com\""_s, u".com\"\r\n"_s);
    }
    return text;
}

QString randomText(QRandomGenerator &random, const QString &alphabet, int maxLength)
{
    QString text;
    const int length = random.bounded(maxLength + 1);
    for (int i = 0; i < length; ++i)
        text += alphabet.at(random.bounded(int(alphabet.size())));
    return text;
}

} // namespace

class TestDomainExtraction : public QObject
{
    Q_OBJECT

private slots:
    void init();

    void registrableDomain_data();
    void registrableDomain();
    void tldTests_data();
    void tldTests();
    void splitAtTldBoundaries_data();
    void splitAtTldBoundaries();
    void splitAtTldBoundariesMatchesOneReplacementAtATime();
    void lineEnds_data();
    void lineEnds();
    void collectedListAnswersLikeAScan();

    void redirectTarget_data();
    void redirectTarget();
    void extractFromPage_data();
    void extractFromPage();
    void countersAndProgressPerPage();
    void leftoverTemporaryFileIsReadAndDeleted();
    void temporaryFileFailureIsReported();
    void realPages_data();
    void realPages();

private:
    ExtractionSettings settings(const QStringList &extensions) const;

    QTemporaryDir m_folder;
};

void TestDomainExtraction::init()
{
    QVERIFY(m_folder.isValid());
}

ExtractionSettings TestDomainExtraction::settings(const QStringList &extensions) const
{
    return {extensions, searchOutputPath(m_folder.path()), ExtractionFilter()};
}

void TestDomainExtraction::registrableDomain_data()
{
    QTest::addColumn<QString>("host");
    QTest::addColumn<QString>("expected");
    QTest::newRow("one dot") << u"example.com"_s << u"example.com"_s;
    QTest::newRow("no dot") << u"localhost"_s << u"localhost"_s;
    QTest::newRow("www com") << u"www.example.com"_s << u"example.com"_s;
    QTest::newRow("deep com") << u"www.shop.example.com"_s << u"example.com"_s;
    QTest::newRow("aero") << u"a.b.example.aero"_s << u"example.aero"_s;
    QTest::newRow("co.uk") << u"www.example.co.uk"_s << u"example.co.uk"_s;
    QTest::newRow("co.jp") << u"shop.example.co.jp"_s << u"example.co.jp"_s;
    QTest::newRow("us") << u"www.example.us"_s << u"example.us"_s;
    QTest::newRow("net") << u"www.example.net"_s << QString();
    QTest::newRow("upper COM") << u"www.example.COM"_s << QString();
    QTest::newRow("empty labels") << u"a..com"_s << u".com"_s;
}

void TestDomainExtraction::registrableDomain()
{
    QFETCH(QString, host);
    QFETCH(QString, expected);
    QCOMPARE(::registrableDomain(host), expected);
}

void TestDomainExtraction::tldTests_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("extensions");
    QTest::addColumn<bool>("contains");
    QTest::addColumn<qsizetype>("endPosition");
    const QStringList com{u"com"_s};
    QTest::newRow("plain") << u"a.com"_s << com << true << qsizetype(6);
    QTest::newRow("substring") << u"www.example.community"_s << com << true << qsizetype(16);
    QTest::newRow("any case") << u"A.COM/x"_s << com << true << qsizetype(6);
    QTest::newRow("first entry wins") << u"x.org y.com"_s << QStringList{u"com"_s, u"org"_s} << true << qsizetype(12);
    QTest::newRow("co.uk holds uk") << u"a.CO.UK"_s << QStringList{u"uk"_s, u"co"_s} << true << qsizetype(8);
    QTest::newRow("needs the dot") << u"com"_s << com << false << qsizetype(0);
    QTest::newRow("empty text") << QString() << com << false << qsizetype(0);
    QTest::newRow("no entry") << u"x.net"_s << QStringList() << false << qsizetype(0);
    QTest::newRow("second dot") << u"a.co.net"_s << QStringList{u"net"_s} << true << qsizetype(9);
}

void TestDomainExtraction::tldTests()
{
    QFETCH(QString, text);
    QFETCH(QStringList, extensions);
    QFETCH(bool, contains);
    QFETCH(qsizetype, endPosition);
    QCOMPARE(containsEnabledTld(text, extensions), contains);
    QCOMPARE(tldEndPosition(text, extensions), endPosition);
}

void TestDomainExtraction::splitAtTldBoundaries_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("extensions");
    QTest::addColumn<QString>("expected");
    const QStringList com{u"com"_s};
    QTest::newRow("every delimiter") << u"a.com b.com/c.com'd.com:e.com?f"_s << com
                                     << u"a.com \r\nb.com/\r\nc.com'\r\nd.com:\r\ne.com?\r\nf"_s;
    QTest::newRow("quote after .com twice") << u"a.com/b.com\"c"_s << com << u"a.com/\r\nb.com\"\r\n\r\nc"_s;
    QTest::newRow(".com quote once per entry")
        << u"x.com\""_s << QStringList{u"com"_s, u"net"_s, u"net"_s} << u"x.com\"\r\n\r\n\r\n\r\n"_s;
    QTest::newRow("exact case") << u"x.COM/ y.Net/"_s << QStringList{u"com"_s, u"net"_s} << u"x.COM/ y.Net/"_s;
    QTest::newRow("no entry") << u"a.com/"_s << QStringList() << u"a.com/"_s;
    QTest::newRow("inner label") << u"commerce/com."_s << com << u"commerce/com."_s;
    // An entry holding a delimiter: the break after "com/" splits "/x/".
    QTest::newRow("odd entry") << u"a.com/x/"_s << QStringList{u"com"_s, u"/x"_s} << u"a.com/\r\nx/"_s;
}

void TestDomainExtraction::splitAtTldBoundaries()
{
    QFETCH(QString, text);
    QFETCH(QStringList, extensions);
    QFETCH(QString, expected);
    QCOMPARE(::splitAtTldBoundaries(text, extensions), expected);
    QCOMPARE(splitReference(text, extensions), expected);
}

void TestDomainExtraction::splitAtTldBoundariesMatchesOneReplacementAtATime()
{
    QRandomGenerator random(4711);
    const QStringList tokens{u".com"_s, u"com"_s, u".net"_s, u"co"_s, u"m"_s, u"e"_s, u"t"_s,    u"."_s,
                             u"\""_s,   u"'"_s,   u"/"_s,    u":"_s,  u"?"_s, u" "_s, u"\r\n"_s, u"k"_s};
    const QList<QStringList> tables{{u"com"_s},
                                    {u"com"_s, u"net"_s},
                                    {u"net"_s, u"com"_s, u"com"_s},
                                    {u"co"_s, u"m"_s, u"e.com"_s},
                                    {QString(), u"t"_s}};
    for (int round = 0; round < 3000; ++round) {
        QString text;
        for (int count = random.bounded(16); count > 0; --count)
            text += tokens.at(random.bounded(int(tokens.size())));
        const QStringList &extensions = tables.at(round % tables.size());
        QCOMPARE(::splitAtTldBoundaries(text, extensions), splitReference(text, extensions));
    }
}

void TestDomainExtraction::lineEnds_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("lines");
    QTest::newRow("crlf") << u"a\r\nb\r\n"_s << QStringList{u"a"_s, u"b"_s};
    QTest::newRow("cr") << u"a\rb"_s << QStringList{u"a"_s, u"b"_s};
    QTest::newRow("lone lf stays") << u"a\nb\r\n"_s << QStringList{u"a\nb"_s};
    QTest::newRow("cr cr lf") << u"a\r\r\nb"_s << QStringList{u"a"_s, QString(), u"b"_s};
    QTest::newRow("empty line") << u"\r\n"_s << QStringList{QString()};
    QTest::newRow("nothing") << QString() << QStringList();
}

void TestDomainExtraction::lineEnds()
{
    QFETCH(QString, text);
    QFETCH(QStringList, lines);
    QCOMPARE(splitAtLineEnds(text), lines);

    // The same split when the text goes through the temporary file, which
    // also keeps what an earlier write left in it.
    const QString path = m_folder.filePath(u"lines.txt"_s);
    QFile::remove(path);
    QStringList readBack;
    QVERIFY(appendAndReadBackLines(path, text, readBack));
    QCOMPARE(readBack, splitAtLineEnds(text + u"\r\n"_s));
    QVERIFY(appendAndReadBackLines(path, u"z"_s, readBack));
    QCOMPARE(readBack, splitAtLineEnds(text + u"\r\nz\r\n"_s));
}

void TestDomainExtraction::collectedListAnswersLikeAScan()
{
    QRandomGenerator random(42);
    const QString alphabet = u"abAB.\r\n \u00e9\u00c9\u00df\u00b5"_s;
    for (int round = 0; round < 40; ++round) {
        CollectedList list;
        QVERIFY(!list.contains(QString()));
        for (int entry = 0; entry < 30; ++entry) {
            list.append(randomText(random, alphabet, 6));
            for (int query = 0; query < 20; ++query) {
                const QString needle = randomText(random, alphabet, 5);
                const bool scanned = needle.isEmpty() || list.text().contains(needle, Qt::CaseInsensitive);
                QVERIFY2(list.contains(needle) == scanned, qPrintable(needle));
            }
        }
        list.clear();
        QVERIFY(list.text().isEmpty());
        QVERIFY(!list.contains(u"a"_s));
    }
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
    // In page text the address is replaced where it stands.
    const QString page = u"<a href=\""_s + address + u"\">x</a>"_s;
    QCOMPARE(unwrapRedirectLinks(page), target.isEmpty() ? page : u"<a href=\""_s + target + u"\">x</a>"_s);
}

void TestDomainExtraction::extractFromPage_data()
{
    QTest::addColumn<QByteArray>("page");
    QTest::addColumn<QStringList>("extensions");
    QTest::addColumn<QString>("expected");
    const QStringList comNet{u"com"_s, u"net"_s};

    QTest::newRow("link in attribute, image host dropped")
        << "<a href=\"http://www.Example.com/page?x=1\">x</a><img src=\"http://us.yimg.com/i/a.gif\">"_ba << comNet
        << u"Example.com\r\n"_s;
    QTest::newRow("redirect links") << "<a href=\"/url?q=http://www.target-one.com/page&amp;sa=U\">One</a>\r\n"
                                       "<a href=\"/url?q=www.target-two.net/&amp;sa=U\">Two</a>\r\n"
                                       "<a href=\"/url?q=www.target-three.net&amp;sa=U\" class=r>Three</a>\r\n"_ba
                                    << comNet << u"target-one.com\r\ntarget-two.net\r\n"_s;
    QTest::newRow("displayed host after >") << "<cite>www.cited.org/path</cite><cite>WWW.Shown.com/</cite>"_ba
                                            << QStringList{u"com"_s, u"org"_s} << u"cited.org\r\nShown.com\r\n"_s;
    QTest::newRow("frames") << "<FRAMESET><FRAME SRC=\"http://www.framed-menu.com/menu.html\" NAME=m>"
                               "<frame src=http://www.framed-body.net/body.html></FRAMESET>"_ba
                            << comNet << u"framed-menu.com\r\nframed-body.net\r\n"_s;
    QTest::newRow("mail links and user names")
        << "<a href=\"mailto:sales@shop-mail.com\">Mail</a> <a href=\"http://webmaster@host-at.com/\">x</a>"
           " <a href=\"http://www.kept.com/\">k</a>"_ba
        << comNet << u"kept.com\r\n"_s;
    QTest::newRow("bold tags")
        << "<a href=\"http://<b>www.bold-one.com/</b>\">1</a> <a href=\"http://<B>www.bold-two.com/\">2</a>"
           " <cite>http://www.<b>bold</b>.com/</cite>"_ba
        << comNet << u"bold-one.com\r\nbold-two.com\r\n"_s;
    QTest::newRow("port keeps its colon")
        << "<a href=\"http://www.port-site.com:8080/index.html\">"_ba << comNet << u"port-site.com:\r\n"_s;
    QTest::newRow("co.uk and us hosts")
        << "<a href=\"http://www.shop.example.co.uk/\">a</a> <a href=\"http://www.site.us/\">b</a>"
           " <a href=\"http://a.b.deep.us/\">c</a> <a href=\"http://www.other.co.uk/\">d</a>"
           " <a href=\"http://www.plain.com/\">e</a>"_ba
        << QStringList{u"com"_s, u"co.uk"_s, u"us"_s}
        << u"example.co.uk\r\nsite.us\r\ndeep.us\r\nother.co.uk\r\nplain.com\r\n"_s;
    QTest::newRow("percent codes") << "<a href=\"/r?u=http%3A%2F%2Fwww.hidden.com%2F\">h</a>\r\n"
                                      "<a href=\"/url?q=www.encoded.com%2Fpath\">Enc</a>\r\n"
                                      "<a href=\"http://www.spaced.com%20more words\">s</a>\r\n"
                                      "<a href=\"http://www.spaced.com/\">again</a>\r\n"_ba
                                   << comNet << u"encoded.com\r\nspaced.com \r\n"_s;
    QTest::newRow("cr ends a line, lf does not")
        << "Visit http://www.cr-ended.com\r<br>Visit http://www.lf-ended.com\n<br>end"_ba << comNet
        << u"cr-ended.com\r\n"_s;
    QTest::newRow("filtered domains")
        << "http://search.yahoo.com/ http://RD.YAHOO.COM/x http://www.afternic.com/ http://l.yimg.com/"
           " http://www.fine.com/"_ba
        << comNet << u"fine.com\r\n"_s;
    QTest::newRow("name inside a gathered name")
        << "http://www.myexample.com/ http://www.example.com/"_ba << comNet << u"myexample.com\r\n"_s;
    QTest::newRow("any case duplicate") << "http://www.Twice.com/ http://twice.COM/"_ba << comNet << u"Twice.com\r\n"_s;
    QTest::newRow("empty candidate never gathered")
        << "http://a.b.example.net/ http://www.real.net/"_ba << QStringList{u"net"_s} << u"real.net\r\n"_s;
    QTest::newRow("markup stays out") << "http://www.tagged.com<br>"_ba << comNet << QString();
    QTest::newRow("exact label case") << "HREF=\"HTTP://WWW.UPPER.COM/\" http://www.Mixed.Shop.COM/"_ba << comNet
                                      << u"UPPER.COM\r\n"_s;
    QTest::newRow("https like http")
        << "<a href=\"https://www.brightkettle.com/\">a</a> <a href=\"https://quietmaple.net/\">b</a>"
           " <a href=\"HTTPS://Sunfern.com/x\">c</a> <a href=\"http://oldlink.com/\">d</a>"
           " <a href=\"https://search.yahoo.com/q.com\">e</a> <img src=\"https://s.yimg.com/i/a.gif\">"_ba
        << comNet << u"brightkettle.com\r\nquietmaple.net\r\nSunfern.com\r\noldlink.com\r\n"_s;
    QTest::newRow("wrapped results")
        << "<a href=\"https://r.search.yahoo.com/_ylt=A;_ylu=X/RV=2/RE=1/RO=10/RU=https%3a%2f%2fwww.yfound.com%2fp"
           "/RK=2/RS=x-\">y</a>\n"
           "<a href=\"/url?q=https://www.gfound.com/page&amp;sa=U&amp;ved=2ah\">g</a>\n"
           "<a href=\"https://www.google.com/url?sa=t&amp;url=https%3A%2F%2Fwww.gurl.net%2F&amp;usg=A\">g2</a>\n"
           "<a href=\"https://www.bing.com/ck/a?!&amp;&amp;p=abc&amp;u=a1aHR0cHM6Ly93d3cuYmluZ2ZvdW5kLmNvbS9hP2I9MQ"
           "&amp;ntb=1\">b</a>\n"
           "<a href=\"//duckduckgo.com/l/?uddg=https%3A%2F%2Fshop.dfound.com%2Fx&amp;rut=1\">d</a>\n"_ba
        << comNet << u"yfound.com\r\ngfound.com\r\ngurl.net\r\nbingfound.com\r\ndfound.com\r\n"_s;
    QTest::newRow("address inside script text")
        << "x=[\\x22https://www.glued-site.com\\x22,1,[null,\\x22https://other-glued.net,2]"_ba << comNet
        << u"glued-site.com\r\nother-glued.net\r\n"_s;
    QTest::newRow("filters judge the wrapped target")
        << "<a href=\"http://r.search.yahoo.com/_ylt=A/RU=https%3a%2f%2fde.mail.yahoo.com%2f/RK=0/RS=x-\">m</a>"
           "<a href=\"/url?q=https://www.afternic.com/d&amp;sa=U\">a</a>"_ba
        << comNet << QString();
    QTest::newRow("no enabled TLD") << "<a href=\"http://www.example.com/\">"_ba << QStringList() << QString();
    QTest::newRow("8-bit bytes kept") << "<a href=\"http://www.caf\xe9.com/\">caf\xe9</a>"_ba << comNet
                                      << u"caf\u00e9.com\r\n"_s;
}

void TestDomainExtraction::extractFromPage()
{
    QFETCH(QByteArray, page);
    QFETCH(QStringList, extensions);
    QFETCH(QString, expected);
    CollectedList list;
    ExtractionCounters counters;
    QString error;
    QVERIFY2(extractDomains(QString::fromLatin1(page), settings(extensions), list, counters, {}, &error),
             qPrintable(error));
    QCOMPARE(list.text(), expected);
    QCOMPARE(counters.pageFound, qint32(expected.count(u"\r\n"_s)));
    QCOMPARE(counters.totalFound, counters.pageFound);
    QVERIFY(!QFile::exists(searchOutputPath(m_folder.path())));
}

void TestDomainExtraction::countersAndProgressPerPage()
{
    const QStringList extensions{u"com"_s};
    CollectedList list;
    ExtractionCounters counters;
    int lines = 0;
    const auto lineRead = [&lines] { ++lines; };

    QVERIFY(extractDomains(u"<a href=\"http://www.one.com/\"><a href=\"http://www.two.com/\">"_s, settings(extensions),
                           list, counters, lineRead));
    // "<a href=\"", the two links each cut after "com/", and the rest of each.
    QCOMPARE(lines, 5);
    QCOMPARE(counters.pageFound, 2);
    QCOMPARE(counters.totalFound, 2);

    lines = 0;
    QVERIFY(
        extractDomains(u"http://www.one.com/ http://www.three.com/"_s, settings(extensions), list, counters, lineRead));
    QCOMPARE(counters.pageFound, 1);
    QCOMPARE(counters.totalFound, 3);
    QCOMPARE(list.text(), u"one.com\r\ntwo.com\r\nthree.com\r\n"_s);

    lines = 0;
    QVERIFY(extractDomains(QString(), settings(extensions), list, counters, lineRead));
    QCOMPARE(lines, 1);
    QCOMPARE(counters.pageFound, 0);
    QCOMPARE(counters.totalFound, 3);
}

void TestDomainExtraction::leftoverTemporaryFileIsReadAndDeleted()
{
    const QString path = searchOutputPath(m_folder.path());
    writeFile(path, "http://www.left-over.com/\r\n");
    CollectedList list;
    ExtractionCounters counters;
    QVERIFY(extractDomains(u"http://www.fresh.com/"_s, settings({u"com"_s}), list, counters));
    QCOMPARE(list.text(), u"left-over.com\r\nfresh.com\r\n"_s);
    QVERIFY(!QFile::exists(path));

    // A page abandoned half-way leaves no file behind either.
    CollectedList other;
    {
        PageExtraction extraction(other, counters);
        QVERIFY(extraction.begin(u"http://www.a.com/ http://www.b.com/"_s, settings({u"com"_s})));
        QVERIFY(QFile::exists(path));
        extraction.processNextLine();
        QVERIFY(extraction.hasNextLine());
    }
    QVERIFY(!QFile::exists(path));
}

void TestDomainExtraction::temporaryFileFailureIsReported()
{
    ExtractionSettings broken = settings({u"com"_s});
    broken.tempFilePath = m_folder.filePath(u"missing/SearchOutput.txt"_s);
    CollectedList list;
    ExtractionCounters counters{5, 7};
    QString error;
    int lines = 0;
    QVERIFY(!extractDomains(
        u"http://www.example.com/"_s, broken, list, counters, [&lines] { ++lines; }, &error));
    QVERIFY2(error.contains(u"missing/SearchOutput.txt"_s), qPrintable(error));
    QCOMPARE(lines, 0);
    QVERIFY(list.isEmpty());
    QCOMPARE(counters.pageFound, 0);
    QCOMPARE(counters.totalFound, 5);
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
        {u"googlescraper-duckduckgo-html-2015.html"_s, {u"paulgraham.com"_s, u"merriam-webster.com"_s}},
        {u"readability-wikipedia-new-zealand.html"_s, {u"bbc.co.uk"_s, u"newzealand.com"_s, u"unesco.org"_s}},
        {u"unfurl-qq-com-portal.html"_s, {u"qq.com"_s, u"tencent.com"_s}},
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
    const ExtractionSettings realTable = settings({u"com"_s, u"net"_s, u"org"_s, u"co.uk"_s, u"us"_s, u"co.jp"_s});

    CollectedList list;
    ExtractionCounters counters;
    QVERIFY(extractDomains(page, realTable, list, counters));
    QCOMPARE(counters.pageFound, qint32(list.text().count(u"\r\n"_s)));

    // Host-like names only: letters, digits, "-" and dots, ending in a label,
    // possibly followed by the space of a cut link text or the colon of a port.
    static const QRegularExpression hostLike(u"^[a-z0-9-]+(\\.[a-z0-9-]+)*\\.[a-z]{2,}[ :]?$"_s,
                                             QRegularExpression::CaseInsensitiveOption);
    const QStringList entries = list.text().split(u"\r\n"_s, Qt::SkipEmptyParts);
    for (const QString &entry : entries)
        QVERIFY2(hostLike.match(entry).hasMatch(), qPrintable(entry));
    for (const QString &name : mustFind)
        QVERIFY2(entries.contains(name), qPrintable(name));

    // The same page again adds nothing; a fresh list gets the same names.
    QVERIFY(extractDomains(page, realTable, list, counters));
    QCOMPARE(counters.pageFound, 0);
    CollectedList again;
    ExtractionCounters fresh;
    QVERIFY(extractDomains(page, realTable, again, fresh));
    QCOMPARE(again.text(), entries.isEmpty() ? QString() : entries.join(u"\r\n"_s) + u"\r\n"_s);
}

QTEST_GUILESS_MAIN(TestDomainExtraction)
#include "TestDomainExtraction.moc"
