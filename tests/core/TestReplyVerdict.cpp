#include "core/DefaultTldTable.h"
#include "core/ReplyVerdict.h"
#include "tests/support/TestData.h"

#include <QFile>
#include <QRegularExpression>
#include <QTest>

using namespace Qt::StringLiterals;

Q_DECLARE_METATYPE(Verdict)

class TestReplyVerdict : public QObject
{
    Q_OBJECT

private slots:
    void rules_data();
    void rules();
    void recordNamesAskedName_data();
    void recordNamesAskedName();
    void repliesWithByteOrderMark_data();
    void repliesWithByteOrderMark();
    void realReplies();
};

void TestReplyVerdict::rules_data()
{
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<QString>("phrases");
    QTest::addColumn<Verdict>("verdict");
    QTest::addColumn<QString>("reason");
    const QString standard = QString::fromLatin1(DefaultTldTable::standardIndicators);
    const QByteArray record = "Domain Name: NAME.TEST\r\nRegistrar: Example\r\nCreation Date: 2001-01-01\r\n"_ba;

    QTest::newRow("limit first") << "No match\r\nToo many requests, slow down"_ba << standard << Verdict::Blocked
                                 << u"ratelimit:too many requests"_s;
    QTest::newRow("limit as a condition in terms of use")
        << "If too many queries are received from one address, queries are refused.\nNo match"_ba << standard
        << Verdict::Available << u"phrase:No match"_s;
    QTest::newRow("record beats phrase") << record + "Status: unavailable, not made publicly available"_ba << standard
                                         << Verdict::Registered << u"registered:record"_s;
    QTest::newRow("record of another name") << "Domain Name: OTHER.TEST\nRegistrar: R\nCreated: 2001\nNo match"_ba
                                            << standard << Verdict::Available << u"phrase:No match"_s;
    QTest::newRow("record saying free") << "Domain name: name.test\nDomain status: available\nRegistrar: -\n"_ba
                                        << standard << Verdict::Available << u"phrase:AVAIL"_s;
    QTest::newRow("value on next line") << "Domain name:\n    name.test\nRegistrar:\n    R\nName servers:\n    ns\n"_ba
                                        << u"AVAIL"_s << Verdict::Registered << u"registered:record"_s;
    QTest::newRow("not available") << "This name is not available for registration"_ba << standard
                                   << Verdict::Registered << u"nomatch"_s;
    QTest::newRow("unavailable") << "Domain status: unavailable"_ba << standard << Verdict::Registered << u"nomatch"_s;
    QTest::newRow("available at an address")
        << "More information is available at https://nic.test/"_ba << standard << Verdict::Registered << u"nomatch"_s;
    QTest::newRow("available, wrapped prose")
        << "% information made available\n% to: anyone"_ba << standard << Verdict::Registered << u"nomatch"_s;
    QTest::newRow("field name") << "Available: Wed Feb 1 2012"_ba << standard << Verdict::Registered << u"nomatch"_s;
    QTest::newRow("negation stops at a colon") << "The queried object does not exist: DOMAIN NOT FOUND"_ba << standard
                                               << Verdict::Available << u"phrase:not found"_s;
    QTest::newRow("field naming the name")
        << "Not found: name.test"_ba << standard << Verdict::Available << u"phrase:not found"_s;
    QTest::newRow("long sentence") << "Terms: the data is provided as is and is AVAILABLE for information purposes "
                                      "only to persons who agree to all of the terms set out here in full"_ba
                                   << u"AVAILABLE"_s << Verdict::Registered << u"nomatch"_s;
    QTest::newRow("registry form") << "%ERROR:101: no entries found\n% No Object Found"_ba << u"zzz"_s
                                   << Verdict::Available << u"notfound:no object found"_s;
    QTest::newRow("columns collapse") << "Status:\t\tFREE"_ba << u"zzz"_s << Verdict::Available
                                      << u"notfound:status: free"_s;
    QTest::newRow("refusal word") << "IP Blocked"_ba << standard << Verdict::Blocked << u"refusal:blocked"_s;
    QTest::newRow("empty piece") << "anything"_ba << u"x,,y"_s << Verdict::Available << u"phrase:"_s;
    QTest::newRow("nothing known") << "Domain Name: X.COM"_ba << standard << Verdict::Registered << u"nomatch"_s;
    QTest::newRow("empty reply") << QByteArray() << standard << Verdict::Registered << u"nomatch"_s;
}

void TestReplyVerdict::rules()
{
    QFETCH(QByteArray, reply);
    QFETCH(QString, phrases);
    QFETCH(Verdict, verdict);
    QFETCH(QString, reason);
    const ReplyJudgement judgement = ReplyVerdict::shipped().judge(reply, u"name.test"_s, VerdictRule(phrases));
    QCOMPARE(judgement.reason, reason);
    QCOMPARE(judgement.verdict, verdict);
}

// A name outside ASCII goes out in its IDNA form and a registry may name it
// in either form, in any letter case: the record is recognised all the same.
void TestReplyVerdict::recordNamesAskedName_data()
{
    QTest::addColumn<QString>("asked");
    QTest::addColumn<QByteArray>("recordName");
    QTest::addColumn<bool>("record");
    const QString unicode = u"b\u00fccherstube.name"_s;
    QTest::newRow("Unicode asked, ACE in record") << unicode << "XN--BCHERSTUBE-9DB.NAME"_ba << true;
    QTest::newRow("Unicode asked, UTF-8 in record") << unicode << "B\xC3\x9C" "CHERSTUBE.NAME"_ba << true;
    QTest::newRow("Unicode asked, Latin-1 in record") << unicode << "b\xFC" "cherstube.name."_ba << true;
    QTest::newRow("upper case asked, ACE in record") << u"B\u00dcCHERSTUBE.NAME"_s << "xn--bcherstube-9db.name"_ba
                                                     << true;
    QTest::newRow("ACE asked, UTF-8 in record") << u"xn--bcherstube-9db.name"_s << "b\xC3\xBC" "cherstube.name"_ba
                                                << true;
    QTest::newRow("ASCII asked") << u"buecherstube.name"_s << "BUECHERSTUBE.NAME"_ba << true;
    QTest::newRow("ASCII twin of the Unicode name") << u"buecherstube.name"_s << "XN--BCHERSTUBE-9DB.NAME"_ba << false;
    QTest::newRow("another Unicode name") << unicode << "XN--BCHERSTUBE-ZDB.NAME"_ba << false;
}

void TestReplyVerdict::recordNamesAskedName()
{
    QFETCH(QString, asked);
    QFETCH(QByteArray, recordName);
    QFETCH(bool, record);
    const QByteArray reply = "Domain Name: " + recordName +
                             "\r\nRegistrar: Example\r\nCreation Date: 2001-01-01\r\nNo match\r\n";
    const ReplyJudgement judgement =
        ReplyVerdict::shipped().judge(reply, asked, VerdictRule(QString::fromLatin1(DefaultTldTable::standardIndicators)));
    QCOMPARE(judgement.reason, record ? u"registered:record"_s : u"phrase:No match"_s);
}

// A reply with a byte-order mark is judged as the text it encodes.
void TestReplyVerdict::repliesWithByteOrderMark_data()
{
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<QString>("reason");
    const auto utf16 = [](const QString &text, bool littleEndian) {
        QByteArray bytes = littleEndian ? "\xFF\xFE"_ba : "\xFE\xFF"_ba;
        for (const QChar c : text) {
            const char high = char(c.unicode() >> 8);
            const char low = char(c.unicode() & 0xff);
            bytes.append(littleEndian ? low : high).append(littleEndian ? high : low);
        }
        return bytes;
    };
    const QString free = u"No match for \"NAME.TEST\".\r\n"_s;
    const QString taken = u"Domain Name: NAME.TEST\r\nRegistrar: Ex\u00e4mple\r\nCreation Date: 2001-01-01\r\n"_s;
    const QString limited = u"Query rate limit exceeded\r\n"_s;
    QTest::newRow("UTF-16LE free") << utf16(free, true) << u"phrase:No match"_s;
    QTest::newRow("UTF-16BE free") << utf16(free, false) << u"phrase:No match"_s;
    QTest::newRow("UTF-16LE record") << utf16(taken, true) << u"registered:record"_s;
    QTest::newRow("UTF-16BE limit") << utf16(limited, false) << u"ratelimit:query rate limit exceeded"_s;
    QTest::newRow("UTF-8 record") << "\xEF\xBB\xBF"_ba + taken.toUtf8() << u"registered:record"_s;
    QTest::newRow("UTF-16LE cut in a character") << utf16(free, true).chopped(1) << u"phrase:No match"_s;
}

void TestReplyVerdict::repliesWithByteOrderMark()
{
    QFETCH(QByteArray, reply);
    QFETCH(QString, reason);
    const VerdictRule standard(QString::fromLatin1(DefaultTldTable::standardIndicators));
    QCOMPARE(ReplyVerdict::shipped().judge(reply, u"name.test"_s, standard).reason, reason);
}

// Every labelled real reply, asked as the name it answers, with the standard
// phrases: no reply that is not "available" may come out available, every
// rate-limit reply is blocked, and nearly all verdicts are right.
void TestReplyVerdict::realReplies()
{
    const QString root = testDataDir(u"whois"_s);
    if (root.isEmpty())
        QSKIP("shared test data not present");
    QFile index(root + u"/index.tsv"_s);
    QVERIFY(index.open(QIODevice::ReadOnly));
    index.readLine();
    const QRegularExpression nameInFileName(u"^(?:go|py|pw)_status_[a-z]+-(.+\\..+)\\.txt$"_s);
    const QRegularExpression nameInRecord(
        u"^\\s*domain(?:[ _]?name)?:[ \\t]*\\n?[ \\t]*([a-z0-9.-]+\\.[a-z0-9-]+)\\.?\\s*$"_s,
        QRegularExpression::MultilineOption | QRegularExpression::CaseInsensitiveOption);
    const VerdictRule standard(QString::fromLatin1(DefaultTldTable::standardIndicators));
    int total = 0;
    int right = 0;
    QStringList falselyAvailable;
    QStringList limitsMissed;
    while (!index.atEnd()) {
        const QStringList fields = QString::fromUtf8(index.readLine()).trimmed().split(QLatin1Char('\t'));
        if (fields.size() < 4)
            continue;
        QFile file(root + QLatin1Char('/') + fields.at(3));
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray reply = file.readAll();
        QString name = nameInFileName.match(fields.at(3).section(QLatin1Char('/'), -1)).captured(1);
        if (name.isEmpty())
            name = nameInRecord.match(QString::fromLatin1(reply).remove(QLatin1Char('\r'))).captured(1);
        const Verdict verdict = ReplyVerdict::shipped().judge(reply, name, standard).verdict;
        const bool available = fields.at(2) == u"available"_s;
        ++total;
        right += (verdict == Verdict::Available) == available ? 1 : 0;
        if (!available && verdict == Verdict::Available)
            falselyAvailable << fields.at(3);
        if (fields.at(3).contains(u"throttled"_s) && verdict != Verdict::Blocked)
            limitsMissed << fields.at(3);
    }
    QVERIFY2(falselyAvailable.isEmpty(), qPrintable(u"called available: "_s + falselyAvailable.join(u' ')));
    QVERIFY2(limitsMissed.isEmpty(), qPrintable(u"not blocked: "_s + limitsMissed.join(u' ')));
    QVERIFY2(right * 100 >= total * 97, qPrintable(u"%1 of %2 right"_s.arg(right).arg(total)));
}

QTEST_GUILESS_MAIN(TestReplyVerdict)
#include "TestReplyVerdict.moc"
