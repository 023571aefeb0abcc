#include "search/WordFile.h"
#include "tests/support/TestFiles.h"

#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

class TestWordFile : public QObject
{
    Q_OBJECT

private slots:
    void positionsCountUsableLines_data();
    void positionsCountUsableLines();
    void missingFileReadsNothingAndSaysSo();
    void followsFileThatGrowsOrIsReplaced();
};

void TestWordFile::positionsCountUsableLines_data()
{
    QTest::addColumn<QByteArray>("contents");
    QTest::addColumn<QStringList>("words");
    QTest::newRow("empty line skipped, last word without final empty line")
        << "apple\r\n\r\npear\r\nplum\r\n"_ba << QStringList{u"apple"_s, u"pear"_s, u"plum"_s};
    QTest::newRow("trailing empty line") << "apple\r\n\r\npear\r\nplum\r\n\r\n"_ba
                                         << QStringList{u"apple"_s, u"pear"_s, u"plum"_s};
    QTest::newRow("one word, no line end") << "only"_ba << QStringList{u"only"_s};
    QTest::newRow("spaces are a word") << "a\r\n \r\n  b \r\n"_ba << QStringList{u"a"_s, u" "_s, u"  b "_s};
    QTest::newRow("LF and lone CR line ends") << "a\nb\rc\r\n\n\rd"_ba << QStringList{u"a"_s, u"b"_s, u"c"_s, u"d"_s};
    QTest::newRow("8-bit text") << "caf\xe9.com\r\n"_ba << QStringList{QString::fromLatin1("caf\xe9.com")};
    QTest::newRow("empty file") << QByteArray() << QStringList();
    QTest::newRow("only line ends") << "\r\n\r\n\n"_ba << QStringList();
}

void TestWordFile::positionsCountUsableLines()
{
    QFETCH(QByteArray, contents);
    QFETCH(QStringList, words);
    QTemporaryDir folder;
    writeFile(folder.filePath(u"list.txt"_s), contents);
    WordFile file(folder.filePath(u"list.txt"_s));

    QCOMPARE(file.countListEntries(), words.size());
    // Read backwards first: the index, not a forward scan, must answer.
    for (qint32 position = qint32(words.size()); position >= 1; --position)
        QCOMPARE(file.readWord(position), words.at(position - 1));
    QCOMPARE(file.readWord(qint32(words.size()) + 1), QString());
    QCOMPARE(file.readWord(0), QString());
    QCOMPARE(file.readWord(-3), QString());
    QVERIFY(file.readFailure().isEmpty());
}

void TestWordFile::missingFileReadsNothingAndSaysSo()
{
    WordFile file(u"/nonexistent/folder/list.txt"_s);
    QCOMPARE(file.countListEntries(), 0);
    QCOMPARE(file.readWord(1), QString());
    QCOMPARE(file.readFailure(), u"File /nonexistent/folder/list.txt not found."_s);

    WordFile unset;
    QCOMPARE(unset.countListEntries(), 0);
}

void TestWordFile::followsFileThatGrowsOrIsReplaced()
{
    QTemporaryDir folder;
    const QString path = folder.filePath(u"list.txt"_s);
    writeFile(path, "one\r\ntwo\r\n");
    WordFile file(path);
    QCOMPARE(file.readWord(2), u"two"_s);
    QCOMPARE(file.readWord(3), QString());

    QFile grown(path);
    QVERIFY(grown.open(QIODevice::Append));
    grown.write("three\r\n");
    grown.close();
    QCOMPARE(file.readWord(3), u"three"_s);

    // Replaced by a new file (rename over the old one), even of the same size.
    const QString replacement = folder.filePath(u"new.txt"_s);
    writeFile(replacement, "uno\r\ndos\r\ntres\r\n");
    QVERIFY(QFile::remove(path));
    QVERIFY(QFile::rename(replacement, path));
    QCOMPARE(file.readWord(1), u"uno"_s);
    QCOMPARE(file.countListEntries(), 3);

    QVERIFY(QFile::remove(path));
    QCOMPARE(file.readWord(1), QString());
    QVERIFY(!file.readFailure().isEmpty());
}

QTEST_GUILESS_MAIN(TestWordFile)
#include "TestWordFile.moc"
