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
    connect(&m_client, &WhoisClient::answered, this,
            [this](const QByteArray &reply) { emit replyComplete(reply, m_client.host(), m_client.remotePort()); });
    connect(&m_client, &WhoisClient::failed, this, [this](WhoisClient::Failure failure, const QString &description) {
        if (failure == WhoisClient::Failure::Timeout)
            emit timedOut();
        else
            emit connectionFailed(description);
    });
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
    const TldEntry &entry = m_context.tldTable.entry(tldIndex);
    m_server = entry.whoisServer;
    if (LookupRoute::isRdapServer(m_server)) {
        m_rdap.start(m_server, m_testQueryName);
        return true;
    }
    m_client.ask(m_server, quint16(entry.port), *ascii, m_timings.tickMs * m_timings.timeoutTicks);
    return true;
}

void TldTester::stop()
{
    m_rdap.abort();
    m_client.abort();
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
