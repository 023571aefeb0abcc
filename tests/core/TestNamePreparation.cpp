#include "core/NamePreparation.h"

#include <QTest>

using namespace Qt::StringLiterals;

class TestNamePreparation : public QObject
{
    Q_OBJECT

private slots:
    void urlDecodeCodes_data();
    void urlDecodeCodes();
    void correctNameCleansLabelOnly_data();
    void correctNameCleansLabelOnly();
    void prepareLookupName_data();
    void prepareLookupName();
    void preparedNameIsOneQueryLine_data();
    void preparedNameIsOneQueryLine();
    void queryBytes_data();
    void queryBytes();
    void domainQueryBytes_data();
    void domainQueryBytes();
};

void TestNamePreparation::urlDecodeCodes_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("decoded");
    QTest::newRow("unlisted code stays") << u"%2541"_s << u"%41"_s;
    QTest::newRow("double encoding") << u"%2520"_s << u" "_s;
    QTest::newRow("triple encoding") << u"a%252520b"_s << u"a b"_s;
    QTest::newRow("plus stays") << u"a+b"_s << u"a+b"_s;
    QTest::newRow("lower-case code") << u"%3cb%3E"_s << u"<b>"_s;
    QTest::newRow("every code") << u"%20%3C%3E%23%7B%7D%7C%5C%5E%7E%5B%5D%60%3B%2F%3F%3A%40%3D%26%24"_s
                                << u" <>#{}|\\^~[]`;/?:@=&$"_s;
    QTest::newRow("line breaks") << u"a%0D%0Ab"_s << u"a\r\nb"_s;
    QTest::newRow("lone percent") << u"100%"_s << u"100%"_s;
}

void TestNamePreparation::urlDecodeCodes()
{
    QFETCH(QString, text);
    QFETCH(QString, decoded);
    QCOMPARE(urlDecode(text), decoded);
}

void TestNamePreparation::correctNameCleansLabelOnly_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("corrected");
    QTest::newRow("clean") << u"example.com"_s << u"example.com"_s;
    QTest::newRow("underscore") << u"exa_mple.com"_s << u"example.com"_s;
    QTest::newRow("site prefix") << u"site:example.com"_s << u"example.com"_s;
    QTest::newRow("no dot") << u"example"_s << u"example"_s;
    QTest::newRow("space and bang") << u"ex ample!.com"_s << u"example.com"_s;
    QTest::newRow("bold tags") << u"<b>foo</b>.net"_s << u"foob.net"_s;
    QTest::newRow("entity") << u"a&nbsp;b.com"_s << u"ab.com"_s;
    QTest::newRow("hyphen digits at brackets stay") << u"a-1@[x]{y}.com"_s << u"a-1@[x]{y}.com"_s;
    QTest::newRow("suffix junk kept") << u"ab.c_d"_s << u"ab.c_d"_s;
    QTest::newRow("question mark in suffix") << u"ab.co?m"_s << u"ab.com"_s;
    QTest::newRow("suffix starts at first dot") << u"ex/am.p_le.com"_s << u"exam.p_le.com"_s;
    QTest::newRow("latin-1 marks") << QString::fromLatin1("a\xAB\xB4\xAF\xBA\xB8z.org") << u"az.org"_s;
    QTest::newRow("case-sensitive junk") << u"SITE:ab"_s << u"SITEab"_s;
}

void TestNamePreparation::correctNameCleansLabelOnly()
{
    QFETCH(QString, name);
    QFETCH(QString, corrected);
    QCOMPARE(correctName(name), corrected);
}

void TestNamePreparation::prepareLookupName_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("chosenTld");
    QTest::addColumn<QString>("defaultExtension");
    QTest::addColumn<QString>("prepared");
    QTest::newRow("own suffix wins over combo")
        << u"related:Example.com"_s << u"net"_s << u".com"_s << u"example.com"_s;
    QTest::newRow("default extension") << u"example"_s << QString() << u".com"_s << u"example.com"_s;
    QTest::newRow("combo tld") << u"example"_s << u"org"_s << u".com"_s << u"example.org"_s;
    QTest::newRow("empty name") << QString() << u"com"_s << u".com"_s << u".com"_s;
    QTest::newRow("only after first colon") << u"a:b:c.com"_s << QString() << u".com"_s << u"bc.com"_s;
    QTest::newRow("percent-encoded") << u"my%20site"_s << u"net"_s << u".com"_s << u"mysite.net"_s;
    QTest::newRow("encoded dot is decoded first") << u"foo%2Ecom"_s << QString() << u".com"_s << u"foo2ecom.com"_s;
    QTest::newRow("default without dot used as is") << u"ab"_s << QString() << u"net"_s << u"abnet"_s;
    QTest::newRow("ascii lowered") << u"ExAmPle.CoM"_s << QString() << u".com"_s << u"example.com"_s;
    QTest::newRow("other letters left to idna") << u"BÜCHER"_s << u"DE"_s << u".com"_s << u"bÜcher.de"_s;
    QTest::newRow("trailing dot dropped") << u"foo.com."_s << QString() << u".net"_s << u"foo.com"_s;
    QTest::newRow("trailing dot without tld") << u"foo."_s << QString() << u".net"_s << u"foo.net"_s;
}

void TestNamePreparation::prepareLookupName()
{
    QFETCH(QString, name);
    QFETCH(QString, chosenTld);
    QFETCH(QString, defaultExtension);
    QFETCH(QString, prepared);
    QCOMPARE(::prepareLookupName(name, chosenTld, defaultExtension), prepared);
}

void TestNamePreparation::preparedNameIsOneQueryLine_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("prepared");
    QTest::newRow("encoded CR LF") << u"evil%0D%0Aother.com"_s << u"evilother.com"_s;
    QTest::newRow("raw CR LF in suffix") << u"a.com\r\nb.com"_s << u"a.comb.com"_s;
    QTest::newRow("NUL and DEL") << QStringLiteral("a\u0000b\u007Fc") << u"abc.com"_s;
    QTest::newRow("tab") << u"a\tb.net"_s << u"ab.net"_s;
}

void TestNamePreparation::preparedNameIsOneQueryLine()
{
    QFETCH(QString, name);
    QFETCH(QString, prepared);
    QCOMPARE(::prepareLookupName(name, QString(), u".com"_s), prepared);
}

void TestNamePreparation::queryBytes_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("expected"); // empty: no query at all

    QTest::newRow("ascii as written") << QStringLiteral("Sunfern.com") << QByteArray("Sunfern.com");
    QTest::newRow("idna") << QStringLiteral("日本語.com") << QByteArray("xn--wgv71a119e.com");
    QTest::newRow("latin-1 letter") << QStringLiteral("bücher.de") << QByteArray("xn--bcher-kva.de");
    QTest::newRow("next line control") << QStringLiteral("a\u0085b.com") << QByteArray();
    QTest::newRow("63-octet label") << QString(63, QLatin1Char('a')) + QStringLiteral(".com")
                                    << QByteArray(63, 'a') + ".com";
    QTest::newRow("64-octet label") << QString(64, QLatin1Char('a')) + QStringLiteral(".com") << QByteArray();
    const QString longName = (QString(60, QLatin1Char('a')) + QLatin1Char('.')).repeated(5) + QStringLiteral("com");
    QTest::newRow("over 253") << longName << QByteArray();
    QTest::newRow("a megabyte") << QString(1 << 20, QLatin1Char('a')) << QByteArray();
    QTest::newRow("empty") << QString() << QByteArray();
}

void TestNamePreparation::queryBytes()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, expected);
    const std::optional<QByteArray> bytes = ::queryBytes(name);
    QCOMPARE(bytes.value_or(QByteArray()), expected);
    if (bytes)
        QCOMPARE(::domainQueryBytes(name).value_or(QByteArray()), expected);
}

void TestNamePreparation::domainQueryBytes_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("expected"); // empty: nobody could register it, no query

    QTest::newRow("hyphens inside") << QStringLiteral("a-b--c.co.uk") << QByteArray("a-b--c.co.uk");
    QTest::newRow("idna") << QStringLiteral("bücher.de") << QByteArray("xn--bcher-kva.de");
    QTest::newRow("leading hyphen") << QStringLiteral("-lead.com") << QByteArray();
    QTest::newRow("trailing hyphen") << QStringLiteral("trail-.com") << QByteArray();
    QTest::newRow("lone hyphen") << QStringLiteral("-.com") << QByteArray();
    QTest::newRow("empty label") << QStringLiteral("a..com") << QByteArray();
    QTest::newRow("bare extension") << QStringLiteral(".com") << QByteArray();
    QTest::newRow("space") << QStringLiteral("ex ample.com") << QByteArray();
    QTest::newRow("at sign") << QStringLiteral("a@b.com") << QByteArray();
    QTest::newRow("underscore") << QStringLiteral("a.b_c.com") << QByteArray();
    QTest::newRow("64-octet label") << QString(64, QLatin1Char('a')) + QStringLiteral(".com") << QByteArray();
}

void TestNamePreparation::domainQueryBytes()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, expected);
    QCOMPARE(::domainQueryBytes(name).value_or(QByteArray()), expected);
}

QTEST_GUILESS_MAIN(TestNamePreparation)
#include "TestNamePreparation.moc"
