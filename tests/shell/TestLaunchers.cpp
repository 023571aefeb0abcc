#include "base/Branding.h"
#include "settings/SettingsStore.h"
#include "shell/HelpLauncher.h"
#include "shell/WebsiteLauncher.h"
#include "tests/support/TestFiles.h"

#include <QDesktopServices>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>

#include <memory>

// Stands in for the desktop's browser and document viewer.
class OpenedUrls : public QObject
{
    Q_OBJECT

public:
    QList<QUrl> urls;

public slots:
    void open(const QUrl &url) { urls.append(url); }
};

class TestLaunchers : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void websiteOpensComments_data();
    void websiteOpensComments();
    void websiteOpensNothingWhileLoaded();
    void otherTargetOpensNothing();

    void helpOpensHelpFile_data();
    void helpOpensHelpFile();

private:
    OpenedUrls m_opened;
    std::unique_ptr<QTemporaryDir> m_dir;
};

void TestLaunchers::init()
{
    m_opened.urls.clear();
    m_dir = std::make_unique<QTemporaryDir>();
    for (const char *scheme : {"http", "https", "file"})
        QDesktopServices::setUrlHandler(QLatin1String(scheme), &m_opened, "open");
}

void TestLaunchers::cleanup()
{
    for (const char *scheme : {"http", "https", "file"})
        QDesktopServices::unsetUrlHandler(QLatin1String(scheme));
}

void TestLaunchers::websiteOpensComments_data()
{
    QTest::addColumn<QByteArray>("comments");
    QTest::addColumn<QString>("opened");
    QTest::newRow("no scheme") << QByteArray("www.maker.example") << "http://www.maker.example";
    QTest::newRow("http") << QByteArray("http://maker.example/about") << "http://maker.example/about";
    QTest::newRow("HTTPS in capitals") << QByteArray("HTTPS://WWW.MAKER.EXAMPLE/") << "https://www.maker.example/";
}

void TestLaunchers::websiteOpensComments()
{
    QFETCH(QByteArray, comments);
    QFETCH(QString, opened);
    writeFile(m_dir->filePath(QStringLiteral("branding.ini")), "comments=" + comments + "\r\n");

    Branding branding;
    WebsiteLauncher launcher(branding, m_dir->path());
    QVERIFY(launcher.load(QStringLiteral("Website")));
    QCOMPARE(branding.comments, QString::fromLatin1(comments));
    QCOMPARE(m_opened.urls.size(), 1);
    QCOMPARE(m_opened.urls.constFirst().toString(), opened);
}

void TestLaunchers::websiteOpensNothingWhileLoaded()
{
    Branding branding;
    WebsiteLauncher launcher(branding, m_dir->path(), 50);
    QSignalSpy unloaded(&launcher, &WebsiteLauncher::unloaded);

    QVERIFY(launcher.load(QStringLiteral("Website")));
    QVERIFY(launcher.isLoaded());
    QVERIFY(!launcher.load(QStringLiteral("Website")));
    QCOMPARE(m_opened.urls.size(), 1);
    QCOMPARE(m_opened.urls.constFirst().toString(), QStringLiteral("http://www.vantrel.example"));

    QVERIFY(unloaded.wait());
    QVERIFY(!launcher.isLoaded());
    QVERIFY(launcher.load(QStringLiteral("Website")));
    QCOMPARE(m_opened.urls.size(), 2);
}

void TestLaunchers::otherTargetOpensNothing()
{
    Branding branding;
    WebsiteLauncher launcher(branding, m_dir->path());
    QVERIFY(launcher.load(QString()));
    QVERIFY(m_opened.urls.isEmpty());
    // Still loaded: the web site cannot be opened until the launcher unloads.
    QVERIFY(!launcher.load(QStringLiteral("Website")));
    QVERIFY(m_opened.urls.isEmpty());
}

void TestLaunchers::helpOpensHelpFile_data()
{
    QTest::addColumn<QStringList>("files");
    QTest::addColumn<QString>("opened");
    QTest::newRow("both") << QStringList{QStringLiteral("Help.chm"), QStringLiteral("Help.html")} << "Help.chm";
    QTest::newRow("page only") << QStringList{QStringLiteral("Help.html")} << "Help.html";
    QTest::newRow("other letter case") << QStringList{QStringLiteral("help.CHM")} << "help.CHM";
    QTest::newRow("folder named like it") << QStringList{QStringLiteral("Help.chm/")} << "";
    QTest::newRow("neither") << QStringList{} << "";
}

void TestLaunchers::helpOpensHelpFile()
{
    QFETCH(QStringList, files);
    QFETCH(QString, opened);
    const QString programFolder = m_dir->filePath(QStringLiteral("program"));
    QVERIFY(QDir().mkpath(programFolder));
    for (const QString &file : files) {
        if (file.endsWith(QLatin1Char('/')))
            QVERIFY(QDir(programFolder).mkdir(file));
        else
            writeFile(QDir(programFolder).filePath(file), "help\r\n");
    }

    const Branding branding;
    SettingsStore settings({m_dir->filePath(QStringLiteral("user")), m_dir->filePath(QStringLiteral("machine"))},
                           branding.companyName, branding.settingsName);
    HelpLauncher launcher(settings, programFolder);
    const QString path = launcher.run();

    const QString showHelp = settings.readMachineSetting(branding.settingsName, QStringLiteral("Settings"),
                                                         QStringLiteral("showHelp"), QStringLiteral("unset"));
    if (opened.isEmpty()) {
        QVERIFY(path.isEmpty());
        QVERIFY(m_opened.urls.isEmpty());
        QCOMPARE(showHelp, QStringLiteral("unset"));
    } else {
        const QString expected = QDir(programFolder).filePath(opened);
        QCOMPARE(path, expected);
        QCOMPARE(m_opened.urls, QList<QUrl>{QUrl::fromLocalFile(expected)});
        QCOMPARE(showHelp, QStringLiteral("0"));
    }
}

QTEST_MAIN(TestLaunchers)
#include "TestLaunchers.moc"
