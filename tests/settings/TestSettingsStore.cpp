#include "settings/SettingsStore.h"
#include "tests/support/ScriptedPrompt.h"
#include "tests/support/TestFiles.h"

#include <QDir>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

#include <cerrno>
#include <memory>

namespace {

const QString company = QStringLiteral("Acme Tools");
const QString product = QStringLiteral("Ornisk");
const QString settingsSection = QStringLiteral("Settings");

const QString expectedPermissionText = QStringLiteral(
    "Ornisk requires read/write access to the system registry and hard drive in order to run properly.  This user "
    "account does not have the proper permissions set.  As a result some or all of your settings may not be properly "
    "saved.  Please contact your system administrator or change the permission settings for this account.\r\n\r\n"
    "If you would like to prevent this error message from being displayed again, please press 'Ignore'.");

// Answers like ScriptedPrompt and, after the first message, removes the file
// that kept the machine folder from being created.
class UnblockingPrompt : public ScriptedPrompt
{
public:
    explicit UnblockingPrompt(QString blocker)
        : m_blocker(std::move(blocker))
    {
    }

    Answer showMessage(const QString &title, const QString &text, Icon icon, Buttons buttons) override
    {
        QFile::remove(m_blocker);
        return ScriptedPrompt::showMessage(title, text, icon, buttons);
    }

private:
    QString m_blocker;
};

} // namespace

class TestSettingsStore : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void userDefaults();
    void userRoundTrip_data();
    void userRoundTrip();
    void userScopeLayout();
    void userSaveFailure();

    void machineRoundTrip();
    void machineDefaults();
    void machineEmptyArguments_data();
    void machineEmptyArguments();
    void machineStoredTypes_data();
    void machineStoredTypes();
    void machineUnreadableFile_data();
    void machineUnreadableFile();
    void machineWriteOverDamagedFile();

    void permissionDeniedAbort();
    void permissionDeniedRetryUntilStored();
    void permissionDeniedRetryThenAbort();
    void permissionDeniedIgnoreSilencesLaterFailures();

    void configDirFromEnvironment();
    void configDirDefaultsToXdg();

private:
    SettingsLocations locations() const;
    QString machineIni(const QString &application = product) const;
    // A machine folder that cannot be created: its parent is a regular file.
    SettingsLocations blockedLocations() const;
    QString blockerPath() const;

    std::unique_ptr<QTemporaryDir> m_dir;
    ScriptedPrompt m_prompt;
};

void TestSettingsStore::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    m_prompt = ScriptedPrompt();
}

void TestSettingsStore::cleanup()
{
    m_dir.reset();
}

SettingsLocations TestSettingsStore::locations() const
{
    return {m_dir->filePath(QStringLiteral("user")), m_dir->filePath(QStringLiteral("machine"))};
}

QString TestSettingsStore::machineIni(const QString &application) const
{
    return m_dir->filePath(QStringLiteral("machine/") + company + QLatin1Char('/') + application +
                           QStringLiteral(".ini"));
}

QString TestSettingsStore::blockerPath() const
{
    return m_dir->filePath(QStringLiteral("blocker"));
}

SettingsLocations TestSettingsStore::blockedLocations() const
{
    QFile blocker(blockerPath());
    if (!blocker.exists() && blocker.open(QIODevice::WriteOnly))
        blocker.close();
    return {m_dir->filePath(QStringLiteral("user")), blockerPath() + QStringLiteral("/machine")};
}

void TestSettingsStore::userDefaults()
{
    SettingsStore store(locations(), company, product, m_prompt);
    QCOMPARE(store.getUserSetting(product, settingsSection, QStringLiteral("DefaultExt"), QStringLiteral(".com")),
             QStringLiteral(".com"));

    QVERIFY(store.saveUserSetting(product, settingsSection, QStringLiteral("Throttle"), QStringLiteral("40")));
    QCOMPARE(store.getUserSetting(product, settingsSection, QStringLiteral("FirstUse"), QString()), QString());
    QCOMPARE(store.getUserSetting(product, QStringLiteral("Other"), QStringLiteral("Throttle"), QStringLiteral("25")),
             QStringLiteral("25"));
    // Each application name has its own values.
    QCOMPARE(store.getUserSetting(QStringLiteral("Vantrel"), settingsSection, QStringLiteral("Throttle"),
                                  QStringLiteral("20")),
             QStringLiteral("20"));
    QVERIFY(m_prompt.messages.isEmpty());
}

void TestSettingsStore::userRoundTrip_data()
{
    QTest::addColumn<QString>("value");

    QTest::newRow("number") << QStringLiteral("25");
    QTest::newRow("empty") << QString();
    QTest::newRow("surrounding spaces") << QStringLiteral("  .co.uk ");
    QTest::newRow("comma") << QStringLiteral("a, b");
    QTest::newRow("looks like a typed value") << QStringLiteral("@Variant(x)");
    QTest::newRow("ini punctuation") << QStringLiteral("x=y;z [Settings]");
    QTest::newRow("line break") << QStringLiteral("one\r\ntwo");
    QTest::newRow("8-bit text") << QStringLiteral("caf\u00e9");
}

void TestSettingsStore::userRoundTrip()
{
    QFETCH(QString, value);
    {
        SettingsStore store(locations(), company, product, m_prompt);
        QVERIFY(store.saveUserSetting(product, settingsSection, QStringLiteral("txtMake"), value));
    }
    SettingsStore reopened(locations(), company, product, m_prompt);
    QCOMPARE(reopened.getUserSetting(product, settingsSection, QStringLiteral("txtMake"), QStringLiteral("default")),
             value);
}

void TestSettingsStore::userScopeLayout()
{
    SettingsStore store(locations(), company, product, m_prompt);
    QVERIFY(store.saveUserSetting(QStringLiteral(" Vantrel "), settingsSection, QStringLiteral("FullWordNum"),
                                  QStringLiteral("1234")));
    QVERIFY(store.saveUserSetting(QStringLiteral("Vantrel"), settingsSection, QStringLiteral("FullWordNum"),
                                  QStringLiteral("1235")));

    const QString file = m_dir->filePath(QStringLiteral("user/Vantrel.ini"));
    QVERIFY(QFileInfo::exists(file));
    QSettings settings(file, QSettings::IniFormat);
    QCOMPARE(settings.value(QStringLiteral("Settings/FullWordNum")), QVariant(QStringLiteral("1235")));
}

void TestSettingsStore::userSaveFailure()
{
    const SettingsLocations blocked{blockerPath() + QStringLiteral("/user"), m_dir->filePath(QStringLiteral("m"))};
    writeFile(blockerPath(), "");
    SettingsStore store(blocked, company, product, m_prompt);
    QVERIFY(!store.saveUserSetting(product, settingsSection, QStringLiteral("DefaultExt"), QStringLiteral(".net")));
    QCOMPARE(store.getUserSetting(product, settingsSection, QStringLiteral("DefaultExt"), QStringLiteral(".com")),
             QStringLiteral(".com"));
}

void TestSettingsStore::machineRoundTrip()
{
    SettingsStore store(locations(), QStringLiteral("  ") + company + QStringLiteral(" "), product, m_prompt);
    store.writeMachineSetting(QStringLiteral(" Ornisk "), QStringLiteral(" Settings "), QStringLiteral("chkProxy"),
                              QStringLiteral("1"));
    QVERIFY(m_prompt.messages.isEmpty());
    QVERIFY(QFileInfo::exists(machineIni()));

    MachineSettingError error;
    error.code = MachineSettingError::Code::KeyEmpty;
    QCOMPARE(store.readMachineSetting(QStringLiteral("Ornisk"), QStringLiteral("Settings  "),
                                      QStringLiteral(" chkProxy "), QStringLiteral("0"), &error),
             QStringLiteral("1"));
    QCOMPARE(error.code, MachineSettingError::Code::None);

    store.writeMachineSetting(product, settingsSection, QStringLiteral("chkProxy"), QStringLiteral("0"));
    store.writeMachineSetting(product, settingsSection, QStringLiteral("showHelp"), QString());
    QCOMPARE(store.readMachineSetting(product, settingsSection, QStringLiteral("chkProxy"), QStringLiteral("x")),
             QStringLiteral("0"));
    QCOMPARE(
        store.readMachineSetting(product, settingsSection, QStringLiteral("showHelp"), QStringLiteral("x"), &error),
        QString());
    QCOMPARE(error.code, MachineSettingError::Code::None);

    // The machine scope is not the user scope.
    QCOMPARE(store.getUserSetting(product, settingsSection, QStringLiteral("chkProxy"), QStringLiteral("none")),
             QStringLiteral("none"));
}

void TestSettingsStore::machineDefaults()
{
    SettingsStore store(locations(), company, product, m_prompt);
    MachineSettingError error;

    QCOMPARE(
        store.readMachineSetting(product, settingsSection, QStringLiteral("chkProxy"), QStringLiteral("0"), &error),
        QStringLiteral("0"));
    QCOMPARE(error.code, MachineSettingError::Code::None);

    writeFile(machineIni(), "[Other]\r\nchkProxy=1\r\n");
    QCOMPARE(
        store.readMachineSetting(product, settingsSection, QStringLiteral("chkProxy"), QStringLiteral("0"), &error),
        QStringLiteral("0"));
    QCOMPARE(error.code, MachineSettingError::Code::None);

    writeFile(machineIni(), "[Settings]\r\nshowHelp=0\r\n");
    QCOMPARE(
        store.readMachineSetting(product, settingsSection, QStringLiteral("chkProxy"), QStringLiteral("0"), &error),
        QStringLiteral("0"));
    QCOMPARE(error.code, MachineSettingError::Code::None);

    // A machine folder below a regular file is simply absent for a reader.
    SettingsStore blocked(blockedLocations(), company, product, m_prompt);
    QCOMPARE(
        blocked.readMachineSetting(product, settingsSection, QStringLiteral("chkProxy"), QStringLiteral("0"), &error),
        QStringLiteral("0"));
    QCOMPARE(error.code, MachineSettingError::Code::None);
}

void TestSettingsStore::machineEmptyArguments_data()
{
    QTest::addColumn<QString>("application");
    QTest::addColumn<QString>("section");
    QTest::addColumn<QString>("key");
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("text");

    const int appCode = int(MachineSettingError::Code::AppNameEmpty);
    const int sectionCode = int(MachineSettingError::Code::SectionEmpty);
    const int keyCode = int(MachineSettingError::Code::KeyEmpty);
    const QString appText = QStringLiteral("AppName may not be empty");
    const QString sectionText = QStringLiteral("Section may not be empty");
    const QString keyText = QStringLiteral("Key may not be empty");

    QTest::newRow("empty application") << QString() << settingsSection << QStringLiteral("chkProxy") << appCode
                                       << appText;
    QTest::newRow("blank application") << QStringLiteral("   ") << settingsSection << QStringLiteral("chkProxy")
                                       << appCode << appText;
    QTest::newRow("application checked first") << QString() << QString() << QString() << appCode << appText;
    QTest::newRow("empty section") << product << QString() << QStringLiteral("chkProxy") << sectionCode << sectionText;
    QTest::newRow("blank section, empty key")
        << product << QStringLiteral(" \t") << QString() << sectionCode << sectionText;
    QTest::newRow("empty key") << product << settingsSection << QString() << keyCode << keyText;
    QTest::newRow("blank key") << product << settingsSection << QStringLiteral("  ") << keyCode << keyText;
}

void TestSettingsStore::machineEmptyArguments()
{
    QFETCH(QString, application);
    QFETCH(QString, section);
    QFETCH(QString, key);
    QFETCH(int, code);
    QFETCH(QString, text);

    // A stored value under the blank names must not be found instead.
    writeFile(machineIni(), "[General]\r\nchkProxy=1\r\n[Settings]\r\n%20%20=1\r\n");
    SettingsStore store(locations(), company, product, m_prompt);
    MachineSettingError error;
    QCOMPARE(store.readMachineSetting(application, section, key, QStringLiteral("default"), &error),
             QStringLiteral("default"));
    QCOMPARE(int(error.code), code);
    QCOMPARE(error.text, text);
}

void TestSettingsStore::machineStoredTypes_data()
{
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<int>("code");
    QTest::addColumn<int>("detail");
    QTest::addColumn<QString>("expected");

    const int none = int(MachineSettingError::Code::None);
    const int notString = int(MachineSettingError::Code::NotAString);

    QTest::newRow("plain text") << QByteArray("chkProxy=1") << none << 0 << QStringLiteral("1");
    QTest::newRow("quoted list-like text") << QByteArray("chkProxy=\"a, b\"") << none << 0 << QStringLiteral("a, b");
    QTest::newRow("empty text") << QByteArray("chkProxy=") << none << 0 << QString();
    QTest::newRow("unquoted list") << QByteArray("chkProxy=a, b") << notString << int(QMetaType::QStringList)
                                   << QStringLiteral("default");
    QTest::newRow("byte array") << QByteArray("chkProxy=@ByteArray(1)") << notString << int(QMetaType::QByteArray)
                                << QStringLiteral("default");
    QTest::newRow("binary number") << QByteArray("chkProxy=@Variant(\\0\\0\\0\\x2\\0\\0\\0\\x1)") << notString
                                   << int(QMetaType::Int) << QStringLiteral("default");
    QTest::newRow("size") << QByteArray("chkProxy=@Size(1 2)") << notString << int(QMetaType::QSize)
                          << QStringLiteral("default");
}

void TestSettingsStore::machineStoredTypes()
{
    QFETCH(QByteArray, line);
    QFETCH(int, code);
    QFETCH(int, detail);
    QFETCH(QString, expected);

    writeFile(machineIni(), "[Settings]\r\n" + line + "\r\n");
    SettingsStore store(locations(), company, product, m_prompt);
    MachineSettingError error;
    QCOMPARE(store.readMachineSetting(product, settingsSection, QStringLiteral("chkProxy"), QStringLiteral("default"),
                                      &error),
             expected);
    QCOMPARE(int(error.code), code);
    QCOMPARE(error.detail, detail);
    const bool stringStored = code == int(MachineSettingError::Code::None);
    QCOMPARE(error.text, stringStored ? QString() : QStringLiteral("Registry data not a string"));
}

void TestSettingsStore::machineUnreadableFile_data()
{
    QTest::addColumn<bool>("folderInstead");
    QTest::addColumn<QByteArray>("contents");
    QTest::addColumn<int>("detail");

    QTest::newRow("folder where the file belongs") << true << QByteArray() << int(EISDIR);
    QTest::newRow("line without a value")
        << false << QByteArray("[Settings]\r\nnot a setting\r\nchkProxy=1\r\n") << int(EINVAL);
    QTest::newRow("unterminated section header") << false << QByteArray("[Settings\r\nchkProxy=1\r\n") << int(EINVAL);
}

void TestSettingsStore::machineUnreadableFile()
{
    QFETCH(bool, folderInstead);
    QFETCH(QByteArray, contents);
    QFETCH(int, detail);

    if (folderInstead)
        QVERIFY(QDir().mkpath(machineIni()));
    else
        writeFile(machineIni(), contents);

    SettingsStore store(locations(), company, product, m_prompt);
    // Twice: a second read of the same damaged file must fail the same way.
    for (int attempt = 0; attempt < 2; ++attempt) {
        MachineSettingError error;
        QCOMPARE(
            store.readMachineSetting(product, settingsSection, QStringLiteral("chkProxy"), QStringLiteral("0"), &error),
            QStringLiteral("0"));
        QCOMPARE(error.code, MachineSettingError::Code::CouldNotOpenSection);
        QCOMPARE(error.text, QStringLiteral("Could not open registry section"));
        QCOMPARE(error.detail, detail);
    }
}

void TestSettingsStore::machineWriteOverDamagedFile()
{
    writeFile(machineIni(), "[Settings]\r\nnot a setting\r\nshowHelp=1\r\n");
    SettingsStore store(locations(), company, product, m_prompt);
    store.writeMachineSetting(product, settingsSection, QStringLiteral("chkProxy"), QStringLiteral("1"));

    QVERIFY(m_prompt.messages.isEmpty());
    MachineSettingError error;
    QCOMPARE(
        store.readMachineSetting(product, settingsSection, QStringLiteral("chkProxy"), QStringLiteral("0"), &error),
        QStringLiteral("1"));
    QCOMPARE(error.code, MachineSettingError::Code::None);
    QCOMPARE(store.readMachineSetting(product, settingsSection, QStringLiteral("showHelp"), QStringLiteral("0")),
             QStringLiteral("1"));
}

void TestSettingsStore::permissionDeniedAbort()
{
    m_prompt.answers.enqueue(Prompt::Answer::Abort);
    SettingsStore store(blockedLocations(), company, product, m_prompt);
    store.writeMachineSetting(product, settingsSection, QStringLiteral("chkProxy"), QStringLiteral("1"));

    QCOMPARE(m_prompt.messages.size(), 1);
    const ScriptedPrompt::Message &message = m_prompt.messages.first();
    QCOMPARE(message.title, QStringLiteral("Permission Denied"));
    QCOMPARE(message.text, expectedPermissionText);
    QCOMPARE(message.icon, Prompt::Icon::Critical);
    QCOMPARE(message.buttons, Prompt::Buttons::AbortRetryIgnore);

    QVERIFY(QFileInfo(blockerPath()).isFile());
    QCOMPARE(store.getUserSetting(product, settingsSection, QStringLiteral("IgnorePermissionDeniedError"),
                                  QStringLiteral("unset")),
             QStringLiteral("unset"));

    // Abort does not silence the next failure.
    store.writeMachineSetting(product, settingsSection, QStringLiteral("chkProxy"), QStringLiteral("1"));
    QCOMPARE(m_prompt.messages.size(), 2);
}

void TestSettingsStore::permissionDeniedRetryUntilStored()
{
    const SettingsLocations blocked = blockedLocations();
    UnblockingPrompt prompt(blockerPath());
    prompt.answers.enqueue(Prompt::Answer::Retry);
    SettingsStore store(blocked, company, product, prompt);

    store.writeMachineSetting(product, settingsSection, QStringLiteral("chkProxy"), QStringLiteral("1"));

    QCOMPARE(prompt.messages.size(), 1);
    MachineSettingError error;
    QCOMPARE(
        store.readMachineSetting(product, settingsSection, QStringLiteral("chkProxy"), QStringLiteral("0"), &error),
        QStringLiteral("1"));
    QCOMPARE(error.code, MachineSettingError::Code::None);
}

void TestSettingsStore::permissionDeniedRetryThenAbort()
{
    m_prompt.answers.enqueue(Prompt::Answer::Retry);
    m_prompt.answers.enqueue(Prompt::Answer::Retry);
    m_prompt.answers.enqueue(Prompt::Answer::Abort);
    SettingsStore store(blockedLocations(), company, product, m_prompt);
    store.writeMachineSetting(product, settingsSection, QStringLiteral("chkProxy"), QStringLiteral("1"));

    QCOMPARE(m_prompt.messages.size(), 3);
    QVERIFY(m_prompt.answers.isEmpty());
    QVERIFY(QFileInfo(blockerPath()).isFile());
}

void TestSettingsStore::permissionDeniedIgnoreSilencesLaterFailures()
{
    m_prompt.answers.enqueue(Prompt::Answer::Ignore);
    {
        SettingsStore store(blockedLocations(), company, product, m_prompt);
        store.writeMachineSetting(QStringLiteral("Vantrel"), settingsSection, QStringLiteral("showHelp"),
                                  QStringLiteral("0"));
        QCOMPARE(m_prompt.messages.size(), 1);
        QCOMPARE(store.getUserSetting(product, settingsSection, QStringLiteral("IgnorePermissionDeniedError"),
                                      QStringLiteral("0")),
                 QStringLiteral("1"));
        store.writeMachineSetting(product, settingsSection, QStringLiteral("chkProxy"), QStringLiteral("1"));
        QCOMPARE(m_prompt.messages.size(), 1);
    }

    // The choice is kept in the user scope, so it outlives the store.
    SettingsStore later(blockedLocations(), company, product, m_prompt);
    later.writeMachineSetting(product, settingsSection, QStringLiteral("chkProxy"), QStringLiteral("1"));
    QCOMPARE(m_prompt.messages.size(), 1);

    // Only "1" silences the message.
    QVERIFY(later.saveUserSetting(product, settingsSection, QStringLiteral("IgnorePermissionDeniedError"),
                                  QStringLiteral("yes")));
    later.writeMachineSetting(product, settingsSection, QStringLiteral("chkProxy"), QStringLiteral("1"));
    QCOMPARE(m_prompt.messages.size(), 2);
}

void TestSettingsStore::configDirFromEnvironment()
{
    const QByteArray saved = qgetenv("VANTREL_CONFIG_DIR");
    const QString root = m_dir->filePath(QStringLiteral("config"));
    qputenv("VANTREL_CONFIG_DIR", QFile::encodeName(root));
    const SettingsLocations found = SettingsLocations::fromEnvironment();
    if (saved.isNull())
        qunsetenv("VANTREL_CONFIG_DIR");
    else
        qputenv("VANTREL_CONFIG_DIR", saved);

    QCOMPARE(found.userDir, root + QStringLiteral("/user"));
    QCOMPARE(found.machineDir, root + QStringLiteral("/machine"));

    SettingsStore store(found, company, product, m_prompt);
    QVERIFY(store.saveUserSetting(product, settingsSection, QStringLiteral("DefaultExt"), QStringLiteral(".org")));
    store.writeMachineSetting(product, settingsSection, QStringLiteral("chkProxy"), QStringLiteral("1"));
    QVERIFY(m_prompt.messages.isEmpty());
    QVERIFY(QFileInfo::exists(root + QStringLiteral("/user/Ornisk.ini")));
    QVERIFY(QFileInfo::exists(root + QStringLiteral("/machine/Acme Tools/Ornisk.ini")));
}

void TestSettingsStore::configDirDefaultsToXdg()
{
    const QByteArray savedConfig = qgetenv("VANTREL_CONFIG_DIR");
    const QByteArray savedXdg = qgetenv("XDG_CONFIG_HOME");
    const QString xdg = m_dir->filePath(QStringLiteral("xdg"));
    QVERIFY(QDir().mkpath(xdg));
    qunsetenv("VANTREL_CONFIG_DIR");
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(xdg));
    const SettingsLocations found = SettingsLocations::fromEnvironment();
    if (!savedConfig.isNull())
        qputenv("VANTREL_CONFIG_DIR", savedConfig);
    if (savedXdg.isNull())
        qunsetenv("XDG_CONFIG_HOME");
    else
        qputenv("XDG_CONFIG_HOME", savedXdg);

    QCOMPARE(found.userDir, xdg + QStringLiteral("/vantrel"));
    QCOMPARE(found.machineDir, QStringLiteral("/etc/xdg/vantrel"));
}

QTEST_GUILESS_MAIN(TestSettingsStore)
#include "TestSettingsStore.moc"
