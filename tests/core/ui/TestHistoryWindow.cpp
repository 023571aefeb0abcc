#include "core/HistoryStore.h"
#include "core/ui/HistoryTableModel.h"
#include "core/ui/HistoryWindow.h"
#include "tests/support/ScriptedPrompt.h"
#include "tests/support/TestFiles.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QMenu>
#include <QSignalSpy>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>

class TestHistoryWindow : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void fetchesRowsAsTheViewNeedsThem();
    void filtersAndSortsInTheDatabase();
    void exportsTheFilteredRowsAsCsv();
    void followsRunsDatesAndSort();

private:
    QString nameAt(int row) const { return m_window->model()->index(row, 0).data().toString(); }

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<HistoryStore> m_store;
    ScriptedPrompt m_prompt;
    std::unique_ptr<HistoryWindow> m_window;
};

void TestHistoryWindow::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    m_store = std::make_unique<HistoryStore>(HistoryDatabase::inProgramFolder(m_dir->path()));
    QVERIFY(m_store->open(nullptr));
    const QDateTime start(QDate(2026, 11, 1), QTime(0, 0), Qt::UTC);
    for (int i = 0; i < 2000; ++i) {
        const QString verdict = i % 4 == 0 ? QStringLiteral("available") : QStringLiteral("registered");
        m_store->record({QStringLiteral("name%1.com").arg(i), QStringLiteral("com"), verdict,
                         QStringLiteral("whois.example"), QStringLiteral("phrase:No match"), start.addSecs(i),
                         QStringLiteral("check")});
    }
    m_store->record({QStringLiteral("quote,\"d\".com"), QStringLiteral("com"), QStringLiteral("available"), QString(),
                     QString(), start.addSecs(-1), QStringLiteral("check")});
    m_window = std::make_unique<HistoryWindow>(*m_store, m_prompt, QStringLiteral("Vantrel"));
}

void TestHistoryWindow::cleanup()
{
    m_window.reset();
    m_store.reset();
    m_dir.reset();
}

void TestHistoryWindow::fetchesRowsAsTheViewNeedsThem()
{
    HistoryTableModel *model = m_window->model();
    QVERIFY2(model->rowCount() < 2001, "every row was loaded at once");
    QCOMPARE(nameAt(0), QStringLiteral("name1999.com")); // newest first
    while (model->canFetchMore())
        model->fetchMore();
    QCOMPARE(model->rowCount(), 2001);
}

void TestHistoryWindow::filtersAndSortsInTheDatabase()
{
    auto *filter = m_window->findChild<QLineEdit *>(QStringLiteral("txtFilter"));
    auto *verdict = m_window->findChild<QComboBox *>(QStringLiteral("cmbVerdict"));
    QVERIFY(filter && verdict);

    QTest::keyClicks(filter, QStringLiteral("name19"));
    QTRY_COMPARE(nameAt(0), QStringLiteral("name1999.com"));
    QTRY_COMPARE(m_window->model()->rowCount(), 111); // name19, name190-199, name1900-1999
    verdict->setCurrentIndex(verdict->findData(QStringLiteral("available")));
    QCOMPARE(m_window->model()->rowCount(), 27);
    QCOMPARE(nameAt(0), QStringLiteral("name1996.com"));

    m_window->model()->sort(0, Qt::AscendingOrder);
    QCOMPARE(nameAt(0), QStringLiteral("name1900.com"));
}

void TestHistoryWindow::exportsTheFilteredRowsAsCsv()
{
    auto *verdict = m_window->findChild<QComboBox *>(QStringLiteral("cmbVerdict"));
    verdict->setCurrentIndex(verdict->findData(QStringLiteral("available")));

    m_prompt.fileNames.enqueue(QString()); // cancelled: nothing written
    QVERIFY(!m_window->exportRows());

    const QString path = m_dir->filePath(QStringLiteral("export.csv"));
    m_prompt.fileNames.enqueue(path);
    QVERIFY(m_window->exportRows());
    const QList<QByteArray> lines = readFile(path).split('\n');
    QCOMPARE(lines.size(), 1 + 501 + 1); // header, rows, the empty piece after the last CR LF
    QCOMPARE(lines.first(), QByteArray("name,tld,verdict,server,reason,checked_at,source\r"));
    QCOMPARE(lines.at(1), QByteArray("name1996.com,com,available,whois.example,phrase:No match,"
                                     "2026-11-01T00:33:16Z,check\r"));
    QCOMPARE(lines.at(501), QByteArray("\"quote,\"\"d\"\".com\",com,available,,,2026-10-31T23:59:59Z,check\r"));

    m_prompt.fileNames.enqueue(m_dir->filePath(QStringLiteral("missing/export.csv")));
    QVERIFY(!m_window->exportRows());
    QCOMPARE(m_prompt.messages.size(), 1);
    QCOMPARE(m_prompt.messages.first().title, QStringLiteral("Vantrel"));
}

// Rows written while the window is open show up, counted; the date filter
// and the table's sort reach the export; the menu hands names on.
void TestHistoryWindow::followsRunsDatesAndSort()
{
    auto *count = m_window->findChild<QLabel *>(QStringLiteral("lblCount"));
    QCOMPARE(count->text(), QLocale().toString(2001) + QStringLiteral(" rows"));
    m_store->record({QStringLiteral("fresh.com"), QStringLiteral("com"), QStringLiteral("available"), QString(),
                     QString(), QDateTime::currentDateTimeUtc(), QStringLiteral("Full Word List")});
    QVERIFY(m_store->flush());
    QTRY_COMPARE(nameAt(0), QStringLiteral("fresh.com"));
    QCOMPARE(count->text(), QLocale().toString(2002) + QStringLiteral(" rows"));

    m_window->findChild<QDateEdit *>(QStringLiteral("dtSince"))->setDate(QDate(2026, 11, 1));
    m_window->findChild<QCheckBox *>(QStringLiteral("chkSince"))->setChecked(true);
    QCOMPARE(m_window->model()->totalRows(), 2001); // the row of 31 October is left out

    auto *table = m_window->findChild<QTableView *>(QStringLiteral("tblHistory"));
    table->sortByColumn(0, Qt::AscendingOrder);
    m_prompt.fileNames.enqueue(m_dir->filePath(QStringLiteral("sorted")));
    QVERIFY(m_window->exportRows());
    const QList<QByteArray> lines = readFile(m_dir->filePath(QStringLiteral("sorted.csv"))).split('\n');
    QCOMPARE(lines.size(), 1 + 2001 + 1);
    QVERIFY(lines.at(1).startsWith("fresh.com,"));
    QVERIFY(lines.at(2).startsWith("name0.com,"));

    QSignalSpy saved(m_window.get(), &HistoryWindow::saveRequested);
    table->selectRow(1);
    table->selectionModel()->select(m_window->model()->index(2, 0),
                                    QItemSelectionModel::Select | QItemSelectionModel::Rows);
    emit table->customContextMenuRequested(table->visualRect(m_window->model()->index(1, 0)).center());
    auto *menu = table->findChild<QMenu *>(QStringLiteral("HistoryMenu"));
    QVERIFY(menu);
    menu->findChild<QAction *>(QStringLiteral("mnuHistorySave"))->trigger();
    QCOMPARE(saved.size(), 1);
    QCOMPARE(saved.first().first().toStringList(), (QStringList{QStringLiteral("name0.com"), QStringLiteral("name1.com")}));
}

QTEST_MAIN(TestHistoryWindow)
#include "TestHistoryWindow.moc"
