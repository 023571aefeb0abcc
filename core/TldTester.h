#pragma once

#include "core/RdapQuery.h"
#include "core/Verdict.h"
#include "core/WhoisClient.h"

#include <QByteArray>
#include <QNetworkAccessManager>
#include <QObject>
#include <QString>

struct LookupContext;

// Timer lengths of a registrar test; the defaults are the real ones.
struct TldTestTimings
{
    int tickMs = 1000;
    int timeoutTicks = 5; // ticks from the start of a test to "Connection timed out"
};

// What the setup window shows once a test server has closed the connection.
struct TldTestResult
{
    Verdict verdict = Verdict::Registered;
    QString message; // empty when the name's guards keep the result quiet
};

// One test query against the WHOIS server of a TLD row, on its own client
// (independent of the lookup session's pool). The server is the one the lookup
// context's table names for the cleaned test name, so with the proxy switch
// on the proxy row's server is asked.
class TldTester : public QObject
{
    Q_OBJECT

public:
    explicit TldTester(const LookupContext &context, TldTestTimings timings = {}, QObject *parent = nullptr);

    // The name tested for a row: label "." extension, with every ".." made
    // one "." (an extension typed with its dot still gives one dot).
    static QString testDomainFor(const QString &label, const QString &extension);

    // Drops a running test and starts a new one. Returns false, with nothing
    // started, when no TLD row answers for the name.
    bool startRegistrarTest(const QString &testDomain);
    void stop();

    QString testDomain() const { return m_testDomain; }

signals:
    // The server closed the connection; reply is everything it sent.
    void replyComplete(const QByteArray &reply, const QString &remoteHost, quint16 remotePort);
    // No close by the server within the time-out; the socket is closed.
    void timedOut();
    // The server's name does not resolve, or it refused the connection.
    void connectionFailed(const QString &description);
    // The row's server is an RDAP base URL, and it answered.
    void rdapAnswered(const RdapAnswer &answer, const QString &baseUrl);

private:
    const LookupContext &m_context;
    TldTestTimings m_timings;
    WhoisClient m_client;
    QNetworkAccessManager m_network;
    RdapQuery m_rdap;
    QString m_testDomain;
    QString m_testQueryName; // urlDecode, then correctName, without control characters
    QString m_server;
};

// The verdict and message of a finished test. The phrases come from
// successIndicators (the editor's text); the verdict order is that of the
// main window's. The AVAILABLE message is kept quiet for an odd name (".com",
// ".net", or a double quote right before ".com"/".net") and for a name holding
// "endoffile"; the Registered message for an odd name; Error/Blocked always shows.
TldTestResult judgeTestReply(const QString &testDomain, const QByteArray &reply, const QString &successIndicators,
                             const QString &remoteHost, quint16 remotePort);
// The same for an RDAP answer: 404 AVAILABLE, a domain object Registered,
// anything else Error/Blocked; the server shows as the base URL and port 443.
TldTestResult judgeTestRdapAnswer(const QString &testDomain, const RdapAnswer &answer, const QString &baseUrl);
