#include "core/RegistryPacer.h"
#include "core/TldTable.h"

#include <QTest>

using namespace Qt::StringLiterals;

namespace {

TldEntry row(const QString &extension, const QString &server, qint32 throttleMs)
{
    TldEntry entry;
    entry.extension = extension;
    entry.whoisServer = server;
    entry.port = 43;
    entry.enabled = true;
    entry.throttleMs = throttleMs;
    return entry;
}

TldTable table()
{
    TldTable tldTable;
    tldTable.setEntries({row(u"com"_s, u"whois.shared.test"_s, 100), row(u"net"_s, u"whois.shared.test"_s, 400),
                         row(u"org"_s, u"whois.free.test"_s, 0)});
    return tldTable;
}

} // namespace

class TestRegistryPacer : public QObject
{
    Q_OBJECT

private slots:
    void rowsOnOneServerShareTheLargestPause();
    void registryWithoutPauseTakesManyAtOnce();
    void refusalsDoubleAndAnswersRelax();
};

void TestRegistryPacer::rowsOnOneServerShareTheLargestPause()
{
    RegistryPacer pacer;
    pacer.setThrottles(table());
    const QString shared = u"WHOIS.shared.test"_s;
    QCOMPARE(pacer.pauseMs(shared), 400);
    QVERIFY(pacer.ready(shared, 0));
    pacer.queryStarted(shared);
    // One query at a time, whichever row it came from.
    QVERIFY(!pacer.ready(shared, 10000));
    pacer.queryEnded(shared, 1000, false);
    QVERIFY(!pacer.ready(shared, 1399));
    QCOMPARE(pacer.readyAt(shared), 1400);
    QVERIFY(pacer.ready(shared, 1400));
    // Another registry is not held by it.
    QVERIFY(pacer.ready(u"whois.free.test"_s, 1000));
}

void TestRegistryPacer::registryWithoutPauseTakesManyAtOnce()
{
    RegistryPacer pacer;
    pacer.setThrottles(table());
    const QString free = u"whois.free.test"_s;
    for (int query = 0; query < 8; ++query) {
        QVERIFY(pacer.ready(free, 0));
        pacer.queryStarted(free);
    }
    QVERIFY(pacer.ready(u"unlisted.test"_s, 0));
}

void TestRegistryPacer::refusalsDoubleAndAnswersRelax()
{
    RegistryPacer pacer({250, 2000, 3, 250});
    pacer.setThrottles(table());
    const QString free = u"whois.free.test"_s;
    // Refused together: one doubling.
    for (int query = 0; query < 3; ++query)
        pacer.queryStarted(free);
    for (int query = 0; query < 3; ++query)
        pacer.queryEnded(free, 10, true);
    QCOMPARE(pacer.pauseMs(free), 250);
    QVERIFY(!pacer.ready(free, 259));
    QVERIFY(pacer.ready(free, 260));
    // Refused again after two pauses: doubles, up to the cap.
    qint64 now = 10;
    for (int expected : {500, 1000, 2000, 2000}) {
        now += 2 * pacer.pauseMs(free);
        pacer.queryStarted(free);
        pacer.queryEnded(free, now, true);
        QCOMPARE(pacer.pauseMs(free), expected);
    }
    // Three answers in a row halve it, down to the first back-off step.
    for (int expected : {1000, 500, 250, 250}) {
        for (int answer = 0; answer < 3; ++answer) {
            pacer.queryStarted(free);
            pacer.queryEnded(free, ++now, false);
        }
        QCOMPARE(pacer.pauseMs(free), expected);
    }
}

QTEST_GUILESS_MAIN(TestRegistryPacer)
#include "TestRegistryPacer.moc"
