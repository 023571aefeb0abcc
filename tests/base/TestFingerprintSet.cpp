#include "base/FingerprintSet.h"

#include <QTest>

using namespace Qt::StringLiterals;

class TestFingerprintSet : public QObject
{
    Q_OBJECT

private slots:
    void repeatsAreTold_data();
    void repeatsAreTold();
};

void TestFingerprintSet::repeatsAreTold_data()
{
    QTest::addColumn<int>("count");
    QTest::newRow("one") << 1;
    QTest::newRow("across the first growth") << 1000;
    QTest::newRow("four-letter names in two TLDs") << 2 * 26 * 26 * 26 * 26;
}

// Every new name is new and every name met again is a repeat, through
// every growth of the table; names differing in one letter or only in
// length stay apart.
void TestFingerprintSet::repeatsAreTold()
{
    QFETCH(int, count);
    QStringList names;
    for (int index = 0; index < count; ++index) {
        QString label;
        for (int rest = index / 2, letter = 0; letter < 4; ++letter, rest /= 26)
            label.prepend(QChar(u'a' + rest % 26));
        names << label + (index % 2 ? u".net"_s : u".com"_s);
    }
    FingerprintSet set;
    for (const QString &name : names)
        QVERIFY2(set.insert(name), qPrintable(name));
    QCOMPARE(set.size(), qsizetype(count));
    for (const QString &name : names) {
        QVERIFY(set.contains(name));
        QVERIFY(!set.insert(name));
    }
    QVERIFY(!set.contains(u"aaaa.org"_s));
    QVERIFY(!set.contains(names.first() + u"a"_s));
    set.clear();
    QCOMPARE(set.size(), 0);
    QVERIFY(!set.contains(names.first()));
    QVERIFY(set.insert(names.first()));
}

QTEST_GUILESS_MAIN(TestFingerprintSet)
#include "TestFingerprintSet.moc"
