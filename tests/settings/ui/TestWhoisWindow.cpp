#include "core/LookupContext.h"
#include "settings/ui/WhoisWindow.h"
#include "tests/support/WhoisTestServer.h"

#include <QLabel>
#include <QPointer>
#include <QTcpSocket>
#include <QTest>
#include <QTextEdit>
#include <QTimer>

using namespace Qt::StringLiterals;

namespace {

// Ticks of 40 ms: a silent registry is given up after 10 of them.
constexpr PoolTimings quick{40, 100, 10};

// com names go to the loopback registry on port.
struct Registry
{
    explicit Registry(quint16 port)
    {
        context.tldTable.setEntries({{u"com"_s, u"127.0.0.1"_s, qint16(port), true, 0, u"No match"_s}});
    }
    LookupContext context;
};

QString shownText(const WhoisWindow &window)
{
    return window.findChild<QTextEdit *>(u"text1"_s)->toPlainText();
}

// The text box shows CR LF line ends as plain line breaks.
QString asShown(const QByteArray &answer)
{
    return QString::fromUtf8(answer).replace(u"\r\n"_s, u"\n"_s);
}

} // namespace

class TestWhoisWindow : public QObject
{
    Q_OBJECT

private slots:
    void answerInPiecesShownWhole();
    void secondOpenReplacesFirstQuery();
    void closingDropsQuery();
    void givesUpAndSaysSo_data();
    void givesUpAndSaysSo();
    // Names
    void nameGoesInItsAsciiForm();
};

void TestWhoisWindow::answerInPiecesShownWhole()
{
    WhoisTestServer server;
    QVERIFY(server.listen());
    // Registries answer in UTF-8 more and more; this one cuts a character in two.
    const QByteArray pieces[] = {"Domain Name: EXAMPLE.COM\r\nRegistrar: \xc3", "\xa9xample Inc.\r\n",
                                 "Updated Date: 2024-01-01\r\n"};
    server.setHandler([&pieces](QTcpSocket *socket, const QByteArray &, int) {
        socket->write(pieces[0]);
        QTimer::singleShot(40, socket, [socket, &pieces] { socket->write(pieces[1]); });
        WhoisTestServer::answerLater(socket, pieces[2], 80);
    });
    Registry registry(server.port());
    LookupService service(1, quick);
    WhoisWindow window(service, registry.context);
    QCOMPARE(window.windowTitle(), u"WHOIS Information"_s);

    window.openFor(u"example.com"_s);
    QVERIFY(window.isVisible());
    QTRY_COMPARE(server.queries.size(), 1);
    QCOMPARE(server.queries.first(), "example.com"_ba);
    QVERIFY(shownText(window).isEmpty());
    // Until the answer: the name, and which server is being asked.
    QCOMPARE(window.findChild<QLabel *>(u"lblDomain"_s)->text(), u"example.com"_s);
    QCOMPARE(window.findChild<QTextEdit *>(u"text1"_s)->placeholderText(), u"Querying 127.0.0.1..."_s);
    // The verdict and its evidence above the whole reply.
    QTRY_COMPARE(shownText(window), u"Verdict: registered (registered:record) from 127.0.0.1\n\n"_s +
                                        asShown(pieces[0] + pieces[1] + pieces[2]));
}

void TestWhoisWindow::secondOpenReplacesFirstQuery()
{
    WhoisTestServer server;
    QVERIFY(server.listen());
    server.setHandler([](QTcpSocket *socket, const QByteArray &query, int) {
        if (query == "first.com")
            WhoisTestServer::answerLater(socket, "FIRST ANSWER\r\n", 150);
        else
            WhoisTestServer::answerAndClose(socket, "SECOND ANSWER\r\n");
    });
    Registry registry(server.port());
    LookupService service(1, quick);
    WhoisWindow window(service, registry.context);

    window.openFor(u"first.com"_s);
    QTRY_COMPARE(server.queries.size(), 1);
    window.openFor(u"second.com"_s);
    QTRY_VERIFY(shownText(window).endsWith(u"SECOND ANSWER\n"_s));
    // Past the time the first answer arrives: it is not shown.
    QTest::qWait(300);
    QVERIFY(shownText(window).endsWith(u"SECOND ANSWER\n"_s));
    QCOMPARE(server.queries, (QList<QByteArray>{"first.com", "second.com"}));
    QCOMPARE(server.connections, 2);
}

void TestWhoisWindow::closingDropsQuery()
{
    WhoisTestServer server;
    QVERIFY(server.listen());
    server.setHandler(
        [](QTcpSocket *socket, const QByteArray &, int) { WhoisTestServer::answerLater(socket, "LATE\r\n", 100); });
    Registry registry(server.port());
    LookupService service(1, quick);
    WhoisWindow window(service, registry.context);

    window.openFor(u"example.com"_s);
    QTRY_COMPARE(server.queries.size(), 1);
    window.close();
    QTest::qWait(300); // past the late answer
    QVERIFY(shownText(window).isEmpty());

    window.openFor(u"example.com"_s);
    QTRY_VERIFY(shownText(window).endsWith(u"LATE\n"_s));
}

void TestWhoisWindow::givesUpAndSaysSo_data()
{
    QTest::addColumn<bool>("listening");
    QTest::addColumn<QByteArray>("partial");
    QTest::addColumn<QString>("verdict");
    QTest::newRow("silent server") << true << QByteArray() << u"Verdict: timeout (timeout)"_s;
    QTest::newRow("server never closes") << true << "Domain Name: EXAMPLE.COM\r\n"_ba
                                         << u"Verdict: timeout (timeout)"_s;
    QTest::newRow("connection refused") << false << QByteArray() << u"Verdict: error (refused)"_s;
}

void TestWhoisWindow::givesUpAndSaysSo()
{
    QFETCH(bool, listening);
    QFETCH(QByteArray, partial);
    QFETCH(QString, verdict);
    WhoisTestServer server;
    QVERIFY(server.listen());
    server.setHandler([partial](QTcpSocket *socket, const QByteArray &, int) { socket->write(partial); });
    Registry registry(listening ? server.port() : WhoisTestServer::unusedPort());
    LookupService service(1, quick);
    WhoisWindow window(service, registry.context);

    window.openFor(u"example.com"_s);
    QTRY_VERIFY(!shownText(window).isEmpty());
    QVERIFY2(shownText(window).startsWith(verdict), qPrintable(shownText(window)));
}

void TestWhoisWindow::nameGoesInItsAsciiForm()
{
    WhoisTestServer server;
    QVERIFY(server.listen());
    server.setReply("Domain Name: XN--WGV71A119E.COM\r\n");
    Registry registry(server.port());
    LookupService service(1, quick);
    WhoisWindow window(service, registry.context);
    window.openFor(u"日本語.com"_s);
    QTRY_COMPARE(server.queries, QList<QByteArray>{"xn--wgv71a119e.com"});
    QTRY_VERIFY(shownText(window).endsWith(u"Domain Name: XN--WGV71A119E.COM\n"_s));

    // A name no server can be asked about is not sent at all.
    window.openFor(QString(64, u'x') + u".com"_s);
    QTRY_VERIFY(shownText(window).startsWith(u"Verdict: error (badname)"_s));
    QCOMPARE(server.connections, 1);
}

QTEST_MAIN(TestWhoisWindow)
#include "TestWhoisWindow.moc"
