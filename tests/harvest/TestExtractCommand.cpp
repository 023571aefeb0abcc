#include "tests/support/CommandRun.h"
#include "tests/support/TestFiles.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QTextStream>

using namespace Qt::StringLiterals;

class TestExtractCommand : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void pagesInOrderIntoOneList();
    void usesTheFoldersEnabledTlds();
    void readsStandardInputAsBytes();
    void unreadablePage();
    void secureLinksBothPaths();

private:
    QTemporaryDir m_config;
};

void TestExtractCommand::initTestCase()
{
    QVERIFY(m_config.isValid());
    qputenv("VANTREL_CONFIG_DIR", QFile::encodeName(m_config.path()));
}

void TestExtractCommand::pagesInOrderIntoOneList()
{
    QTemporaryDir work;
    const QString home = work.filePath(u"home"_s);
    writeFile(work.filePath(u"one.html"_s),
              "<a href=\"http://www.first.com/\">1</a> <a href=\"http://www.shop.second.net:8080/\">2</a>\r\n"
              "<script>var allow = [\"script-only.com\"];</script>\r\n");
    writeFile(work.filePath(u"two.html"_s), "<cite>www.first.com/again</cite> <a href=\"http://www.third.com/\">");

    const Run run =
        runVantrel({u"--home"_s, home, u"extract"_s, work.filePath(u"one.html"_s), work.filePath(u"two.html"_s)});
    QCOMPARE(run.exitCode, 0);
    QVERIFY2(run.err.isEmpty(), qPrintable(run.err));
    QCOMPARE(run.out, u"first.com\nsecond.net\nthird.com\n"_s);
    QCOMPARE(readFile(home + u"/TLDs.txt"_s).count("\r\n"), 180);
    QVERIFY(QFile::exists(home + u"/searches"_s));
}

void TestExtractCommand::usesTheFoldersEnabledTlds()
{
    QTemporaryDir home;
    writeFile(home.filePath(u"TLDs.txt"_s), "com|w.example|43|Disabled|0|x\r\n"
                                            "org|w.example|43|Enabled|0|x\r\n"
                                            "uk|w.example|43|Enabled|0|x\r\n");
    writeFile(home.filePath(u"page.html"_s), "http://www.a.com/ http://www.b.org/ http://www.c.co.uk/ www.d.es");
    const Run run = runVantrel({u"--home"_s, home.path(), u"extract"_s, home.filePath(u"page.html"_s)});
    QCOMPARE(run.exitCode, 0);
    QCOMPARE(run.out, u"b.org\nc.co.uk\n"_s);
    // Every TLD with a registry; .es has none the program can ask.
    const Run everyTld =
        runVantrel({u"--home"_s, home.path(), u"extract"_s, u"--all-tlds"_s, home.filePath(u"page.html"_s)});
    QCOMPARE(everyTld.out, u"a.com\nb.org\nc.co.uk\n"_s);

    writeFile(home.filePath(u"TLDs.txt"_s), "com|w.example|43|Disabled|0|x\r\n");
    QCOMPARE(runVantrel({u"--home"_s, home.path(), u"extract"_s, home.filePath(u"page.html"_s)}).out, QString());
}

void TestExtractCommand::readsStandardInputAsBytes()
{
    QTemporaryDir home;
    QProcess process;
    process.start(QStringLiteral(VANTREL_EXECUTABLE), {u"--home"_s, home.path(), u"extract"_s});
    QVERIFY(process.waitForStarted());
    process.write("<a href=\"http://www.plain.net/\">caf\xe9.com</a> \xe9t\xe9.net\r\n");
    process.closeWriteChannel();
    QVERIFY(process.waitForFinished(30000));
    QCOMPARE(process.exitCode(), 0);
    // A name glued to bytes beyond ASCII is part of a word, not a host.
    QCOMPARE(process.readAllStandardOutput(), "plain.net\n"_ba);
}

void TestExtractCommand::unreadablePage()
{
    QTemporaryDir home;
    const Run run = runVantrel({u"--home"_s, home.path(), u"extract"_s, home.filePath(u"missing.html"_s)});
    QCOMPARE(run.exitCode, 2);
    QVERIFY2(run.err.contains(u"cannot read "_s + home.filePath(u"missing.html"_s)), qPrintable(run.err));
    QVERIFY(run.out.isEmpty());
}

void TestExtractCommand::secureLinksBothPaths()
{
    QTemporaryDir home;
    writeFile(home.filePath(u"page.html"_s),
              "<html><head><title>oldlink.com</title><script>x = \"head-script.com\";</script></head><body>\n"
              "<a href=\"https://www.brightkettle.com/\">a</a> <a href=\"https://quietmaple.net/\">b</a>\n"
              "<a href=\"HTTPS://Sunfern.com/x\">c</a> <p>Try https://kwfinder.com/tools or mangools.com.</p>\n"
              "<a href=\"https://search.yahoo.com/q.com\">e</a></body></html>\n");
    const QString expected = u"brightkettle.com\nquietmaple.net\nsunfern.com\nkwfinder.com\nmangools.com\n"_s;
    const Run run = runVantrel({u"--home"_s, home.path(), u"extract"_s, home.filePath(u"page.html"_s)});
    QCOMPARE(run.exitCode, 0);
    QCOMPARE(run.out, expected);
    const Run browsed =
        runVantrel({u"--home"_s, home.path(), u"extract"_s, u"--browsed"_s, home.filePath(u"page.html"_s)});
    QCOMPARE(browsed.exitCode, 0);
    QCOMPARE(browsed.out, expected);
}

QTEST_GUILESS_MAIN(TestExtractCommand)
#include "TestExtractCommand.moc"
