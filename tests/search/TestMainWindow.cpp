#include "search/LookupSession.h"
#include "search/ui/DesktopContext.h"
#include "search/ui/DomainListView.h"
#include "search/ui/MainWindow.h"
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
#include <QMimeData>
#include <QPushButton>
#include <QSettings>
#include <QSignalSpy>
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
    WindowFixture()
        : settings({config.filePath(u"user"_s), config.filePath(u"machine"_s)}, u"vantrel.example"_s, u"Ornisk"_s,
                   prompt)
        , branding(testBranding())
        , session(home.path(), settings, branding, 1, PoolTimings{50, 10, 30})
        , context(home.path(), branding, settings, prompt, session)
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
    void shutDownStopsRun();
    void customListRunShowsResumePositionAfterStop();
};

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
    QCOMPARE(fixture.child<QComboBox>(u"Combo1"_s)->count(), 9);
    QCOMPARE(fixture.child<QComboBox>(u"Combo1"_s)->itemText(8), u"Custom List"_s);
    QCOMPARE(fixture.child<QPushButton>(u"cmdDoSearch"_s)->toolTip(), u"Click here to start searching your list."_s);
    QCOMPARE(fixture.child<QLabel>(u"Label5"_s)->text(), u"Saved Domains"_s);
    QCOMPARE(fixture.child<QAction>(u"mnuEditItem(9)"_s)->text(), u"Copy Saved"_s);
    QCOMPARE(fixture.child<QAction>(u"mnuAboutItem(0)"_s)->text(), u"About this software"_s);
}

void TestMainWindow::firstAndSecondStart()
{
    WindowFixture fixture;
    QSignalSpy help(&fixture.window(), &MainWindow::helpRequested);
    fixture.window().startUp();

    for (const QString &file : {u"BrowserSearch.txt"_s, u"Appends.txt"_s, u"CreatedDomains.txt"_s, u"Remembered.txt"_s})
        QCOMPARE(readFile(fixture.home.filePath(file)), "\r\n"_ba);
    for (const QString &folder : {u"backups"_s, u"overflow"_s, u"wordlists"_s, u"searches"_s})
        QVERIFY(QDir(fixture.home.filePath(folder)).exists());
    QVERIFY(QFile::exists(fixture.home.filePath(u"TLDs.txt"_s)));
    QCOMPARE(fixture.session.lookup().tldTable.size(), 179);
    QCOMPARE(help.size(), 1);
    QCOMPARE(fixture.prompt.messages.size(), 1);
    QVERIFY(fixture.prompt.messages.at(0).text.startsWith(u"Since this is your first time"_s));
    QCOMPARE(fixture.setting(u"Ornisk"_s, u"FirstUse"_s), u"NO"_s);
    QCOMPARE(fixture.setting(u"Ornisk"_s, u"showHelp"_s), u"0"_s);
    QCOMPARE(fixture.window().windowTitle(), u"Ornisk by vantrel.example"_s);
    QVERIFY(fixture.child<QPushButton>(u"cmdWebsite"_s)->text().startsWith(u"Visit "_s));

    // cmbTLDs was filled before the table existed, as on any first start.
    QCOMPARE(fixture.child<QComboBox>(u"cmbTLDs"_s)->count(), 0);

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
        results.fileAvailable(name);
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
    MainWindow &window = fixture.window();
    window.startUp();
    QCOMPARE(window.list(ResultList::Saved)->model()->rowCount(), 2);

    ResultLists &results = window.session().results();
    for (const QString &name : {u"h0.com"_s, u"h1.com"_s, u"h2.com"_s, u"h3.com"_s, u"h4.com"_s})
        results.fileAvailable(name);
    DomainListView *high = window.list(ResultList::High);
    QTest::mouseClick(high->viewport(), Qt::LeftButton, {}, high->visualRect(high->model()->index(0, 0)).center());
    for (int row : {3, 4})
        high->selectionModel()->select(high->model()->index(row, 0), QItemSelectionModel::Select);
    QCOMPARE(high->selectedRowsPayload(), u"0|3|4"_s);

    window.dropOnSavedList(high->selectedRowsPayload());
    window.dropOnSavedList(u"3|x|99|-1"_s);
    QCOMPARE(readFile(fixture.home.filePath(u"Remembered.txt"_s)),
             "a.com\r\nb.net\r\nh0.com\r\nh3.com\r\nh4.com\r\nh3.com\r\n"_ba);

    // Clearing the saved list does not rewrite the file.
    fixture.child<QAction>(u"mnuEditItem(5)"_s)->trigger();
    QCOMPARE(window.list(ResultList::Saved)->model()->rowCount(), 0);
    QCOMPARE(readFile(fixture.home.filePath(u"Remembered.txt"_s)).count("\r\n"), 6);
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
    window.session().results().fileRegistered(u"taken.com"_s);
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
    start->setText(u"676"_s);
    QCOMPARE(start->text(), u"676"_s);
    start->setText(u"677"_s);
    QCOMPARE(start->text(), u"1"_s);
    start->setText(u"abc"_s);
    QCOMPARE(start->text(), u"1"_s);

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
    QVERIFY(!window.session().loop().isRunning());
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

QTEST_MAIN(TestMainWindow)
#include "TestMainWindow.moc"
