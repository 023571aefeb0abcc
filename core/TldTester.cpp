#include "core/TldTester.h"

#include "core/LookupContext.h"
#include "core/LookupRoute.h"
#include "core/NamePreparation.h"
#include "core/ReplyVerdict.h"

TldTester::TldTester(const LookupContext &context, std::function<QString()> successIndicators, TldTestTimings timings,
                     QObject *parent)
    : QObject(parent)
    , m_context(context)
    , m_successIndicators(std::move(successIndicators))
    , m_timings(timings)
    , m_rdap(m_network, timings.tickMs * timings.timeoutTicks)
{
    connect(&m_rdap, &RdapQuery::finished, this, [this](const RdapAnswer &answer) {
        if (answer.kind == LookupResult::Kind::Timeout)
            emit finished(resultFor(TldTestResult::Ending::TimedOut));
        else
            rdapAnswered(answer);
    });
    connect(&m_client, &WhoisClient::answered, this, &TldTester::whoisAnswered);
    connect(&m_client, &WhoisClient::failed, this, [this](WhoisClient::Failure failure, const QString &description) {
        if (failure == WhoisClient::Failure::Timeout) {
            emit finished(resultFor(TldTestResult::Ending::TimedOut));
            return;
        }
        TldTestResult result = resultFor(TldTestResult::Ending::ConnectionFailed);
        result.failure = failure;
        result.errorDescription = description;
        emit finished(result);
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

void TldTester::whoisAnswered(const QByteArray &reply)
{
    const ReplyJudgement judgement =
        ReplyVerdict::shipped().judge(reply, m_testQueryName, VerdictRule(m_successIndicators()));
    TldTestResult result = resultFor(TldTestResult::Ending::Answered);
    result.verdict = judgement.verdict;
    // The evidence without its kind: the phrase or not-found form that matched.
    result.successWord = judgement.reason.section(QLatin1Char(':'), 1);
    result.remotePort = m_client.remotePort();
    result.reply = QString::fromLatin1(reply);
    emit finished(result);
}

// 404 AVAILABLE, a domain object Registered, anything else Error/Blocked.
void TldTester::rdapAnswered(const RdapAnswer &answer)
{
    TldTestResult result = resultFor(TldTestResult::Ending::Answered);
    result.verdict = answer.kind == LookupResult::Kind::Available    ? Verdict::Available
                     : answer.kind == LookupResult::Kind::Registered ? Verdict::Registered
                                                                      : Verdict::Blocked;
    result.successWord = answer.reason;
    result.remotePort = 443;
    result.reply = answer.message;
    emit finished(result);
}

TldTestResult TldTester::resultFor(TldTestResult::Ending ending) const
{
    TldTestResult result;
    result.ending = ending;
    result.testDomain = m_testDomain;
    result.rdap = LookupRoute::isRdapServer(m_server);
    result.remoteHost = m_server;
    return result;
}
