#include "search/LookupSession.h"
#include "search/ui/DesktopContext.h"
#include "search/ui/DomainListView.h"
#include "search/ui/MainWindow.h"
#include "search/ui/TldChecklist.h"
#include "settings/SettingsStore.h"
#include "tests/support/ScriptedPrompt.h"
#include "tests/support/TestFiles.h"
#include "tests/support/WhoisTestServer.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QDesktopServices>
#include <QDropEvent>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMenu>
#include <QMimeData>
#include <QProgressBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QScrollBar>
#include <QSettings>
#include <QSignalSpy>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

// Catches the addresses the program asks the desktop to open.
class UrlCatcher : public QObject
{
    Q_OBJECT

public:
    QList<QUrl> urls;

public slots:
    void open(const QUrl &url) { urls << url; }
};

// A main window on a temporary program folder and settings store.
struct WindowFixture
{
    // below: the program folder below the temporary one, when not that itself.
    explicit WindowFixture(const QString &below = QString())
        : folder(below.isEmpty() ? home.path() : home.filePath(below))
        , settings({config.filePath(u"user"_s), config.filePath(u"machine"_s)}, u"vantrel.example"_s, u"Ornisk"_s)
        , branding(testBranding())
        , session(folder, settings, 1, PoolTimings{50, 10, 30})
        , context(folder, branding, settings, prompt, session)
    {
    }

    static Branding testBranding()
    {
        Branding branding;
        branding.showBanner = false;
        branding.useSkin = false;
        branding.purchaseUrlPrefix = u"https://registrar.example/gdshop/registrar/search.asp?domaintocheck="_s;
        return branding;
    }

    MainWindow &window()
    {
        if (!form)
            form = std::make_unique<MainWindow>(context);
        return *form;
    }

    template <typename T>
    T *child(const QString &name)
    {
        T *found = window().findChild<T *>(name);
        if (!found)
            qWarning() << "no control" << name;
        return found;
    }

    QString setting(const QString &application, const QString &key) const
    {
        return QSettings(config.filePath(u"user/"_s + application + u".ini"_s), QSettings::IniFormat)
            .value(u"Settings/"_s + key)
            .toString();
    }

    QTemporaryDir home;
    QString folder;
    QTemporaryDir config;
    ScriptedPrompt prompt;
    SettingsStore settings;
    Branding branding;
    LookupSession session;
    DesktopContext context;
    std::unique_ptr<MainWindow> form;
};

} // namespace

class TestMainWindow : public QObject
{
    Q_OBJECT

private slots:
    void controlsCarryTheirNames();
    void firstAndSecondStart();
    void listCommandsAndKeyboard();
    void savedDomainsLoadAndDrop();
    void foreignTextIsNotDropped();
    void doubleClickOpensPurchaseAddress();
    void startNumberGuardAndSearchButton();
    void searchRunEndsByItself();
    void startUpAndLookupFailuresAreWorded();
    void shutDownStopsRun();
    void customListRunShowsResumePositionAfterStop();
    void unansweredNamesAreCountedAndRerun();

    // The run-state rules.
    void repeatedFaultsShowOneNotice();
    void pickingAnotherTypeStopsTheRun();
    void startNeedsAList();
    void unusableFolderIsExplained();
    void tldBoxKeepsItsWidthAndTheLastChoices();
    void tickedTldsJoinTheRun();
    // Additions through the prompt seam, the list menu and the layout.
    void exportResultsThroughSaveDialog();
    void listMenuAndKeys();
    void listFollowsNewestUnlessScrolledUp();
    void nothingClips_data();
    void nothingClips();
    void searchRowReadsInOrder();
    void writeFailureLeavesPanelsInView();
};

namespace {

// A TLD table without rows: no name has an entry to ask.
void writeTableWithoutAnsweringRow(WindowFixture &fixture)
{
    writeFile(fixture.home.filePath(u"TLDs.txt"_s), "\r\n");
}

// A table whose com row points at a server that answers every name as taken.
void writeTableForServer(WindowFixture &fixture, quint16 port)
{
    writeFile(fixture.home.filePath(u"TLDs.txt"_s),
              "com|127.0.0.1|" + QByteArray::number(port) + "|Enabled|0|No match\r\n");
}

} // namespace

void TestMainWindow::controlsCarryTheirNames()
{
    WindowFixture fixture;
    MainWindow &window = fixture.window();
    QCOMPARE(window.windowTitle(), u"Vantrel - Domain Name Manager"_s);
    for (int number = 1; number <= 5; ++number) {
        QVERIFY(fixture.child<DomainListView>(u"List%1"_s.arg(number)));
        QCOMPARE(fixture.child<QPushButton>(u"cmdCopy(%1)"_s.arg(number))->text(), u"Copy"_s);
        QCOMPARE(fixture.child<QPushButton>(u"cmdClear(%1)"_s.arg(number))->toolTip(), u"Delete Selected Item"_s);
        QCOMPARE(fixture.child<QPushButton>(u"cmdClear2(%1)"_s.arg(number))->text(), u"Clear"_s);
    }
    QCOMPARE(fixture.child<QComboBox>(u"Combo1"_s)->count(), 11);
    QCOMPARE(fixture.child<QComboBox>(u"Combo1"_s)->itemText(8), u"Custom List"_s);
    QCOMPARE(fixture.child<QComboBox>(u"Combo1"_s)->itemText(10), u"DuckDuckGo Search"_s);
    QCOMPARE(fixture.child<QPushButton>(u"cmdDoSearch"_s)->toolTip(), u"Click here to start searching your list."_s);
    QCOMPARE(fixture.child<QLabel>(u"Label5"_s)->text(), u"Saved Domains"_s);
    QCOMPARE(fixture.child<QAction>(u"mnuEditItem(9)"_s)->text(), u"Copy Saved"_s);
    QCOMPARE(fixture.child<QAction>(u"mnuAboutItem(0)"_s)->text(), u"About this software"_s);
}

void TestMainWindow::firstAndSecondStart()
{
    WindowFixture fixture;
    QSignalSpy help(&fixture.window(), &MainWindow::helpRequested);
    bool helpFileThere = false;
    QObject::connect(&fixture.window(), &MainWindow::helpRequested, &fixture.window(),
                     [&] { helpFileThere = QFile::exists(fixture.home.filePath(u"Help.html"_s)); });
    fixture.window().startUp();
    QVERIFY(helpFileThere); // the shipped help is in place before the help opens

    for (const QString &file : {u"BrowserSearch.txt"_s, u"Appends.txt"_s, u"CreatedDomains.txt"_s, u"Remembered.txt"_s})
        QCOMPARE(readFile(fixture.home.filePath(file)), "\r\n"_ba);
    for (const QString &folder : {u"backups"_s, u"overflow"_s, u"wordlists"_s, u"searches"_s})
        QVERIFY(QDir(fixture.home.filePath(folder)).exists());
    QVERIFY(QFile::exists(fixture.home.filePath(u"TLDs.txt"_s)));
    QCOMPARE(fixture.session.lookup().tldTable.size(), 179);
    QCOMPARE(help.size(), 1);
    QCOMPARE(fixture.prompt.messages.size(), 1);
    QVERIFY(fixture.prompt.messages.at(0).text.startsWith(u"Since this is your first time"_s));
    QCOMPARE(fixture.prompt.messages.at(0).title, u"Vantrel"_s);
    QCOMPARE(fixture.setting(u"Ornisk"_s, u"FirstUse"_s), u"NO"_s);
    QCOMPARE(fixture.setting(u"Ornisk"_s, u"showHelp"_s), u"0"_s);
    QCOMPARE(fixture.window().windowTitle(), u"Vantrel by vantrel.example"_s);
    QVERIFY(fixture.child<QPushButton>(u"cmdWebsite"_s)->text().startsWith(u"Visit "_s));

    // The table written on a first start fills cmbTLDs at once, on the default extension.
    QCOMPARE(fixture.child<QComboBox>(u"cmbTLDs"_s)->count(), 2);
    QCOMPARE(fixture.child<QComboBox>(u"cmbTLDs"_s)->currentText(), u"com"_s);

    fixture.form.reset();
    QSignalSpy secondHelp(&fixture.window(), &MainWindow::helpRequested);
    fixture.window().startUp();
    QCOMPARE(secondHelp.size(), 0);
    QCOMPARE(fixture.prompt.messages.size(), 1);
    QCOMPARE(fixture.child<QComboBox>(u"cmbTLDs"_s)->count(), 2);
}

void TestMainWindow::listCommandsAndKeyboard()
{
    WindowFixture fixture;
    MainWindow &window = fixture.window();
    ResultLists &results = window.session().results();
    for (const QString &name : {u"longername1.com"_s, u"longername2.com"_s, u"longername3.com"_s})
        results.file({0, name, QString(), LookupResult::Kind::Available});
    QLabel *label = fixture.child<QLabel>(u"Label1"_s);
    QCOMPARE(label->text(), u"Low Profile (3)"_s);

    fixture.child<QAction>(u"mnuEditItem(8)"_s)->trigger(); // Copy Low
    QCOMPARE(QApplication::clipboard()->text(), u"longername1.com\r\nlongername2.com\r\nlongername3.com\r\n"_s);

    DomainListView *list = window.list(ResultList::Low);
    list->setCurrentIndex(list->model()->index(1, 0));
    QTest::keyClick(list, Qt::Key_Delete);
    QCOMPARE(results.names(ResultList::Low), (QStringList{u"longername1.com"_s, u"longername3.com"_s}));
    QCOMPARE(label->text(), u"Low Profile (2)"_s);

    // "Del" with nothing selected changes nothing.
    list->setCurrentIndex(QModelIndex());
    fixture.child<QPushButton>(u"cmdClear(1)"_s)->click();
    QCOMPARE(label->text(), u"Low Profile (2)"_s);

    QTest::keyClick(list, Qt::Key_Delete, Qt::ShiftModifier);
    QVERIFY(results.names(ResultList::Low).isEmpty());
    QCOMPARE(label->text(), u"Low Profile"_s);

    fixture.child<QPushButton>(u"cmdCopy(1)"_s)->click();
    QCOMPARE(QApplication::clipboard()->text(), QString());
}

void TestMainWindow::savedDomainsLoadAndDrop()
{
    WindowFixture fixture;
    writeFile(fixture.home.filePath(u"Remembered.txt"_s), "a.com\r\n\r\n \r\nb.net\r\n");
    fixture.settings.saveUserSetting(u"Ornisk"_s, u"Settings"_s, u"FirstUse"_s, u"NO"_s);
    MainWindow &window = fixture.window();
    window.startUp();
    QCOMPARE(window.list(ResultList::Saved)->model()->rowCount(), 2);

    ResultLists &results = window.session().results();
    for (const QString &name : {u"h0.com"_s, u"h1.com"_s, u"h2.com"_s, u"h3.com"_s, u"h4.com"_s})
        results.file({0, name, QString(), LookupResult::Kind::Available});
    DomainListView *high = window.list(ResultList::High);
    QTest::mouseClick(high->viewport(), Qt::LeftButton, {}, high->visualRect(high->model()->index(0, 0)).center());
    for (int row : {3, 4})
        high->selectionModel()->select(high->model()->index(row, 0), QItemSelectionModel::Select);
    QCOMPARE(high->selectedRowsPayload(), u"0|3|4"_s);

    window.dropOnSavedList(high->selectedRowsPayload());
    window.dropOnSavedList(u"3|x|99|-1"_s); // h3 is saved already
    QCOMPARE(readFile(fixture.home.filePath(u"Remembered.txt"_s)),
             "a.com\r\nb.net\r\nh0.com\r\nh3.com\r\nh4.com\r\n"_ba);

    // Del removes every selected row and rewrites the file; so does the
    // list menu's Remove.
    DomainListView *saved = window.list(ResultList::Saved);
    saved->selectionModel()->clearSelection();
    for (int row : {0, 2, 3})
        saved->selectionModel()->select(saved->model()->index(row, 0), QItemSelectionModel::Select);
    fixture.child<QPushButton>(u"cmdClear(5)"_s)->click();
    QCOMPARE(readFile(fixture.home.filePath(u"Remembered.txt"_s)), "b.net\r\nh4.com\r\n"_ba);
    saved->show();
    QVERIFY(QTest::qWaitForWindowExposed(saved));
    saved->setCurrentIndex(saved->model()->index(0, 0));
    emit saved->customContextMenuRequested(saved->visualRect(saved->model()->index(0, 0)).center());
    QMenu *menu = saved->findChild<QMenu *>(u"ListMenu"_s);
    QVERIFY(menu && !menu->findChild<QAction *>(u"mnuListSave"_s));
    menu->findChild<QAction *>(u"mnuListRemove"_s)->trigger();
    menu->close();
    QCOMPARE(readFile(fixture.home.filePath(u"Remembered.txt"_s)), "h4.com\r\n"_ba);
    window.saveNames({u"h0.com"_s, u"h1.com"_s, u"h4.com"_s});

    // Clearing the saved list asks first, naming what it removes.
    fixture.child<QAction>(u"mnuEditItem(5)"_s)->trigger();
    QCOMPARE(window.list(ResultList::Saved)->model()->rowCount(), 3);
    QCOMPARE(fixture.prompt.messages.at(0).text, u"Remove all 3 names from Saved Domains?"_s);
    QCOMPARE(fixture.prompt.messages.size(), 1);
    QCOMPARE(fixture.prompt.messages.at(0).buttons, Prompt::Buttons::YesNo);
    QCOMPARE(fixture.prompt.messages.at(0).title, u"Vantrel"_s);
    fixture.prompt.answers.enqueue(Prompt::Answer::Yes);
    fixture.child<QPushButton>(u"cmdClear2(5)"_s)->click();
    QCOMPARE(window.list(ResultList::Saved)->model()->rowCount(), 0);
    fixture.child<QPushButton>(u"cmdClear2(5)"_s)->click(); // nothing left to ask about
    QCOMPARE(fixture.prompt.messages.size(), 2);
    QCOMPARE(readFile(fixture.home.filePath(u"Remembered.txt"_s)), QByteArray());
    fixture.form.reset();
    fixture.window().startUp();
    QCOMPARE(fixture.window().list(ResultList::Saved)->model()->rowCount(), 0);
}

void TestMainWindow::foreignTextIsNotDropped()
{
    WindowFixture fixture;
    MainWindow &window = fixture.window();
    QSignalSpy dropped(window.list(ResultList::Saved), &DomainListView::payloadDropped);
    QMimeData mime;
    mime.setText(u"0|1"_s);
    QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(window.list(ResultList::Saved)->viewport(), &drop);
    QCOMPARE(dropped.size(), 0);
}

void TestMainWindow::doubleClickOpensPurchaseAddress()
{
    WindowFixture fixture;
    UrlCatcher catcher;
    QDesktopServices::setUrlHandler(u"https"_s, &catcher, "open");
    MainWindow &window = fixture.window();
    window.session().results().file({0, u"taken.com"_s, QString(), LookupResult::Kind::Registered});
    DomainListView *list = window.list(ResultList::Registered);
    const QPoint point = list->visualRect(list->model()->index(0, 0)).center();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, point);
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, point);
    QDesktopServices::unsetUrlHandler(u"https"_s);
    QCOMPARE(catcher.urls,
             QList<QUrl>{QUrl(u"https://registrar.example/gdshop/registrar/search.asp?domaintocheck=taken.com"_s)});
    QCOMPARE(fixture.context.selectedDomain, u"taken.com"_s);
}

void TestMainWindow::startNumberGuardAndSearchButton()
{
    WindowFixture fixture;
    fixture.window().startUp();
    fixture.child<QAction>(u"mnuToolsItem(5)"_s)->trigger(); // All Two Letter
    QLineEdit *start = fixture.child<QLineEdit>(u"txtWordNum"_s);
    QCOMPARE(fixture.child<QLineEdit>(u"txtWordMax"_s)->text(), u"676"_s);
    QCOMPARE(start->text(), u"1"_s);
    // Any editing is kept as typed; the number is checked when Start is pressed.
    start->selectAll();
    QTest::keyClicks(start, u"-5"_s);
    QCOMPARE(start->text(), u"-5"_s);
    const qsizetype before = fixture.prompt.messages.size();
    for (const QString &typed : {u"-5"_s, u"700"_s, u"abc"_s}) {
        start->setText(typed);
        fixture.child<QPushButton>(u"cmdDoSearch"_s)->click();
        QVERIFY(!fixture.window().searchRun().isRunning());
        QCOMPARE(start->text(), typed);
    }
    QCOMPARE(fixture.prompt.messages.size(), before + 3);
    QVERIFY2(fixture.prompt.messages.last().text.contains(u"from 1 to 676"_s),
             qPrintable(fixture.prompt.messages.last().text));

    fixture.child<QAction>(u"mnuToolsItem(3)"_s)->trigger(); // Google Search
    QPushButton *search = fixture.child<QPushButton>(u"cmdCreate"_s);
    QVERIFY(!search->isEnabled());
    fixture.child<QLineEdit>(u"txtsearch"_s)->setText(u"d"_s);
    QVERIFY(search->isEnabled());
    QVERIFY(fixture.child<QLineEdit>(u"txtsearch"_s)->isVisibleTo(&fixture.window()));
    QVERIFY(!start->isVisibleTo(&fixture.window()));
}

void TestMainWindow::searchRunEndsByItself()
{
    WindowFixture fixture;
    WhoisTestServer server;
    QVERIFY(server.listen());
    server.setHandler([](QTcpSocket *socket, const QByteArray &query, int) {
        WhoisTestServer::answerAndClose(socket, query == "zy.com" ? "No match" : "Domain Name: x");
    });
    const QByteArray port = QByteArray::number(server.port());
    writeFile(fixture.home.filePath(u"TLDs.txt"_s), "com|127.0.0.1|" + port + "|Enabled|0|No match\r\n");
    MainWindow &window = fixture.window();
    window.startUp();
    fixture.child<QComboBox>(u"Combo1"_s)->setCurrentIndex(5);
    fixture.child<QAction>(u"mnuToolsItem(5)"_s)->trigger();
    fixture.child<QLineEdit>(u"txtWordNum"_s)->setText(u"674"_s);
    QPushButton *start = fixture.child<QPushButton>(u"cmdDoSearch"_s);
    start->click();
    QVERIFY(!start->isEnabled());
    QVERIFY(fixture.child<QPushButton>(u"Command3"_s)->isEnabled());
    QTRY_VERIFY(start->isEnabled());

    QCOMPARE(server.queries, (QList<QByteArray>{"zx.com", "zy.com", "zz.com"}));
    QCOMPARE(fixture.child<QLabel>(u"Label3"_s)->text(), u"High Profile (1)"_s);
    QCOMPARE(fixture.child<QLabel>(u"Label2"_s)->text(), u"Registered (2)"_s);
    QCOMPARE(readFile(fixture.home.filePath(u"SuperHighProfile.txt"_s)), "zy.com\r\n"_ba);
    QCOMPARE(fixture.setting(u"Vantrel"_s, u"TwoWordNum"_s), u"677"_s);
    QVERIFY(!fixture.child<QPushButton>(u"Command3"_s)->isEnabled());
    QCOMPARE(window.findChild<QLabel *>(u"StatusBar1Panel1"_s)->text(), u"Entry Status"_s);
    // However long a busy machine takes over the three names.
    const QString summary = fixture.child<QLabel>(u"StatusNotice"_s)->text();
    QVERIFY2(QRegularExpression(u"^Checked 3 names in 0:0\\d: 1 available, 2 registered, 0 unanswered$"_s)
                 .match(summary)
                 .hasMatch(),
             qPrintable(summary));
    // The list was searched to its end: the next run starts over.
    QCOMPARE(fixture.child<QLineEdit>(u"txtWordNum"_s)->text(), u"1"_s);
}

void TestMainWindow::startUpAndLookupFailuresAreWorded()
{
    WindowFixture fixture;
    writeFile(fixture.home.filePath(u"TLDs.txt"_s), "no table here\r\n");
    MainWindow &window = fixture.window();
    window.startUp();
    // The window goes on without a table and says why in its status bar.
    QCOMPARE(window.findChild<QLabel *>(u"StatusNotice"_s)->text(),
             fixture.home.filePath(u"TLDs.txt"_s) + u" holds no usable TLD line"_s);
    QVERIFY(window.isVisible());

    // A lookup fault opens no box: the notice panel has it, worded, a click away.
    fixture.prompt.messages.clear();
    emit window.searchRun().nameEnded(*fixture.session.admit(u"a.b.zz"_s).unaskable());
    QLabel *notice = window.findChild<QLabel *>(u"StatusNotice"_s);
    QTRY_COMPARE(notice->text(), u"1 lookup fault in this run"_s);
    QVERIFY(fixture.prompt.messages.isEmpty());
    QTest::mouseClick(notice, Qt::LeftButton);
    QCOMPARE(fixture.prompt.messages.size(), 1);
    QVERIFY(fixture.prompt.messages.at(0).text.endsWith(
        u"Error: An error has occurred.\r\nError #: 1\r\nDescription: No registry is known for .zz"_s));
}

void TestMainWindow::shutDownStopsRun()
{
    WindowFixture fixture;
    WhoisTestServer server;
    QVERIFY(server.listen());
    server.setHandler([](QTcpSocket *, const QByteArray &, int) {});
    writeFile(fixture.home.filePath(u"TLDs.txt"_s),
              "com|127.0.0.1|" + QByteArray::number(server.port()) + "|Enabled|0|No match\r\n");
    MainWindow &window = fixture.window();
    window.startUp();
    fixture.child<QAction>(u"mnuToolsItem(5)"_s)->trigger();
    fixture.child<QPushButton>(u"cmdDoSearch"_s)->click();
    QTRY_COMPARE(server.queries.size(), 1);
    QSignalSpy shutDown(&window, &MainWindow::shutDownRequested);
    fixture.child<QAction>(u"mnuFileItem(0)"_s)->trigger();
    QCOMPARE(shutDown.size(), 1);
    QVERIFY(!window.searchRun().isRunning());
}

void TestMainWindow::customListRunShowsResumePositionAfterStop()
{
    WindowFixture fixture;
    WhoisTestServer server;
    QVERIFY(server.listen());
    server.setHandler([](QTcpSocket *socket, const QByteArray &query, int) {
        if (query != "two.com")
            WhoisTestServer::answerAndClose(socket, "Domain Name: x");
    });
    writeFile(fixture.home.filePath(u"TLDs.txt"_s),
              "com|127.0.0.1|" + QByteArray::number(server.port()) + "|Enabled|0|No match\r\n");
    writeFile(fixture.home.filePath(u"mine.txt"_s), "one\r\ntwo\r\nthree\r\n");
    fixture.prompt.fileNames.enqueue(fixture.home.filePath(u"mine.txt"_s));
    MainWindow &window = fixture.window();
    window.startUp();
    fixture.child<QAction>(u"mnuToolsItem(8)"_s)->trigger(); // Custom List
    QCOMPARE(fixture.child<QLineEdit>(u"txtWordMax"_s)->text(), u"3"_s);
    fixture.child<QPushButton>(u"cmdDoSearch"_s)->click();
    QTRY_COMPARE(server.queries.size(), 2);
    fixture.child<QPushButton>(u"Command3"_s)->click();
    QVERIFY(fixture.child<QPushButton>(u"cmdDoSearch"_s)->isEnabled());
    // The first word whose lookup had not ended ("two"), as stored.
    QCOMPARE(fixture.child<QLineEdit>(u"txtWordNum"_s)->text(), u"2"_s);
    QCOMPARE(fixture.setting(u"Vantrel"_s, u"CustWordNum"_s), u"2"_s);
}

// A name that ends without a verdict stays in the window: counted in the
// status bar, and Tools > "Re-run Unanswered Names" asks exactly it again.
void TestMainWindow::unansweredNamesAreCountedAndRerun()
{
    WindowFixture fixture;
    WhoisTestServer server;
    QVERIFY(server.listen());
    bool answerTwo = false;
    server.setHandler([&answerTwo](QTcpSocket *socket, const QByteArray &query, int) {
        if (query == "two.com" && !answerTwo)
            socket->close(); // not a byte: the lookup ends in error
        else
            WhoisTestServer::answerAndClose(socket, "No match");
    });
    writeTableForServer(fixture, server.port());
    writeFile(fixture.home.filePath(u"mine.txt"_s), "one\r\ntwo\r\nthree\r\n");
    fixture.prompt.fileNames.enqueue(fixture.home.filePath(u"mine.txt"_s));
    fixture.settings.setValue(Settings::checkDnsFirst, false);
    MainWindow &window = fixture.window();
    window.startUp();
    fixture.child<QAction>(u"mnuToolsItem(8)"_s)->trigger(); // Custom List
    QPushButton *start = fixture.child<QPushButton>(u"cmdDoSearch"_s);
    start->click();
    QTRY_VERIFY(start->isEnabled());
    QLabel *unanswered = fixture.child<QLabel>(u"lblUnanswered"_s);
    QAction *rerun = fixture.child<QAction>(u"mnuToolsRerun"_s);
    QCOMPARE(unanswered->text(), u"1 unanswered"_s);
    QVERIFY(unanswered->isVisibleTo(&window));
    QVERIFY(rerun->isEnabled());
    QCOMPARE(window.session().results().unanswered().names(), QStringList{u"two.com"_s});
    const QString resume = fixture.setting(u"Vantrel"_s, u"CustWordNum"_s);

    answerTwo = true;
    server.queries.clear();
    rerun->trigger();
    QTRY_VERIFY(start->isEnabled());
    QCOMPARE(server.queries, QList<QByteArray>{"two.com"});
    QVERIFY(fixture.session.results().names(ResultList::High).contains(u"two.com"_s));
    QVERIFY(!unanswered->isVisibleTo(&window));
    QVERIFY(!rerun->isEnabled());
    // The list's resume position is the list's, not the re-run's.
    QCOMPARE(fixture.setting(u"Vantrel"_s, u"CustWordNum"_s), resume);
}

void TestMainWindow::repeatedFaultsShowOneNotice()
{
    WindowFixture fixture;
    writeTableWithoutAnsweringRow(fixture);
    fixture.settings.saveUserSetting(u"Ornisk"_s, u"Settings"_s, u"FirstUse"_s, u"NO"_s);
    // A TLD no registry is known for: every name fails at once, and none
    // reaches a real registry.
    fixture.settings.saveUserSetting(u"Ornisk"_s, u"Settings"_s, u"DefaultExt"_s, u".zz"_s);
    MainWindow &window = fixture.window();
    window.startUp();
    fixture.child<QAction>(u"mnuToolsItem(5)"_s)->trigger(); // All Two Letter
    fixture.child<QPushButton>(u"cmdDoSearch"_s)->click();
    QVERIFY(fixture.child<QProgressBar>(u"RunProgress"_s)->isVisibleTo(&window));

    // Such names end at once, so the run is over before anyone could stop it:
    // its summary counts them, and the faults are still a click away.
    QTRY_VERIFY(!window.searchRun().isRunning());
    QLabel *notice = fixture.child<QLabel>(u"StatusNotice"_s);
    QVERIFY2(notice->text().endsWith(u"676 unanswered"_s), qPrintable(notice->text()));
    QVERIFY(notice->toolTip().contains(u"No registry is known for .zz"_s));
    // No box holds the run; the fault is a click away.
    QVERIFY(fixture.prompt.messages.isEmpty());
    QTest::mouseClick(notice, Qt::LeftButton);
    QCOMPARE(fixture.prompt.messages.size(), 1);
    QVERIFY(fixture.prompt.messages.at(0).text.contains(u"No registry is known for .zz"_s));

    QVERIFY(!fixture.child<QProgressBar>(u"RunProgress"_s)->isVisibleTo(&window));
    QVERIFY2(notice->text().startsWith(u"Checked 676 names"_s), qPrintable(notice->text()));
    QCOMPARE(fixture.setting(u"Vantrel"_s, u"TwoWordNum"_s), u"677"_s);
}

void TestMainWindow::pickingAnotherTypeStopsTheRun()
{
    WindowFixture fixture;
    WhoisTestServer server;
    QVERIFY(server.listen());
    server.setHandler(
        [](QTcpSocket *socket, const QByteArray &, int) { WhoisTestServer::answerAndClose(socket, "Domain Name: x"); });
    writeTableForServer(fixture, server.port());
    MainWindow &window = fixture.window();
    window.startUp();
    fixture.child<QAction>(u"mnuToolsItem(5)"_s)->trigger(); // All Two Letter
    fixture.child<QPushButton>(u"cmdDoSearch"_s)->click();
    QTRY_VERIFY(server.queries.size() >= 3);

    fixture.child<QAction>(u"mnuToolsItem(6)"_s)->trigger(); // All Three Letter
    QVERIFY(!window.searchRun().isRunning());
    const QString twoLetterPosition = fixture.setting(u"Vantrel"_s, u"TwoWordNum"_s);
    QVERIFY(twoLetterPosition.toInt() > 3);
    const qsizetype asked = server.queries.size();
    QTest::qWait(100);
    QVERIFY(server.queries.size() <= asked + 1); // one query may still be on its way
    QVERIFY(!server.queries.contains("aaa.com"));
    QCOMPARE(fixture.setting(u"Vantrel"_s, u"TwoWordNum"_s), twoLetterPosition);
    QVERIFY(fixture.setting(u"Vantrel"_s, u"ThreeWordNum"_s).isEmpty());
    QCOMPARE(fixture.child<QComboBox>(u"Combo1"_s)->currentText(), u"All Three Letter"_s);
    QCOMPARE(fixture.child<QLineEdit>(u"txtWordMax"_s)->text(), u"17576"_s);
    QVERIFY(fixture.child<QPushButton>(u"cmdDoSearch"_s)->isEnabled());
    QVERIFY(!fixture.child<QPushButton>(u"Command3"_s)->isEnabled());
    QVERIFY(fixture.child<QComboBox>(u"Combo1"_s)->isEnabled());
}

void TestMainWindow::startNeedsAList()
{
    WindowFixture fixture;
    MainWindow &window = fixture.window();
    window.startUp();
    QPushButton *start = fixture.child<QPushButton>(u"cmdDoSearch"_s);
    QVERIFY(!start->isEnabled()); // no search type yet
    window.startSearch();
    QVERIFY(!window.searchRun().isRunning());

    fixture.child<QAction>(u"mnuToolsItem(8)"_s)->trigger(); // Custom List, dialog cancelled
    QVERIFY(!start->isEnabled());
    fixture.child<QAction>(u"mnuToolsItem(4)"_s)->trigger(); // Full Word List
    QVERIFY(start->isEnabled());
    fixture.child<QAction>(u"mnuToolsItem(8)"_s)->trigger();
    QVERIFY(!start->isEnabled());
    window.stopSearch(); // Stop with nothing running keeps it so
    QVERIFY(!start->isEnabled());
    for (const ScriptedPrompt::Message &message : std::as_const(fixture.prompt.messages))
        QVERIFY2(!message.text.contains(u"not found"_s), qPrintable(message.text));
}

// A program folder that cannot be made: a box says so before the first-use
// box, and Start's tooltip says why it stays off.
void TestMainWindow::unusableFolderIsExplained()
{
    WindowFixture fixture(u"plain/program"_s);
    writeFile(fixture.home.filePath(u"plain"_s), "a file where the folder should be\r\n");
    MainWindow &window = fixture.window();
    window.startUp();
    QCOMPARE(fixture.prompt.messages.size(), 2);
    const QString text = fixture.prompt.messages.at(0).text;
    QVERIFY2(text.contains(u"cannot use its program folder"_s) && text.contains(fixture.folder), qPrintable(text));
    QCOMPARE(fixture.prompt.messages.at(0).icon, Prompt::Icon::Warning);
    QVERIFY(fixture.prompt.messages.at(1).text.startsWith(u"Since this is your first time"_s));

    QPushButton *start = fixture.child<QPushButton>(u"cmdDoSearch"_s);
    fixture.child<QAction>(u"mnuToolsItem(5)"_s)->trigger(); // All Two Letter: its list could not be installed
    QVERIFY(!start->isEnabled());
    QVERIFY2(start->toolTip().startsWith(u"Start is off: the program folder"_s), qPrintable(start->toolTip()));
}

// Nothing in TLDs.txt widens the window; the box starts on the TLD last
// chosen, else the default extension, and the search type comes back too.
void TestMainWindow::tldBoxKeepsItsWidthAndTheLastChoices()
{
    WindowFixture fixture;
    fixture.settings.saveUserSetting(u"Ornisk"_s, u"Settings"_s, u"FirstUse"_s, u"NO"_s);
    const QByteArray rows = "biz|b.example|43|Enabled|0|x\r\ncom|c.example|43|Enabled|0|x\r\n";
    writeFile(fixture.home.filePath(u"TLDs.txt"_s), rows);
    MainWindow &window = fixture.window();
    window.startUp();
    QComboBox *tlds = fixture.child<QComboBox>(u"cmbTLDs"_s);
    QCOMPARE(tlds->currentText(), u"com"_s); // the default extension, not the first row
    const int boxWidth = tlds->width();
    const int windowWidth = window.minimumWidth();

    const QByteArray longTld(200, 'x');
    writeFile(fixture.home.filePath(u"TLDs.txt"_s),
              rows + longTld + "|l.example|43|Enabled|0|x\r\n" + QByteArray(5000, 'y') + "|g|43|Enabled|0|x\r\n");
    window.loadTLDs();
    QCoreApplication::processEvents(); // the layouts take the new contents
    QCOMPARE(tlds->count(), 4);
    QCOMPARE(tlds->itemData(2, Qt::ToolTipRole).toString(), QString::fromLatin1(longTld));
    QTest::keyClick(tlds, Qt::Key_Down); // com -> the long one, as a user picks it
    QCOMPARE(tlds->toolTip(), QString::fromLatin1(longTld));
    QCOMPARE(window.session().chosenTlds(), QStringList{QString::fromLatin1(longTld)});
    QCOMPARE(tlds->width(), boxWidth);
    QCOMPARE(window.minimumWidth(), windowWidth);
    fixture.child<QAction>(u"mnuToolsItem(5)"_s)->trigger(); // All Two Letter

    fixture.form.reset();
    fixture.window().startUp();
    QCOMPARE(fixture.child<QComboBox>(u"cmbTLDs"_s)->currentText(), QString::fromLatin1(longTld));
    QCOMPARE(fixture.child<QComboBox>(u"Combo1"_s)->currentText(), u"All Two Letter"_s);
    QCOMPARE(fixture.child<QLineEdit>(u"txtWordMax"_s)->text(), u"676"_s);
    QVERIFY(fixture.child<QPushButton>(u"cmdDoSearch"_s)->isEnabled());
}

// Ticked beside the box, net and org are checked with com; the summary
// counts names and words, and the ticks come back at the next start.
void TestMainWindow::tickedTldsJoinTheRun()
{
    WindowFixture fixture;
    WhoisTestServer server;
    QVERIFY(server.listen());
    server.setReply("Domain Name: x");
    QByteArray rows;
    for (const char *tld : {"com", "net", "org"})
        rows += tld + "|127.0.0.1|"_ba + QByteArray::number(server.port()) + "|Enabled|0|No match\r\n";
    writeFile(fixture.home.filePath(u"TLDs.txt"_s), rows);
    MainWindow &window = fixture.window();
    window.startUp();
    QListView *choices = fixture.child<QListView>(u"lstTLDsView"_s);
    for (int row : {1, 2}) { // net and org, as the keyboard ticks them
        choices->setCurrentIndex(choices->model()->index(row, 0));
        QTest::keyClick(choices, Qt::Key_Space);
    }
    fixture.child<QAction>(u"mnuToolsItem(5)"_s)->trigger(); // All Two Letter
    fixture.child<QLineEdit>(u"txtWordNum"_s)->setText(u"675"_s);
    QPushButton *start = fixture.child<QPushButton>(u"cmdDoSearch"_s);
    start->click();
    QTRY_VERIFY(start->isEnabled());

    QStringList asked;
    for (const QByteArray &query : std::as_const(server.queries))
        asked << QString::fromLatin1(query);
    asked.sort();
    QCOMPARE(asked, (QStringList{u"zy.com"_s, u"zy.net"_s, u"zy.org"_s, u"zz.com"_s, u"zz.net"_s, u"zz.org"_s}));
    QCOMPARE(fixture.child<QLabel>(u"StatusNotice"_s)->text(),
             u"Checked 6 names in 0:00: 0 available, 6 registered, 0 unanswered (2 words in com, net, org)"_s);
    QCOMPARE(fixture.setting(u"Vantrel"_s, u"TwoWordNum"_s), u"677"_s);

    fixture.form.reset();
    fixture.window().startUp();
    QCOMPARE(fixture.child<TldChecklist>(u"lstTLDs"_s)->choices().runTlds(),
             (QStringList{u"com"_s, u"net"_s, u"org"_s}));
}

void TestMainWindow::exportResultsThroughSaveDialog()
{
    WindowFixture fixture;
    WhoisTestServer server;
    QVERIFY(server.listen());
    server.setHandler([](QTcpSocket *socket, const QByteArray &query, int) {
        WhoisTestServer::answerAndClose(socket, query == "zy.com" ? "No match" : "Domain Name: x");
    });
    writeTableForServer(fixture, server.port());
    MainWindow &window = fixture.window();
    window.startUp();
    fixture.child<QAction>(u"mnuToolsItem(5)"_s)->trigger();
    fixture.child<QLineEdit>(u"txtWordNum"_s)->setText(u"675"_s);
    fixture.child<QPushButton>(u"cmdDoSearch"_s)->click();
    QTRY_VERIFY(fixture.child<QPushButton>(u"cmdDoSearch"_s)->isEnabled());

    const QString path = fixture.home.filePath(u"out.csv"_s);
    fixture.prompt.fileNames.enqueue(path);
    fixture.child<QAction>(u"mnuFileExport"_s)->trigger();
    const QList<QByteArray> lines = readFile(path).split('\n');
    QCOMPARE(lines.size(), 4); // header, two names, the end
    QCOMPARE(lines.at(0), "name,list,verdict,server,checked-at,reason\r"_ba);
    QVERIFY(lines.at(1).startsWith("zy.com,High Profile,available,127.0.0.1,20"));
    QVERIFY(lines.at(2).startsWith("zz.com,Registered,registered,127.0.0.1,20"));
    QVERIFY(QDateTime::fromString(QString::fromLatin1(lines.at(2).split(',').at(4)), Qt::ISODate).isValid());

    // Cancelled: no file; a failed write: a box with the product name.
    QFile::remove(path);
    fixture.child<QAction>(u"mnuFileExport"_s)->trigger();
    QVERIFY(!QFile::exists(path));
    const qsizetype before = fixture.prompt.messages.size();
    fixture.prompt.fileNames.enqueue(fixture.home.filePath(u"no/such/folder/out.csv"_s));
    fixture.child<QAction>(u"mnuFileExport"_s)->trigger();
    QCOMPARE(fixture.prompt.messages.size(), before + 1);
    QCOMPARE(fixture.prompt.messages.last().title, u"Vantrel"_s);
}

void TestMainWindow::listMenuAndKeys()
{
    WindowFixture fixture;
    UrlCatcher catcher;
    QDesktopServices::setUrlHandler(u"https"_s, &catcher, "open");
    MainWindow &window = fixture.window();
    window.show();
    ResultLists &results = window.session().results();
    for (const QString &name : {u"a1.com"_s, u"a2.com"_s, u"a3.com"_s})
        results.file({0, name, QString(), LookupResult::Kind::Available});
    DomainListView *high = window.list(ResultList::High);
    high->selectionModel()->select(high->model()->index(2, 0), QItemSelectionModel::Select);
    high->selectionModel()->select(high->model()->index(0, 0), QItemSelectionModel::Select);

    QTest::keyClick(high, Qt::Key_C, Qt::ControlModifier);
    QCOMPARE(QApplication::clipboard()->text(), u"a1.com\r\na3.com\r\n"_s);
    QTest::keyClick(high, Qt::Key_Insert);
    QCOMPARE(readFile(fixture.home.filePath(u"Remembered.txt"_s)), "a1.com\r\na3.com\r\n"_ba);

    // The menu on a right-clicked name: WHOIS and Purchase act on that name.
    auto menuAction = [&](const QString &name) {
        const QPoint point = high->visualRect(high->model()->index(1, 0)).center();
        emit high->customContextMenuRequested(point);
        auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget());
        QAction *action = menu ? menu->findChild<QAction *>(name) : nullptr;
        if (action)
            action->trigger();
        if (menu)
            menu->close();
        return action != nullptr;
    };
    QSignalSpy whois(&window, &MainWindow::whoisWindowRequested);
    QVERIFY(menuAction(u"mnuListWhois"_s));
    QCOMPARE(whois.size(), 1);
    QCOMPARE(whois.at(0).at(0).toString(), u"a2.com"_s);
    QCOMPARE(fixture.context.selectedDomain, u"a2.com"_s);
    QVERIFY(menuAction(u"mnuListPurchase"_s));
    QDesktopServices::unsetUrlHandler(u"https"_s);
    QCOMPARE(catcher.urls.size(), 1);
    QVERIFY(catcher.urls.at(0).toString().endsWith(u"domaintocheck=a2.com"_s));
    // Right-clicking an unselected name selects it: Save saves it alone.
    QVERIFY(menuAction(u"mnuListSave"_s));
    QCOMPARE(readFile(fixture.home.filePath(u"Remembered.txt"_s)), "a1.com\r\na3.com\r\na2.com\r\n"_ba);
    QVERIFY(menuAction(u"mnuListCopy"_s));
    QCOMPARE(QApplication::clipboard()->text(), u"a2.com\r\n"_s);

    // The saved list itself offers no "Save to Saved Domains".
    emit window.list(ResultList::Saved)->customContextMenuRequested(QPoint(2, 2));
    auto *savedMenu = qobject_cast<QMenu *>(QApplication::activePopupWidget());
    QVERIFY(savedMenu);
    QVERIFY(!savedMenu->findChild<QAction *>(u"mnuListSave"_s));
    savedMenu->close();
}

void TestMainWindow::listFollowsNewestUnlessScrolledUp()
{
    WindowFixture fixture;
    MainWindow &window = fixture.window();
    window.resize(1024, 768);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    ResultLists &results = window.session().results();
    DomainListView *registered = window.list(ResultList::Registered);
    QScrollBar *bar = registered->verticalScrollBar();
    for (int i = 0; i < 80; ++i)
        results.file({0, u"taken%1.com"_s.arg(i), QString(), LookupResult::Kind::Registered});
    QVERIFY(bar->maximum() > 0);
    QCOMPARE(bar->value(), bar->maximum());

    bar->setValue(0);
    results.file({0, u"later.com"_s, QString(), LookupResult::Kind::Registered});
    QCoreApplication::processEvents();
    QCOMPARE(bar->value(), 0);

    bar->setValue(bar->maximum());
    results.file({0, u"latest.com"_s, QString(), LookupResult::Kind::Registered});
    QCoreApplication::processEvents();
    QCOMPARE(bar->value(), bar->maximum());
    QVERIFY(registered->viewport()->rect().contains(
        registered->visualRect(registered->model()->index(registered->model()->rowCount() - 1, 0)).center()));
}

void TestMainWindow::nothingClips_data()
{
    QTest::addColumn<int>("searchType");
    QTest::addColumn<QSize>("size"); // empty: the window's own minimum
    QTest::newRow("word range, minimum") << 5 << QSize();
    QTest::newRow("internet search, minimum") << 3 << QSize();
    QTest::newRow("word range, 1024x768") << 5 << QSize(1024, 768);
    QTest::newRow("internet search, 1024x768") << 3 << QSize(1024, 768);
}

void TestMainWindow::nothingClips()
{
    QFETCH(int, searchType);
    QFETCH(QSize, size);
    WindowFixture fixture;
    MainWindow &window = fixture.window();
    window.startUp();
    fixture.child<QAction>(u"mnuToolsItem(%1)"_s.arg(searchType))->trigger();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    window.showNormal();
    window.resize(size.isEmpty() ? QSize(200, 200) : size);
    QCoreApplication::processEvents();
    if (size.isEmpty())
        QCOMPARE(window.size(), window.minimumSize());
    QVERIFY(window.width() <= 1024 && window.height() <= 768);

    auto *searchFrame = fixture.child<QGroupBox>(u"Frame1"_s);
    QVERIFY(searchFrame->width() >= searchFrame->minimumSizeHint().width());
    QVERIFY(searchFrame->geometry().right() < window.centralWidget()->width());
    const QList<QWidget *> controls = searchFrame->findChildren<QWidget *>();
    for (QWidget *control : controls) {
        if (!control->isVisibleTo(&window))
            continue;
        QVERIFY2(control->width() >= control->minimumSizeHint().width(), qPrintable(control->objectName()));
    }
    for (const ResultListRow &row : resultListTable) {
        const int number = row.number;
        for (const char *name : {"cmdCopy", "cmdClear", "cmdClear2"}) {
            auto *button = fixture.child<QPushButton>(u"%1(%2)"_s.arg(QLatin1String(name)).arg(number));
            QVERIFY2(button->width() >= button->fontMetrics().horizontalAdvance(button->text()) + 8,
                     qPrintable(button->objectName()));
            QVERIFY(button->geometry().right() < fixture.child<QGroupBox>(u"Frame2"_s)->width());
            QVERIFY(button->geometry().bottom() < fixture.child<QGroupBox>(u"Frame2"_s)->height());
        }
        QVERIFY(window.list(row.list)->height() >= 3 * window.list(row.list)->fontMetrics().height());
    }
}

void TestMainWindow::searchRowReadsInOrder()
{
    WindowFixture fixture;
    MainWindow &window = fixture.window();
    fixture.child<QAction>(u"mnuToolsItem(2)"_s)->trigger(); // Yahoo Search
    window.resize(1024, 768);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    const QStringList order = {u"SLabel1"_s, u"txtsearch"_s, u"SLabel2"_s, u"Combo2"_s, u"cmdCreate"_s};
    for (qsizetype i = 1; i < order.size(); ++i)
        QVERIFY2(fixture.child<QWidget>(order.at(i - 1))->x() < fixture.child<QWidget>(order.at(i))->x(),
                 qPrintable(order.at(i)));
}

void TestMainWindow::writeFailureLeavesPanelsInView()
{
    WindowFixture fixture;
    MainWindow &window = fixture.window();
    // A notice longer than any screen is wide, before the window shows (as
    // start-up notices come), does not widen the window.
    const int minimumWidth = window.minimumSizeHint().width();
    emit window.session().results().writeFailed(u"Could not write %1"_s.arg(u"/deep"_s.repeated(300)));
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QCOMPARE(window.minimumWidth(), minimumWidth);
    emit window.session().results().writeFailed(u"Could not write HighProfile.txt: Permission denied"_s);
    QCoreApplication::processEvents(); // the status bar makes room for the new notice
    QCOMPARE(fixture.child<QLabel>(u"StatusNotice"_s)->text(), u"Could not write HighProfile.txt: Permission denied"_s);
    QVERIFY(fixture.child<QLabel>(u"StatusNotice"_s)->isVisible());
    for (int panel = 1; panel <= 3; ++panel) {
        QLabel *label = fixture.child<QLabel>(u"StatusBar1Panel%1"_s.arg(panel));
        QVERIFY(label->isVisible());
        QVERIFY(label->width() > label->fontMetrics().horizontalAdvance(label->text()));
    }
}

QTEST_MAIN(TestMainWindow)
#include "TestMainWindow.moc"
