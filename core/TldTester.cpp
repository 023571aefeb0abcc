#include "core/TldTester.h"

#include "core/LookupContext.h"
#include "core/LookupRoute.h"
#include "core/NamePreparation.h"

TldTester::TldTester(LookupService &service, const LookupContext &context, std::function<QString()> successIndicators,
                     QObject *parent)
    : QObject(parent)
    , m_context(context)
    , m_successIndicators(std::move(successIndicators))
    , m_client(service)
{
    m_client.setPriority(LookupService::Priority::Interactive);
    m_client.setParallel(1);
    // A test shows the registry's first answer, a refusal included.
    m_client.setMaxTries(1);
    connect(&m_client, &LookupClient::ended, this, &TldTester::lookupEnded);
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
    LookupRequest request;
    request.given = testDomain;
    request.prepared = m_testQueryName;
    request.ascii = *ascii;
    request.route = routeForRow(m_context.tldTable, tldIndex);
    m_server = request.route.server;
    m_port = request.route.port;
    request.route.successIndicators = m_successIndicators();
    if (const std::optional<LookupResult> unaskable = request.unaskable()) {
        lookupEnded(*unaskable);
        return true;
    }
    m_client.submit(request);
    return true;
}

void TldTester::stop()
{
    m_client.cancelAll();
}

void TldTester::lookupEnded(const LookupResult &lookup)
{
    if (lookup.kind == LookupResult::Kind::Timeout) {
        emit finished(resultFor(TldTestResult::Ending::TimedOut));
        return;
    }
    const bool resolve = lookup.reason == WhoisClient::reason(WhoisClient::Failure::Resolve);
    if (resolve || lookup.reason == WhoisClient::reason(WhoisClient::Failure::Refused)) {
        TldTestResult result = resultFor(TldTestResult::Ending::ConnectionFailed);
        result.failure = resolve ? WhoisClient::Failure::Resolve : WhoisClient::Failure::Refused;
        result.errorDescription = lookup.errorString;
        emit finished(result);
        return;
    }
    answered(lookup);
}

// A WHOIS reply as its phrases judge it; over RDAP, 404 AVAILABLE, a domain
// object Registered, anything else Blocked.
void TldTester::answered(const LookupResult &lookup)
{
    TldTestResult result = resultFor(TldTestResult::Ending::Answered);
    result.verdict = lookup.kind == LookupResult::Kind::Available    ? Verdict::Available
                     : lookup.kind == LookupResult::Kind::Registered ? Verdict::Registered
                                                                      : Verdict::Blocked;
    if (result.rdap) {
        result.successWord = lookup.reason;
        result.remotePort = 443;
        result.reply = QString::fromUtf8(lookup.reply);
    } else {
        // The evidence without its kind: the phrase or not-found form that matched.
        result.successWord = lookup.reason.section(QLatin1Char(':'), 1);
        result.remotePort = m_port;
        result.reply = QString::fromLatin1(lookup.reply);
    }
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
