#include "core/HistoryStore.h"
#include "core/WorkQueue.h"
#include "tests/support/CommandRun.h"
#include "tests/support/FullFileSystem.h"
#include "tests/support/HttpTestServer.h"
#include "tests/support/PostgresTestServer.h"
#include "tests/support/TestFiles.h"
#include "tests/support/WhoisTestServer.h"

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QProcess>
#include <QStandardPaths>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>
#include <QTextStream>

#include <csignal>

using namespace Qt::StringLiterals;

namespace {

// A program folder whose "test" TLD (and "proxy" row) point at the server.
void writeTestTable(const QString &folder, quint16 port, const QByteArray &throttle = "0")
{
    const QByteArray portText = QByteArray::number(port);
    writeFile(folder + u"/TLDs.txt"_s, "com|127.0.0.1|" + portText + "|Enabled|" + throttle +
                                           "|No match\r\n"
                                           "test|127.0.0.1|" +
                                           portText + "|Enabled|" + throttle + "|No match,AVAIL\r\n");
}

// Runs a bash command line in folder and waits for it while the test's own
// servers answer; the command finds vantrel in $V.
QProcess *startShell(const QString &command, const QString &folder, QObject *parent)
{
    auto *process = new QProcess(parent);
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(u"V"_s, QStringLiteral(VANTREL_EXECUTABLE));
    process->setProcessEnvironment(environment);
    process->setWorkingDirectory(folder);
    process->start(u"bash"_s, {u"-c"_s, command});
    return process;
}

} // namespace

class TestCli : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void usageErrors_data();
    void usageErrors();
    void helpListsEveryCommand();
    void tldsPreparesFolderAndListsEnabled();
    void tldsKeepsExistingTable();
    void tldsReportsUnusableFolder();
    void registriesUpdate_data();
    void registriesUpdate();
    void prepareNames();
    void prepareUsesStoredDefaultExtension();
    void headlessRunNeedsNoDisplay();
    void checkPrintsOneLinePerName();
    void checkReadsListFile();
    void checkManySlots();
    void checkKeepsGoingWhenProfileFileFails();
    void checkStopsOnInterrupt();
    void quietHidesProgressOnTerminal();
    void historySurvivesKill();
    void workersShareAQueue();

    // File writes
    void checkOnFullDiskFails();
    void killedCheckLeavesEveryPrintedNameInItsFile();
    // Replies
    void checkAsksAgainAfterEmptyReply_data();
    void checkAsksAgainAfterEmptyReply();
    // Silent failures
    void tldTableThatIsAFolderFails_data();
    void tldTableThatIsAFolderFails();
    // Input, output and exit status
    void listInput_data();
    void listInput();
    void namesArePreparedOnce_data();
    void namesArePreparedOnce();
    void exitStatus_data();
    void exitStatus();
    void closedOutputEndsTheRun();
    void outputOptions_data();
    void outputOptions();
    void installedProgramKeepsOutOfItsFolder_data();
    void installedProgramKeepsOutOfItsFolder();

private:
    QTemporaryDir m_config;
};

void TestCli::initTestCase()
{
    QVERIFY(m_config.isValid());
    qputenv("VANTREL_CONFIG_DIR", QFile::encodeName(m_config.path()));
}

void TestCli::usageErrors_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("message");
    QTest::newRow("no command") << QStringList() << u"usage: vantrel"_s;
    QTest::newRow("unknown command") << QStringList{u"frobnicate"_s} << u"unknown command frobnicate"_s;
    QTest::newRow("unknown option") << QStringList{u"--frob"_s, u"tlds"_s} << u"unknown option --frob"_s;
    QTest::newRow("home without folder") << QStringList{u"--home"_s} << u"--home needs a folder"_s;
    QTest::newRow("prepare without names") << QStringList{u"prepare"_s} << u"no NAME given"_s;
    QTest::newRow("prepare tld without value") << QStringList{u"prepare"_s, u"--tld"_s} << u"--tld"_s;
    QTest::newRow("prepare unknown option") << QStringList{u"prepare"_s, u"--x"_s, u"a"_s} << u"Unknown option 'x'"_s;
    QTest::newRow("check without names") << QStringList{u"check"_s} << u"no NAME or --list given"_s;
    QTest::newRow("check zero slots") << QStringList{u"check"_s, u"--slots"_s, u"0"_s, u"a"_s} << u"1 to 101"_s;
    QTest::newRow("check too many slots") << QStringList{u"check"_s, u"--slots=102"_s, u"a"_s} << u"1 to 101"_s;
    QTest::newRow("check missing list") << QStringList{u"check"_s, u"--list"_s, u"/nonexistent/list.txt"_s}
                                        << u"cannot read /nonexistent/list.txt"_s;
    QTest::newRow("dns server not an address")
        << QStringList{u"check"_s, u"--dns-server"_s, u"dns.example"_s, u"a"_s} << u"--dns-server takes an IP"_s;
    QTest::newRow("dns server without dns")
        << QStringList{u"search"_s, u"--type"_s, u"two-letter"_s, u"--no-dns"_s, u"--dns-server=127.0.0.1"_s}
        << u"--dns-server goes without --no-dns"_s;
    QTest::newRow("negative recheck") << QStringList{u"check"_s, u"--recheck-after=-1"_s, u"a"_s}
                                      << u"--recheck-after takes a number of days"_s;
    QTest::newRow("tlds with argument") << QStringList{u"tlds"_s, u"extra"_s} << u"unexpected argument extra"_s;
    QTest::newRow("registries update from a file")
        << QStringList{u"registries"_s, u"update"_s, u"--from=file:///etc/passwd"_s}
        << u"is not an http or https address"_s;
}

void TestCli::usageErrors()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, message);
    const Run run = runVantrel(arguments);
    QCOMPARE(run.exitCode, 2);
    QVERIFY2(run.err.contains(message), qPrintable(run.err));
    QVERIFY(run.out.isEmpty());
}

void TestCli::helpListsEveryCommand()
{
    const Run run = runVantrel({u"--help"_s});
    QCOMPARE(run.exitCode, 0);
    for (const QString &command : {u"tlds"_s, u"prepare [--tld EXT] [--] NAME..."_s})
        QVERIFY2(run.out.contains(u"  "_s + command), qPrintable(command));
}

void TestCli::tldsPreparesFolderAndListsEnabled()
{
    QTemporaryDir home;
    const QString folder = home.path() + u"/fresh"_s;
    const Run run = runVantrel({u"--home"_s, folder, u"tlds"_s});
    QCOMPARE(run.exitCode, 0);
    QCOMPARE(run.out, u"com\nnet\n"_s);
    for (const QString &file : {u"BrowserSearch.txt"_s, u"Appends.txt"_s, u"CreatedDomains.txt"_s, u"Remembered.txt"_s})
        QCOMPARE(readFile(folder + QLatin1Char('/') + file), "\r\n"_ba);
    for (const QString &subfolder : {u"backups"_s, u"overflow"_s, u"wordlists"_s, u"searches"_s})
        QVERIFY(QDir(folder + QLatin1Char('/') + subfolder).exists());
    QCOMPARE(readFile(folder + u"/TLDs.txt"_s).count("\r\n"), 180);
}

void TestCli::tldsKeepsExistingTable()
{
    QTemporaryDir home;
    QFile table(home.filePath(u"TLDs.txt"_s));
    QVERIFY(table.open(QIODevice::WriteOnly));
    table.write("org|whois.example|43|Enabled|25|No match\r\n"
                "proxy|p.example|43|Enabled|25|x\r\n"
                "net|n.example|43|enabled|25|x\r\n"
                " de |d.example|43|Enabled\r\n"
                "org|whois.example|43|Enabled|25|No match\r\n");
    table.close();
    const Run run = runVantrel({u"--home="_s + home.path(), u"tlds"_s});
    QCOMPARE(run.exitCode, 0);
    QCOMPARE(run.out, u"org\nde\norg\n"_s);
}

void TestCli::tldsReportsUnusableFolder()
{
    QTemporaryDir home;
    QFile blocker(home.filePath(u"file"_s));
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    const Run run = runVantrel({u"--home"_s, blocker.fileName() + u"/below"_s, u"tlds"_s});
    QCOMPARE(run.exitCode, 1);
    QVERIFY2(run.err.contains(u"not usable"_s), qPrintable(run.err));
    QVERIFY(run.out.isEmpty());
}

void TestCli::registriesUpdate_data()
{
    QTest::addColumn<QByteArray>("status");
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<QString>("message"); // on stdout when saved, else on stderr
    QTest::newRow("saved")
        << "200 OK"_ba
        << "{\"publication\": \"2026-12-01T00:00:00Z\", \"services\": [[[\"zz\", \"yy\"], [\"https://x/\"]]]}"_ba
        << u"RDAP servers of 2 TLDs (published 2026-12-01T00:00:00Z) saved as"_s;
    QTest::newRow("no services") << "200 OK"_ba
                                 << "{\"services\": []}"_ba << u"is not a bootstrap file"_s;
    QTest::newRow("not found") << "404 Not Found"_ba << QByteArray() << u"HTTP status 404"_s;
    QTest::newRow("too large") << "200 OK"_ba << QByteArray(9 * 1024 * 1024, ' ') << u"larger than 8 MB"_s;
    QTest::newRow("redirect loop") << "302 Found\r\nLocation: /dns.json"_ba << QByteArray()
                                   << u"a redirect was not followed"_s;
}

// `registries update` keeps IANA's bootstrap file in the program folder,
// with where and when it was fetched, and it wins over the shipped one; a
// failed or malformed download keeps the copy there was, and says so.
void TestCli::registriesUpdate()
{
    QFETCH(QByteArray, status);
    QFETCH(QByteArray, body);
    QFETCH(QString, message);
    const bool saved = message.startsWith(u"RDAP servers"_s);
    HttpTestServer server;
    QVERIFY(server.listen());
    server.setHandler([&](QTcpSocket *socket, const HttpTestServer::Request &) { server.reply(socket, body, status); });
    QTemporaryDir home;
    const QString copy = home.filePath(u"registry/rdap-dns.json"_s);
    writeFile(copy, "{\"publication\": \"2026-01-01T00:00:00Z\", \"services\": [[[\"io\"], [\"https://x/\"]]]}");
    const QString url = u"http://127.0.0.1:%1/dns.json"_s.arg(server.port());
    // The address comes from the environment, or from --from.
    if (saved)
        qputenv("VANTREL_RDAP_BOOTSTRAP_URL", url.toUtf8());
    const QStringList from = saved ? QStringList() : QStringList{u"--from"_s, url};
    const Run run = runVantrel(QStringList{u"--home"_s, home.path(), u"registries"_s, u"update"_s} + from);
    qunsetenv("VANTREL_RDAP_BOOTSTRAP_URL");
    QCOMPARE(run.exitCode, saved ? 0 : 1);
    QVERIFY2((saved ? run.out : run.err).contains(message), qPrintable(run.out + run.err));
    QVERIFY(saved || run.err.contains(u"The servers known before are still used"_s));
    const QJsonDocument written = QJsonDocument::fromJson(readFile(copy));
    QCOMPARE(written[u"fetchedFrom"].toString(), saved ? url : QString());
    QCOMPARE(QDateTime::fromString(written[u"fetchedAt"].toString(), Qt::ISODate).isValid(), saved);
    // `registries` names the copy in use, and the shipped limits read without a problem.
    const Run shown = runVantrel({u"--home"_s, home.path(), u"registries"_s});
    const QString known = saved ? u"2 TLDs, published 2026-12-01"_s : u"1 TLDs, published 2026-01-01"_s;
    QVERIFY2(shown.err.isEmpty() && shown.out.startsWith(u"RDAP servers: %1, %2T00:00:00Z\n"_s.arg(copy, known)) &&
                 shown.out.contains(u"\nlimit: nominet (whois.nic.uk): 5 a second, 1,000 a day per address; read "_s),
             qPrintable(shown.out + shown.err));
}

void TestCli::prepareNames()
{
    const Run run = runVantrel({u"prepare"_s, u"--tld"_s, u"net"_s, u"related:Example.com"_s, u"my%20site"_s, u"--"_s,
                                u"-dash"_s, u"evil%0D%0Aname"_s});
    QCOMPARE(run.exitCode, 0);
    QCOMPARE(run.out, u"example.com\nmysite.net\n-dash.net\nevilname.net\n"_s);
}

void TestCli::prepareUsesStoredDefaultExtension()
{
    QCOMPARE(runVantrel({u"prepare"_s, u"bare"_s}).out, u"bare.com\n"_s);

    QDir().mkpath(m_config.path() + u"/user"_s);
    QFile ini(m_config.path() + u"/user/Ornisk.ini"_s);
    QVERIFY(ini.open(QIODevice::WriteOnly));
    ini.write("[Settings]\nDefaultExt=.org\n");
    ini.close();
    QCOMPARE(runVantrel({u"prepare"_s, u"bare"_s}).out, u"bare.org\n"_s);
    QCOMPARE(runVantrel({u"prepare"_s, u"--tld"_s, u".info"_s, u"bare"_s}).out, u"bare.info\n"_s);
    QVERIFY(ini.remove());
}

// A headless command must not need a display: with no X server and the xcb
// platform forced, anything that created a QApplication would abort.
void TestCli::headlessRunNeedsNoDisplay()
{
    QTemporaryDir home;
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove(u"DISPLAY"_s);
    environment.remove(u"WAYLAND_DISPLAY"_s);
    environment.insert(u"QT_QPA_PLATFORM"_s, u"xcb"_s);
    process.setProcessEnvironment(environment);
    process.start(QStringLiteral(VANTREL_EXECUTABLE), {u"--home"_s, home.path(), u"tlds"_s});
    QVERIFY(process.waitForFinished(30000));
    QCOMPARE(process.exitCode(), 0);
    QCOMPARE(process.readAllStandardOutput(), "com\nnet\n"_ba);
}

void TestCli::checkPrintsOneLinePerName()
{
    WhoisTestServer server;
    QVERIFY(server.listen());
    server.setHandler([](QTcpSocket *socket, const QByteArray &query, int) {
        WhoisTestServer::answerAndClose(socket, query.startsWith("free") ? "No match" : "Domain Name: x");
    });
    QTemporaryDir home;
    writeTestTable(home.path(), server.port());

    // A name no registry is known for ends at once; without DNS first a single
    // slot ends the others in list order.
    const Run run = runVantrel({u"--home"_s, home.path(), u"check"_s, u"--no-dns"_s, u"--tld"_s, u"test"_s, u"free"_s,
                                QString(), u"taken"_s, u"freedom.com"_s, u"a.b.zz"_s});
    QCOMPARE(run.exitCode, 3); // a.b.zz ended in error
    const QString free = u"\t127.0.0.1\tphrase:No match\n"_s;
    QCOMPARE(run.out, u"a.b.zz\terror\t\tnorow\nfree.test\tavailable"_s + free +
                          u"taken.test\tregistered\t127.0.0.1\tnomatch\n"_s + u"freedom.com\tavailable"_s + free);
    QVERIFY2(run.err.contains(u"vantrel: a.b.zz: No registry is known for .zz\n"_s), qPrintable(run.err));
    QCOMPARE(readFile(home.path() + u"/SuperHighProfile.txt"_s), "free.test\r\n"_ba);
    QCOMPARE(readFile(home.path() + u"/HighProfile.txt"_s), "freedom.com\r\n"_ba);
    QCOMPARE(readFile(home.path() + u"/LowProfile.txt"_s), QByteArray());
}

void TestCli::checkReadsListFile()
{
    WhoisTestServer server;
    QVERIFY(server.listen());
    QTemporaryDir home;
    writeTestTable(home.path(), server.port());
    writeFile(home.path() + u"/list.txt"_s, "one.test\r\n\r\n\r\ntwo\r\n \r\nthree.test");

    const Run run = runVantrel({u"--home"_s, home.path(), u"check"_s, u"--no-dns"_s, u"--list"_s,
                                home.path() + u"/list.txt"_s, u"zero.test"_s});
    QCOMPARE(run.exitCode, 3); // the line " " names no domain
    QVERIFY2(run.out.split(u'\n').contains(u".com\terror\t\tbadname"_s), qPrintable(run.out));
    QCOMPARE(server.queries, (QList<QByteArray>{"zero.test", "one.test", "two.com", "three.test"}));
    QCOMPARE(run.out.count(QLatin1Char('\n')), 5);
}

void TestCli::checkManySlots()
{
    WhoisTestServer server;
    QVERIFY(server.listen());
    server.setHandler([](QTcpSocket *socket, const QByteArray &, int connection) {
        WhoisTestServer::answerLater(socket, "Domain Name: x", (connection * 7) % 20);
    });
    QTemporaryDir home;
    writeTestTable(home.path(), server.port());
    QStringList arguments{u"--home"_s, home.path(), u"check"_s, u"--slots"_s, u"4"_s, u"--tld"_s, u"test"_s};
    for (int i = 0; i < 10; ++i)
        arguments << u"n%1"_s.arg(i);

    const Run run = runVantrel(arguments);
    QCOMPARE(run.exitCode, 0);
    QStringList lines = run.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    lines.sort();
    QCOMPARE(lines.size(), 10);
    QCOMPARE(lines.first(), u"n0.test\tregistered\t127.0.0.1\tnomatch"_s);
    QCOMPARE(server.queries.size(), 10);
}

// A profile file that cannot be written is reported and fails the command;
// the run goes on and the other files are still written.
void TestCli::checkKeepsGoingWhenProfileFileFails()
{
    WhoisTestServer server;
    QVERIFY(server.listen());
    server.setReply("No match");
    QTemporaryDir home;
    writeTestTable(home.path(), server.port());
    QVERIFY(QDir(home.path()).mkdir(u"SuperHighProfile.txt"_s));

    const Run run = runVantrel({u"--home"_s, home.path(), u"check"_s, u"ab.test"_s, u"abcdefghij.test"_s});
    QCOMPARE(run.exitCode, 1);
    QCOMPARE(run.out.count(u"\tavailable\t"_s), 2);
    QVERIFY2(run.err.contains(u"SuperHighProfile.txt"_s), qPrintable(run.err));
    QCOMPARE(readFile(home.path() + u"/LowProfile.txt"_s), "abcdefghij.test\r\n"_ba);
}

void TestCli::checkStopsOnInterrupt()
{
    WhoisTestServer server;
    QVERIFY(server.listen());
    server.setHandler([](QTcpSocket *, const QByteArray &, int) {});
    QTemporaryDir home;
    writeTestTable(home.path(), server.port());

    QProcess process;
    process.start(QStringLiteral(VANTREL_EXECUTABLE), {u"--home"_s, home.path(), u"check"_s, u"--no-dns"_s, u"--tld"_s,
                                                       u"test"_s, u"silent"_s, u"later"_s});
    QVERIFY(process.waitForStarted());
    QTRY_COMPARE(server.queries.size(), 1);
    ::kill(pid_t(process.processId()), SIGINT);
    QVERIFY(process.waitForFinished(5000));
    QCOMPARE(process.exitStatus(), QProcess::NormalExit);
    QCOMPARE(process.exitCode(), 130);
    QCOMPARE(server.queries, QList<QByteArray>{"silent.test"});
}

// Two workers, each from its own address, and one that died holding names:
// every name is checked and kept in the history once, with its verdict.
void TestCli::workersShareAQueue()
{
    PostgresTestServer database;
    if (!database.isRunning())
        QSKIP(qPrintable(database.skipReason()));
    WhoisTestServer server;
    QVERIFY(server.listen());
    server.setHandler([](QTcpSocket *socket, const QByteArray &query, int) {
        WhoisTestServer::answerLater(socket, query.startsWith("taken") ? "Domain Name: x" : "No match", 5);
    });
    QTemporaryDir home;
    writeTestTable(home.path(), server.port());
    const QString url = database.createDatabase(u"workers"_s);
    QStringList queued{u"--home"_s, home.path(), u"queue"_s, u"add"_s, u"--db"_s, url, u"--tld"_s, u"com"_s};
    for (int i = 0; i < 30; ++i)
        queued << u"taken%1"_s.arg(i) << u"free%1"_s.arg(i);
    QCOMPARE(runVantrel(queued).exitCode, 0);

    HistoryStore store(*HistoryDatabase::fromText(url, home.path(), nullptr));
    WorkQueue queue(store.connectionName(), url);
    QVERIFY(store.open(nullptr) && queue.prepare(nullptr));
    QCOMPARE(queue.lease(u"dead"_s, 10, 1500, nullptr)->size(), 10);

    QList<QProcess *> workers;
    for (const QString &address : {u"127.0.0.2"_s, u"127.0.0.3"_s}) {
        auto *worker = new QProcess(this);
        worker->start(QStringLiteral(VANTREL_EXECUTABLE),
                      {u"--home"_s, home.path(), u"work"_s, u"--db"_s, url, u"--no-dns"_s, u"--quiet"_s,
                       u"--lease"_s, u"2"_s, u"--bind"_s, address});
        workers << worker;
    }
    for (QProcess *worker : std::as_const(workers)) {
        QTRY_COMPARE_WITH_TIMEOUT(worker->state(), QProcess::NotRunning, 60000);
        QVERIFY2(worker->exitCode() == 0, worker->readAllStandardError().constData());
        delete worker;
    }

    QHash<QString, QStringList> verdicts;
    QVERIFY(store.select({}, [&](const HistoryEntry &row) {
        verdicts[row.name] << row.verdict;
        return true;
    }));
    QCOMPARE(verdicts.size(), 60);
    for (auto it = verdicts.cbegin(); it != verdicts.cend(); ++it)
        QCOMPARE(it.value(), QStringList{it.key().startsWith(u"taken"_s) ? u"registered"_s : u"available"_s});
    const WorkQueue::Status status = *queue.status(nullptr);
    QCOMPARE(status.done + status.queued + status.leased + status.unanswered, 60);
    QCOMPARE(status.done, 60);
}

// Progress shows only when stderr is a terminal; --quiet turns it off there.
// Sharing the terminal with the rows, it is cleared before each row.
void TestCli::quietHidesProgressOnTerminal()
{
    const QString script = QStandardPaths::findExecutable(u"script"_s);
    if (script.isEmpty())
        QSKIP("script (bsdutils) is needed to run vantrel on a terminal");
    WhoisTestServer server;
    QVERIFY(server.listen());
    server.setReply("No match");
    QTemporaryDir home;
    writeTestTable(home.path(), server.port());

    for (const bool quiet : {false, true}) {
        const QString command = u"'%1' --home '%2' check %3 a.test b.test"_s.arg(
            QStringLiteral(VANTREL_EXECUTABLE), home.path(), quiet ? u"--quiet"_s : QString());
        QProcess process;
        process.start(script, {u"-qec"_s, command, u"/dev/null"_s});
        // The server answers from this event loop: wait while spinning it.
        QTRY_VERIFY_WITH_TIMEOUT(process.state() == QProcess::NotRunning, 20000);
        QCOMPARE(process.exitCode(), 0);
        const QByteArray terminal = process.readAllStandardOutput();
        QVERIFY2(terminal.contains("a.test\tavailable"), terminal.constData());
        QCOMPARE(terminal.contains("checked 1 of 2"), !quiet);
        // The second row, whichever it is, follows a cleared progress line.
        const bool cleared = terminal.contains("  \r\x1b[Ka.test\tavailable") ||
                             terminal.contains("  \r\x1b[Kb.test\tavailable");
        QCOMPARE(cleared, !quiet);
        QCOMPARE(terminal.contains("names/s, 0 by DNS, 0 retries waiting, ETA"), !quiet);
    }
}

// kill -9 in the middle of a run loses at most the batch not yet written,
// and the history opens again.
void TestCli::historySurvivesKill()
{
    WhoisTestServer server;
    QVERIFY(server.listen());
    server.setReply("Domain Name: x\r\n");
    QTemporaryDir home;
    writeTestTable(home.path(), server.port());
    QStringList names;
    for (int i = 0; i < 20000; ++i)
        names << u"name%1.test"_s.arg(i);
    writeFile(home.filePath(u"names.txt"_s), names.join(u"\r\n"_s).toLatin1());

    QProcess process;
    process.start(QStringLiteral(VANTREL_EXECUTABLE),
                  {u"--home"_s, home.path(), u"check"_s, u"--slots=4"_s, u"--list"_s, home.filePath(u"names.txt"_s)});
    QByteArray printed;
    QTRY_VERIFY_WITH_TIMEOUT((printed += process.readAllStandardOutput()).count('\n') >= 1300, 60000);
    process.kill();
    QVERIFY(process.waitForFinished(10000));
    printed += process.readAllStandardOutput();
    const qsizetype lines = printed.count('\n');
    QVERIFY2(lines < names.size(), "the run ended before it was killed");

    HistoryStore store(HistoryDatabase::inProgramFolder(home.path()));
    QString error;
    QVERIFY2(store.open(&error), qPrintable(error));
    QVERIFY(store.notice().isEmpty());
    qsizetype rows = 0;
    QVERIFY(store.select({}, [&](const HistoryEntry &row) {
        rows += row.verdict == u"registered"_s && row.source == u"check"_s;
        return true;
    }));
    QVERIFY2(rows >= lines - 499 && rows <= lines, qPrintable(u"%1 rows for %2 lines"_s.arg(rows).arg(lines)));
}

// Every name is still printed, the failure is said and the exit status
// tells; the earlier profile file is left as it was.
void TestCli::checkOnFullDiskFails()
{
    FullFileSystem disk(256);
    if (!disk.isValid())
        QSKIP("mounting a small tmpfs needs root");
    WhoisTestServer server;
    QVERIFY(server.listen());
    server.setReply("No match");
    const QString home = disk.path();
    writeTestTable(home, server.port());
    QCOMPARE(runVantrel({u"--home"_s, home, u"tlds"_s}).exitCode, 0);
    writeFile(home + u"/LowProfile.txt"_s, "earlier-find.test\r\n");
    QVERIFY(disk.fill());

    // In list order: the Low name first, so no save writes an empty Low list.
    const Run run =
        runVantrel({u"--home"_s, home, u"check"_s, u"--no-dns"_s, u"abcdefghij.test"_s, u"ab.test"_s});
    QCOMPARE(run.exitCode, 1);
    QCOMPARE(run.out.count(u"\tavailable\t"_s), 2);
    QVERIFY2(run.err.contains(u"LowProfile"_s), qPrintable(run.err));
    QCOMPARE(readFile(home + u"/LowProfile.txt"_s), "earlier-find.test\r\n"_ba);
}

// Each name is in its profile file before its row is printed, so kill -9
// loses none of what was shown.
void TestCli::killedCheckLeavesEveryPrintedNameInItsFile()
{
    WhoisTestServer server;
    QVERIFY(server.listen());
    server.setReply("No match");
    QTemporaryDir home;
    writeTestTable(home.path(), server.port());
    QByteArray names;
    for (int i = 0; i < 3000; ++i)
        names += "candidate" + QByteArray::number(i) + ".test\n";
    writeFile(home.filePath(u"names.txt"_s), names);

    QProcess process;
    process.start(QStringLiteral(VANTREL_EXECUTABLE),
                  {u"--home"_s, home.path(), u"check"_s, u"--slots=4"_s, u"--list"_s, home.filePath(u"names.txt"_s)});
    QVERIFY(process.waitForStarted());
    QByteArray printed;
    QTRY_VERIFY((printed += process.readAllStandardOutput()).count('\n') >= 200);
    ::kill(pid_t(process.processId()), SIGKILL);
    QVERIFY(process.waitForFinished(5000));
    printed += process.readAllStandardOutput();

    QByteArray filed;
    for (const char *file : {"LowProfile.txt", "HighProfile.txt", "SuperHighProfile.txt"})
        filed += readFile(home.filePath(QLatin1String(file)));
    const QList<QByteArray> filedNames = filed.split('\n');
    for (const QByteArray &row : printed.split('\n')) {
        if (row.count('\t') < 3)
            continue; // the row cut off by the kill
        QVERIFY2(filedNames.contains(row.split('\t').first() + '\r'), row.constData());
    }
}

void TestCli::checkAsksAgainAfterEmptyReply_data()
{
    QTest::addColumn<int>("emptyReplies");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("row");
    QTest::newRow("once") << 1 << 0 << u"dropped.test\tavailable\t127.0.0.1\tphrase:No match\n"_s;
    QTest::newRow("twice") << 2 << 3 << u"dropped.test\terror\t127.0.0.1\temptyreply\n"_s;
}

// A connection closed before any byte is no verdict: asked once more, then an error.
void TestCli::checkAsksAgainAfterEmptyReply()
{
    QFETCH(int, emptyReplies);
    QFETCH(int, exitCode);
    QFETCH(QString, row);
    WhoisTestServer server;
    QVERIFY(server.listen());
    server.setHandler([emptyReplies](QTcpSocket *socket, const QByteArray &, int connection) {
        if (connection <= emptyReplies)
            socket->disconnectFromHost();
        else
            WhoisTestServer::answerAndClose(socket, "No match");
    });
    QTemporaryDir home;
    writeTestTable(home.path(), server.port());

    const Run run = runVantrel({u"--home"_s, home.path(), u"check"_s, u"dropped.test"_s});
    QCOMPARE(run.out, row);
    QCOMPARE(run.exitCode, exitCode);
    QCOMPARE(server.connections, 2);
}

void TestCli::tldTableThatIsAFolderFails_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::newRow("tlds") << QStringList{u"tlds"_s};
    QTest::newRow("generate") << QStringList{u"generate"_s, u"--base"_s, u"cloud"_s};
}

void TestCli::tldTableThatIsAFolderFails()
{
    QFETCH(QStringList, arguments);
    QTemporaryDir home;
    QVERIFY(QDir(home.path()).mkdir(u"TLDs.txt"_s));
    const Run run = runVantrel(QStringList{u"--home"_s, home.path()} + arguments);
    QCOMPARE(run.exitCode, 1);
    QVERIFY2(run.err.contains(u"TLDs.txt"_s), qPrintable(run.err));
}

void TestCli::listInput_data()
{
    QTest::addColumn<QString>("command"); // run in the program folder, which holds the list "in"
    QTest::addColumn<QByteArray>("list");
    QTest::addColumn<QList<QByteArray>>("queries");

    const QByteArray utf8 = "b\xC3\xBC" "cher\nDup\ndup.test.\n";
    const QList<QByteArray> asked{"xn--bcher-kva.test", "dup.test"};
    const QString check = u"\"$V\" --home . check --no-dns --tld test "_s;
    QTest::newRow("utf-8 file") << check + u"--list in"_s << utf8 << asked;
    QTest::newRow("utf-8 file with byte-order mark") << check + u"--list in"_s << "\xEF\xBB\xBF" + utf8 << asked;
    QTest::newRow("latin-1 file") << check + u"--list in"_s << "b\xFC" "cher\r\nDup\r\ndup.test.\r\n"_ba << asked;
    QTest::newRow("list - from a file") << check + u"--list - < in"_s << utf8 << asked;
    QTest::newRow("check - from a pipe") << u"cat in | "_s + check + u"-"_s << utf8 << asked;
    QTest::newRow("/dev/stdin from a pipe") << u"cat in | "_s + check + u"--list /dev/stdin"_s << utf8 << asked;
    QTest::newRow("process substitution") << check + u"--list <(cat in)"_s << utf8 << asked;
    QTest::newRow("fifo") << u"mkfifo f && { cat in > f & } && "_s + check + u"--list f"_s << utf8 << asked;
    QTest::newRow("search custom from a pipe")
        << u"cat in | \"$V\" --home . search --type custom --list - --no-dns --tld test"_s << utf8 << asked;
}

// Lists reach the registry as the user wrote them, from files and pipes alike.
void TestCli::listInput()
{
    QFETCH(QString, command);
    QFETCH(QByteArray, list);
    QFETCH(QList<QByteArray>, queries);
    WhoisTestServer server;
    QVERIFY(server.listen());
    server.setReply("No match");
    QTemporaryDir home;
    writeTestTable(home.path(), server.port());
    writeFile(home.filePath(u"in"_s), list);

    QProcess *process = startShell(command, home.path(), this);
    QTRY_VERIFY_WITH_TIMEOUT(process->state() == QProcess::NotRunning, 20000);
    const QByteArray err = process->readAllStandardError();
    QVERIFY2(process->exitCode() == 0, err.constData());
    QCOMPARE(server.queries, queries);
    QCOMPARE(process->readAllStandardOutput().count('\n'), queries.size());
}

void TestCli::namesArePreparedOnce_data()
{
    QTest::addColumn<QStringList>("names");
    QTest::addColumn<QList<QByteArray>>("queries");
    QTest::addColumn<QString>("out");

    const QString free = u"\tavailable\t127.0.0.1\tphrase:No match\n"_s;
    QTest::newRow("one domain, many spellings")
        << QStringList{u"dup1"_s, u"dup1"_s, u"DUP1"_s, u"dup1.test"_s, u"Dup1.Test."_s}
        << QList<QByteArray>{"dup1.test"} << u"dup1.test"_s + free;
    QTest::newRow("not a domain name")
        << QStringList{u"--"_s, u"-lead"_s, u"trail-"_s, u"a..test"_s, u"ok"_s} << QList<QByteArray>{"ok.test"}
        << u"-lead.test\terror\t\tbadname\ntrail-.test\terror\t\tbadname\na..test\terror\t\tbadname\nok.test"_s +
               free;
    QTest::newRow("every tld given") << QStringList{u"--tld"_s, u"com"_s, u"foo"_s, u"bar.test"_s}
                                     << QList<QByteArray>{"foo.test", "foo.com", "bar.test"}
                                     << u"foo.test"_s + free + u"foo.com"_s + free + u"bar.test"_s + free;
}

void TestCli::namesArePreparedOnce()
{
    QFETCH(QStringList, names);
    QFETCH(QList<QByteArray>, queries);
    QFETCH(QString, out);
    WhoisTestServer server;
    QVERIFY(server.listen());
    server.setReply("No match");
    QTemporaryDir home;
    writeTestTable(home.path(), server.port());

    const Run run =
        runVantrel(QStringList{u"--home"_s, home.path(), u"check"_s, u"--no-dns"_s, u"--tld"_s, u"test"_s} + names);
    QCOMPARE(server.queries, queries);
    QCOMPARE(run.out, out);
    QCOMPARE(run.err.count(u"is not a domain name"_s), run.out.count(u"badname"_s));
}

void TestCli::exitStatus_data()
{
    QTest::addColumn<QByteArray>("reply"); // empty: the server never answers
    QTest::addColumn<QStringList>("names");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("out");
    QTest::addColumn<QString>("err");

    QTest::newRow("every name answered") << "No match"_ba << QStringList{u"a"_s} << 0
                                         << u"a.test\tavailable\t127.0.0.1\tphrase:No match\n"_s << QString();
    QTest::newRow("blocked") << "Query rate limit exceeded"_ba << QStringList{u"a"_s} << 3 << u"a.test\tblocked"_s
                             << u"vantrel: registrar blocked"_s;
    QTest::newRow("timeout") << QByteArray() << QStringList{u"a"_s} << 3 << u"a.test\ttimeout\t127.0.0.1\ttimeout\n"_s
                             << QString();
    QTest::newRow("no registry") << "No match"_ba << QStringList{u"a.zz"_s} << 3 << u"a.zz\terror\t\tnorow\n"_s
                                 << u"vantrel: a.zz: No registry is known for .zz\n"_s;
    QTest::newRow("no names in the list") << "No match"_ba << QStringList{u"--list"_s, u"/dev/null"_s} << 2
                                          << QString() << u"vantrel: check: no names in /dev/null\n"_s;
}

void TestCli::exitStatus()
{
    QFETCH(QByteArray, reply);
    QFETCH(QStringList, names);
    QFETCH(int, exitCode);
    QFETCH(QString, out);
    QFETCH(QString, err);
    WhoisTestServer server;
    QVERIFY(server.listen());
    server.setReply(reply);
    if (reply.isEmpty())
        server.setHandler([](QTcpSocket *, const QByteArray &, int) {});
    QTemporaryDir home;
    writeTestTable(home.path(), server.port());

    const Run run = runVantrel(QStringList{u"--home"_s, home.path(), u"check"_s, u"--no-dns"_s, u"--timeout"_s,
                                           u"1"_s, u"--tld"_s, u"test"_s} +
                               names);
    QCOMPARE(run.exitCode, exitCode);
    QVERIFY2(run.out.startsWith(out), qPrintable(run.out));
    QVERIFY2(run.err.contains(err), qPrintable(run.err));
    QVERIFY2(!run.err.contains(u"Error #"_s), qPrintable(run.err));
}

// A reader that goes away stops the run at once: the process ends by SIGPIPE
// as the shell's tools do, after at most the names already under way.
void TestCli::closedOutputEndsTheRun()
{
    WhoisTestServer server;
    QVERIFY(server.listen());
    server.setReply("Domain Name: x");
    QTemporaryDir home;
    // At a registry's usual pace, so head reads each row as it comes.
    writeTestTable(home.path(), server.port(), "25");
    QByteArray list;
    for (int i = 0; i < 300; ++i)
        list += "n" + QByteArray::number(i) + '\n';
    writeFile(home.filePath(u"n300.txt"_s), list);

    QProcess *process = startShell(u"\"$V\" --home . check --no-dns --slots 2 --tld test --list n300.txt | head -3; "
                                   "echo \"status ${PIPESTATUS[0]}\" >&2"_s,
                                   home.path(), this);
    QTRY_VERIFY_WITH_TIMEOUT(process->state() == QProcess::NotRunning, 20000);
    QCOMPARE(process->readAllStandardOutput().count('\n'), 3);
    QCOMPARE(process->readAllStandardError(), "status 141\n"_ba);
    // A row is printed once its history row is committed (within 50 ms), so
    // the queries of one such wait may go out before the reader is seen gone.
    QVERIFY2(server.queries.size() <= 3 + 2 + 50 / 25, QByteArray::number(server.queries.size()).constData());
}

void TestCli::outputOptions_data()
{
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<QString>("out");

    QTest::newRow("available only") << QStringList{u"--available-only"_s}
                                    << u"free.test\tavailable\t127.0.0.1\tphrase:No match\n"_s;
    QTest::newRow("reply after a tsv row")
        << QStringList{u"--show-reply"_s}
        << u"free.test\tavailable\t127.0.0.1\tphrase:No match\n\tNo match\ntaken.test\tregistered\t127.0.0.1\t"
           "nomatch\n\tDomain Name: taken.test\n\tRegistrar: x\n"_s;
    QTest::newRow("reply in json") << QStringList{u"--show-reply"_s, u"--available-only"_s, u"--format=json"_s}
                                   << uR"({"name":"free.test","reason":"phrase:No match","reply":"No match",)"
                                      R"("server":"127.0.0.1","verdict":"available"})"
                                      "\n"_s;
    QTest::newRow("another server") << QStringList{u"--available-only"_s, u"--server"_s, u"127.0.0.1:PORT2"_s}
                                    << u"free.test\tavailable\t127.0.0.1\tphrase:No match\n"_s;
}

void TestCli::outputOptions()
{
    QFETCH(QStringList, options);
    QFETCH(QString, out);
    const auto answer = [](QTcpSocket *socket, const QByteArray &query, int) {
        WhoisTestServer::answerAndClose(socket, query.startsWith("free") ? "No match"
                                                                         : "Domain Name: " + query + "\r\nRegistrar: x");
    };
    WhoisTestServer server;
    WhoisTestServer other;
    QVERIFY(server.listen());
    QVERIFY(other.listen());
    server.setHandler(answer);
    other.setHandler(answer);
    QTemporaryDir home;
    writeTestTable(home.path(), server.port());
    options.replaceInStrings(u"PORT2"_s, QString::number(other.port()));

    const Run run = runVantrel(QStringList{u"--home"_s, home.path(), u"check"_s, u"--no-dns"_s, u"--tld"_s,
                                           u"test"_s, u"free"_s, u"taken"_s} +
                               options);
    QCOMPARE(run.out, out);
    QCOMPARE(server.queries.size() + other.queries.size(), 2);
    QCOMPARE(other.queries.isEmpty(), !options.contains(u"--server"_s));
}

void TestCli::installedProgramKeepsOutOfItsFolder_data()
{
    QTest::addColumn<bool>("vantrelHome");
    QTest::newRow("data home") << false;
    QTest::newRow("VANTREL_HOME") << true;
}

// Installed as usr/bin/vantrel beside usr/share/vantrel, even as root, the
// program writes into the user's data folder, never beside itself.
void TestCli::installedProgramKeepsOutOfItsFolder()
{
    QFETCH(bool, vantrelHome);
    QTemporaryDir root;
    QVERIFY(QDir(root.path()).mkpath(u"usr/bin"_s));
    QVERIFY(QDir(root.path()).mkpath(u"usr/share/vantrel"_s));
    const QString installed = root.filePath(u"usr/bin/vantrel"_s);
    QVERIFY(QFile::copy(QStringLiteral(VANTREL_EXECUTABLE), installed));

    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove(u"VANTREL_HOME"_s);
    environment.remove(u"VANTREL_DATA_DIR"_s);
    environment.insert(u"HOME"_s, root.filePath(u"home"_s));
    environment.insert(u"XDG_DATA_HOME"_s, root.filePath(u"data"_s));
    if (vantrelHome)
        environment.insert(u"VANTREL_HOME"_s, root.filePath(u"chosen"_s));
    process.setProcessEnvironment(environment);
    process.start(installed, {u"tlds"_s});
    QVERIFY(process.waitForFinished(30000));
    QVERIFY2(process.exitCode() == 0, process.readAllStandardError().constData());
    const QString folder = root.filePath(vantrelHome ? u"chosen"_s : u"data/vantrel"_s);
    QVERIFY2(QFileInfo::exists(folder + u"/TLDs.txt"_s), qPrintable(folder));
    QCOMPARE(QDir(root.filePath(u"usr/bin"_s)).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
             QStringList{u"vantrel"_s});
}

QTEST_GUILESS_MAIN(TestCli)
#include "TestCli.moc"
