#include "core/DefaultTldTable.h"
#include "core/Verdict.h"
#include "tests/support/TestData.h"

#include <QDir>
#include <QFile>
#include <QTest>

using namespace Qt::StringLiterals;

Q_DECLARE_METATYPE(Verdict)

class TestVerdict : public QObject
{
    Q_OBJECT

private slots:
    void verdictRules_data();
    void verdictRules();
    void realComNetReplies_data();
    void realComNetReplies();
};

void TestVerdict::verdictRules_data()
{
    const QString standard = QString::fromLatin1(DefaultTldTable::standardIndicators);
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<QString>("indicators");
    QTest::addColumn<Verdict>("verdict");

    QTest::newRow("no match, case ignored") << "No match for EXAMPLE.COM.\r\n"_ba << standard << Verdict::Available;
    QTest::newRow("AVAIL inside unavailable") << "Domain is unavailable\r\n"_ba << standard << Verdict::Available;
    QTest::newRow("pieces trimmed") << "status: NOT FOUND"_ba << u" No match , not found "_s << Verdict::Available;
    QTest::newRow("only spaces trimmed") << "x free"_ba << u"\tfree"_s << Verdict::Registered;
    QTest::newRow("empty piece matches any reply")
        << "Domain Name: X.COM"_ba << u"No match,,AVAIL"_s << Verdict::Available;
    QTest::newRow("trailing comma") << "registered"_ba << u"No match,"_s << Verdict::Available;
    QTest::newRow("empty piece, empty reply") << QByteArray() << u","_s << Verdict::Registered;
    QTest::newRow("empty list goes to refusal test") << "Query rate exceeded"_ba << QString() << Verdict::Blocked;
    QTest::newRow("empty list, plain reply") << "Domain Name: X.COM"_ba << QString() << Verdict::Registered;
    QTest::newRow("rate exceeded") << "Query rate exceeded\r\n"_ba << standard << Verdict::Blocked;
    QTest::newRow("quota") << "Your QUOTA is used up"_ba << standard << Verdict::Blocked;
    QTest::newRow("blocked") << "IP Blocked"_ba << standard << Verdict::Blocked;
    QTest::newRow("error") << "%ERROR:201: access denied"_ba << standard << Verdict::Blocked;
    QTest::newRow("success phrase beats error") << "No match\r\nerror"_ba << standard << Verdict::Available;
    QTest::newRow("empty reply is registered") << QByteArray() << standard << Verdict::Registered;
    QTest::newRow("note phrase never matches")
        << "Domain Name: X.ORG"_ba << u"#VERY LOW QUERY LIMIT#,No match"_s << Verdict::Registered;
    QTest::newRow("NUL bytes in reply") << QByteArray("Domain\0 No Match", 16) << standard << Verdict::Available;
    QTest::newRow("8-bit reply") << "Dom\xe4ne: nicht gefunden, free"_ba << u"free"_s << Verdict::Available;
    QTest::newRow("8-bit phrase") << "Dom\xc4NE FREI"_ba << QString::fromLatin1("dom\xc4ne") << Verdict::Available;
}

void TestVerdict::verdictRules()
{
    QFETCH(QByteArray, reply);
    QFETCH(QString, indicators);
    QFETCH(Verdict, verdict);
    QCOMPARE(judgeReplyText(reply, indicators), verdict);
}

// Real replies of the com/net registry, judged with the default com/net
// phrase list.
void TestVerdict::realComNetReplies_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("status");
    const QString root = testDataDir(u"whois"_s);
    if (root.isEmpty())
        return;
    QFile index(root + u"/index.tsv"_s);
    QVERIFY(index.open(QIODevice::ReadOnly));
    index.readLine();
    while (!index.atEnd()) {
        const QStringList fields = QString::fromUtf8(index.readLine()).trimmed().split(QLatin1Char('\t'));
        if (fields.size() < 4 || fields.at(0) != u"whois.verisign-grs.com"_s)
            continue;
        if (fields.at(2) == u"available"_s || fields.at(2) == u"registered"_s)
            QTest::newRow(qPrintable(fields.at(3))) << root + QLatin1Char('/') + fields.at(3) << fields.at(2);
    }
}

void TestVerdict::realComNetReplies()
{
    if (testDataDir(u"whois"_s).isEmpty())
        QSKIP("shared test data not present");
    QFETCH(QString, path);
    QFETCH(QString, status);
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray reply = file.readAll();
    const Verdict verdict = judgeReplyText(reply, QString::fromLatin1(DefaultTldTable::standardIndicators));
    // Some captures carry the registrar's record after the registry's, with
    // texts like "information is available" or "Unavailable", which the AVAIL
    // phrase matches (there is no word-boundary rule).
    if (status == u"registered"_s && reply.toLower().contains("avail"))
        QEXPECT_FAIL("", "registrar text matches AVAIL", Continue);
    QCOMPARE(verdict, status == u"available"_s ? Verdict::Available : Verdict::Registered);
}

QTEST_GUILESS_MAIN(TestVerdict)
#include "TestVerdict.moc"
