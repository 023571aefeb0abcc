#include "tests/support/CommandRun.h"
#include "tests/support/TestFiles.h"
#include "tests/support/WhoisTestServer.h"

#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <QTextStream>

using namespace Qt::StringLiterals;

namespace {

// A program folder whose com and net rows point at one loopback server.
class SearchFixture
{
public:
    SearchFixture()
    {
        server.listen();
        const QByteArray port = QByteArray::number(server.port());
        writeFile(home.filePath(u"TLDs.txt"_s),
                  "com|127.0.0.1|" + port + "|Enabled|0|No match\r\nnet|127.0.0.1|" + port + "|Enabled|0|No match\r\n");
        qputenv("VANTREL_CONFIG_DIR", QFile::encodeName(config.path()));
    }

    // Without DNS first, so a single slot ends the names in list order.
    Run search(const QStringList &arguments)
    {
        return runVantrel(QStringList{u"--home"_s, home.path(), u"search"_s, u"--no-dns"_s} + arguments);
    }

    QString resumeValue(const QString &key) const
    {
        QSettings settings(config.filePath(u"user/Vantrel.ini"_s), QSettings::IniFormat);
        return settings.value(u"Settings/"_s + key).toString();
    }

    QTemporaryDir home;
    QTemporaryDir config;
    WhoisTestServer server;
};

} // namespace

class TestSearchCommand : public QObject
{
    Q_OBJECT

private slots:
    void usageErrors_data();
    void usageErrors();
    void builtInListFromStartThenResumes();
    void searchEngineListsAlwaysStartAtOne();
    void customListWithOneWord();
    void generatedList();
    void missingListFile();
};

void TestSearchCommand::usageErrors_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("message");
    QTest::newRow("no type") << QStringList() << u"no --type given"_s;
    QTest::newRow("unknown type") << QStringList{u"--type"_s, u"all two letter"_s} << u"--type takes one of"_s;
    QTest::newRow("browse") << QStringList{u"--type"_s, u"Browse for names"_s} << u"desktop program"_s;
    QTest::newRow("custom without list") << QStringList{u"--type=Custom List"_s} << u"--list goes with"_s;
    QTest::newRow("list without custom") << QStringList{u"--type=Full Word List"_s, u"--list=x.txt"_s}
                                         << u"--list goes with"_s;
    QTest::newRow("start zero") << QStringList{u"--type=All Two Letter"_s, u"--start=0"_s} << u"--start"_s;
    QTest::newRow("start not a number") << QStringList{u"--type=All Two Letter"_s, u"--start=x"_s} << u"--start"_s;
    QTest::newRow("stray argument") << QStringList{u"--type=All Two Letter"_s, u"extra"_s}
                                    << u"unexpected argument extra"_s;
}

void TestSearchCommand::usageErrors()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, message);
    SearchFixture fixture;
    const Run run = fixture.search(arguments);
    QCOMPARE(run.exitCode, 2);
    QVERIFY2(run.err.contains(message), qPrintable(run.err));
    QCOMPARE(fixture.server.connections, 0);
}

void TestSearchCommand::builtInListFromStartThenResumes()
{
    SearchFixture fixture;
    const Run first = fixture.search({u"--type"_s, u"All Two Letter"_s, u"--start"_s, u"674"_s, u"--tld"_s, u"net"_s});
    QCOMPARE(first.exitCode, 0);
    QCOMPARE(first.out, u"zx.net\tregistered\t127.0.0.1\nzy.net\tregistered\t127.0.0.1\n"
                        "zz.net\tregistered\t127.0.0.1\n"_s);
    QCOMPARE(fixture.resumeValue(u"TwoWordNum"_s), u"677"_s);
    QCOMPARE(fixture.resumeValue(u"wordNumber"_s), u"677"_s);

    // Without --start the run resumes where the last one stopped.
    QSettings(fixture.config.filePath(u"user/Vantrel.ini"_s), QSettings::IniFormat)
        .setValue(u"Settings/TwoWordNum"_s, u"676"_s);
    const Run resumed = fixture.search({u"--type=All Two Letter"_s});
    QCOMPARE(resumed.out, u"zz.com\tregistered\t127.0.0.1\n"_s);
    QCOMPARE(fixture.server.queries.size(), 4);
}

void TestSearchCommand::searchEngineListsAlwaysStartAtOne()
{
    SearchFixture fixture;
    writeFile(fixture.home.filePath(u"BrowserSearch.txt"_s), "found-one.com\r\nfound-two.com\r\n");
    QSettings(fixture.config.filePath(u"user/Vantrel.ini"_s), QSettings::IniFormat)
        .setValue(u"Settings/GoogleWordNum"_s, u"2"_s);
    const Run run = fixture.search({u"--type=Google Search"_s, u"--start=2"_s});
    QCOMPARE(run.exitCode, 0);
    QCOMPARE(fixture.server.queries, (QList<QByteArray>{"found-one.com", "found-two.com"}));
    QCOMPARE(fixture.resumeValue(u"GoogleWordNum"_s), u"3"_s);
}

void TestSearchCommand::customListWithOneWord()
{
    SearchFixture fixture;
    fixture.server.setReply("No match for SOLO.COM");
    writeFile(fixture.home.filePath(u"mine.txt"_s), "solo");
    const Run run = fixture.search({u"--type=Custom List"_s, u"--list"_s, fixture.home.filePath(u"mine.txt"_s)});
    QCOMPARE(run.out, u"solo.com\tavailable\t127.0.0.1\n"_s);
    QCOMPARE(fixture.resumeValue(u"CustWordNum"_s), u"2"_s);
    QCOMPARE(readFile(fixture.home.filePath(u"SuperHighProfile.txt"_s)), "solo.com\r\n"_ba);
}

void TestSearchCommand::generatedList()
{
    SearchFixture fixture;
    writeFile(fixture.home.filePath(u"CreatedDomains.txt"_s), "shopmy.com\r\n\r\nmy-shop.com\r\n\r\n");
    const Run run = fixture.search({u"--type=Generate names"_s});
    QCOMPARE(fixture.server.queries, (QList<QByteArray>{"shopmy.com", "my-shop.com"}));
    QCOMPARE(fixture.resumeValue(u"wordNumber"_s), u"3"_s);
    QVERIFY(fixture.resumeValue(u"CustWordNum"_s).isEmpty());
    QCOMPARE(run.exitCode, 0);
}

void TestSearchCommand::missingListFile()
{
    SearchFixture fixture;
    const Run run = fixture.search({u"--type=Custom List"_s, u"--list=/nonexistent/list.txt"_s});
    QCOMPARE(run.exitCode, 1);
    QVERIFY2(run.err.contains(u"File /nonexistent/list.txt not found."_s), qPrintable(run.err));
}

QTEST_GUILESS_MAIN(TestSearchCommand)
#include "TestSearchCommand.moc"
