#pragma once

#include "core/LookupClient.h"
#include "core/Verdict.h"
#include "core/WhoisClient.h"

#include <QByteArray>
#include <QObject>
#include <QString>

#include <functional>

struct LookupContext;

// How a registrar test ended.
struct TldTestResult
{
    enum class Ending {
        Answered,         // the server closed the connection, or the RDAP base answered
        TimedOut,         // no close by the server within the time-out
        ConnectionFailed, // the server's name does not resolve, or it refused the connection
    };

    Ending ending = Ending::Answered;
    QString testDomain;
    bool rdap = false; // the row's server is an RDAP base URL
    // Answered: the verdict, in the main window's order, and for AVAILABLE the
    // phrase or not-found form that matched.
    Verdict verdict = Verdict::Registered;
    QString successWord;
    // The WHOIS host and port asked; for RDAP the base URL and 443.
    QString remoteHost;
    quint16 remotePort = 0;
    QString reply; // what the server sent, or what the RDAP answer says
    // ConnectionFailed: Resolve or Refused, and the socket's description.
    WhoisClient::Failure failure = WhoisClient::Failure::Timeout;
    QString errorDescription;
};

// One test query against the WHOIS server of a TLD row, asked through the
// lookup service at the registry's pace and before queued search names. The
// server is the one the lookup context's table names for the cleaned test
// name, so with the proxy switch on the proxy row's server is asked. A WHOIS
// reply is judged with the phrases successIndicators gives when it is asked.
class TldTester : public QObject
{
    Q_OBJECT

public:
    TldTester(LookupService &service, const LookupContext &context, std::function<QString()> successIndicators,
              QObject *parent = nullptr);

    // The name tested for a row: label "." extension, with every ".." made
    // one "." (an extension typed with its dot still gives one dot).
    static QString testDomainFor(const QString &label, const QString &extension);

    // Drops a running test and starts a new one. Returns false, with nothing
    // started, when no TLD row answers for the name.
    bool startRegistrarTest(const QString &testDomain);
    void stop();

signals:
    void finished(const TldTestResult &result);

private:
    void lookupEnded(const LookupResult &lookup);
    void answered(const LookupResult &lookup);
    TldTestResult resultFor(TldTestResult::Ending ending) const;

    const LookupContext &m_context;
    std::function<QString()> m_successIndicators;
    LookupClient m_client;
    QString m_testDomain;
    QString m_testQueryName; // urlDecode, then correctName, without control characters
    QString m_server;
    quint16 m_port = 43;
};
