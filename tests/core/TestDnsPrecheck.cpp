#include "core/DnsPrecheck.h"
#include "tests/support/DnsTestServer.h"

#include <QSignalSpy>
#include <QTest>

class TestDnsPrecheck : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void answersEveryNameOnce();
    void failuresSayNothing_data();
    void failuresSayNothing();
    void givesUpOnASilentResolver();

private:
    std::unique_ptr<DnsTestServer> m_server;
};

void TestDnsPrecheck::init()
{
    m_server = std::make_unique<DnsTestServer>();
    if (!m_server->listen())
        QSKIP("a DNS responder needs UDP port 53 on 127.0.0.1 (root)");
}

void TestDnsPrecheck::answersEveryNameOnce()
{
    QStringList names;
    for (int i = 0; i < 200; ++i) {
        names << QStringLiteral("word%1.com").arg(i);
        if (i % 3 == 0)
            m_server->zone.insert(names.last());
    }
    DnsPrecheck precheck({DnsTestServer::address(), 8, 5000});
    QSignalSpy answered(&precheck, &DnsPrecheck::answered);
    int mostInFlight = 0;
    connect(&precheck, &DnsPrecheck::answered, this, [&] { mostInFlight = qMax(mostInFlight, precheck.inFlight()); });
    for (const QString &name : std::as_const(names))
        precheck.check(name);
    QCOMPARE(precheck.inFlight(), 8);
    QTRY_COMPARE_WITH_TIMEOUT(answered.size(), 200, 20000);

    QSet<QString> seen;
    for (const QList<QVariant> &call : std::as_const(answered)) {
        const QString name = call.at(0).toString();
        QVERIFY2(!seen.contains(name), qPrintable(name));
        seen.insert(name);
        const auto answer = call.at(1).value<DnsPrecheck::Answer>();
        QCOMPARE(answer,
                 m_server->zone.contains(name) ? DnsPrecheck::Answer::Delegated : DnsPrecheck::Answer::NotDelegated);
    }
    QVERIFY(mostInFlight <= 8);
    QCOMPARE(precheck.inFlight(), 0);
}

void TestDnsPrecheck::failuresSayNothing_data()
{
    QTest::addColumn<DnsTestServer::Mode>("mode");
    QTest::newRow("never answers") << DnsTestServer::Mode::Silent;
    QTest::newRow("answers garbage") << DnsTestServer::Mode::Garbage;
}

void TestDnsPrecheck::failuresSayNothing()
{
    QFETCH(DnsTestServer::Mode, mode);
    m_server->setMode(mode);
    m_server->zone.insert(QStringLiteral("taken.com"));
    DnsPrecheck precheck({DnsTestServer::address(), 64, 300});
    QSignalSpy answered(&precheck, &DnsPrecheck::answered);
    precheck.check(QStringLiteral("taken.com"));
    QTRY_COMPARE_WITH_TIMEOUT(answered.size(), 1, 3000);
    QCOMPARE(answered.first().at(1).value<DnsPrecheck::Answer>(), DnsPrecheck::Answer::Failed);
    QVERIFY(!answered.first().at(2).toString().isEmpty());
}

// A resolver that answers nothing costs a few time-outs, not one per name.
void TestDnsPrecheck::givesUpOnASilentResolver()
{
    m_server->setMode(DnsTestServer::Mode::Silent);
    DnsPrecheck::Options options{DnsTestServer::address(), 3, 1000};
    options.failuresToGiveUp = 3;
    DnsPrecheck precheck(options);
    QSignalSpy answered(&precheck, &DnsPrecheck::answered);
    QSignalSpy gaveUp(&precheck, &DnsPrecheck::gaveUp);
    for (int i = 0; i < 12; ++i)
        precheck.check(QStringLiteral("word%1.com").arg(i));
    // Four rounds of three time-outs would take four seconds.
    QTRY_COMPARE_WITH_TIMEOUT(answered.size(), 12, 2500);
    QCOMPARE(gaveUp.size(), 1);
    QVERIFY(precheck.hasGivenUp());
    precheck.check(QStringLiteral("later.com"));
    QTRY_COMPARE_WITH_TIMEOUT(answered.size(), 13, 200);
    QCOMPARE(answered.last().at(1).value<DnsPrecheck::Answer>(), DnsPrecheck::Answer::Failed);
}

QTEST_GUILESS_MAIN(TestDnsPrecheck)
#include "TestDnsPrecheck.moc"
