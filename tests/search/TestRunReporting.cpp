#include "core/DomainListModel.h"
#include "search/RepeatedFaults.h"
#include "core/HistoryStore.h"
#include "search/ResultsExport.h"
#include "search/RunProgress.h"
#include "tests/support/TestFiles.h"
#include "tests/support/TestSession.h"

#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

class TestRunReporting : public QObject
{
    Q_OBJECT

private slots:
    void faultShownOncePerRun();
    void progressRateAndTimeLeft_data();
    void progressRateAndTimeLeft();
    void exportWritesEveryList();
    void exportForgetsNamesNoListShows();
    void exportReadsListRecords();
};

void TestRunReporting::faultShownOncePerRun()
{
    RepeatedFaults faults;
    QVERIFY(faults.summary().isEmpty());
    QVERIFY(faults.report(u"Error"_s, u"An error has occurred.\r\nDescription: aa.com"_s));
    QVERIFY(!faults.report(u"Error"_s, u"An error has occurred.\r\nDescription: ab.com"_s));
    QVERIFY(faults.report(u"Socket"_s, u"refused"_s)); // another kind is shown too
    QVERIFY(!faults.report(u"Error"_s, u"An error has occurred.\r\nDescription:  ac.com\r\n"_s));
    QCOMPARE(faults.count(), 4);
    QCOMPARE(faults.summary(), u"4 lookup faults in this run"_s);
    QCOMPARE(faults.lastDetail(), u"Description: ac.com"_s);

    faults.startRun();
    QCOMPARE(faults.count(), 0);
    QVERIFY(faults.report(u"Error"_s, u"again"_s));
    QCOMPARE(faults.summary(), u"1 lookup fault in this run"_s);
}

void TestRunReporting::progressRateAndTimeLeft_data()
{
    QTest::addColumn<qint32>("startNumber");
    QTest::addColumn<qint32>("nextWord");
    QTest::addColumn<qint64>("elapsedMs");
    QTest::addColumn<QString>("text");

    QTest::newRow("nothing taken yet") << 1 << 1 << qint64(0) << u"0 of 676"_s;
    QTest::newRow("no time passed") << 1 << 3 << qint64(0) << u"2 of 676"_s;
    // 10 names in 2 s: 5 names/s; 666 left take 134 s (rounded up).
    QTest::newRow("from the first word") << 1 << 11 << qint64(2000)
                                         << u"10 of 676 \u00b7 5.0 names/s \u00b7 ETA 2:14"_s;
    // Resumed at 600: 51 names in 3 s; 26 left.
    QTest::newRow("resumed") << 600 << 651 << qint64(3000) << u"650 of 676 \u00b7 17.0 names/s \u00b7 ETA 0:02"_s;
    QTest::newRow("past the end") << 1 << 700 << qint64(1000) << u"676 of 676 \u00b7 676.0 names/s \u00b7 ETA 0:00"_s;
    QTest::newRow("hours") << 1 << 2 << qint64(20000) << u"1 of 676 \u00b7 0.1 names/s \u00b7 ETA 3:45:00"_s;
}

void TestRunReporting::progressRateAndTimeLeft()
{
    QFETCH(qint32, startNumber);
    QFETCH(qint32, nextWord);
    QFETCH(qint64, elapsedMs);
    QFETCH(QString, text);
    RunProgress progress;
    progress.start(startNumber, 676, 5000);
    progress.advance(nextWord, 5000 + elapsedMs);
    QCOMPARE(progress.text(), text);
}

void TestRunReporting::exportWritesEveryList()
{
    QTemporaryDir home;
    TestSession test(home.path());
    DomainListModel saved;
    ResultsExport exporter(test.session, saved);
    test.session.results().setClock([] { return QDateTime(QDate(2026, 3, 4), QTime(5, 6, 7), Qt::UTC); });

    test.session.file({0, u"ab.com"_s, u"whois.example"_s, LookupResult::Kind::Available});
    test.session.file({0, u"taken.com"_s, u"whois.example"_s, LookupResult::Kind::Registered});
    test.session.file({0, u"quota.com"_s, u"whois.example"_s, LookupResult::Kind::Blocked});
    LookupResult silent{0, u"silent.io"_s, u"whois.nic.io"_s, LookupResult::Kind::Timeout};
    silent.reason = u"timeout"_s;
    test.session.file(silent);
    LookupResult refused{0, u"later.com"_s, u"whois.example"_s, LookupResult::Kind::Error};
    refused.reason = u"refused"_s;
    test.session.file(refused); // then answered by a later lookup
    LookupResult later{0, u"later.com"_s, u"whois.example"_s, LookupResult::Kind::Registered};
    later.reason = u"phrase:Domain Name"_s;
    test.session.file(later);
    test.session.results().model(ResultList::Mid)->append(u"mid,dle.com"_s); // listed without a lookup
    saved.append(QStringList{u"ab.com"_s, u"kept \"old\".net"_s, u"unknown.org"_s});
    // A saved name from an earlier program run carries what the history knows.
    test.session.prepare(nullptr);
    QVERIFY(test.session.history());
    test.session.history()->record({u"kept \"old\".net"_s, u"net"_s, u"registered"_s, u"whois.old"_s, QString(),
                                    QDateTime(QDate(2025, 1, 2), QTime(3, 4, 5), Qt::UTC), u"check"_s});

    const QString path = home.filePath(u"results.csv"_s);
    QString error;
    QVERIFY2(exporter.write(path, &error), qPrintable(error));
    QCOMPARE(readFile(path),
             "name,list,verdict,server,checked-at,reason\r\n"
             "ab.com,High Profile,available,whois.example,2026-03-04T05:06:07Z,\r\n"
             "\"mid,dle.com\",Mid Profile,available,,,\r\n"
             "taken.com,Registered,registered,whois.example,2026-03-04T05:06:07Z,\r\n"
             "later.com,Registered,registered,whois.example,2026-03-04T05:06:07Z,phrase:Domain Name\r\n"
             "ab.com,Saved Domains,available,whois.example,2026-03-04T05:06:07Z,\r\n"
             "\"kept \"\"old\"\".net\",Saved Domains,registered,whois.old,2025-01-02T03:04:05Z,\r\n"
             "unknown.org,Saved Domains,,,,\r\n"
             "silent.io,Unanswered,timeout,whois.nic.io,2026-03-04T05:06:07Z,timeout\r\n"_ba);

    // A folder that is not there: an error, and no file.
    QVERIFY(!exporter.write(home.filePath(u"missing/results.csv"_s), &error));
    QVERIFY(!error.isEmpty());
    QVERIFY(!QFile::exists(home.filePath(u"missing/results.csv"_s)));
}

void TestRunReporting::exportForgetsNamesNoListShows()
{
    QTemporaryDir home;
    TestSession test(home.path());
    DomainListModel saved;
    ResultsExport exporter(test.session, saved);
    // The registered list starts afresh beyond 100 names; the records follow it.
    for (int i = 0; i < 5000; ++i)
        test.session.file({0, u"taken%1.com"_s.arg(i), u"whois.example"_s, LookupResult::Kind::Registered});
    QVERIFY(test.session.results().names(ResultList::Registered).size() <= 101);
    QCOMPARE(exporter.csv().count("\r\n"), 1 + test.session.results().names(ResultList::Registered).size());
    QVERIFY(exporter.csv().contains("taken4999.com,Registered,registered,whois.example,"));
}

// A saved name on two lists carries the later answer; the unanswered names
// follow by name.
void TestRunReporting::exportReadsListRecords()
{
    QTemporaryDir home;
    TestSession test(home.path());
    DomainListModel saved;
    ResultsExport exporter(test.session, saved);
    const auto file = [&test](const QString &name, LookupResult::Kind kind, const QString &reason, int second) {
        LookupResult result{0, name, u"whois.example"_s, kind};
        result.reason = reason;
        result.answeredAt = QDateTime(QDate(2026, 3, 4), QTime(5, 6, second), Qt::UTC);
        test.session.file(result);
    };
    file(u"abcde.com"_s, LookupResult::Kind::Registered, u"r"_s, 9);
    file(u"abcde.com"_s, LookupResult::Kind::Available, u"a"_s, 7);
    file(u"zz.io"_s, LookupResult::Kind::Timeout, u"timeout"_s, 7);
    file(u"aa.io"_s, LookupResult::Kind::Error, u"refused"_s, 9);
    saved.append(u"abcde.com"_s);

    QCOMPARE(exporter.csv(), "name,list,verdict,server,checked-at,reason\r\n"
                             "abcde.com,Mid Profile,available,whois.example,2026-03-04T05:06:07Z,a\r\n"
                             "abcde.com,Registered,registered,whois.example,2026-03-04T05:06:09Z,r\r\n"
                             "abcde.com,Saved Domains,registered,whois.example,2026-03-04T05:06:09Z,r\r\n"
                             "aa.io,Unanswered,error,whois.example,2026-03-04T05:06:09Z,refused\r\n"
                             "zz.io,Unanswered,timeout,whois.example,2026-03-04T05:06:07Z,timeout\r\n"_ba);
}

QTEST_GUILESS_MAIN(TestRunReporting)
#include "TestRunReporting.moc"
