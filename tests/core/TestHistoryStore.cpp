#include "core/HistoryStore.h"
#include "tests/support/TestFiles.h"

#include <QDir>
#include <QSignalSpy>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>

namespace {

const QDateTime now = QDateTime(QDate(2026, 12, 7), QTime(12, 0), Qt::UTC);

HistoryEntry entry(const QString &name, const QString &verdict, const QDateTime &at = now)
{
    return {name,
            name.section(QLatin1Char('.'), 1),
            verdict,
            QStringLiteral("whois.example"),
            QStringLiteral("phrase:No match"),
            at,
            QStringLiteral("check")};
}

// Rows on disk, read through a connection of the test's own.
int rowsOnDisk(const QString &path)
{
    int count = -1;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("probe"));
        db.setDatabaseName(path);
        if (db.open()) {
            QSqlQuery query(QStringLiteral("SELECT count(*) FROM verdicts"), db);
            count = query.next() ? query.value(0).toInt() : -1;
        }
    }
    QSqlDatabase::removeDatabase(QStringLiteral("probe"));
    return count;
}

} // namespace

class TestHistoryStore : public QObject
{
    Q_OBJECT

private slots:
    void writesInBatches();
    void reusesOnlyRecentSettledVerdicts();
    void selectsByFilterNewestFirst();
    void movesACorruptFileAside();
    void unusableFolderLeavesTheStoreClosed();
};

void TestHistoryStore::writesInBatches()
{
    QTemporaryDir dir;
    const HistoryDatabase database = HistoryDatabase::inProgramFolder(dir.path());
    HistoryStore store(database, {3, 50});
    QString error;
    QVERIFY2(store.open(&error), qPrintable(error));

    store.record(entry(QStringLiteral("a.com"), QStringLiteral("available")));
    store.record(entry(QStringLiteral("b.com"), QStringLiteral("registered")));
    QCOMPARE(rowsOnDisk(database.databaseName), 0);
    store.record(entry(QStringLiteral("c.com"), QStringLiteral("available")));
    QCOMPARE(rowsOnDisk(database.databaseName), 3); // a full batch goes at once

    store.record(entry(QStringLiteral("d.com"), QStringLiteral("available")));
    QCOMPARE(store.pendingRows(), 1);
    QTRY_COMPARE(rowsOnDisk(database.databaseName), 4); // the rest after flushMs
    QCOMPARE(store.pendingRows(), 0);
}

void TestHistoryStore::reusesOnlyRecentSettledVerdicts()
{
    QTemporaryDir dir;
    HistoryStore store(HistoryDatabase::inProgramFolder(dir.path()));
    QVERIFY(store.open(nullptr));
    store.record(entry(QStringLiteral("old.com"), QStringLiteral("available"), now.addDays(-31)));
    store.record(entry(QStringLiteral("fresh.com"), QStringLiteral("available"), now.addDays(-29)));
    store.record(entry(QStringLiteral("taken.com"), QStringLiteral("registered"), now.addDays(-1)));
    store.record(entry(QStringLiteral("refused.com"), QStringLiteral("blocked"), now));
    store.record(entry(QStringLiteral("changed.com"), QStringLiteral("available"), now.addDays(-2)));
    store.record(entry(QStringLiteral("changed.com"), QStringLiteral("timeout"), now.addDays(-1)));

    for (const bool flushed : {false, true}) {
        if (flushed)
            QVERIFY(store.flush());
        QCOMPARE(store.recentVerdict(QStringLiteral("fresh.com"), 30, now)->verdict, QStringLiteral("available"));
        QCOMPARE(store.recentVerdict(QStringLiteral("taken.com"), 30, now)->server, QStringLiteral("whois.example"));
        QVERIFY(!store.recentVerdict(QStringLiteral("old.com"), 30, now));
        QVERIFY(!store.recentVerdict(QStringLiteral("refused.com"), 30, now));
        QVERIFY(!store.recentVerdict(QStringLiteral("changed.com"), 30, now)); // the newest verdict counts
        QVERIFY(!store.recentVerdict(QStringLiteral("fresh.com"), 0, now));    // 0: always ask again
        QVERIFY(!store.recentVerdict(QStringLiteral("unknown.com"), 30, now));
    }
}

void TestHistoryStore::selectsByFilterNewestFirst()
{
    QTemporaryDir dir;
    HistoryStore store(HistoryDatabase::inProgramFolder(dir.path()));
    QVERIFY(store.open(nullptr));
    store.record(entry(QStringLiteral("abcde.com"), QStringLiteral("available"), now.addDays(-10)));
    store.record(entry(QStringLiteral("fghij.com"), QStringLiteral("available"), now.addDays(-1)));
    store.record(entry(QStringLiteral("klmno.net"), QStringLiteral("available"), now));
    store.record(entry(QStringLiteral("pq.com"), QStringLiteral("registered"), now.addSecs(-1)));

    const auto names = [&](const HistoryFilter &filter) {
        QStringList found;
        QString error;
        const bool ok = store.select(
            filter,
            [&](const HistoryEntry &row) {
                found << row.name;
                return true;
            },
            &error);
        return ok ? found : QStringList{error};
    };
    QCOMPARE(names({}), (QStringList{QStringLiteral("klmno.net"), QStringLiteral("pq.com"), QStringLiteral("fghij.com"),
                                     QStringLiteral("abcde.com")}));
    QCOMPARE(names({QStringLiteral("available"), QStringLiteral(".com"), {}, QStringLiteral("_____.com")}),
             (QStringList{QStringLiteral("fghij.com"), QStringLiteral("abcde.com")}));
    QCOMPARE(names({{}, {}, now.addDays(-2), {}}).size(), 3);
    QCOMPARE(names({QStringLiteral("blocked"), {}, {}, {}}), QStringList());
}

void TestHistoryStore::movesACorruptFileAside()
{
    QTemporaryDir dir;
    const HistoryDatabase database = HistoryDatabase::inProgramFolder(dir.path());
    writeFile(database.databaseName, QByteArray("this is not a database, just text\n").repeated(200));

    HistoryStore store(database);
    QString error;
    QVERIFY2(store.open(&error), qPrintable(error));
    QVERIFY2(store.notice().contains(QLatin1String("history.sqlite.broken-")), qPrintable(store.notice()));
    QCOMPARE(QDir(dir.path()).entryList({QStringLiteral("history.sqlite.broken-*")}).size(), 1);
    store.record(entry(QStringLiteral("a.com"), QStringLiteral("available")));
    QVERIFY(store.flush());
    QCOMPARE(rowsOnDisk(database.databaseName), 1);
}

void TestHistoryStore::unusableFolderLeavesTheStoreClosed()
{
    QTemporaryDir dir;
    // A folder below a plain file cannot be created, even by root.
    writeFile(dir.filePath(QStringLiteral("plain")), "x");
    HistoryStore store(HistoryDatabase::inProgramFolder(dir.filePath(QStringLiteral("plain/folder"))));
    QString error;
    QVERIFY(!store.open(&error));
    QVERIFY2(error.contains(QLatin1String("history.sqlite")), qPrintable(error));
    QVERIFY(!store.isOpen());
    store.record(entry(QStringLiteral("a.com"), QStringLiteral("available")));
    QCOMPARE(store.pendingRows(), 0);
    QVERIFY(!store.recentVerdict(QStringLiteral("a.com"), 30, now));
    QVERIFY(QFileInfo(dir.filePath(QStringLiteral("plain"))).isFile());
}

QTEST_GUILESS_MAIN(TestHistoryStore)
#include "TestHistoryStore.moc"
