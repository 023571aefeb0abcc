#include "base/ui/Skin.h"
#include "base/ui/SkinLabel.h"
#include "base/ui/Skinner.h"
#include "core/LookupContext.h"
#include "core/RegistrarBlockedNotice.h"
#include "core/ResultLists.h"
#include "harvest/ListBuilder.h"
#include "harvest/ui/BrowseWindow.h"
#include "search/PacedRun.h"
#include "tests/harvest/HarvestPages.h"
#include "tests/support/HttpTestServer.h"
#include "tests/support/TestFiles.h"
#include "tests/support/TestSession.h"
#include "tests/support/WaitUntil.h"
#include "tests/support/WhoisTestServer.h"

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QDesktopServices>
#include <QDir>
#include <QEventLoop>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QNetworkProxy>
#include <QPointer>
#include <QPushButton>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QStatusBar>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QWebEngineView>

#include <algorithm>
#include <functional>

using namespace Qt::StringLiterals;

namespace {

QByteArray page(const QByteArray &title, const QByteArray &body)
{
    return "<html><head><title>" + title + "</title></head><body>" + body + "</body></html>";
}

} // namespace

// Catches the addresses the program hands to the desktop.
class UrlCatcher : public QObject
{
    Q_OBJECT

public:
    QList<QUrl> opened;

public slots:
    void open(const QUrl &url) { opened << url; }
};

class TestBrowseWindow : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void controlsAndWindowLoad();
    void browsedNamesAreCheckedAndFiled();
    void framePagesAreChecked();
    void refusingAndSilentServers();
    void listCommands();
    void doubleClick();
    void marketplaceAndCacheButtons();
    void unloadDeletesTheList();
    void skinnedWindow();
    void addressBoxKeysNavigate();
    void relativeFramesAndIframes();
    void failedLoadIsReported();
    void listBuilderRunWhileOpen();
    void sameNamesAsTheExtractCommand_data();
    void sameNamesAsTheExtractCommand();

private:
    BrowseWindow *openForm(const Skinner *skinner = nullptr);
    QUrl local(const char *path) const;
    void browse(const char *path);
    bool checkedAll(qint32 names) const;
    QString listPath() const { return browsedNamesPath(m_folder->path()); }
    template <typename Widget>
    Widget *child(const QString &name) const
    {
        return m_form->findChild<Widget *>(name);
    }
    QString panel(int number) const { return child<QLabel>(u"StatusBar1Panel%1"_s.arg(number))->text(); }
    QStringList names(int list) const
    {
        return (list == 1 ? m_form->checker().unregisteredList() : m_form->checker().registeredList()).names();
    }

    HttpTestServer m_web;
    QHash<QByteArray, QByteArray> m_pages;
    WhoisTestServer m_com;
    WhoisTestServer m_net;
    QList<QByteArray> m_queries;

    std::unique_ptr<QTemporaryDir> m_folder;
    QList<TldEntry> m_tlds;
    std::unique_ptr<TestSession> m_engine;
    QString m_selected;
    Branding m_branding;
    QPointer<BrowseWindow> m_form;
};

void TestBrowseWindow::initTestCase()
{
    QVERIFY(m_web.listen());
    // Pages of other hosts (the frames) come from the same server acting as
    // the browser's proxy; the browser reaches 127.0.0.1 directly.
    QNetworkProxy::setApplicationProxy(QNetworkProxy(QNetworkProxy::HttpProxy, u"127.0.0.1"_s, m_web.port()));
    m_pages = {
        {"/start.html", page("Start", "Welcome")},
        {"/links.html", page("Links", "<a href=\"http://www.freeone.com/\">First</a> <p>Visit taken.com today</p> "
                                      "<a href=\"mailto:info@mailfree.net\">mail</a> "
                                      "<a href=\"http://www.longtaken.net/\">x</a>")},
        {"/frames.html", "<html><head><title>Frames</title></head><frameset cols=\"50%,50%\">"
                         "<frame src=\"http://www.example.com/menu.html\" name=\"menu\">"
                         "<frame src=\"http://www.example.com/main.html\" name=\"main\"></frameset></html>"},
        {"http://www.example.com/menu.html", page("Menu", "<a href=\"http://www.framefree.com/\">x</a>")},
        {"http://www.example.com/main.html", page("Main", "<p>see framed-taken.net today</p>")},
        {"/trouble.html", page("Trouble", "<a href=\"http://www.quota.com/\">q</a> <a href=\"http://www.silent.net/\">"
                                          "s</a> <a href=\"http://www.afterfree.com/\">a</a>")},
        {"/index.php?ref_id=R1", page("Afternic", "")},
        {"/main.php3?language=us&partnerid=P2", page("Sedo", "")},
        {"/dmoz/", page("DMOZ", "<a href=\"http://www.dmozfree.com/\">d</a>")},
        {"/second.html", page("Second", "<p>Nothing here</p>")},
        {"/sub/relative.html", "<html><head><title>Relative</title></head><frameset cols=\"50%,50%\">"
                               "<frame src=\"left.html\"><frame src=\"/right.html\"></frameset></html>"},
        {"/sub/left.html", page("Left", "<p>leftfree.com</p>")},
        {"/right.html", page("Right", "<p>right-taken.net</p>")},
        {"/inline.html", page("Inline", "<p>outerfree.com</p><iframe src=\"inner/box.html\"></iframe>")},
        {"/inner/box.html", page("Box", "<p>innerfree.net and boxed-taken.com</p>")},
        {"/search/dir?h=s&xargs=0&p=lamps&b=1",
         page("Results", "<a href=\"https://www.builtfree.com/\">b</a> <a href=\"https://www.builttaken.net/\">c</a>")},
        {"/later.html", page("Later", "<p>laterfree.com</p>")},
    };
    m_web.setHandler([this](QTcpSocket *socket, const HttpTestServer::Request &request) {
        const auto found = m_pages.constFind(request.target);
        if (found == m_pages.constEnd())
            HttpTestServer::reply(socket, "missing", "404 Not Found");
        else
            HttpTestServer::reply(socket, *found);
    });

    // Names with "free" are available; "quota" is refused, "silent" never answered.
    const auto answer = [this](QTcpSocket *socket, const QByteArray &query, int) {
        m_queries << query;
        if (query.contains("silent"))
            return;
        if (query.contains("quota"))
            WhoisTestServer::answerAndClose(socket, "Query quota exceeded\r\n");
        else if (query.contains("free"))
            WhoisTestServer::answerAndClose(socket, "No match for \"" + query.toUpper() + "\".\r\n");
        else
            WhoisTestServer::answerAndClose(socket, "Domain Name: " + query.toUpper() + "\r\n");
    };
    m_com.setHandler(answer);
    m_net.setHandler(answer);
    QVERIFY(m_com.listen());
    QVERIFY(m_net.listen());
    const QString indicators = u"No match,not found"_s;
    // Two registries, each paced on its own.
    m_tlds = QList<TldEntry>({{u"com"_s, u"127.0.0.1"_s, quint16(m_com.port()), true, 0, indicators},
                              {u"net"_s, u"localhost"_s, quint16(m_net.port()), true, 0, indicators},
                              {u"org"_s, u"127.0.0.1"_s, quint16(m_net.port()), false, 0, indicators}});
}

void TestBrowseWindow::init()
{
    m_folder = std::make_unique<QTemporaryDir>();
    QVERIFY(m_folder->isValid());
    QVERIFY(QDir(m_folder->path()).mkpath(u"backups"_s));
    writeFile(listPath(), "left.com\r\nfrom.com\r\nbefore.com\r\n");
    // Short time-outs: a silent registry ends its names in a fraction of a second.
    m_engine = std::make_unique<TestSession>(m_folder->path(), 1, PoolTimings{40, 20, 10});
    m_engine->session.lookup().tldTable.setEntries(m_tlds);
    m_queries.clear();
    m_selected.clear();
    m_branding = Branding();
    m_branding.productName = u"Ornisk"_s;
    m_branding.comments = local("/start.html").toString();
    m_branding.marketplaceHomePages[2] = local("/dmoz/").toString();
    m_branding.marketplaceHomePages[3] = local("/afternic/").toString();
    m_branding.marketplaceHomePages[5] = local("/sedo/").toString();
    m_branding.afternicRefId = u"R1"_s;
    m_branding.sedoPartnerId = u"P2"_s;
}

void TestBrowseWindow::cleanup()
{
    delete m_form;
    m_engine.reset();
}

QUrl TestBrowseWindow::local(const char *path) const
{
    return QUrl(u"http://127.0.0.1:%1%2"_s.arg(m_web.port()).arg(QLatin1String(path)));
}

BrowseWindow *TestBrowseWindow::openForm(const Skinner *skinner)
{
    m_form = new BrowseWindow(m_engine->session, m_branding, m_selected, skinner);
    m_form->show();
    return m_form;
}

void TestBrowseWindow::browse(const char *path)
{
    QComboBox *text1 = child<QComboBox>(u"text1"_s);
    text1->setEditText(local(path).toString());
    QTest::keyClick(text1->lineEdit(), Qt::Key_Return);
}

bool TestBrowseWindow::checkedAll(qint32 names) const
{
    const BrowsedNameChecker &checker = m_form->checker();
    return m_form->pages().counters.totalFound == names && checker.checked() == names && !checker.isChecking();
}

void TestBrowseWindow::controlsAndWindowLoad()
{
    openForm();
    QCOMPARE(m_form->objectName(), u"Form5"_s);
    QCOMPARE(m_form->windowTitle(), u"Browse for Domains"_s);
    QVERIFY(m_form->windowState() & Qt::WindowMaximized);
    // The list an earlier window left is gone as soon as the window loads.
    QVERIFY(!QFile::exists(listPath()));

    const struct
    {
        const char *name;
        const char *caption;
        const char *tooltip;
    } buttons[] = {
        {"Command1", "GO", "Navigate to the current url!"},
        {"cmdBack", "Back", "Go Back"},
        {"cmdFwd", "Forward", "Go Forward"},
        {"cmdHome", "Home", ""},
        {"cmdRefresh", "Refresh", ""},
        {"cmdStop", "Stop", ""},
        {"cmdCopy(1)", "Copy", "Copy List"},
        {"cmdCopy(2)", "Copy", "Copy List"},
        {"cmdClear(1)", "Clear", "Clear List"},
        {"cmdClear(2)", "Clear", "Clear List"},
        {"cmdClear2(1)", "Del", "Delete Selected Item"},
        {"cmdClear2(2)", "Del", "Delete Selected Item"},
        {"Command3", "Clear Cache",
         "If you notice the program has stopped checking domains, please click here to correct the problem"},
        {"cmdStopCheck", "Stop Checking", "Stop checking the names found so far"},
    };
    for (const auto &button : buttons) {
        const QPushButton *widget = child<QPushButton>(QLatin1String(button.name));
        QVERIFY2(widget, button.name);
        QCOMPARE(widget->text(), QLatin1String(button.caption));
        QCOMPARE(widget->toolTip(), QLatin1String(button.tooltip));
    }
    const QStringList markets{u"BuyDomains"_s, u"Google"_s, u"DMOZ"_s,      u"AfterNIC"_s, u"NameJet"_s,
                              u"Sedo"_s,       u"TDNAM"_s,  u"SnapNames"_s, u"DotPound"_s};
    for (int index = 0; index < markets.size(); ++index)
        QCOMPARE(child<QPushButton>(u"Command2(%1)"_s.arg(index))->text(), markets.at(index));
    QCOMPARE(child<QLabel>(u"Label3"_s)->text(), u"URL:"_s);
    QCOMPARE(child<QLabel>(u"Label1"_s)->text(), u"Unregistered:"_s);
    QCOMPARE(child<QLabel>(u"Label2"_s)->text(), u"Registered:"_s);
    QCOMPARE(child<QListView>(u"List1"_s)->toolTip(), u"These domain names have not been registered."_s);
    QVERIFY(child<QComboBox>(u"text1"_s)->isEditable());
    QVERIFY(child<QWebEngineView>(u"WebBrowser1"_s)->isVisible());
    QVERIFY(!child<QWebEngineView>(u"WebBrowser2"_s)->isVisible());
    QCOMPARE(child<QStatusBar>(u"StatusBar1"_s)->findChildren<QLabel *>().size(), 3);

    // The start page has no names.
    QVERIFY(waitUntil([this] { return panel(2) == u"No Domains Found"_s; }));
    QCOMPARE(m_form->windowTitle(), u"Ornisk - Start"_s);
    QCOMPARE(child<QComboBox>(u"text1"_s)->currentText(), m_branding.comments);
    QCOMPARE(readFile(listPath()), "\r\n"_ba);
    QVERIFY(m_queries.isEmpty());
    QVERIFY(panel(1).isEmpty());
    QVERIFY(!child<QPushButton>(u"cmdStopCheck"_s)->isEnabled());

    // The window never gets smaller than 6500 twips either way.
    const int minimum = qRound(6500 * m_form->logicalDpiX() / 1440.0);
    QCOMPARE(m_form->minimumSize(), QSize(minimum, minimum));
}

void TestBrowseWindow::browsedNamesAreCheckedAndFiled()
{
    openForm();
    QVERIFY(waitUntil([this] { return panel(2) == u"No Domains Found"_s; }));
    browse("/links.html");
    QVERIFY(waitUntil([this] { return checkedAll(4); }));

    QCOMPARE(m_queries, (QList<QByteArray>{"freeone.com", "taken.com", "mailfree.net", "longtaken.net"}));
    QCOMPARE(names(1), (QStringList{u"freeone.com"_s, u"mailfree.net"_s}));
    QCOMPARE(names(2), (QStringList{u"taken.com"_s, u"longtaken.net"_s}));
    QCOMPARE(child<QLabel>(u"Label1"_s)->text(), u"Unregistered: (2)"_s);
    QCOMPARE(child<QLabel>(u"Label2"_s)->text(), u"Registered: (2)"_s);
    QCOMPARE(m_engine->session.results().names(ResultList::Mid), QStringList{u"freeone.com"_s});
    QCOMPARE(m_engine->session.results().names(ResultList::Low), QStringList{u"mailfree.net"_s});
    QCOMPARE(m_engine->session.results().names(ResultList::Registered),
             (QStringList{u"taken.com"_s, u"longtaken.net"_s}));
    QCOMPARE(readFile(listPath()), "\r\nfreeone.com\r\ntaken.com\r\nmailfree.net\r\nlongtaken.net\r\n\r\n"_ba);
    // The main window's profile file holds the available name as well.
    QCOMPARE(readFile(m_engine->session.results().profileFilePath(m_folder->path(), ResultList::Mid)),
             "freeone.com\r\n"_ba);

    QCOMPARE(panel(1), u"checked 4 of 4"_s);
    QCOMPARE(panel(2), u"Finished domains on current page"_s);
    QVERIFY(!child<QPushButton>(u"cmdStopCheck"_s)->isEnabled());
    QCOMPARE(m_form->windowTitle(), u"Ornisk - Links"_s);
    QComboBox *text1 = child<QComboBox>(u"text1"_s);
    QCOMPARE(text1->currentText(), local("/links.html").toString());
    QCOMPARE(text1->count(), 1);

    // The same page again brings nothing new.
    child<QPushButton>(u"cmdRefresh"_s)->click();
    QVERIFY(waitUntil([this] { return panel(2) == u"No Domains Found"_s; }));
    QCOMPARE(readFile(listPath()), "\r\nfreeone.com\r\ntaken.com\r\nmailfree.net\r\nlongtaken.net\r\n\r\n\r\n"_ba);

    // Choosing the address from the history goes there again.
    const qsizetype requests = m_web.requests.size();
    text1->setEditText(QString());
    emit text1->activated(0);
    QVERIFY(waitUntil([&] { return m_web.requests.size() > requests; }));
    QCOMPARE(m_web.requests.at(requests).target, "/links.html"_ba);
}

void TestBrowseWindow::framePagesAreChecked()
{
    openForm();
    browse("/frames.html");
    QVERIFY(waitUntil([this] { return checkedAll(2); }));
    QCOMPARE(names(1), QStringList{u"framefree.com"_s});
    QCOMPARE(names(2), QStringList{u"framed-taken.net"_s});
    QCOMPARE(m_queries, (QList<QByteArray>{"framefree.com", "framed-taken.net"}));
    QCOMPARE(child<QWebEngineView>(u"WebBrowser2"_s)->url(), QUrl(u"http://www.example.com/main.html"_s));
    QCOMPARE(m_form->browser()->url(), local("/frames.html"));
}

void TestBrowseWindow::refusingAndSilentServers()
{
    openForm();
    QSignalSpy shown(&m_engine->session.blockedNotice(), &RegistrarBlockedNotice::showRequested);
    browse("/trouble.html");
    QVERIFY(waitUntil([this] { return checkedAll(3); }));
    // The refusal is asked again after a pause; a registry that never
    // answered anything is not.
    QCOMPARE(m_queries.count("quota.com"), PacedRun::maxTries);
    QCOMPARE(m_queries.count("silent.net"), 1);
    QCOMPARE(m_queries.count("afterfree.com"), 1);
    // The time-out and the refusal both show the window; it keeps the first.
    QCOMPARE(shown.size(), 2);
    QCOMPARE(m_engine->session.blockedNotice().registrar(), u"127.0.0.1"_s);
    QCOMPARE(m_engine->session.blockedNotice().response(), u"Connection Timed Out"_s);
    QCOMPARE(names(1), QStringList{u"afterfree.com"_s});
    QVERIFY(names(2).isEmpty());
    QCOMPARE(m_engine->session.results().counter(ResultList::Registered), 0);
}

void TestBrowseWindow::listCommands()
{
    openForm();
    browse("/links.html");
    QVERIFY(waitUntil([this] { return checkedAll(4); }));
    QListView *list1 = child<QListView>(u"List1"_s);
    QListView *list2 = child<QListView>(u"List2"_s);

    child<QPushButton>(u"cmdCopy(1)"_s)->click();
    QCOMPARE(QApplication::clipboard()->text(), u"freeone.com\r\nmailfree.net\r\n"_s);
    child<QPushButton>(u"cmdCopy(2)"_s)->click();
    QCOMPARE(QApplication::clipboard()->text(), u"taken.com\r\nlongtaken.net\r\n"_s);

    // Without a selection "Del" does nothing.
    child<QPushButton>(u"cmdClear2(2)"_s)->click();
    QCOMPARE(names(2).size(), 2);
    list2->setCurrentIndex(list2->model()->index(0, 0));
    child<QPushButton>(u"cmdClear2(2)"_s)->click();
    QCOMPARE(names(2), QStringList{u"longtaken.net"_s});
    QCOMPARE(child<QLabel>(u"Label2"_s)->text(), u"Registered (1)"_s);

    list1->setCurrentIndex(list1->model()->index(1, 0));
    QTest::keyClick(list1, Qt::Key_Delete);
    QCOMPARE(names(1), QStringList{u"freeone.com"_s});
    QCOMPARE(child<QLabel>(u"Label1"_s)->text(), u"Unregistered (1)"_s);

    QTest::keyClick(list2, Qt::Key_Delete, Qt::ShiftModifier);
    QVERIFY(names(2).isEmpty());
    QCOMPARE(child<QLabel>(u"Label2"_s)->text(), u"Registered"_s);

    // Clearing the available names forgets what was seen: the page's names
    // are found and checked again.
    child<QPushButton>(u"cmdClear(1)"_s)->click();
    QVERIFY(names(1).isEmpty());
    QCOMPARE(child<QLabel>(u"Label1"_s)->text(), u"Unregistered"_s);
    QVERIFY(m_form->pages().seenList.isEmpty());
    child<QPushButton>(u"cmdRefresh"_s)->click();
    QVERIFY(waitUntil([this] { return checkedAll(8); }));
    QCOMPARE(m_queries.size(), 8);
    QCOMPARE(names(1), (QStringList{u"freeone.com"_s, u"mailfree.net"_s}));
    QCOMPARE(names(2), (QStringList{u"taken.com"_s, u"longtaken.net"_s}));
    // The caption counts what the list shows, not the program's counters.
    QCOMPARE(child<QLabel>(u"Label1"_s)->text(), u"Unregistered: (2)"_s);
    QCOMPARE(child<QLabel>(u"Label2"_s)->text(), u"Registered: (2)"_s);
}

void TestBrowseWindow::doubleClick()
{
    UrlCatcher catcher;
    QDesktopServices::setUrlHandler(u"https"_s, &catcher, "open");
    const auto unsetHandler = qScopeGuard([] { QDesktopServices::unsetUrlHandler(u"https"_s); });
    openForm();
    browse("/links.html");
    QVERIFY(waitUntil([this] { return checkedAll(4); }));

    QListView *list2 = child<QListView>(u"List2"_s);
    const QPoint second = list2->visualRect(list2->model()->index(1, 0)).center();
    QTest::mouseClick(list2->viewport(), Qt::LeftButton, {}, second);
    QTest::mouseDClick(list2->viewport(), Qt::LeftButton, {}, second);
    QCOMPARE(m_selected, u"longtaken.net"_s);
    QCOMPARE(catcher.opened, QList<QUrl>{QUrl(m_branding.purchaseUrlPrefix + u"longtaken.net"_s)});

    delete m_form;
    m_branding.purchaseOnDoubleClick = false;
    openForm();
    QSignalSpy whois(m_form.data(), &BrowseWindow::whoisWindowRequested);
    browse("/links.html");
    QVERIFY(waitUntil([this] { return checkedAll(4); }));
    QListView *list1 = child<QListView>(u"List1"_s);
    const QPoint first = list1->visualRect(list1->model()->index(0, 0)).center();
    QTest::mouseClick(list1->viewport(), Qt::LeftButton, {}, first);
    QTest::mouseDClick(list1->viewport(), Qt::LeftButton, {}, first);
    QCOMPARE(m_selected, u"freeone.com"_s);
    QCOMPARE(whois.size(), 1);
    QCOMPARE(whois.at(0).at(0).toString(), u"freeone.com"_s);
    QCOMPARE(catcher.opened.size(), 1);
}

void TestBrowseWindow::marketplaceAndCacheButtons()
{
    openForm();
    QVERIFY(waitUntil([this] { return panel(2) == u"No Domains Found"_s; }));
    const struct
    {
        int button;
        const char *target;
        const char *title;
    } markets[] = {{3, "/index.php?ref_id=R1", "Afternic"},
                   {5, "/main.php3?language=us&partnerid=P2", "Sedo"},
                   {2, "/dmoz/", "DMOZ"}};
    // Each button is pressed as soon as the page before it shows its title,
    // often while that page is still loading.
    for (const auto &market : markets) {
        const qsizetype requests = m_web.requests.size();
        child<QPushButton>(u"Command2(%1)"_s.arg(market.button))->click();
        QVERIFY(waitUntil([&] { return m_form->windowTitle() == u"Ornisk - "_s + QLatin1String(market.title); }));
        QCOMPARE(m_web.requests.at(requests).target, QByteArray(market.target));
    }
    QVERIFY(waitUntil([this] { return names(1) == QStringList{u"dmozfree.com"_s} && checkedAll(1); }));

    // Without the list builder's file "Clear Cache" does nothing; with it,
    // the file goes and the page is loaded again.
    const auto dmozRequests = [this] {
        return std::count_if(m_web.requests.cbegin(), m_web.requests.cend(),
                             [](const HttpTestServer::Request &request) { return request.target == "/dmoz/"; });
    };
    const auto before = dmozRequests();
    const QString searchOutput = m_folder->filePath(u"SearchOutput.txt"_s);
    child<QPushButton>(u"Command3"_s)->click();
    QVERIFY(!waitUntil([&] { return dmozRequests() > before; }, 500));
    writeFile(searchOutput, "http://www.stale.com/\r\n");
    child<QPushButton>(u"Command3"_s)->click();
    QVERIFY(!QFile::exists(searchOutput));
    QVERIFY(waitUntil([&] { return dmozRequests() == before + 1; }));
}

void TestBrowseWindow::unloadDeletesTheList()
{
    openForm();
    browse("/trouble.html");
    // Closed while the silent server holds its query.
    QVERIFY(waitUntil([this] { return m_queries.contains("silent.net") && m_form->checker().isChecking(); }));
    QVERIFY(QFile::exists(listPath()));
    const QList<QByteArray> asked = m_queries;
    m_form->close();
    QTRY_VERIFY(m_form.isNull());
    QVERIFY(!QFile::exists(listPath()));
    QTest::qWait(700);
    QVERIFY(m_engine->session.blockedNotice().response() != u"Connection Timed Out"_s);
    QCOMPARE(m_queries, asked);
    const QStringList leftovers = QDir(m_folder->path()).entryList({u"SearchOutput*"_s}, QDir::Files);
    QVERIFY2(leftovers.isEmpty(), qPrintable(leftovers.join(u' ')));
}

void TestBrowseWindow::addressBoxKeysNavigate()
{
    openForm();
    QComboBox *text1 = child<QComboBox>(u"text1"_s);
    // Keys sent to the combo box itself, as a user's keyboard delivers them.
    text1->setFocus();
    text1->setEditText(local("/second.html").toString());
    QTest::keyClick(text1, Qt::Key_Return);
    QVERIFY(waitUntil([this] { return m_form->windowTitle() == u"Ornisk - Second"_s; }));
    text1->setEditText(local("/links.html").toString());
    QTest::keyClick(text1, Qt::Key_Enter, Qt::KeypadModifier);
    QVERIFY(waitUntil([this] { return m_form->windowTitle() == u"Ornisk - Links"_s; }));
    QCOMPARE(text1->count(), 2);
    QCOMPARE(text1->itemText(0), local("/second.html").toString());
    QCOMPARE(m_form->browser()->url(), local("/links.html"));
}

void TestBrowseWindow::relativeFramesAndIframes()
{
    openForm();
    browse("/sub/relative.html");
    QVERIFY(waitUntil([this] { return checkedAll(2); }));
    browse("/inline.html");
    QVERIFY(waitUntil([this] { return checkedAll(5); }));
    QCOMPARE(names(1), (QStringList{u"leftfree.com"_s, u"outerfree.com"_s, u"innerfree.net"_s}));
    QCOMPARE(names(2), (QStringList{u"right-taken.net"_s, u"boxed-taken.com"_s}));
    // The counts are those of the lists.
    QCOMPARE(child<QLabel>(u"Label1"_s)->text(), u"Unregistered: (3)"_s);
    QCOMPARE(child<QLabel>(u"Label2"_s)->text(), u"Registered: (2)"_s);
}

void TestBrowseWindow::failedLoadIsReported()
{
    openForm();
    QVERIFY(waitUntil([this] { return panel(2) == u"No Domains Found"_s; }));
    m_form->navigate(u"http://127.0.0.1:%1/nothing.html"_s.arg(WhoisTestServer::unusedPort()));
    QVERIFY(waitUntil([this] { return panel(2).startsWith(u"Page failed to load: "_s); }));
    QTest::qWait(300);
    QVERIFY2(panel(2).startsWith(u"Page failed to load: "_s), qPrintable(panel(2)));
}

void TestBrowseWindow::listBuilderRunWhileOpen()
{
    openForm();
    browse("/links.html");
    QVERIFY(waitUntil([this] { return checkedAll(4); }));

    // A list-builder run writes BrowserSearch.txt, for the main window's search.
    ListBuilderConfig config;
    config.engines.yahoo = {u"http"_s, u"127.0.0.1"_s, m_web.port(), u"/search/dir"_s};
    config.pauseMs = 0;
    ListBuilder builder(m_folder->path(), m_engine->session.lookup().tldTable,
                        {[] { return u"lamps"_s; }, u"Yahoo Search"_s, 0}, config);
    QSignalSpy finished(&builder, &ListBuilder::finished);
    builder.fetchFirstPage();
    QVERIFY(finished.wait(10000));
    const QByteArray built = "builtfree.com\r\nbuilttaken.net\r\n\r\n";
    QCOMPARE(readFile(m_folder->filePath(u"BrowserSearch.txt"_s)), built);

    // The window goes on checking the names of the pages it shows, and leaves
    // the builder's list alone.
    browse("/later.html");
    QVERIFY(waitUntil([this] { return checkedAll(5); }));
    QCOMPARE(names(1), (QStringList{u"freeone.com"_s, u"mailfree.net"_s, u"laterfree.com"_s}));
    QCOMPARE(readFile(m_folder->filePath(u"BrowserSearch.txt"_s)), built);
    m_form->close();
    QTRY_VERIFY(m_form.isNull());
    QCOMPARE(readFile(m_folder->filePath(u"BrowserSearch.txt"_s)), built);
}

void TestBrowseWindow::skinnedWindow()
{
    const Skin skin(QStringLiteral(VANTREL_SHELL_DATA_DIR "/vantrel.skin"));
    QVERIFY(skin.isLoaded());
    const Skinner skinner(skin);
    openForm(&skinner);
    QCOMPARE(m_form->property("skinWindow").toBool(), true);
    QList<SkinLabel *> twins;
    for (SkinLabel *label : m_form->findChildren<SkinLabel *>(u"SkinLabel1"_s)) {
        if (label->index() > 0)
            twins << label;
    }
    QCOMPARE(twins.size(), 1);
    QCOMPARE(twins.at(0)->text(), u"URL:"_s);
    QVERIFY(waitUntil([&] { return twins.at(0)->geometry() == child<QLabel>(u"Label3"_s)->geometry(); }));
    // Texts that change are shown by the labels themselves.
    QVERIFY(waitUntil([this] { return panel(2) == u"No Domains Found"_s; }));
}

void TestBrowseWindow::sameNamesAsTheExtractCommand_data()
{
    addHarvestPageRows();
}

void TestBrowseWindow::sameNamesAsTheExtractCommand()
{
    // The page as the real browser renders it gives the names that
    // extractBrowsedPage (and so `vantrel extract --browsed`) gives.
    QFETCH(QByteArray, page);
    QFETCH(bool, everyTld);
    QFETCH(QStringList, expected);
    if (everyTld)
        QSKIP("names under other TLDs would be checked with registries outside this machine");
    static int served = 0;
    const QByteArray path = "/harvest-" + QByteArray::number(++served) + ".html";
    m_pages.insert(path, page);
    m_branding.comments = local(path.constData()).toString();
    openForm();
    // The list file ends with an empty line once the page is extracted.
    QTRY_VERIFY_WITH_TIMEOUT(readFile(listPath()) == "\r\n" || readFile(listPath()).endsWith("\r\n\r\n"), 20000);
    QCOMPARE(m_form->pages().seenList.text().split(u"\r\n"_s, Qt::SkipEmptyParts), expected);
}

QTEST_MAIN(TestBrowseWindow)
#include "TestBrowseWindow.moc"
