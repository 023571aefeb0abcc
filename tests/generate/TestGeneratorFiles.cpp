#include "generate/AppendsFile.h"
#include "tests/support/TestFiles.h"

#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

class TestGeneratorFiles : public QObject
{
    Q_OBJECT

private slots:
    void readsUsableLines();
    void missingAppendsFile();
    void appendWord_data();
    void appendWord();
    void removeWord_data();
    void removeWord();
};

void TestGeneratorFiles::readsUsableLines()
{
    QTemporaryDir folder;
    const AppendsFile appends(folder.path());
    writeFile(appends.path(), "\r\nbest\r\n \r\n  two\r\nbig deal \r\nlf only\n\r\n\xe9t\xe9\r\nlast");
    QStringList words{u"kept"_s};
    QVERIFY(appends.readWords(words));
    QCOMPARE(words, (QStringList{u"kept"_s, u"best"_s, u"  two"_s, u"big deal "_s, u"lf only"_s,
                                 QString::fromLatin1("\xe9t\xe9"), u"last"_s}));
}

void TestGeneratorFiles::missingAppendsFile()
{
    QTemporaryDir folder;
    const AppendsFile appends(folder.path());
    QStringList words;
    QString error;
    QVERIFY(!appends.readWords(words, &error));
    QVERIFY2(error.contains(u"Appends.txt"_s), qPrintable(error));
    QVERIFY(!appends.removeWord(u"my"_s));
    QVERIFY(!QFile::exists(appends.path()));

    QVERIFY(appends.appendWord(u"my"_s));
    QCOMPARE(readFile(appends.path()), "my\r\n"_ba);
}

void TestGeneratorFiles::appendWord_data()
{
    QTest::addColumn<QByteArray>("before");
    QTest::addColumn<QString>("word");
    QTest::addColumn<QByteArray>("after");
    QTest::newRow("start-up file") << "\r\n"_ba << u"my"_s << "\r\nmy\r\n"_ba;
    QTest::newRow("as typed") << "a\r\n"_ba << u" Big Deal"_s << "a\r\n Big Deal\r\n"_ba;
    QTest::newRow("empty word") << "a\r\n"_ba << QString() << "a\r\n\r\n"_ba;
    QTest::newRow("last line without line end") << "a"_ba << u"b"_s << "a\r\nb\r\n"_ba;
    QTest::newRow("8-bit") << QByteArray() << QString::fromLatin1("caf\xe9") << "caf\xe9\r\n"_ba;
    QTest::newRow("8-bit into latin-1") << "b\xfc" "cher\r\n"_ba << QString::fromLatin1("caf\xe9")
                                        << "b\xfc" "cher\r\ncaf\xe9\r\n"_ba;
    QTest::newRow("8-bit into utf-8") << "b\xc3\xbc" "cher\r\n"_ba << QString::fromLatin1("caf\xe9")
                                      << "b\xc3\xbc" "cher\r\ncaf\xc3\xa9\r\n"_ba;
}

void TestGeneratorFiles::appendWord()
{
    QFETCH(QByteArray, before);
    QFETCH(QString, word);
    QFETCH(QByteArray, after);
    QTemporaryDir folder;
    const AppendsFile appends(folder.path());
    writeFile(appends.path(), before);
    QVERIFY(appends.appendWord(word));
    QCOMPARE(readFile(appends.path()), after);
}

void TestGeneratorFiles::removeWord_data()
{
    QTest::addColumn<QByteArray>("before");
    QTest::addColumn<QString>("word");
    QTest::addColumn<QByteArray>("after");
    QTest::newRow("every equal line goes") << "a\r\nmy\r\nb\r\nmy\r\n"_ba << u"my"_s << "a\r\nb\r\n\r\n"_ba;
    QTest::newRow("case-sensitive") << "My\r\nmy\r\n"_ba << u"my"_s << "My\r\n\r\n"_ba;
    QTest::newRow("start-up line kept") << "\r\nmy\r\n"_ba << u"my"_s << "\r\n\r\n"_ba;
    QTest::newRow("empty lines folded in one pass") << "\r\n\r\n\r\nx\r\n"_ba << u"y"_s << "\r\n\r\nx\r\n\r\n"_ba;
    QTest::newRow("no such word") << "x\r\n"_ba << u"y"_s << "x\r\n\r\n"_ba;
    QTest::newRow("utf-8 stays utf-8") << "\xef\xbb\xbf" "b\xc3\xbc" "cher\r\nmy\r\n"_ba << u"my"_s
                                       << "b\xc3\xbc" "cher\r\n\r\n"_ba;
}

void TestGeneratorFiles::removeWord()
{
    QFETCH(QByteArray, before);
    QFETCH(QString, word);
    QFETCH(QByteArray, after);
    QTemporaryDir folder;
    const AppendsFile appends(folder.path());
    writeFile(appends.path(), before);
    QVERIFY(appends.removeWord(word));
    QCOMPARE(readFile(appends.path()), after);
}

QTEST_APPLESS_MAIN(TestGeneratorFiles)
#include "TestGeneratorFiles.moc"
