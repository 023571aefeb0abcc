#include "tests/support/CommandRun.h"
#include "tests/support/TestFiles.h"
#include "tests/support/WhoisTestServer.h"

#include <QDir>
#include <QProcess>
#include <QSettings>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>
#include <QTextStream>

#include <csignal>

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
    void severalTldsAndRepeatedNames();
    void generatedList();
    void missingListFile();

    // Resume
    void interruptedRunResumesAtFirstUnendedWord();
    // Silent failures
    void failuresDuringRunFailTheCommand_data();
    void failuresDuringRunFailTheCommand();
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
    QCOMPARE(first.out, u"zx.net\tregistered\t127.0.0.1\tnomatch\nzy.net\tregistered\t127.0.0.1\tnomatch\n"
                        "zz.net\tregistered\t127.0.0.1\tnomatch\n"_s);
    QCOMPARE(fixture.resumeValue(u"TwoWordNum"_s), u"677"_s);
    QCOMPARE(fixture.resumeValue(u"wordNumber"_s), u"677"_s);

    // Without --start the run resumes where the last one stopped.
    QSettings(fixture.config.filePath(u"user/Vantrel.ini"_s), QSettings::IniFormat)
        .setValue(u"Settings/TwoWordNum"_s, u"676"_s);
    const Run resumed = fixture.search({u"--type=All Two Letter"_s});
    QCOMPARE(resumed.out, u"zz.com\tregistered\t127.0.0.1\tnomatch\n"_s);
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
    QCOMPARE(run.out, u"solo.com\tavailable\t127.0.0.1\tphrase:No match\n"_s);
    QCOMPARE(fixture.resumeValue(u"CustWordNum"_s), u"2"_s);
    QCOMPARE(readFile(fixture.home.filePath(u"SuperHighProfile.txt"_s)), "solo.com\r\n"_ba);
}

// Each word in every TLD before the next word, a name asked and printed once.
void TestSearchCommand::severalTldsAndRepeatedNames()
{
    SearchFixture fixture;
    fixture.server.setReply("Domain Name: x");
    writeFile(fixture.home.filePath(u"mine.txt"_s), "solo\r\nduo.net\r\nSOLO\r\nduo\r\n");
    const Run run = fixture.search({u"--type=custom"_s, u"--list"_s, fixture.home.filePath(u"mine.txt"_s), u"--tld"_s,
                                    u"com"_s, u"--tld"_s, u"net"_s});
    QCOMPARE(run.exitCode, 0);
    QCOMPARE(fixture.server.queries, (QList<QByteArray>{"solo.com", "solo.net", "duo.net", "duo.com"}));
    QCOMPARE(run.out.count(u'\n'), 4);
    QCOMPARE(fixture.resumeValue(u"CustWordNum"_s), u"5"_s);
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

// Ctrl+C while a lookup of the batch is still running: what ended is
// printed, and the next run starts again at the word left without a verdict.
void TestSearchCommand::interruptedRunResumesAtFirstUnendedWord()
{
    SearchFixture fixture;
    fixture.server.setHandler([](QTcpSocket *socket, const QByteArray &query, int) {
        if (query != "slow.com")
            WhoisTestServer::answerAndClose(socket, "Domain Name: x");
    });
    const QString list = fixture.home.filePath(u"mine.txt"_s);
    writeFile(list, "one\r\nslow\r\nthree\r\n");

    QProcess process;
    process.start(QStringLiteral(VANTREL_EXECUTABLE), {u"--home"_s, fixture.home.path(), u"search"_s, u"--no-dns"_s,
                                                       u"--type=custom"_s, u"--list"_s, list, u"--slots=2"_s});
    QVERIFY(process.waitForStarted());
    QTRY_VERIFY(fixture.server.queries.contains("slow.com") && fixture.server.queries.contains("three.com"));
    QTest::qWait(200);
    ::kill(pid_t(process.processId()), SIGINT);
    QVERIFY(process.waitForFinished(5000));
    QCOMPARE(process.exitCode(), 130);
    // The free slot went on past the silent name; everything that ended is printed.
    const QByteArray printed = process.readAllStandardOutput();
    QVERIFY2(printed.contains("one.com\tregistered\t127.0.0.1\tnomatch\n"), printed.constData());
    QVERIFY2(!printed.contains("slow.com"), printed.constData());

    fixture.server.setHandler(
        [](QTcpSocket *socket, const QByteArray &, int) { WhoisTestServer::answerAndClose(socket, "Domain Name: x"); });
    fixture.server.queries.clear();
    const Run resumed = fixture.search({u"--type=custom"_s, u"--list"_s, list, u"--slots=2"_s});
    QCOMPARE(resumed.exitCode, 0);
    QVERIFY2(fixture.server.queries.contains("slow.com"), qPrintable(resumed.out));
    QCOMPARE(fixture.resumeValue(u"CustWordNum"_s), u"4"_s);
}

enum class RunFault { SettingsUnwritable, ListDeleted, ProgramFolderDeleted };
Q_DECLARE_METATYPE(RunFault)

void TestSearchCommand::failuresDuringRunFailTheCommand_data()
{
    QTest::addColumn<RunFault>("fault");
    QTest::addColumn<QString>("message");
    QTest::newRow("settings folder unwritable") << RunFault::SettingsUnwritable << u"resume position"_s;
    QTest::newRow("list file deleted") << RunFault::ListDeleted << u"not found."_s;
    QTest::newRow("program folder deleted") << RunFault::ProgramFolderDeleted << u"Profile"_s;
}

// A run that loses its settings, its word list or its program folder says
// so, once, and ends with a failure.
void TestSearchCommand::failuresDuringRunFailTheCommand()
{
    QFETCH(RunFault, fault);
    QFETCH(QString, message);
    SearchFixture fixture;
    QTemporaryDir listFolder;
    const QString list = listFolder.filePath(u"mine.txt"_s);
    // Longer than a run reads ahead, so the deletion is met while reading.
    QByteArray words;
    for (int i = 0; i < 1200; ++i)
        words += "name" + QByteArray::number(i) + "\r\n";
    writeFile(list, words);
    if (fault == RunFault::SettingsUnwritable)
        writeFile(fixture.config.filePath(u"user"_s), "a file where the folder should be");
    fixture.server.setHandler([&](QTcpSocket *socket, const QByteArray &, int connection) {
        if (connection == 5 && fault == RunFault::ListDeleted)
            QFile::remove(list);
        if (connection == 5 && fault == RunFault::ProgramFolderDeleted)
            QDir(fixture.home.path()).removeRecursively();
        WhoisTestServer::answerAndClose(socket, "No match");
    });

    const Run run = fixture.search({u"--type=custom"_s, u"--list"_s, list});
    QCOMPARE(run.exitCode, 1);
    QVERIFY2(run.err.contains(message), qPrintable(run.err));
    QVERIFY2(run.err.count(u'\n') <= 4, qPrintable(run.err));
}

QTEST_GUILESS_MAIN(TestSearchCommand)
#include "TestSearchCommand.moc"
