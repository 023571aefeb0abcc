#include "generate/NameGenerator.h"

#include <QTest>

using namespace Qt::StringLiterals;

class TestNameGenerator : public QObject
{
    Q_OBJECT

private slots:
    void order_data();
    void order();
    void runsPastSixteenBitCounts();
};

void TestNameGenerator::order_data()
{
    QTest::addColumn<QString>("base");
    QTest::addColumn<QStringList>("words");
    QTest::addColumn<QStringList>("tlds");
    QTest::addColumn<bool>("prefixes");
    QTest::addColumn<bool>("suffixes");
    QTest::addColumn<bool>("hyphens");
    QTest::addColumn<QStringList>("expected");

    const QStringList com{u".com"_s};
    QTest::newRow("plain names only") << u"shop"_s << QStringList() << QStringList{u".com"_s, u".net"_s} << true << true
                                      << true << QStringList{u"shop.com"_s, u"shop.net"_s};
    QTest::newRow("every form, in order")
        << u"shop"_s << QStringList{u"my"_s} << com << true << true << true
        << QStringList{u"shop.com"_s, u"myshop.com"_s, u"my-shop.com"_s, u"shopmy.com"_s, u"shop-my.com"_s};
    QTest::newRow("one-letter base keeps its case, no plain names")
        << u"A"_s << QStringList{u"best"_s} << com << true << false << false << QStringList{u"bestA.com"_s};
    QTest::newRow("spaces leave made words only") << u"my shop"_s << QStringList{u"big deal"_s} << com << false << true
                                                  << false << QStringList{u"my shop.com"_s, u"myshopbigdeal.com"_s};
    QTest::newRow("empty base") << QString() << QStringList{u"my"_s} << com << true << false << true
                                << QStringList{u"my.com"_s};
    QTest::newRow("no empty label, no hyphen at a label's end")
        << u"shop"_s << QStringList{u"my-"_s, u"."_s} << com << true << true << true
        << QStringList{u"shop.com"_s, u"my-shop.com"_s, u"my--shop.com"_s};
    QTest::newRow("only the TLD is lower-cased")
        << u"Shop"_s << QStringList{u"My"_s} << QStringList{u".COM"_s, u".Co.UK"_s} << false << true << false
        << QStringList{u"Shop.com"_s, u"Shop.co.uk"_s, u"ShopMy.com"_s, u"ShopMy.co.uk"_s};
    QTest::newRow("each form across every TLD, word by word, duplicates kept")
        << u"go"_s << QStringList{u"a"_s, u"a"_s} << QStringList{u".com"_s, u".net"_s} << true << true << false
        << QStringList{u"go.com"_s,  u"go.net"_s,  u"ago.com"_s, u"ago.net"_s, u"goa.com"_s,
                       u"goa.net"_s, u"ago.com"_s, u"ago.net"_s, u"goa.com"_s, u"goa.net"_s};
    QTest::newRow("hyphens alone make nothing")
        << u"shop"_s << QStringList{u"my"_s} << com << false << false << true << QStringList{u"shop.com"_s};
    QTest::newRow("no TLD ticked") << u"shop"_s << QStringList{u"my"_s} << QStringList() << true << true << true
                                   << QStringList();
}

void TestNameGenerator::order()
{
    QFETCH(QString, base);
    QFETCH(QStringList, words);
    QFETCH(QStringList, tlds);
    QFETCH(bool, prefixes);
    QFETCH(bool, suffixes);
    QFETCH(bool, hyphens);
    QFETCH(QStringList, expected);

    const NameGenerator generator(base, tlds, NameForms{prefixes, suffixes, hyphens});
    QCOMPARE(generator.generate(words), expected);

    // The window makes the same names step by step.
    QStringList stepwise;
    generator.appendPlainNames(stepwise);
    for (const QString &word : std::as_const(words))
        generator.appendWordNames(word, stepwise);
    QCOMPARE(stepwise, expected);
}

void TestNameGenerator::runsPastSixteenBitCounts()
{
    QStringList words;
    for (int i = 0; i < 1000; ++i)
        words << u"w%1"_s.arg(i);
    const QStringList tlds{u".a"_s, u".b"_s, u".c"_s, u".d"_s, u".e"_s, u".f"_s, u".g"_s, u".h"_s, u".i"_s, u".j"_s};
    const QStringList names = NameGenerator(u"ab"_s, tlds, NameForms{}).generate(words);
    QCOMPARE(names.size(), 10 + 1000 * 4 * 10);
    QCOMPARE(names.at(32767), u"ab-w818.h"_s);
    QCOMPARE(names.last(), u"ab-w999.j"_s);
}

QTEST_APPLESS_MAIN(TestNameGenerator)
#include "TestNameGenerator.moc"
