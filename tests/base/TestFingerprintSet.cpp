#include "base/FingerprintSet.h"

#include <QTest>

using namespace Qt::StringLiterals;

class TestFingerprintSet : public QObject
{
    Q_OBJECT

private slots:
    void repeatsAreTold();
};

// Every four-letter label in two TLDs: each is new once and a repeat after, through
// every growth of the table; names differing in one letter or in length stay apart.
void TestFingerprintSet::repeatsAreTold()
{
    FingerprintSet set;
    QVERIFY(!set.contains(u"aaaa.com"_s));
    QStringList names;
    for (int index = 0; index < 2 * 26 * 26 * 26 * 26; ++index) {
        QString label;
        for (int rest = index / 2, letter = 0; letter < 4; ++letter, rest /= 26)
            label.prepend(QChar(u'a' + rest % 26));
        names << label + (index % 2 ? u".net"_s : u".com"_s);
        QVERIFY2(set.insert(names.last()), qPrintable(names.last()));
    }
    QCOMPARE(set.size(), names.size());
    for (const QString &name : std::as_const(names))
        QVERIFY(set.contains(name) && !set.insert(name));
    QVERIFY(!set.contains(u"aaaa.org"_s) && !set.contains(u"aaaa.coma"_s));
    set.clear();
    QCOMPARE(set.size(), 0);
    QVERIFY(set.insert(names.first()));
}

QTEST_GUILESS_MAIN(TestFingerprintSet)
#include "TestFingerprintSet.moc"
