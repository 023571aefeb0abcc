#include "core/TldTester.h"

#include "core/LookupContext.h"
#include "core/LookupRoute.h"
#include "core/NamePreparation.h"
#include "core/ReplyVerdict.h"

namespace {

// A name made from an empty test label, or from a label ending in a double quote.
bool isOddName(const QString &testDomain)
{
    for (const QString &tld : {QStringLiteral(".com"), QStringLiteral(".net")}) {
        if (testDomain.compare(tld, Qt::CaseInsensitive) == 0 ||
            testDomain.contains(QLatin1Char('"') + tld, Qt::CaseInsensitive))
            return true;
    }
    return false;
}

bool isInvalidOperation(QAbstractSocket::SocketError error)
{
    return error == QAbstractSocket::OperationError || error == QAbstractSocket::UnsupportedSocketOperationError;
}

} // namespace

TldTester::TldTester(const LookupContext &context, TldTestTimings timings, QObject *parent)
    : QObject(parent)
    , m_context(context)
    , m_timings(timings)
    , m_rdap(m_network, timings.tickMs * timings.timeoutTicks)
{
    connect(&m_rdap, &RdapQuery::finished, this, [this](const RdapAnswer &answer) {
        if (answer.kind == LookupOutcome::Kind::Timeout)
            emit timedOut();
        else
            emit rdapAnswered(answer, m_server);
    });
    m_timeout.setInterval(m_timings.tickMs);
    connect(&m_timeout, &QTimer::timeout, this, &TldTester::onTick);
    connect(&m_socket, &QTcpSocket::connected, this, &TldTester::onConnected);
    connect(&m_socket, &QTcpSocket::readyRead, this, &TldTester::onReadyRead);
    connect(&m_socket, &QTcpSocket::errorOccurred, this, &TldTester::onError);
}

QString TldTester::testDomainFor(const QString &label, const QString &extension)
{
    QString domain = label + QLatin1Char('.') + extension;
    return domain.replace(QLatin1String(".."), QLatin1String("."));
}

bool TldTester::startRegistrarTest(const QString &testDomain)
{
    stop();
    m_testDomain = testDomain;
    m_testQueryName = removeControlCharacters(correctName(urlDecode(testDomain)));

    const std::optional<QByteArray> ascii = queryBytes(m_testQueryName);
    const int tldIndex = ascii ? m_context.tldTable.findTldIndex(m_testQueryName, m_context.useProxy) : -1;
    if (tldIndex < 0)
        return false;
    m_query = *ascii + "\r\n";
    const TldEntry &entry = m_context.tldTable.entry(tldIndex);
    m_server = entry.whoisServer;
    m_port = quint16(entry.port);
    if (LookupRoute::isRdapServer(m_server)) {
        m_rdap.start(m_server, m_testQueryName);
        return true;
    }

    m_testReply.clear();
    m_remoteHost.clear();
    m_remotePort = 0;
    m_timeoutTicks = 0;
    m_timeout.start();
    connectToServer();
    return true;
}

void TldTester::stop()
{
    m_rdap.abort();
    m_timeout.stop();
    m_timeoutTicks = 0;
    m_socket.abort();
}

void TldTester::connectToServer()
{
    // A connect the socket rejects on the spot as an invalid operation is
    // tried again a few times; any other failure shows up later as a silent
    // server, which the time-out reports.
    m_connecting = true;
    for (int tries = 1;; ++tries) {
        m_socket.abort();
        m_socket.connectToHost(m_server, m_port);
        if (m_socket.state() != QAbstractSocket::UnconnectedState || !isInvalidOperation(m_socket.error()) ||
            tries == maxConnectTries)
            break;
    }
    m_connecting = false;
    if (m_socket.state() == QAbstractSocket::UnconnectedState)
        m_socket.abort();
}

void TldTester::onConnected()
{
    m_remoteHost = m_socket.peerName().isEmpty() ? m_socket.peerAddress().toString() : m_socket.peerName();
    m_remotePort = m_socket.peerPort();
    if (m_socket.write(m_query) < 0)
        m_socket.abort();
}

void TldTester::onReadyRead()
{
    m_testReply += m_socket.readAll();
}

void TldTester::onError(QAbstractSocket::SocketError error)
{
    if (m_connecting || error != QAbstractSocket::RemoteHostClosedError || !m_timeout.isActive())
        return;
    m_testReply += m_socket.readAll();
    m_timeout.stop();
    m_timeoutTicks = 0;
    m_socket.abort();
    emit replyComplete(m_testReply, m_remoteHost, m_remotePort);
}

void TldTester::onTick()
{
    if (++m_timeoutTicks < m_timings.timeoutTicks)
        return;
    stop();
    emit timedOut();
}

namespace {

// The message for a verdict; word is the evidence of an AVAILABLE verdict,
// details the domain, server and answer.
TldTestResult testResult(const QString &testDomain, Verdict verdict, const QString &word, const QString &details)
{
    const bool odd = isOddName(testDomain);
    TldTestResult result;
    result.verdict = verdict;
    if (result.verdict == Verdict::Available) {
        if (!odd && !testDomain.contains(QLatin1String("endoffile"), Qt::CaseInsensitive))
            result.message =
                QStringLiteral("Appears to be: AVAILABLE\r\nSuccess word: ") + word + QStringLiteral("\r\n") + details;
        return result;
    }
    if (result.verdict == Verdict::Blocked)
        result.message = QStringLiteral("Appears to be: Error/Blocked\r\n") + details;
    else if (!odd)
        result.message = QStringLiteral("Appears to be: Registered\r\n") + details;
    return result;
}

QString testDetails(const QString &testDomain, const QString &remoteHost, quint16 remotePort, const QString &answer)
{
    return QStringLiteral("Domain: ") + testDomain + QStringLiteral("\r\n") + remoteHost + QLatin1Char(':') +
           QString::number(remotePort) + QStringLiteral("\r\n\r\n") + answer;
}

} // namespace

TldTestResult judgeTestReply(const QString &testDomain, const QByteArray &reply, const QString &successIndicators,
                             const QString &remoteHost, quint16 remotePort)
{
    const QString queriedName = removeControlCharacters(correctName(urlDecode(testDomain)));
    const ReplyJudgement judgement = ReplyVerdict::shipped().judge(reply, queriedName, VerdictRule(successIndicators));
    // The evidence without its kind: the phrase or not-found form that matched.
    return testResult(testDomain, judgement.verdict, judgement.reason.section(QLatin1Char(':'), 1),
                      testDetails(testDomain, remoteHost, remotePort, QString::fromLatin1(reply)));
}

TldTestResult judgeTestRdapAnswer(const QString &testDomain, const RdapAnswer &answer, const QString &baseUrl)
{
    const Verdict verdict = answer.kind == LookupOutcome::Kind::Available    ? Verdict::Available
                            : answer.kind == LookupOutcome::Kind::Registered ? Verdict::Registered
                                                                             : Verdict::Blocked;
    return testResult(testDomain, verdict, answer.reason, testDetails(testDomain, baseUrl, 443, answer.message));
}
