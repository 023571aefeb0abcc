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
              "<a href=\"http://www.first.com/\">1</a> <a href=\"http://www.spaced.com%20words\">s</a>\r\n"
              "<a href=\"http://www.shop.second.net/\">2</a>\r\n");
    writeFile(work.filePath(u"two.html"_s), "<cite>www.first.com/again</cite> <a href=\"http://www.third.com/\">");
    // What an interrupted run left behind is read with the first page.
    writeFile(home + u"/SearchOutput.txt"_s, "http://www.left.com/\r\n");

    const Run run =
        runVantrel({u"--home"_s, home, u"extract"_s, work.filePath(u"one.html"_s), work.filePath(u"two.html"_s)});
    QCOMPARE(run.exitCode, 0);
    QVERIFY2(run.err.isEmpty(), qPrintable(run.err));
    // The default table enables com and net; www.shop.second.net has no registrable part.
    QCOMPARE(run.out, u"left.com\nfirst.com\nspaced.com \nthird.com\n"_s);
    QVERIFY(!QFile::exists(home + u"/SearchOutput.txt"_s));
    QCOMPARE(readFile(home + u"/TLDs.txt"_s).count("\r\n"), 180);
    QVERIFY(QFile::exists(home + u"/searches"_s));
}

void TestExtractCommand::usesTheFoldersEnabledTlds()
{
    QTemporaryDir home;
    writeFile(home.filePath(u"TLDs.txt"_s), "com|w.example|43|Disabled|0|x\r\n"
                                            "org|w.example|43|Enabled|0|x\r\n"
                                            "co.uk|w.example|43|Enabled|0|x\r\n");
    writeFile(home.filePath(u"page.html"_s), "http://www.a.com/ http://www.b.org/ http://www.c.co.uk/");
    const Run run = runVantrel({u"--home"_s, home.path(), u"extract"_s, home.filePath(u"page.html"_s)});
    QCOMPARE(run.exitCode, 0);
    QCOMPARE(run.out, u"b.org\nc.co.uk\n"_s);

    writeFile(home.filePath(u"TLDs.txt"_s), "com|w.example|43|Disabled|0|x\r\n");
    QCOMPARE(runVantrel({u"--home"_s, home.path(), u"extract"_s, home.filePath(u"page.html"_s)}).out, QString());
}

void TestExtractCommand::readsStandardInputAsBytes()
{
    QTemporaryDir home;
    QProcess process;
    process.start(QStringLiteral(VANTREL_EXECUTABLE), {u"--home"_s, home.path(), u"extract"_s});
    QVERIFY(process.waitForStarted());
    process.write("<a href=\"http://www.caf\xe9.com/\">caf\xe9</a> <a href=\"http://www.plain.net/\">\r\n");
    process.closeWriteChannel();
    QVERIFY(process.waitForFinished(30000));
    QCOMPARE(process.exitCode(), 0);
    QCOMPARE(process.readAllStandardOutput(), "caf\xe9.com\nplain.net\n"_ba);
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
              "<a href=\"https://www.brightkettle.com/\">a</a> <a href=\"https://quietmaple.net/\">b</a>\n"
              "<a href=\"HTTPS://Sunfern.com/x\">c</a> <a href=\"http://oldlink.com/\">d</a>\n"
              "<a href=\"https://search.yahoo.com/q.com\">e</a>\n");
    const Run run = runVantrel({u"--home"_s, home.path(), u"extract"_s, home.filePath(u"page.html"_s)});
    QCOMPARE(run.exitCode, 0);
    QCOMPARE(run.out, u"brightkettle.com\nquietmaple.net\nSunfern.com\noldlink.com\n"_s);

    // The browse window's path also takes a second name of a text line, and
    // never a scheme's leftovers.
    writeFile(home.filePath(u"text.html"_s), "<p>Try https://kwfinder.com/tools or mangools.com, and bing.com.</p>");
    const Run browsed =
        runVantrel({u"--home"_s, home.path(), u"extract"_s, u"--browsed"_s, home.filePath(u"text.html"_s)});
    QCOMPARE(browsed.exitCode, 0);
    QCOMPARE(browsed.out, u"kwfinder.com\nmangools.com\nbing.com\n"_s);
}

QTEST_GUILESS_MAIN(TestExtractCommand)
#include "TestExtractCommand.moc"
