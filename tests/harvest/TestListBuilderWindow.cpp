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
    void cancelAndStallSayWhy();
    void nothingFoundStartsNoSearch();
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

void TestListBuilderWindow::cancelAndStallSayWhy()
{
    // The first page answers, the second never does.
    QList<QPointer<QTcpSocket>> held;
    m_server->setHandler([&held](QTcpSocket *socket, const HttpTestServer::Request &request) {
        if (request.target.contains("&start=0&"))
            HttpTestServer::reply(socket, resultPage(1, 3));
        else
            held.append(socket);
    });
    QPointer<ListBuilderWindow> form = openForm(loopbackConfig());
    auto *bar = form->findChild<QProgressBar *>(u"pagesBar"_s);
    QCOMPARE(bar->value(), 0);
    QCOMPARE(bar->maximum(), 1);
    QSignalSpy startSearch(form, &ListBuilderWindow::startSearchRequested);
    QTRY_COMPARE(held.size(), 1);
    QCOMPARE(bar->value(), 1);
    form->findChild<QPushButton *>(u"cmdCancel"_s)->click();
    QTRY_COMPARE(startSearch.size(), 1);
    QCOMPARE(m_prompt.messages.first().text,
             u"The search was cancelled. The 3 unique domains found before were kept and will be checked."_s);
    QCOMPARE(m_prompt.messages.first().icon, Prompt::Icon::Warning);
    QCOMPARE(readFile(m_home->filePath(u"BrowserSearch.txt"_s)), "site1.com\r\nsite2.com\r\nsite3.com\r\n\r\n"_ba);
    QTRY_VERIFY(form.isNull());

    // A page from which nothing arrives for the stall time ends the run the
    // same way, and the status says why.
    held.clear();
    m_prompt.messages.clear();
    ListBuilderConfig config = loopbackConfig();
    config.stallTimeoutMs = 2000;
    form = openForm(config);
    QStringList statusAtStart;
    connect(form, &ListBuilderWindow::startSearchRequested, this,
            [&] { statusAtStart << form->findChild<QLineEdit *>(u"Text1"_s)->text(); });
    QTRY_COMPARE_WITH_TIMEOUT(statusAtStart.size(), 1, 10000);
    const QString stalled = u"127.0.0.1 sent nothing for 2 seconds while page 2 was loading; the page was given up."
                            " The 3 unique domains found before were kept and will be checked."_s;
    QCOMPARE(statusAtStart.first(), stalled);
    QCOMPARE(m_prompt.messages.first().text, stalled);
    QTRY_VERIFY(form.isNull());
}

void TestListBuilderWindow::nothingFoundStartsNoSearch()
{
    m_server->setHandler([](QTcpSocket *socket, const HttpTestServer::Request &) {
        HttpTestServer::reply(socket, "<html>Oops</html>", "503 Service Unavailable");
    });
    QPointer<ListBuilderWindow> form = openForm(loopbackConfig());
    QSignalSpy listReady(form, &ListBuilderWindow::listReady);
    QSignalSpy startSearch(form, &ListBuilderWindow::startSearchRequested);
    QTRY_VERIFY_WITH_TIMEOUT(form.isNull(), 10000);
    QVERIFY(listReady.isEmpty());
    QVERIFY(startSearch.isEmpty());
    QCOMPARE(m_prompt.messages.size(), 1);
    QCOMPARE(m_prompt.messages.first().text,
             u"127.0.0.1 answered page 1 with the error HTTP 503 Service Unavailable. No domain names were found, so"
             " no search was started."_s);
    QCOMPARE(readFile(m_home->filePath(u"BrowserSearch.txt"_s)), "earlier.com\r\n"_ba);
}

void TestListBuilderWindow::reviewRemovesNamesBeforeTheSearch()
{
    m_server->setHandler([](QTcpSocket *socket, const HttpTestServer::Request &request) {
        HttpTestServer::reply(socket, request.target.contains("&start=0&") ? resultPage(1, 4) : QByteArray());
    });
    auto *form = new ListBuilderWindow(m_home->path(), m_table, {[] { return u"blue widgets"_s; }, u"Google Search"_s, 0},
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
