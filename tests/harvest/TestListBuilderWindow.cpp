#include "core/TldTable.h"
#include "harvest/ui/ListBuilderWindow.h"
#include "settings/ProgramFolder.h"
#include "tests/support/HttpTestServer.h"
#include "tests/support/ScriptedPrompt.h"
#include "tests/support/TestFiles.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

using namespace Qt::StringLiterals;

namespace {

QByteArray resultPage(int first, int count)
{
    QByteArray page = "<html><body>\n";
    for (int i = first; i < first + count; ++i)
        page += "<p><a href=\"http://www.site" + QByteArray::number(i) + ".com/x\">Result</a></p>\n";
    return page + "</body></html>\n";
}

} // namespace

class TestListBuilderWindow : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void controlsAndTexts();
    void runHandsListToMainWindow();
    void closingDuringDownloadWritesNothing();
    void closingWhileExtractingWritesNothing();
    void closingDuringPauseWritesNothing();
    void failuresSayWhy_data();
    void failuresSayWhy();
    void reviewRemovesNamesBeforeTheSearch();

private:
    ListBuilderWindow *openForm(ListBuilderConfig config);
    ListBuilderConfig loopbackConfig() const;
    void verifyNothingWritten(const QPointer<ListBuilderWindow> &form, QSignalSpy &listReady, QSignalSpy &startSearch);
    QLineEdit *text1(ListBuilderWindow *form) const { return form->findChild<QLineEdit *>(u"Text1"_s); }

    std::unique_ptr<QTemporaryDir> m_home;
    std::unique_ptr<HttpTestServer> m_server;
    TldTable m_table;
    ScriptedPrompt m_prompt;
};

void TestListBuilderWindow::init()
{
    m_home = std::make_unique<QTemporaryDir>();
    QVERIFY(m_home->isValid());
    QVERIFY(ProgramFolder::createStartupFilesAndFolders(m_home->path()));
    writeFile(m_home->filePath(u"BrowserSearch.txt"_s), "earlier.com\r\n");
    m_server = std::make_unique<HttpTestServer>();
    QVERIFY(m_server->listen());
    TldEntry com;
    com.extension = u"com"_s;
    com.enabled = true;
    m_table.setEntries({com});
    m_prompt.messages.clear();
}

void TestListBuilderWindow::cleanup()
{
    // A failed test may leave its window open.
    const QWidgetList windows = QApplication::topLevelWidgets();
    for (QWidget *window : windows)
        delete window;
}

ListBuilderConfig TestListBuilderWindow::loopbackConfig() const
{
    ListBuilderConfig config;
    config.engines.google = {u"http"_s, u"127.0.0.1"_s, m_server->port(), u"/search"_s};
    config.engines.yahoo = config.engines.google;
    config.startTickMs = 1;
    config.pauseMs = 0;
    config.harvest = HarvestData::shipped();
    return config;
}

ListBuilderWindow *TestListBuilderWindow::openForm(ListBuilderConfig config)
{
    auto *form =
        new ListBuilderWindow(m_home->path(), m_table, {[] { return u"blue widgets"_s; }, u"Google Search"_s, 0},
                              m_prompt, u"Ornisk"_s, config);
    form->show();
    return form;
}

void TestListBuilderWindow::verifyNothingWritten(const QPointer<ListBuilderWindow> &form, QSignalSpy &listReady,
                                                 QSignalSpy &startSearch)
{
    QTRY_VERIFY(form.isNull());
    QTest::qWait(50);
    QVERIFY(listReady.isEmpty());
    QVERIFY(startSearch.isEmpty());
    QVERIFY(m_prompt.messages.isEmpty());
    QCOMPARE(readFile(m_home->filePath(u"BrowserSearch.txt"_s)), "earlier.com\r\n"_ba);
    QVERIFY(QDir(m_home->filePath(u"searches"_s)).isEmpty());
}

void TestListBuilderWindow::controlsAndTexts()
{
    QPointer<ListBuilderWindow> form = openForm(ListBuilderConfig());
    QCOMPARE(form->objectName(), u"Form3"_s);
    QCOMPARE(form->windowTitle(), u"List Builder - Finding domain names..."_s);
    QCOMPARE(form->findChild<QLabel *>(u"Label1"_s)->text(),
             u"Extracting Domains from search results.  Please be patient."_s);
    QCOMPARE(text1(form)->text(), u"Status..."_s);
    QCOMPARE(text1(form)->toolTip(), u"This shows the number of unique .com, .org and .net domain names found."_s);
    auto *timer1 = form->findChild<QTimer *>(u"Timer1"_s);
    QVERIFY(timer1->isActive());
    QCOMPARE(timer1->interval(), 1000);
    QVERIFY(form->testAttribute(Qt::WA_DeleteOnClose));
    form->close();
    QTRY_VERIFY(form.isNull());
}

void TestListBuilderWindow::runHandsListToMainWindow()
{
    m_server->setHandler([](QTcpSocket *socket, const HttpTestServer::Request &request) {
        HttpTestServer::reply(socket, request.target.contains("&start=0&") ? resultPage(1, 4) : QByteArray());
    });
    ListBuilderConfig config = loopbackConfig();
    config.startTickMs = 100;
    QElapsedTimer clock;
    clock.start();
    QPointer<ListBuilderWindow> form = openForm(config);
    qint64 firstRequestMs = -1;
    connect(m_server.get(), &HttpTestServer::requestReceived, this, [&] {
        if (firstRequestMs < 0)
            firstRequestMs = clock.elapsed();
    });

    struct Step
    {
        QString what;
        qint32 value;
        qsizetype messagesShown;
        bool windowVisible;
        QString status;
    };
    QList<Step> steps;
    connect(form, &ListBuilderWindow::listReady, this, [&](qint32 wordMax) {
        steps.append({u"listReady"_s, wordMax, m_prompt.messages.size(), form->isVisible(), text1(form)->text()});
    });
    connect(form, &ListBuilderWindow::startSearchRequested, this, [&] {
        steps.append({u"start"_s, 0, m_prompt.messages.size(), form->isVisible(), text1(form)->text()});
    });

    QTRY_COMPARE_WITH_TIMEOUT(steps.size(), 2, 10000);
    QTRY_VERIFY(form.isNull());

    // Timer1 starts the run on its third tick.
    QVERIFY2(firstRequestMs >= 250, qPrintable(QString::number(firstRequestMs)));
    QCOMPARE(m_server->requests.size(), 2);

    QCOMPARE(steps.at(0).what, u"listReady"_s);
    QCOMPARE(steps.at(0).value, 4);
    QCOMPARE(steps.at(0).messagesShown, 0);
    QVERIFY(steps.at(0).windowVisible);
    QCOMPARE(steps.at(1).what, u"start"_s);
    QCOMPARE(steps.at(1).messagesShown, 1);
    QVERIFY(!steps.at(1).windowVisible);
    QCOMPARE(steps.at(1).status, u"Finished! Extracted 4 domain names."_s);

    const ScriptedPrompt::Message &message = m_prompt.messages.first();
    QCOMPARE(message.title, u"Ornisk"_s);
    QCOMPARE(message.text, u"List of 4 unique domains was created successfully!"_s);
    QCOMPARE(message.buttons, Prompt::Buttons::Ok);
    QCOMPARE(readFile(m_home->filePath(u"BrowserSearch.txt"_s)),
             "site1.com\r\nsite2.com\r\nsite3.com\r\nsite4.com\r\n\r\n"_ba);
    QVERIFY(QFile::exists(m_home->filePath(u"searches/Google blue widgets.txt"_s)));
}

void TestListBuilderWindow::closingDuringDownloadWritesNothing()
{
    QList<QPointer<QTcpSocket>> held;
    m_server->setHandler([&held](QTcpSocket *socket, const HttpTestServer::Request &) { held.append(socket); });
    QPointer<ListBuilderWindow> form = openForm(loopbackConfig());
    QSignalSpy listReady(form, &ListBuilderWindow::listReady);
    QSignalSpy startSearch(form, &ListBuilderWindow::startSearchRequested);
    QTRY_COMPARE(held.size(), 1);
    form->close();
    verifyNothingWritten(form, listReady, startSearch);
    // The dropped download closed its connection.
    QTRY_VERIFY(held.first().isNull() || held.first()->state() != QAbstractSocket::ConnectedState);
}

void TestListBuilderWindow::closingWhileExtractingWritesNothing()
{
    // A page long enough to be read in several turns of the event loop; the
    // window is closed from the first progress report on, inside the read.
    m_server->setBody(resultPage(1, 20000));
    QPointer<ListBuilderWindow> form = openForm(loopbackConfig());
    QSignalSpy listReady(form, &ListBuilderWindow::listReady);
    QSignalSpy startSearch(form, &ListBuilderWindow::startSearchRequested);
    bool extracting = false;
    connect(text1(form), &QLineEdit::textChanged, form, [&](const QString &text) {
        if (text.startsWith(u"Extracted"_s)) {
            extracting = true;
            form->close();
        }
    });
    verifyNothingWritten(form, listReady, startSearch);
    QVERIFY(extracting);
    QCOMPARE(m_server->requests.size(), 1);
}

void TestListBuilderWindow::closingDuringPauseWritesNothing()
{
    m_server->setBody(resultPage(1, 3));
    ListBuilderConfig config = loopbackConfig();
    config.pauseMs = 60000;
    QPointer<ListBuilderWindow> form = openForm(config);
    QSignalSpy listReady(form, &ListBuilderWindow::listReady);
    QSignalSpy startSearch(form, &ListBuilderWindow::startSearchRequested);
    // The page is read to its end: the pause runs.
    QTRY_COMPARE(text1(form)->text(), u"Extracted 3 unique domain names"_s);
    form->close();
    verifyNothingWritten(form, listReady, startSearch);
    QCOMPARE(m_server->requests.size(), 1);
}

void TestListBuilderWindow::failuresSayWhy_data()
{
    // How the server answers the first and the second result page.
    QTest::addColumn<QString>("first");
    QTest::addColumn<QString>("second");
    QTest::addColumn<QString>("message");
    const QString kept = u" The 3 unique domains found before were kept and will be checked."_s;
    const QString none = u" No domain names were found, so no search was started."_s;
    QTest::newRow("cancel") << u"results"_s << u"cancel"_s << u"The search was cancelled."_s + kept;
    QTest::newRow("stalled body")
        << u"results"_s << u"stall"_s
        << u"127.0.0.1 sent nothing for 2 seconds while page 2 was loading; the page was given up."_s + kept;
    QTest::newRow("http 500") << u"results"_s << u"500"_s
                              << u"127.0.0.1 answered page 2 with the error HTTP 500 Internal Server Error."_s + kept;
    QTest::newRow("captcha") << u"results"_s << u"captcha"_s
                             << u"127.0.0.1 showed a captcha or consent page instead of the results of page 2."_s +
                                    kept;
    QTest::newRow("random bytes") << u"results"_s << u"garbage"_s
                                  << u"What 127.0.0.1 sent for page 2 is not a web page."_s + kept;
    QTest::newRow("http 503 first") << u"503"_s << QString()
                                    << u"127.0.0.1 answered page 1 with the error HTTP 503 Service Unavailable."_s +
                                           none;
    QTest::newRow("no results") << u"empty"_s << QString()
                                << u"No domain names were found in the results for \"blue widgets\"."_s;
}

void TestListBuilderWindow::failuresSayWhy()
{
    QFETCH(QString, first);
    QFETCH(QString, second);
    QFETCH(QString, message);
    QList<QPointer<QTcpSocket>> held;
    m_server->setHandler([&](QTcpSocket *socket, const HttpTestServer::Request &request) {
        const bool firstPage = request.target.contains("&start=0&");
        const QString answer = firstPage ? first : second;
        if (answer == u"results")
            HttpTestServer::reply(socket, resultPage(1, 3));
        else if (answer == u"empty")
            HttpTestServer::reply(socket, "<html><body>No results.</body></html>");
        else if (answer == u"500" || answer == u"503")
            HttpTestServer::reply(socket, "<html>Oops</html>",
                                  answer == u"500" ? "500 Internal Server Error" : "503 Service Unavailable");
        else if (answer == u"stall")
            HttpTestServer::replyPartly(socket, "<html><body><a href=\"http://www.site9.com/\">", 4096);
        else if (answer == u"captcha")
            HttpTestServer::reply(socket, "<html><body>Our systems have detected unusual traffic from your computer "
                                          "network.</body></html>");
        else if (answer == u"garbage")
            HttpTestServer::reply(socket, QByteArray("\x01\x9f\x00\x13\xfe<a ", 9).repeated(200));
        else
            held.append(socket);
    });
    ListBuilderConfig config = loopbackConfig();
    config.stallTimeoutMs = 2000;
    QPointer<ListBuilderWindow> form = openForm(config);
    QSignalSpy startSearch(form, &ListBuilderWindow::startSearchRequested);
    if (second == u"cancel") {
        QTRY_COMPARE(held.size(), 1);
        form->findChild<QPushButton *>(u"cmdCancel"_s)->click();
    }
    QTRY_VERIFY_WITH_TIMEOUT(form.isNull(), 10000);
    QCOMPARE(m_prompt.messages.size(), 1);
    QCOMPARE(m_prompt.messages.first().text, message);
    QCOMPARE(m_prompt.messages.first().icon, Prompt::Icon::Warning);
    const bool kept = first == u"results";
    QCOMPARE(startSearch.size(), kept ? 1 : 0);
    QCOMPARE(readFile(m_home->filePath(u"BrowserSearch.txt"_s)),
             kept ? "site1.com\r\nsite2.com\r\nsite3.com\r\n\r\n"_ba : "earlier.com\r\n"_ba);
}

void TestListBuilderWindow::reviewRemovesNamesBeforeTheSearch()
{
    m_server->setHandler([](QTcpSocket *socket, const HttpTestServer::Request &request) {
        HttpTestServer::reply(socket, request.target.contains("&start=0&") ? resultPage(1, 4) : QByteArray());
    });
    auto *form =
        new ListBuilderWindow(m_home->path(), m_table, {[] { return u"blue widgets"_s; }, u"Google Search"_s, 0},
                              m_prompt, u"Ornisk"_s, loopbackConfig(), true);
    form->show();
    QPointer<ListBuilderWindow> alive(form);
    QSignalSpy listReady(form, &ListBuilderWindow::listReady);
    QSignalSpy startSearch(form, &ListBuilderWindow::startSearchRequested);
    auto *list = form->findChild<QListWidget *>(u"reviewList"_s);
    QTRY_COMPARE_WITH_TIMEOUT(list->count(), 4, 10000);
    QVERIFY(list->isVisible());
    QVERIFY(startSearch.isEmpty());
    list->item(1)->setSelected(true);
    list->item(3)->setSelected(true);
    form->findChild<QPushButton *>(u"cmdRemove"_s)->click();
    QCOMPARE(list->count(), 2);
    form->findChild<QPushButton *>(u"cmdCheck"_s)->click();
    QCOMPARE(listReady.first().first().toInt(), 2);
    QCOMPARE(startSearch.size(), 1);
    QCOMPARE(m_prompt.messages.first().text, u"List of 2 unique domains was created successfully!"_s);
    QCOMPARE(readFile(m_home->filePath(u"BrowserSearch.txt"_s)), "site1.com\r\nsite3.com\r\n\r\n"_ba);
    QTRY_VERIFY(alive.isNull());
}

QTEST_MAIN(TestListBuilderWindow)
#include "TestListBuilderWindow.moc"
