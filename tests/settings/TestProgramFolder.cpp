#include "settings/ProgramFolder.h"
#include "tests/support/TestFiles.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

namespace {

const char *const startupFiles[] = {"BrowserSearch.txt", "Appends.txt", "CreatedDomains.txt", "Remembered.txt"};
const char *const startupFolders[] = {"backups", "overflow", "wordlists", "searches"};

// Sets or clears an environment variable for one scope.
class EnvironmentOverride
{
public:
    EnvironmentOverride(const char *name, const QString &value)
        : m_name(name)
        , m_saved(qgetenv(name))
    {
        if (value.isNull())
            qunsetenv(name);
        else
            qputenv(name, QFile::encodeName(value));
    }
    ~EnvironmentOverride()
    {
        if (m_saved.isNull())
            qunsetenv(m_name);
        else
            qputenv(m_name, m_saved);
    }

private:
    const char *m_name;
    QByteArray m_saved;
};

} // namespace

class TestProgramFolder : public QObject
{
    Q_OBJECT

private slots:
    void resolveOrder_data();
    void resolveOrder();
    void resolveForProcess();

    void startupCreatesFilesAndFolders();
    void startupKeepsExistingFiles();
    void startupStepsFailIndependently();
    void startupUnusableFolder_data();
    void startupUnusableFolder();
    void startupFolderRefusingNewFiles();
};

void TestProgramFolder::resolveOrder_data()
{
    QTest::addColumn<QString>("homeOption");
    QTest::addColumn<QString>("environmentHome");
    QTest::addColumn<QString>("executableDir"); // relative to the test folder; "-" for none
    QTest::addColumn<QString>("expected");      // "exe" and "data" stand for those folders

    QTest::newRow("option wins") << QStringLiteral("/opt/home") << QStringLiteral("/env/home") << QStringLiteral("exe")
                                 << QStringLiteral("/opt/home");
    QTest::newRow("environment next") << QString() << QStringLiteral("/env/home") << QStringLiteral("exe")
                                      << QStringLiteral("/env/home");
    QTest::newRow("writable executable folder")
        << QString() << QString() << QStringLiteral("exe") << QStringLiteral("exe");
    QTest::newRow("missing executable folder")
        << QString() << QString() << QStringLiteral("gone") << QStringLiteral("data");
    QTest::newRow("executable folder is a file")
        << QString() << QString() << QStringLiteral("file") << QStringLiteral("data");
    QTest::newRow("no executable folder") << QString() << QString() << QStringLiteral("-") << QStringLiteral("data");
    QTest::newRow("installed executable folder")
        << QString() << QString() << QStringLiteral("usr/bin") << QStringLiteral("data");
}

void TestProgramFolder::resolveOrder()
{
    QFETCH(QString, homeOption);
    QFETCH(QString, environmentHome);
    QFETCH(QString, executableDir);
    QFETCH(QString, expected);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("exe")));
    QVERIFY(QDir(dir.path()).mkpath(QStringLiteral("usr/bin")));
    QVERIFY(QDir(dir.path()).mkpath(QStringLiteral("usr/share/vantrel")));
    writeFile(dir.filePath(QStringLiteral("file")), "x");
    const QString exe = executableDir == QLatin1String("-") ? QString() : dir.filePath(executableDir);
    const QString data = dir.filePath(QStringLiteral("data"));
    if (expected == QLatin1String("exe"))
        expected = exe;
    else if (expected == QLatin1String("data"))
        expected = data;

    QCOMPARE(ProgramFolder::resolve(homeOption, environmentHome, exe, data), expected);
}

void TestProgramFolder::resolveForProcess()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    {
        EnvironmentOverride home("VANTREL_HOME", dir.path());
        QCOMPARE(ProgramFolder::resolveForProcess(QString()), dir.path());
        QCOMPARE(ProgramFolder::resolveForProcess(QStringLiteral("/from/option")), QStringLiteral("/from/option"));
    }
    EnvironmentOverride home("VANTREL_HOME", QString());
    // The test binary's folder is the build folder, which is writable.
    QCOMPARE(ProgramFolder::resolveForProcess(QString()), QCoreApplication::applicationDirPath());
}

void TestProgramFolder::startupCreatesFilesAndFolders()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString folder = dir.filePath(QStringLiteral("nested/program"));

    QVERIFY(ProgramFolder::createStartupFilesAndFolders(folder));

    for (const char *name : startupFiles)
        QCOMPARE(readFile(folder + QLatin1Char('/') + QLatin1String(name)), QByteArray("\r\n"));
    for (const char *name : startupFolders)
        QVERIFY2(QFileInfo(folder + QLatin1Char('/') + QLatin1String(name)).isDir(), name);
    // Nothing else is left behind, in particular not the writability probe.
    QCOMPARE(QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot).size(), 8);
}

void TestProgramFolder::startupKeepsExistingFiles()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    writeFile(dir.filePath(QStringLiteral("Remembered.txt")), "kept.com\r\n");
    writeFile(dir.filePath(QStringLiteral("Appends.txt")), QByteArray());
    QVERIFY(QDir(dir.path()).mkpath(QStringLiteral("wordlists")));
    writeFile(dir.filePath(QStringLiteral("wordlists/FullWordList.txt")), "word\r\n");

    QVERIFY(ProgramFolder::createStartupFilesAndFolders(dir.path()));
    QVERIFY(ProgramFolder::createStartupFilesAndFolders(dir.path()));

    QCOMPARE(readFile(dir.filePath(QStringLiteral("Remembered.txt"))), QByteArray("kept.com\r\n"));
    QCOMPARE(readFile(dir.filePath(QStringLiteral("Appends.txt"))), QByteArray());
    QCOMPARE(readFile(dir.filePath(QStringLiteral("wordlists/FullWordList.txt"))), QByteArray("word\r\n"));
    QCOMPARE(readFile(dir.filePath(QStringLiteral("BrowserSearch.txt"))), QByteArray("\r\n"));
}

void TestProgramFolder::startupStepsFailIndependently()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    // A folder in place of the first file and a file in place of the first folder.
    QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("BrowserSearch.txt")));
    writeFile(dir.filePath(QStringLiteral("backups")), "not a folder");

    QVERIFY(ProgramFolder::createStartupFilesAndFolders(dir.path()));

    QVERIFY(QFileInfo(dir.filePath(QStringLiteral("BrowserSearch.txt"))).isDir());
    QCOMPARE(readFile(dir.filePath(QStringLiteral("Remembered.txt"))), QByteArray("\r\n"));
    QCOMPARE(readFile(dir.filePath(QStringLiteral("backups"))), QByteArray("not a folder"));
    QVERIFY(QFileInfo(dir.filePath(QStringLiteral("searches"))).isDir());
}

void TestProgramFolder::startupUnusableFolder_data()
{
    QTest::addColumn<QString>("relative");

    QTest::newRow("below a regular file") << QStringLiteral("file/program");
    QTest::newRow("a regular file") << QStringLiteral("file");
}

void TestProgramFolder::startupUnusableFolder()
{
    QFETCH(QString, relative);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    writeFile(dir.filePath(QStringLiteral("file")), "x");

    QVERIFY(!ProgramFolder::createStartupFilesAndFolders(dir.filePath(relative)));
    QCOMPARE(readFile(dir.filePath(QStringLiteral("file"))), QByteArray("x"));
    QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
             QStringList{QStringLiteral("file")});
}

void TestProgramFolder::startupFolderRefusingNewFiles()
{
    // procfs passes the permission check for root but refuses new files, so
    // only an actual write can tell that the folder is unusable.
    const QString proc = QStringLiteral("/proc");
    if (!QFileInfo(proc).isDir())
        QSKIP("no /proc on this system");
    QVERIFY(!ProgramFolder::createStartupFilesAndFolders(proc));
    QVERIFY(!QFileInfo::exists(QStringLiteral("/proc/Remembered.txt")));
}

QTEST_GUILESS_MAIN(TestProgramFolder)
#include "TestProgramFolder.moc"
