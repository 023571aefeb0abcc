#include "core/LookupResult.h"
#include "core/TldFile.h"
#include "search/LookupSession.h"
#include "search/PacedRun.h"
#include "search/StringListWordSource.h"
#include "tests/support/TestFiles.h"
#include "tests/support/TestSession.h"
#include "tests/support/WhoisTestServer.h"

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

class TestLookupSession : public QObject
{
    Q_OBJECT

private slots:
    void prepareReadiesFolderTableAndSettings();
    void prepareFailureNamesFirstFailedStep_data();
    void prepareFailureNamesFirstFailedStep();
    void fileSortsOutcomes_data();
    void fileSortsOutcomes();
    void answersFromRecentHistoryAndKeepsTheRest();
};

void TestLookupSession::prepareReadiesFolderTableAndSettings()
{
    QTemporaryDir home;
    const QString folder = home.filePath(u"program"_s);
    TestSession engine(folder);
    engine.settings.saveUserSetting(u"Ornisk"_s, u"Settings"_s, u"DefaultExt"_s, u".net"_s);

    QString error = u"untouched"_s;
    QVERIFY(engine.session.prepare(&error));
    QCOMPARE(error, u"untouched"_s);
    for (const char *name : {"Remembered.txt", "backups", "overflow", "TLDs.txt"})
        QVERIFY2(QFile::exists(QDir(folder).filePath(QLatin1String(name))), name);
    QVERIFY(engine.session.lookup().tldTable.size() > 0);
    QCOMPARE(engine.session.lookup().defaultExtension, u".net"_s);
}

void TestLookupSession::prepareFailureNamesFirstFailedStep_data()
{
    QTest::addColumn<QString>("folderFile"); // a file standing where the program folder should be
    QTest::addColumn<QByteArray>("tlds");    // TLDs.txt; empty: none is written
    QTest::addColumn<QString>("error");      // "{folder}" stands for the program folder

    QTest::newRow("folder is a file") << u"program"_s << QByteArray()
                                      << u"the program folder {folder} is not usable (missing or read-only)"_s;
    QTest::newRow("table without entries")
        << QString() << "no table here\r\n"_ba << u"{folder}/TLDs.txt holds no usable TLD line"_s;
}

void TestLookupSession::prepareFailureNamesFirstFailedStep()
{
    QFETCH(QString, folderFile);
    QFETCH(QByteArray, tlds);
    QFETCH(QString, error);

    QTemporaryDir home;
    const QString folder = home.filePath(u"program"_s);
    if (!folderFile.isEmpty())
        writeFile(home.filePath(folderFile), "not a folder");
    if (!tlds.isEmpty())
        writeFile(TldFile(folder).path(), tlds);
    TestSession engine(folder);
    // The steps after a failed one still run: the settings are read.
    engine.settings.saveUserSetting(u"Ornisk"_s, u"Settings"_s, u"DefaultExt"_s, u".org"_s);

    QString reported;
    QVERIFY(!engine.session.prepare(&reported));
    QCOMPARE(reported, QString(error).replace(u"{folder}"_s, QDir::toNativeSeparators(folder)));
    QCOMPARE(engine.session.lookup().tldTable.size(), 0);
    QCOMPARE(engine.session.lookup().defaultExtension, u".org"_s);
    // A caller that wants no message gets none.
    QVERIFY(!engine.session.prepare(nullptr));
}

void TestLookupSession::fileSortsOutcomes_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<int>("list"); // -1: no list
    QTest::addColumn<bool>("notice");

    QTest::newRow("available") << int(LookupResult::Kind::Available) << int(ResultList::High) << false;
    QTest::newRow("registered") << int(LookupResult::Kind::Registered) << int(ResultList::Registered) << false;
    QTest::newRow("blocked") << int(LookupResult::Kind::Blocked) << -1 << true;
    QTest::newRow("timeout") << int(LookupResult::Kind::Timeout) << -1 << false;
    QTest::newRow("error") << int(LookupResult::Kind::Error) << -1 << false;
}

void TestLookupSession::fileSortsOutcomes()
{
    QFETCH(int, kind);
    QFETCH(int, list);
    QFETCH(bool, notice);

    QTemporaryDir home;
    QVERIFY(QDir(home.path()).mkpath(u"backups"_s));
    TestSession engine(home.path());
    LookupResult outcome{0, u"ab.test"_s, u"whois.test"_s, LookupResult::Kind(kind)};
    outcome.remoteAddress = u"192.0.2.7"_s;
    outcome.reply = "Query limit reached\r\n";
    engine.session.file(outcome);

    ResultLists &results = engine.session.results();
    for (auto each : {ResultList::Low, ResultList::Registered, ResultList::High, ResultList::Mid})
        QCOMPARE(results.names(each), int(each) == list ? QStringList{u"ab.test"_s} : QStringList());
    const RegistrarBlockedNotice &blocked = engine.session.blockedNotice();
    QCOMPARE(blocked.registrar(), notice ? u"192.0.2.7"_s : QString());
    QCOMPARE(blocked.response(), notice ? u"Query limit reached\r\n"_s : QString());
}

void TestLookupSession::answersFromRecentHistoryAndKeepsTheRest()
{
    qRegisterMetaType<LookupResult>();
    WhoisTestServer server;
    QVERIFY(server.listen());
    server.setReply("No match for this name.\r\n");
    QTemporaryDir home;
    writeFile(home.filePath(u"TLDs.txt"_s), u"com|127.0.0.1|%1|Enabled|0|No match\r\n"_s.arg(server.port()).toLatin1());
    const QDateTime now = QDateTime::currentDateTimeUtc();
    {
        HistoryStore kept(HistoryDatabase::inProgramFolder(home.path()));
        QVERIFY(kept.open(nullptr));
        kept.record({u"kept.com"_s, u"com"_s, u"registered"_s, u"whois.x"_s, {}, now.addDays(-2), u"check"_s});
        kept.record({u"old.com"_s, u"com"_s, u"registered"_s, u"whois.x"_s, {}, now.addDays(-40), u"check"_s});
        kept.record({u"refused.com"_s, u"com"_s, u"blocked"_s, u"whois.x"_s, {}, now.addDays(-1), u"check"_s});
    }

    TestSession engine(home.path());
    LookupSession &session = engine.session;
    QVERIFY(session.prepare(nullptr));
    QVERIFY(session.history());
    session.setRecheckAfterDays(30);
    session.setSource(u"Custom List"_s);
    PacedRun run(session);
    QSignalSpy ended(&run, &PacedRun::nameEnded);
    QSignalSpy stopped(&run, &PacedRun::stopped);
    StringListWordSource words({u"kept.com"_s, u"old.com"_s, u"refused.com"_s});
    run.start(words, 1);
    QTRY_COMPARE(stopped.size(), 1);

    // Only the names without a recent settled verdict reach the registry.
    QCOMPARE(server.queries, (QList<QByteArray>{"old.com", "refused.com"}));
    QCOMPARE(ended.size(), 3);
    const auto first = ended.at(0).at(0).value<LookupResult>();
    QCOMPARE(first.server, u"history"_s);
    QCOMPARE(first.reason, u"history:"_s + now.addDays(-2).date().toString(Qt::ISODate));
    QCOMPARE(session.results().names(ResultList::Registered), QStringList{u"kept.com"_s});
    QCOMPARE(session.results().names(ResultList::High), QStringList{u"old.com"_s});
    QCOMPARE(session.results().names(ResultList::Mid), QStringList{u"refused.com"_s});

    QStringList kept;
    QVERIFY(session.history()->select({}, [&](const HistoryEntry &row) {
        kept << row.name + u' ' + row.verdict + u' ' + row.source;
        return true;
    }));
    kept.sort();
    QCOMPARE(kept, (QStringList{u"kept.com registered check"_s, u"old.com available Custom List"_s,
                                u"old.com registered check"_s, u"refused.com available Custom List"_s,
                                u"refused.com blocked check"_s}));
}

QTEST_GUILESS_MAIN(TestLookupSession)
#include "TestLookupSession.moc"
