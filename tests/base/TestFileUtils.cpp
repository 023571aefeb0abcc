#include "base/FileUtils.h"
#include "tests/support/FullFileSystem.h"
#include "tests/support/TestFiles.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

namespace {

QString withBackslashes(QString path)
{
    return path.replace(QLatin1Char('/'), QLatin1Char('\\'));
}

} // namespace

class TestFileUtils : public QObject
{
    Q_OBJECT

private slots:
    void fileNameFromPath_data();
    void fileNameFromPath();
    void fileExists_data();
    void fileExists();
    void dirExists_data();
    void dirExists();
    void copyFileReplacesOrCreatesDestination_data();
    void copyFileReplacesOrCreatesDestination();
    void copyFileReportsFailures();
    void writeFileAtomically();
    void writeFileAtomicallyReportsFailure();
    void writeFileAtomicallyOnAFullDisk();
    void readTextLines_data();
    void readTextLines();
};

void TestFileUtils::fileNameFromPath_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("expected");

    QTest::newRow("backslash path") << QStringLiteral("C:\\a\\b\\list.txt") << QStringLiteral("list.txt");
    QTest::newRow("bare name") << QStringLiteral("list.txt") << QStringLiteral("list.txt");
    QTest::newRow("trailing backslash") << QStringLiteral("C:\\a\\") << QString();
    QTest::newRow("empty") << QString() << QString();
    QTest::newRow("slash path") << QStringLiteral("/home/user/list.txt") << QStringLiteral("list.txt");
    QTest::newRow("trailing slash") << QStringLiteral("/home/user/") << QString();
    QTest::newRow("mixed, backslash last") << QStringLiteral("a/b\\c.txt") << QStringLiteral("c.txt");
    QTest::newRow("mixed, slash last") << QStringLiteral("a\\b/c.txt") << QStringLiteral("c.txt");
    QTest::newRow("spaces kept") << QStringLiteral("C:\\My Lists\\ two words .txt")
                                 << QStringLiteral(" two words .txt");
}

void TestFileUtils::fileNameFromPath()
{
    QFETCH(QString, path);
    QFETCH(QString, expected);
    QCOMPARE(::fileNameFromPath(path), expected);
}

void TestFileUtils::fileExists_data()
{
    QTest::addColumn<QString>("relative");
    QTest::addColumn<bool>("backslashes");
    QTest::addColumn<bool>("expected");

    QTest::newRow("exact name") << QStringLiteral("List.TXT") << false << true;
    QTest::newRow("lower case") << QStringLiteral("list.txt") << false << true;
    QTest::newRow("upper case") << QStringLiteral("LIST.TXT") << false << true;
    QTest::newRow("backslash separators, other case") << QStringLiteral("sub/Inner.txt") << true << true;
    QTest::newRow("in a subfolder, other case") << QStringLiteral("sub/INNER.TXT") << false << true;
    QTest::newRow("hidden file") << QStringLiteral(".hidden") << false << false;
    QTest::newRow("hidden file, other case") << QStringLiteral(".HIDDEN") << false << false;
    QTest::newRow("folder") << QStringLiteral("sub") << false << false;
    QTest::newRow("folder, other case") << QStringLiteral("SUB") << false << false;
    QTest::newRow("folder with trailing separator") << QStringLiteral("sub/") << false << false;
    QTest::newRow("fifo") << QStringLiteral("pipe") << false << false;
    QTest::newRow("missing") << QStringLiteral("missing.txt") << false << false;
    QTest::newRow("missing folder") << QStringLiteral("nowhere/list.txt") << false << false;
    QTest::newRow("below a file") << QStringLiteral("List.TXT/x.txt") << false << false;
    QTest::newRow("wildcard") << QStringLiteral("*.txt") << false << false;
}

void TestFileUtils::fileExists()
{
    QFETCH(QString, relative);
    QFETCH(bool, backslashes);
    QFETCH(bool, expected);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    writeFile(dir.filePath(QStringLiteral("List.TXT")), "x\r\n");
    writeFile(dir.filePath(QStringLiteral(".hidden")), "x\r\n");
    QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("sub")));
    writeFile(dir.filePath(QStringLiteral("sub/Inner.txt")), "x\r\n");
    QCOMPARE(::mkfifo(QFile::encodeName(dir.filePath(QStringLiteral("pipe"))).constData(), 0600), 0);

    QString path = dir.path() + QLatin1Char('/') + relative;
    if (backslashes)
        path = withBackslashes(path);
    QCOMPARE(::fileExists(path), expected);
}

void TestFileUtils::dirExists_data()
{
    QTest::addColumn<QString>("suffix");
    QTest::addColumn<bool>("expected");

    QTest::newRow("no trailing separator") << QStringLiteral("/folder") << true;
    QTest::newRow("trailing slash") << QStringLiteral("/folder/") << true;
    QTest::newRow("trailing backslash") << QStringLiteral("\\folder\\") << true;
    QTest::newRow("nested with backslashes") << QStringLiteral("\\folder\\inner") << true;
    QTest::newRow("missing") << QStringLiteral("/missing") << false;
    QTest::newRow("missing with trailing backslash") << QStringLiteral("/missing\\") << false;
    QTest::newRow("regular file") << QStringLiteral("/file.txt") << false;
    QTest::newRow("regular file with trailing separator") << QStringLiteral("/file.txt/") << false;
}

void TestFileUtils::dirExists()
{
    QFETCH(QString, suffix);
    QFETCH(bool, expected);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QVERIFY(QDir(dir.path()).mkpath(QStringLiteral("folder/inner")));
    writeFile(dir.filePath(QStringLiteral("file.txt")), "x");

    QCOMPARE(::dirExists(dir.path() + suffix), expected);
}

void TestFileUtils::copyFileReplacesOrCreatesDestination_data()
{
    QTest::addColumn<QByteArray>("oldDestination"); // empty: no destination yet
    QTest::addColumn<bool>("backslashes");

    QTest::newRow("new destination") << QByteArray() << false;
    QTest::newRow("longer destination replaced") << QByteArray("old contents that are longer\r\n") << false;
    QTest::newRow("backslash paths") << QByteArray("old\r\n") << true;
}

void TestFileUtils::copyFileReplacesOrCreatesDestination()
{
    QFETCH(QByteArray, oldDestination);
    QFETCH(bool, backslashes);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString source = dir.filePath(QStringLiteral("source.txt"));
    const QString destination = dir.filePath(QStringLiteral("destination.txt"));
    const QByteArray contents("a.com\r\nb.net\r\n");
    writeFile(source, contents);
    if (!oldDestination.isEmpty())
        writeFile(destination, oldDestination);

    if (backslashes)
        QVERIFY(copyFile(withBackslashes(source), withBackslashes(destination)));
    else
        QVERIFY(copyFile(source, destination));

    QCOMPARE(readFile(destination), contents);
    QCOMPARE(readFile(source), contents);
}

void TestFileUtils::copyFileReportsFailures()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString destination = dir.filePath(QStringLiteral("destination.txt"));

    QString error;
    QVERIFY(!copyFile(dir.filePath(QStringLiteral("missing.txt")), destination, &error));
    QVERIFY2(error.contains(QStringLiteral("missing.txt")), qPrintable(error));
    QVERIFY(!QFileInfo::exists(destination));

    // A folder is not a source; an existing destination stays as it was.
    writeFile(destination, "kept\r\n");
    QVERIFY(!copyFile(dir.path(), destination));
    QCOMPARE(readFile(destination), QByteArray("kept\r\n"));

    const QString source = dir.filePath(QStringLiteral("source.txt"));
    writeFile(source, "x\r\n");
    QVERIFY(!copyFile(source, dir.filePath(QStringLiteral("no/such/folder/copy.txt"))));
    QVERIFY(!QFileInfo::exists(dir.filePath(QStringLiteral("no"))));

    // A folder as destination is not replaced.
    QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("target")));
    QVERIFY(!copyFile(source, dir.filePath(QStringLiteral("target"))));
    QVERIFY(QFileInfo(dir.filePath(QStringLiteral("target"))).isDir());
}

void TestFileUtils::writeFileAtomically()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("TLDs.txt"));
    writeFile(path, "a much longer old text\r\n");

    QString error = QStringLiteral("untouched");
    QVERIFY(::writeFileAtomically(path, "new\r\n", &error));
    QCOMPARE(readFile(path), QByteArray("new\r\n"));
    QCOMPARE(error, QStringLiteral("untouched"));
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("TLDs.txt")});

    QVERIFY(::writeFileAtomically(withBackslashes(dir.filePath(QStringLiteral("Other.txt"))), "x"));
    QCOMPARE(readFile(dir.filePath(QStringLiteral("Other.txt"))), QByteArray("x"));
}

void TestFileUtils::writeFileAtomicallyReportsFailure()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());

    const QString missingFolder = dir.filePath(QStringLiteral("missing/TLDs.txt"));
    QString error;
    QVERIFY(!::writeFileAtomically(missingFolder, "x", &error));
    QVERIFY2(error.contains(missingFolder), qPrintable(error));
    QVERIFY2(!error.endsWith(QLatin1String(": ")), qPrintable(error)); // a reason follows the path
    QVERIFY(!QFileInfo::exists(dir.filePath(QStringLiteral("missing"))));

    const QString folder = dir.filePath(QStringLiteral("folder.txt"));
    QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("folder.txt")));
    error.clear();
    QVERIFY(!::writeFileAtomically(folder, "x", &error));
    QVERIFY2(error.contains(folder), qPrintable(error));
    QVERIFY(QFileInfo(folder).isDir());

    QVERIFY(!::writeFileAtomically(folder, "x")); // no error text wanted
}

void TestFileUtils::writeFileAtomicallyOnAFullDisk()
{
    FullFileSystem disk;
    if (!disk.isValid())
        QSKIP("mounting a small tmpfs needs root");
    const QString path = disk.filePath(QStringLiteral("SuperHighProfile.txt"));
    const QByteArray good = QByteArray("abc.com\r\n").repeated(300);
    QVERIFY(::writeFileAtomically(path, good));
    QVERIFY(disk.fill());

    // Small contents sit in a buffer until the end; large ones fail early.
    // Either way the old file stays whole and no temporary file is left.
    for (const int size : {10, 5000, 40000}) {
        QString error;
        QVERIFY(!::writeFileAtomically(path, QByteArray(size, 'n'), &error));
        QVERIFY2(error.contains(QLatin1String("SuperHighProfile.txt")), qPrintable(error));
        QCOMPARE(readFile(path), good);
        QCOMPARE(QDir(disk.path()).entryList(QDir::Files | QDir::Hidden),
                 (QStringList{QStringLiteral(".filler"), QStringLiteral("SuperHighProfile.txt")}));
    }
}

void TestFileUtils::readTextLines_data()
{
    QTest::addColumn<QByteArray>("contents");
    QTest::addColumn<QStringList>("lines");

    const QString buecher = QStringLiteral("b\u00FCcher");
    QTest::newRow("utf-8") << QByteArray("b\xC3\xBC" "cher\n\xE6\x97\xA5\xE6\x9C\xAC\n")
                           << QStringList{buecher, QStringLiteral("\u65E5\u672C")};
    QTest::newRow("utf-8 with byte-order mark") << QByteArray("\xEF\xBB\xBF" "b\xC3\xBC" "cher\r\n")
                                                << QStringList{buecher};
    QTest::newRow("latin-1") << QByteArray("b\xFC" "cher\r\nstra\xDF" "e\r\n")
                             << QStringList{buecher, QStringLiteral("stra\u00DFe")};
    // Read as UTF-8 this would be "bücher": the file decides, not each line.
    QTest::newRow("latin-1 with utf-8 lookalike") << QByteArray("b\xC3\xBC" "cher\n\xE9\n")
                                                  << QStringList{QStringLiteral("b\u00C3\u00BC" "cher"),
                                                                 QStringLiteral("\u00E9")};
    QTest::newRow("line ends and empty lines") << QByteArray("\r\na\r\rb\n\nc") << QStringList{QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c")};
    QTest::newRow("empty") << QByteArray() << QStringList();
}

void TestFileUtils::readTextLines()
{
    QFETCH(QByteArray, contents);
    QFETCH(QStringList, lines);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("list.txt"));
    writeFile(path, contents);
    QStringList read{QStringLiteral("kept")};
    QVERIFY(::readTextLines(path, &read));
    QCOMPARE(read, QStringList{QStringLiteral("kept")} + lines);

    QString error;
    QVERIFY(!::readTextLines(dir.path(), &read, &error));
    QVERIFY2(error.startsWith(QStringLiteral("cannot read ")), qPrintable(error));
}

QTEST_GUILESS_MAIN(TestFileUtils)
#include "TestFileUtils.moc"
