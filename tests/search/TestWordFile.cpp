#include "search/WordFile.h"
#include "tests/support/TestFiles.h"

#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

const QString endOfList = u"<end of list>"_s;

// The word read, the end of the list, or "failed: " and the message.
QString outcome(const WordRead &read)
{
    switch (read.status) {
    case WordRead::Status::Word:
        return read.word;
    case WordRead::Status::EndOfList:
        return endOfList;
    case WordRead::Status::ReadFailed:
        return u"failed: "_s + read.error;
    }
    return {};
}

} // namespace

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
    QTest::newRow("latin-1 beside ascii") << "plain\r\nb\xfc" "cher\r\nstra\xdf" "e\r\n"_ba
                                          << QStringList{u"plain"_s, u"bücher"_s, u"straße"_s};
    QTest::newRow("utf-8") << "plain\nb\xc3\xbc" "cher\n\xe6\x97\xa5\xe6\x9c\xac\n"_ba
                           << QStringList{u"plain"_s, u"bücher"_s, u"日本"_s};
    QTest::newRow("utf-8 with byte-order mark") << "\xef\xbb\xbf" "b\xc3\xbc" "cher\r\nx\r\n"_ba
                                                << QStringList{u"bücher"_s, u"x"_s};
    QTest::newRow("byte-order mark alone on its line") << "\xef\xbb\xbf\r\nx"_ba << QStringList{u"x"_s};
    // One stray 8-bit byte far down makes the whole file Latin-1.
    QTest::newRow("utf-8 then latin-1 past a chunk")
        << "b\xc3\xbc" "cher\n"_ba + QByteArray(70000, 'a') + "\n\xe9\n"_ba
        << QStringList{QString::fromLatin1("b\xc3\xbc" "cher"), QString(70000, u'a'), QString::fromLatin1("\xe9")};
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

    QString error;
    QCOMPARE(file.countListEntries(&error), words.size());
    QVERIFY(error.isEmpty());
    // Read backwards first: the index, not a forward scan, must answer.
    for (qint32 position = qint32(words.size()); position >= 1; --position)
        QCOMPARE(outcome(file.readWord(position)), words.at(position - 1));
    QCOMPARE(outcome(file.readWord(qint32(words.size()) + 1)), endOfList);
    QCOMPARE(outcome(file.readWord(0)), endOfList);
    QCOMPARE(outcome(file.readWord(-3)), endOfList);
}

void TestWordFile::missingFileReadsNothingAndSaysSo()
{
    WordFile file(u"/nonexistent/folder/list.txt"_s);
    QString error;
    QCOMPARE(file.countListEntries(&error), 0);
    QCOMPARE(error, u"File /nonexistent/folder/list.txt not found."_s);
    QCOMPARE(outcome(file.readWord(1)), u"failed: File /nonexistent/folder/list.txt not found."_s);

    WordFile unset;
    QCOMPARE(unset.countListEntries(), 0);
}

void TestWordFile::followsFileThatGrowsOrIsReplaced()
{
    QTemporaryDir folder;
    const QString path = folder.filePath(u"list.txt"_s);
    writeFile(path, "one\r\ntwo\r\n");
    WordFile file(path);
    QCOMPARE(outcome(file.readWord(2)), u"two"_s);
    QCOMPARE(outcome(file.readWord(3)), endOfList);

    QFile grown(path);
    QVERIFY(grown.open(QIODevice::Append));
    grown.write("three\r\n");
    grown.close();
    QCOMPARE(outcome(file.readWord(3)), u"three"_s);

    // Replaced by a new file (rename over the old one), even of the same size.
    const QString replacement = folder.filePath(u"new.txt"_s);
    writeFile(replacement, "uno\r\ndos\r\ntres\r\n");
    QVERIFY(QFile::remove(path));
    QVERIFY(QFile::rename(replacement, path));
    QCOMPARE(outcome(file.readWord(1)), u"uno"_s);
    QCOMPARE(file.countListEntries(), 3);

    QVERIFY(QFile::remove(path));
    QVERIFY(outcome(file.readWord(1)).startsWith(u"failed: "_s));
}

QTEST_GUILESS_MAIN(TestWordFile)
#include "TestWordFile.moc"
