#include "core/DomainListModel.h"
#include "core/ResultLists.h"
#include "tests/support/FullFileSystem.h"
#include "tests/support/TestFiles.h"

#include <QAbstractItemModelTester>
#include <QDir>
#include <QFile>
#include <QLocale>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using namespace Qt::StringLiterals;

namespace {

QByteArray listFile(const QStringList &names)
{
    QByteArray contents;
    for (const QString &name : names)
        contents += name.toLatin1() + "\r\n";
    return contents;
}

// A name of the right label length for the list.
QString nameFor(ResultList list, int i)
{
    switch (list) {
    case ResultList::High:
        return u"h"_s + QString::number(i, 36) + u".com"_s;
    case ResultList::Mid:
        return u"m%1.net"_s.arg(i, 5, 10, QLatin1Char('0'));
    default:
        return u"lowprofile%1.org"_s.arg(i, 5, 10, QLatin1Char('0'));
    }
}

const QList<ResultList> allLists = {ResultList::Low, ResultList::Registered, ResultList::High, ResultList::Mid};

using Kind = LookupResult::Kind;

// An ended lookup, reply and all; available unless told.
LookupResult lookup(const QString &name, Kind kind = Kind::Available, const QString &reason = {},
                    const QDateTime &answeredAt = {})
{
    LookupResult result{0, name, u"whois.example"_s, kind};
    result.reason = reason;
    result.answeredAt = answeredAt;
    result.reply = "Domain Name: " + name.toLatin1() + "\r\n";
    return result;
}

const QDateTime filedAt(QDate(2026, 3, 4), QTime(5, 6, 7), Qt::UTC);

} // namespace

class TestResultLists : public QObject
{
    Q_OBJECT

private slots:
    void init();

    void filesByLabelLength_data();
    void filesByLabelLength();
    void bareExtensionsAreIgnored();
    void registeredListEmptiedPastCap();
    void profileFilesBeforeStamp();
    void resetCountersKeepsNames();
    void listStamp_data();
    void listStamp();
    void backupPlaceholdersAppend();
    void overflow_data();
    void overflow();

    void saveFailsBelowRegularFile();
    void saveFailsOnFolderAtTarget();
    void failedOverflowKeepsLists();
    void backupFailureStillSetsStamp();

    void modelSignals();
    void secondRunListsEachNameOnce();

    void recordColumns();
    void nameFiledAgainKeepsItsRow();
    void unansweredKeptOnce();

    // File writes
    void profileFilesFollowEveryChange();
    void backupsOfOneMomentDoNotCollide();
    void fullDiskKeepsEveryFileWhole();

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_folder;
};

void TestResultLists::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    m_folder = m_dir->path();
    QVERIFY(QDir(m_folder).mkdir(u"backups"_s));
    QVERIFY(QDir(m_folder).mkdir(u"overflow"_s));
}

void TestResultLists::filesByLabelLength_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<ResultList>("list");

    QTest::newRow("ab.com") << u"ab.com"_s << ResultList::High;
    QTest::newRow("label before first dot") << u"abcd.co.uk"_s << ResultList::High;
    QTest::newRow("4, no dot") << u"abcd"_s << ResultList::High;
    QTest::newRow("bare .org is an empty label") << u".org"_s << ResultList::High;
    QTest::newRow("abcde.net") << u"abcde.net"_s << ResultList::Mid;
    QTest::newRow("hyphens count") << u"a-b-c-d.com"_s << ResultList::Mid;
    QTest::newRow("7, no dot") << u"example"_s << ResultList::Mid;
    QTest::newRow("abcdefgh.org") << u"abcdefgh.org"_s << ResultList::Low;
    QTest::newRow("digits count") << u"1234567890.de"_s << ResultList::Low;
}

void TestResultLists::filesByLabelLength()
{
    QFETCH(QString, name);
    QFETCH(ResultList, list);

    ResultLists lists(m_folder);
    QSignalSpy counts(&lists, &ResultLists::countChanged);
    lists.file(lookup(name));

    for (const ResultList each : allLists) {
        QCOMPARE(lists.names(each), each == list ? QStringList{name} : QStringList());
        QCOMPARE(lists.counter(each), each == list ? 1 : 0);
    }
    QCOMPARE(counts.size(), 1);
    QCOMPARE(counts.at(0).at(0).value<ResultList>(), list);
    QCOMPARE(counts.at(0).at(1).toInt(), 1);
}

void TestResultLists::bareExtensionsAreIgnored()
{
    ResultLists lists(m_folder);
    QSignalSpy counts(&lists, &ResultLists::countChanged);
    for (const QString &name : {u".com"_s, u".net"_s}) {
        lists.file(lookup(name));
        lists.file(lookup(name, Kind::Registered));
    }
    for (const ResultList each : allLists) {
        QVERIFY(lists.names(each).isEmpty());
        QCOMPARE(lists.counter(each), 0);
    }
    QCOMPARE(counts.size(), 0);
    QCOMPARE(QDir(m_folder).entryList(QDir::Files), QStringList());
}

void TestResultLists::registeredListEmptiedPastCap()
{
    ResultLists lists(m_folder);
    for (int i = 1; i <= 101; ++i)
        lists.file(lookup(u"taken%1.com"_s.arg(i), Kind::Registered));
    QCOMPARE(lists.names(ResultList::Registered).size(), 101);

    QSignalSpy counts(&lists, &ResultLists::countChanged);
    lists.file(lookup(u"last.com"_s, Kind::Registered));
    QCOMPARE(lists.names(ResultList::Registered), QStringList{u"last.com"_s});
    QCOMPARE(lists.counter(ResultList::Registered), 102);
    // The count is of the rows shown, not of the names filed.
    QCOMPARE(counts.last().at(1).toInt(), 1);
    // Registered names never reach a file.
    QCOMPARE(QDir(m_folder).entryList(QDir::Files), QStringList());
}

void TestResultLists::profileFilesBeforeStamp()
{
    QFile stale(m_folder + u"/LowProfile.txt"_s);
    QVERIFY(stale.open(QIODevice::WriteOnly));
    stale.write("an older and much longer list\r\nof names\r\n");
    stale.close();

    ResultLists lists(m_folder);
    QCOMPARE(lists.profileFilePath(m_folder, ResultList::Low), m_folder + u"/LowProfile.txt"_s);
    QCOMPARE(lists.profileFilePath(m_folder, ResultList::Mid), m_folder + u"/HighProfile.txt"_s);
    QCOMPARE(lists.profileFilePath(m_folder, ResultList::High), m_folder + u"/SuperHighProfile.txt"_s);

    for (const QString &name : {u"ab.com"_s, u"abcde.net"_s, u"b\u00fccher.de"_s, u"xy.net"_s})
        lists.file(lookup(name));
    lists.file(lookup(u"taken.com"_s, Kind::Registered));

    QCOMPARE(readFile(m_folder + u"/LowProfile.txt"_s), QByteArray());
    QCOMPARE(readFile(m_folder + u"/HighProfile.txt"_s), "abcde.net\r\nb\xfc"
                                                         "cher.de\r\n"_ba);
    QCOMPARE(readFile(m_folder + u"/SuperHighProfile.txt"_s), "ab.com\r\nxy.net\r\n"_ba);

    lists.file(lookup(u"abcdefgh.org"_s));
    QCOMPARE(readFile(m_folder + u"/LowProfile.txt"_s), "abcdefgh.org\r\n"_ba);
    QCOMPARE(QDir(m_folder).entryList(QDir::Files),
             QStringList({u"HighProfile.txt"_s, u"LowProfile.txt"_s, u"SuperHighProfile.txt"_s}));

    // What the earlier run found was kept before the first overwrite; empty
    // or missing files were not copied.
    const QStringList kept = QDir(m_folder + u"/backups"_s).entryList(QDir::Files);
    QCOMPARE(kept.size(), 1);
    QVERIFY(kept.first().startsWith(u"PreviousLowProfile"_s));
    QCOMPARE(readFile(m_folder + u"/backups/"_s + kept.first()), "an older and much longer list\r\nof names\r\n"_ba);
}

void TestResultLists::resetCountersKeepsNames()
{
    ResultLists lists(m_folder);
    lists.file(lookup(u"ab.com"_s));
    lists.file(lookup(u"cd.com"_s));
    lists.file(lookup(u"taken.com"_s, Kind::Registered));
    QSignalSpy counts(&lists, &ResultLists::countChanged);
    lists.resetCounters();
    QCOMPARE(counts.size(), 0);
    for (const ResultList each : allLists)
        QCOMPARE(lists.counter(each), 0);

    lists.file(lookup(u"ef.com"_s));
    QCOMPARE(counts.size(), 1);
    QCOMPARE(counts.at(0).at(1).toInt(), 3);
    QCOMPARE(lists.names(ResultList::High), QStringList({u"ab.com"_s, u"cd.com"_s, u"ef.com"_s}));
    QCOMPARE(lists.names(ResultList::Registered), QStringList{u"taken.com"_s});
    QCOMPARE(readFile(m_folder + u"/SuperHighProfile.txt"_s), "ab.com\r\ncd.com\r\nef.com\r\n"_ba);
}

// main() pins the time formats to en_US: short date "M/d/yy", long time
// "h:mm:ss AP t".
void TestResultLists::listStamp_data()
{
    QTest::addColumn<QDateTime>("moment");
    QTest::addColumn<QString>("stamp");

    QTest::newRow("afternoon") << QDateTime(QDate(2026, 12, 6), QTime(13, 45, 7)) << u"1262614507PM"_s;
    QTest::newRow("morning") << QDateTime(QDate(2027, 1, 2), QTime(9, 5, 3)) << u"122790503AM"_s;
    QTest::newRow("midnight") << QDateTime(QDate(2026, 3, 15), QTime(0, 0)) << u"31526120000AM"_s;
}

void TestResultLists::listStamp()
{
    QFETCH(QDateTime, moment);
    QFETCH(QString, stamp);
    if (QLocale::system().dateFormat(QLocale::ShortFormat) != u"M/d/yy"_s)
        QSKIP("system time formats are not en_US");

    ResultLists lists(m_folder);
    lists.setClock([moment] { return moment; });
    QVERIFY(lists.startBackupSet());
    QCOMPARE(lists.listStamp(), stamp);
    QCOMPARE(lists.profileFilePath(m_folder, ResultList::High), m_folder + u"/SuperHighProfile"_s + stamp + u".txt"_s);
    const QStringList backups = {u"HighProfile"_s + stamp + u".txt"_s, u"LowProfile"_s + stamp + u".txt"_s,
                                 u"MidProfile"_s + stamp + u".txt"_s};
    QCOMPARE(QDir(m_folder + u"/backups"_s).entryList(QDir::Files), backups);
    for (const QString &backup : backups)
        QCOMPARE(readFile(m_folder + u"/backups/"_s + backup), " \r\n"_ba);
}

void TestResultLists::backupPlaceholdersAppend()
{
    ResultLists lists(m_folder);
    lists.setClock([] { return QDateTime(QDate(2026, 12, 6), QTime(13, 45, 7)); });
    QVERIFY(lists.startBackupSet());
    const QString midBackup = m_folder + u"/backups/MidProfile"_s + lists.listStamp() + u".txt"_s;
    QFile file(midBackup);
    QVERIFY(file.open(QIODevice::Append));
    file.write("kept\r\n");
    file.close();

    QVERIFY(lists.startBackupSet());
    QCOMPARE(readFile(midBackup), " \r\nkept\r\n \r\n"_ba);
    QCOMPARE(readFile(m_folder + u"/backups/LowProfile"_s + lists.listStamp() + u".txt"_s), " \r\n \r\n"_ba);
}

void TestResultLists::overflow_data()
{
    QTest::addColumn<ResultList>("full");
    QTest::newRow("low") << ResultList::Low;
    QTest::newRow("mid") << ResultList::Mid;
    QTest::newRow("high") << ResultList::High;
}

void TestResultLists::overflow()
{
    QFETCH(ResultList, full);

    ResultLists lists(m_folder);
    QDateTime now(QDate(2026, 12, 6), QTime(13, 45, 7));
    lists.setClock([&now] { return now; });
    QVERIFY(lists.startBackupSet());
    const QString oldStamp = lists.listStamp();

    lists.file(lookup(u"ab.com"_s));
    lists.file(lookup(u"abcde.net"_s));
    lists.file(lookup(u"abcdefgh.org"_s));
    lists.file(lookup(u"taken.com"_s, Kind::Registered));
    // Filling through the model is quicker; one save brings the files in line.
    QStringList filler;
    for (int i = 1; i <= ResultLists::overflowSize - 2; ++i)
        filler << nameFor(full, i);
    lists.model(full)->append(filler);
    QVERIFY(lists.saveResultLists());
    QCOMPARE(lists.names(full).size(), ResultLists::overflowSize - 1);

    QSignalSpy overflowSaved(&lists, &ResultLists::overflowSaved);
    QSignalSpy counts(&lists, &ResultLists::countChanged);
    lists.checkListSizes();
    QCOMPARE(overflowSaved.size(), 0);

    lists.file(lookup(nameFor(full, ResultLists::overflowSize - 1)));
    const QStringList low = lists.names(ResultList::Low);
    const QStringList mid = lists.names(ResultList::Mid);
    const QStringList high = lists.names(ResultList::High);
    QCOMPARE(lists.names(full).size(), ResultLists::overflowSize);
    const QString fullProfile = lists.profileFilePath(m_folder, full);
    QCOMPARE(readFile(fullProfile), listFile(lists.names(full)));

    now = QDateTime(QDate(2027, 1, 2), QTime(9, 5, 3));
    counts.clear();
    lists.checkListSizes();
    QCOMPARE(overflowSaved.size(), 1);
    // Every list is emptied.
    QCOMPARE(counts.size(), 4);
    for (const QList<QVariant> &count : std::as_const(counts))
        QCOMPARE(count.at(1).toInt(), 0);
    counts.clear();

    const QString overflow = m_folder + u"/overflow/"_s;
    QCOMPARE(QDir(overflow).entryList(QDir::Files),
             QStringList({u"HighProfile"_s + oldStamp + u".txt"_s, u"LowProfile"_s + oldStamp + u".txt"_s,
                          u"SuperHighProfile"_s + oldStamp + u".txt"_s}));
    QCOMPARE(readFile(overflow + u"LowProfile"_s + oldStamp + u".txt"_s), listFile(low));
    QCOMPARE(readFile(overflow + u"HighProfile"_s + oldStamp + u".txt"_s), listFile(mid));
    QCOMPARE(readFile(overflow + u"SuperHighProfile"_s + oldStamp + u".txt"_s), listFile(high));

    for (const ResultList each : allLists) {
        QVERIFY(lists.names(each).isEmpty());
        QCOMPARE(lists.counter(each), 0);
    }
    const QString newStamp = lists.listStamp();
    QVERIFY(newStamp != oldStamp);
    for (const QString &prefix : {u"HighProfile"_s, u"MidProfile"_s, u"LowProfile"_s})
        QCOMPARE(readFile(m_folder + u"/backups/"_s + prefix + newStamp + u".txt"_s), " \r\n"_ba);

    lists.file(lookup(u"xy.com"_s));
    QCOMPARE(counts.size(), 1);
    QCOMPARE(counts.at(0).at(1).toInt(), 1);
    QCOMPARE(readFile(m_folder + u"/SuperHighProfile"_s + newStamp + u".txt"_s), "xy.com\r\n"_ba);
    QCOMPARE(readFile(m_folder + u"/HighProfile"_s + newStamp + u".txt"_s), QByteArray());
    QCOMPARE(readFile(m_folder + u"/LowProfile"_s + newStamp + u".txt"_s), QByteArray());
    // The profile file under the old stamp is left as the last save wrote it.
    QCOMPARE(readFile(fullProfile).count('\n'), ResultLists::overflowSize);
    QCOMPARE(overflowSaved.size(), 1);
}

void TestResultLists::saveFailsBelowRegularFile()
{
    QFile plain(m_folder + u"/plain"_s);
    QVERIFY(plain.open(QIODevice::WriteOnly));
    plain.close();

    ResultLists lists(m_folder + u"/plain/program"_s);
    QSignalSpy failures(&lists, &ResultLists::writeFailed);
    lists.file(lookup(u"ab.com"_s));
    QCOMPARE(failures.size(), 3);
    const QStringList files = {u"/LowProfile.txt"_s, u"/HighProfile.txt"_s, u"/SuperHighProfile.txt"_s};
    for (int i = 0; i < 3; ++i) {
        const QString message = failures.at(i).at(0).toString();
        QVERIFY2(message.contains(m_folder + u"/plain/program"_s + files.at(i)), qPrintable(message));
        QVERIFY2(message.contains(u"does not exist"_s), qPrintable(message));
    }
    QCOMPARE(lists.names(ResultList::High), QStringList{u"ab.com"_s});
    QCOMPARE(lists.counter(ResultList::High), 1);
    QVERIFY(!lists.saveResultLists());
}

void TestResultLists::saveFailsOnFolderAtTarget()
{
    QVERIFY(QDir(m_folder).mkdir(u"HighProfile.txt"_s));
    ResultLists lists(m_folder);
    lists.file(lookup(u"ab.com"_s));
    QSignalSpy failures(&lists, &ResultLists::writeFailed);
    lists.file(lookup(u"abcde.net"_s));

    QCOMPARE(failures.size(), 1);
    const QString message = failures.at(0).at(0).toString();
    QVERIFY2(message.contains(m_folder + u"/HighProfile.txt"_s), qPrintable(message));
    QCOMPARE(lists.names(ResultList::Mid), QStringList{u"abcde.net"_s});
    // The other two files are still written.
    QCOMPARE(readFile(m_folder + u"/SuperHighProfile.txt"_s), "ab.com\r\n"_ba);
    QCOMPARE(readFile(m_folder + u"/LowProfile.txt"_s), QByteArray());
}

void TestResultLists::failedOverflowKeepsLists()
{
    QVERIFY(QDir(m_folder).rmdir(u"overflow"_s));
    ResultLists lists(m_folder);
    lists.file(lookup(u"taken.com"_s, Kind::Registered));
    QStringList filler;
    for (int i = 1; i <= ResultLists::overflowSize; ++i)
        filler << nameFor(ResultList::Low, i);
    lists.model(ResultList::Low)->append(filler);

    QSignalSpy failures(&lists, &ResultLists::writeFailed);
    QSignalSpy overflowSaved(&lists, &ResultLists::overflowSaved);
    lists.checkListSizes();
    QCOMPARE(failures.size(), 3);
    QVERIFY2(failures.at(0).at(0).toString().contains(u"/overflow/LowProfile.txt"_s),
             qPrintable(failures.at(0).at(0).toString()));
    QCOMPARE(overflowSaved.size(), 0);
    QCOMPARE(lists.names(ResultList::Low), filler);
    QCOMPARE(lists.names(ResultList::Registered), QStringList{u"taken.com"_s});
    QCOMPARE(lists.listStamp(), QString());

    // Once the folder is back the next check saves and clears.
    QVERIFY(QDir(m_folder).mkdir(u"overflow"_s));
    lists.checkListSizes();
    QCOMPARE(overflowSaved.size(), 1);
    QCOMPARE(readFile(m_folder + u"/overflow/LowProfile.txt"_s), listFile(filler));
    QVERIFY(lists.names(ResultList::Low).isEmpty());
}

void TestResultLists::backupFailureStillSetsStamp()
{
    ResultLists lists(m_folder);
    lists.setClock([] { return QDateTime(QDate(2026, 12, 6), QTime(13, 45, 7)); });
    QVERIFY(lists.startBackupSet());
    const QString stamp = lists.listStamp();
    QVERIFY(QFile::remove(m_folder + u"/backups/MidProfile"_s + stamp + u".txt"_s));
    QVERIFY(QDir(m_folder).mkdir(u"backups/MidProfile"_s + stamp + u".txt"_s));

    QSignalSpy failures(&lists, &ResultLists::writeFailed);
    QVERIFY(!lists.startBackupSet());
    QCOMPARE(failures.size(), 1);
    QVERIFY2(failures.at(0).at(0).toString().contains(u"MidProfile"_s + stamp + u".txt"_s),
             qPrintable(failures.at(0).at(0).toString()));
    QCOMPARE(lists.listStamp(), stamp);
    QCOMPARE(readFile(m_folder + u"/backups/HighProfile"_s + stamp + u".txt"_s), " \r\n \r\n"_ba);
}

void TestResultLists::modelSignals()
{
    DomainListModel model;
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
    QSignalSpy inserted(&model, &QAbstractItemModel::rowsInserted);
    QSignalSpy removed(&model, &QAbstractItemModel::rowsRemoved);
    QSignalSpy reset(&model, &QAbstractItemModel::modelReset);

    model.append(u"a.com"_s);
    model.append(QStringList({u"b.com"_s, u"c.com"_s, u"d.com"_s}));
    model.append(QStringList());
    QCOMPARE(inserted.size(), 2);
    QCOMPARE(inserted.at(0).at(1).toInt(), 0);
    QCOMPARE(inserted.at(0).at(2).toInt(), 0);
    QCOMPARE(inserted.at(1).at(1).toInt(), 1);
    QCOMPARE(inserted.at(1).at(2).toInt(), 3);
    QCOMPARE(model.rowCount(), 4);
    QCOMPARE(model.data(model.index(2, 0)).toString(), u"c.com"_s);
    QVERIFY(!model.data(model.index(4, 0)).isValid());

    QVERIFY(model.removeRows(1, 2));
    QCOMPARE(removed.size(), 1);
    QCOMPARE(removed.at(0).at(1).toInt(), 1);
    QCOMPARE(removed.at(0).at(2).toInt(), 2);
    QCOMPARE(model.names(), QStringList({u"a.com"_s, u"d.com"_s}));

    QVERIFY(!model.removeRows(1, 2));
    QVERIFY(!model.removeRows(-1, 1));
    QVERIFY(!model.removeRows(0, 0));
    QVERIFY(!model.removeRows(0, 1, model.index(0, 0)));
    QCOMPARE(removed.size(), 1);
    QCOMPARE(model.size(), 2);

    // A held record changes, and leaves, unseen.
    QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);
    model.setHoldAppended(true);
    model.put(lookup(u"e.com"_s, Kind::Timeout));
    model.put(lookup(u"e.com"_s, Kind::Error, u"refused"_s));
    QCOMPARE(model.record(2).reason, u"refused"_s);
    QVERIFY(model.remove(u"e.com"_s) && !model.remove(u"e.com"_s));
    model.setHoldAppended(false);
    QCOMPARE(changed.size(), 0);
    QCOMPARE(removed.size(), 1);
    QCOMPARE(inserted.size(), 2);

    model.clear();
    QCOMPARE(reset.size(), 1);
    QCOMPARE(model.rowCount(), 0);
}

// The same names found by a second run: each stays listed and written once,
// and the counts are of what the lists show after Start, Del and Clear.
void TestResultLists::secondRunListsEachNameOnce()
{
    ResultLists lists(m_folder);
    for (int run = 0; run < 2; ++run) {
        lists.resetCounters();
        for (const QString &name : {u"ab.com"_s, u"cd.com"_s, u"ab.com"_s, u"ef.com"_s})
            lists.file(lookup(name));
        lists.file(lookup(u"taken.com"_s, Kind::Registered));
    }
    QCOMPARE(lists.names(ResultList::High), QStringList({u"ab.com"_s, u"cd.com"_s, u"ef.com"_s}));
    QCOMPARE(readFile(lists.profileFilePath(m_folder, ResultList::High)), "ab.com\r\ncd.com\r\nef.com\r\n"_ba);
    QCOMPARE(lists.names(ResultList::Registered), QStringList{u"taken.com"_s});

    QSignalSpy counts(&lists, &ResultLists::countChanged);
    QVERIFY(lists.removeNames(ResultList::High, {2, 0, 7}));
    QCOMPARE(lists.names(ResultList::High), QStringList{u"cd.com"_s});
    QCOMPARE(counts.last().at(1).toInt(), 1);
    QCOMPARE(readFile(lists.profileFilePath(m_folder, ResultList::High)), "cd.com\r\n"_ba);
    QVERIFY(!lists.removeNames(ResultList::High, {5}));
    lists.clearList(ResultList::Registered);
    QCOMPARE(counts.last().at(0).value<ResultList>(), ResultList::Registered);
    QCOMPARE(counts.last().at(1).toInt(), 0);
}

// Each column shows what the record says, times in UTC; a name as the user
// gave it shows only itself.
void TestResultLists::recordColumns()
{
    DomainListModel model;
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
    LookupResult taken = lookup(u"taken.com"_s, Kind::Registered, u"rdap:200"_s, filedAt.toOffsetFromUtc(3600));
    taken.facts.expires = filedAt.addYears(1);
    taken.facts.registrar = u"Example Registrar"_s;
    QVERIFY(model.append(taken) && model.append(u"given.com"_s));
    const QVariantList cells[] = {{u"taken.com"_s, u"registered"_s, u"rdap:200"_s, u"whois.example"_s, filedAt,
                                   filedAt.addYears(1), u"Example Registrar"_s},
                                  {u"given.com"_s, {}, {}, {}, {}, {}, {}}};
    QCOMPARE(model.columnCount(), cells[0].size());
    for (int column = 0; column < model.columnCount(); ++column) {
        QCOMPARE(model.data(model.index(0, column)), cells[0].at(column));
        QCOMPARE(model.data(model.index(1, column)), cells[1].at(column));
    }
    QCOMPARE(model.data(model.index(0, 4)).toDateTime().timeSpec(), Qt::UTC);
}

// A name filed again carries its newest record in its row. A listed record keeps
// all but the raw reply, and the clock's time (UTC) when it came without one.
void TestResultLists::nameFiledAgainKeepsItsRow()
{
    ResultLists lists(m_folder);
    lists.setClock([] { return filedAt.toLocalTime(); });
    const DomainListModel *high = lists.model(ResultList::High);
    QSignalSpy changed(high, &QAbstractItemModel::dataChanged);
    lists.file(lookup(u"ab.com"_s, Kind::Available, u"first"_s));
    lists.file(lookup(u"cd.com"_s, Kind::Available, {}, filedAt.addDays(-1)));
    lists.file(lookup(u"ab.com"_s, Kind::Available, u"second"_s));
    lists.file(lookup(u"taken.com"_s, Kind::Registered, u"r1"_s));
    lists.file(lookup(u"taken.com"_s, Kind::Registered, u"r2"_s));

    QCOMPARE(changed.size(), 1);
    QCOMPARE(changed.at(0).at(1).toModelIndex(), high->index(0, high->columnCount() - 1));
    QCOMPARE(lists.counter(ResultList::High), 3);
    QCOMPARE(high->record(0).reason, u"second"_s);
    QCOMPARE(high->record(0).answeredAt, filedAt);
    QCOMPARE(high->record(0).answeredAt.timeSpec(), Qt::UTC);
    QCOMPARE(high->record(1).answeredAt, filedAt.addDays(-1));
    QVERIFY(high->record(1).reply.isEmpty());
    QCOMPARE(lists.model(ResultList::Registered)->record(0).reason, u"r2"_s);
}

// Names whose last lookup got no verdict, once each with the last record, until
// a verdict or the next run; a refusal changes nothing.
void TestResultLists::unansweredKeptOnce()
{
    ResultLists lists(m_folder);
    QSignalSpy counts(&lists, &ResultLists::unansweredCountChanged);
    lists.file(lookup(u"a.com"_s, Kind::Timeout, u"timeout"_s));
    lists.file(lookup(u"b.com"_s, Kind::Error, u"reset"_s));
    lists.file(lookup(u"a.com"_s, Kind::Error, u"refused"_s));
    lists.file(lookup(u"a.com"_s, Kind::Blocked, u"quota"_s));
    QCOMPARE(lists.unanswered().names(), QStringList({u"a.com"_s, u"b.com"_s}));
    QCOMPARE(lists.unanswered().record(0).reason, u"refused"_s);

    lists.file(lookup(u"a.com"_s, Kind::Registered));
    lists.file(lookup(u"b.com"_s));
    lists.file(lookup(u"c.com"_s, Kind::Timeout));
    QCOMPARE(lists.unanswered().names(), QStringList{u"c.com"_s});
    lists.resetCounters();
    QCOMPARE(lists.unanswered().size(), 0);
    QCOMPARE(counts.size(), 6);
    QCOMPARE(counts.last().at(0).toInt(), 0);
}

// A new name is added to the end of its file, which is written whole only
// when a name leaves a list.
void TestResultLists::profileFilesFollowEveryChange()
{
    ResultLists lists(m_folder);
    const QString low = lists.profileFilePath(m_folder, ResultList::Low);
    lists.file(lookup(u"firstname.com"_s));
    QCOMPARE(readFile(low), "firstname.com\r\n"_ba);

    writeFile(low, "firstname.com\r\nmarker.example\r\n");
    lists.file(lookup(u"secondname.com"_s));
    lists.file(lookup(u"thirdname.com"_s));
    QCOMPARE(readFile(low), "firstname.com\r\nmarker.example\r\nsecondname.com\r\nthirdname.com\r\n"_ba);

    QVERIFY(lists.removeNames(ResultList::Low, {1}));
    QCOMPARE(readFile(low), "firstname.com\r\nthirdname.com\r\n"_ba);
    lists.clearList(ResultList::Low);
    QCOMPARE(readFile(low), QByteArray());
    lists.file(lookup(u"fourthname.com"_s));
    QCOMPARE(readFile(low), "fourthname.com\r\n"_ba);

    // Letters beyond Latin-1 go into the 8-bit file in the name's IDNA form.
    lists.file(lookup(u"bücherladen.de"_s));
    lists.file(lookup(u"日本語.com"_s));
    QCOMPARE(readFile(low), "fourthname.com\r\nb\xfc"
                            "cherladen.de\r\n"_ba);
    QCOMPARE(readFile(lists.profileFilePath(m_folder, ResultList::High)), "xn--wgv71a119e.com\r\n"_ba);
    QCOMPARE(lists.names(ResultList::High), QStringList{u"日本語.com"_s});
}

// Runs in the same second (or millisecond) keep every earlier file.
void TestResultLists::backupsOfOneMomentDoNotCollide()
{
    const QDateTime now(QDate(2026, 12, 6), QTime(13, 45, 7, 250));
    for (const QByteArray &found : {"runone.example\r\n"_ba, "runtwo.example\r\n"_ba, "runthree.example\r\n"_ba}) {
        writeFile(m_folder + u"/LowProfile.txt"_s, found);
        ResultLists lists(m_folder);
        lists.setClock([now] { return now; });
        lists.file(lookup(u"abcdefghij.com"_s));
    }
    const QStringList kept = QDir(m_folder + u"/backups"_s).entryList({u"Previous*"_s}, QDir::Files);
    QCOMPARE(kept.size(), 3);
    QByteArray contents;
    for (const QString &name : kept)
        contents += readFile(m_folder + u"/backups/"_s + name);
    for (const char *found : {"runone", "runtwo", "runthree"})
        QVERIFY2(contents.contains(found), contents.constData());
}

// On a full disk every write fails loudly and every file keeps what it held:
// no empty backup, no profile file cut short or cut mid-line.
void TestResultLists::fullDiskKeepsEveryFileWhole()
{
    FullFileSystem disk(256);
    if (!disk.isValid())
        QSKIP("mounting a small tmpfs needs root");
    const QString folder = disk.path();
    QVERIFY(QDir(folder).mkpath(u"backups"_s));
    const QByteArray older = "an.example\r\nearlier.example\r\n";
    const QByteArray olderLow = "a-longer-name.example\r\n";
    writeFile(folder + u"/SuperHighProfile.txt"_s, older);
    writeFile(folder + u"/LowProfile.txt"_s, olderLow);
    QVERIFY(disk.fill());

    // No room to keep the earlier files in backups: none is overwritten, not
    // even by an empty list, which would need no room at all.
    ResultLists lists(folder);
    QSignalSpy failures(&lists, &ResultLists::writeFailed);
    lists.file(lookup(u"ab.com"_s));
    QVERIFY(failures.size() >= 1);
    QCOMPARE(readFile(folder + u"/SuperHighProfile.txt"_s), older);
    QCOMPARE(readFile(folder + u"/LowProfile.txt"_s), olderLow);
    for (const QFileInfo &backup : QDir(folder + u"/backups"_s).entryInfoList(QDir::Files))
        QVERIFY2(backup.size() > 0, qPrintable(backup.fileName()));

    // With room again the lists are written whole; names are added until the
    // file's last page has 8 bytes left, the disk fills up, and the next name
    // of 10 bytes, which only partly fits, is taken back rather than left cut.
    QVERIFY(QFile::remove(disk.filePath(u".filler"_s)));
    lists.file(lookup(u"cd.com"_s));
    QCOMPARE(readFile(folder + u"/SuperHighProfile.txt"_s), "ab.com\r\ncd.com\r\n"_ba);
    QCOMPARE(readFile(folder + u"/LowProfile.txt"_s), QByteArray());
    QCOMPARE(QDir(folder + u"/backups"_s).entryList({u"Previous*"_s}, QDir::Files).size(), 2);
    // 511 two-letter names, 509 of them new: ab and cd are listed already.
    for (int i = 0; i < 511; ++i)
        lists.file(lookup(u"%1.com"_s.arg(i + 36, 2, 36)));
    const QByteArray written = readFile(folder + u"/SuperHighProfile.txt"_s);
    QCOMPARE(written.size(), 4096 - 8);
    QVERIFY(disk.fill());
    failures.clear();
    lists.file(lookup(u"efgh.com"_s));
    QVERIFY(failures.size() >= 1);
    QCOMPARE(readFile(folder + u"/SuperHighProfile.txt"_s), written);
}

int main(int argc, char *argv[])
{
    // The list stamp follows the system's time formats; pin them so the
    // expected stamps hold wherever the tests run.
    qunsetenv("LC_ALL");
    qputenv("LC_TIME", "en_US.UTF-8");
    QCoreApplication app(argc, argv);
    TestResultLists test;
    return QTest::qExec(&test, argc, argv);
}

#include "TestResultLists.moc"
