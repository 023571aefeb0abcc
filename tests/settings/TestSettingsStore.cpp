#include "settings/SettingsStore.h"
#include "tests/support/TestFiles.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

#include <cerrno>
#include <functional>
#include <memory>

using namespace Qt::StringLiterals;

namespace {

const QString company = QStringLiteral("Acme Tools");
const QString product = QStringLiteral("Ornisk");
const QString settingsSection = QStringLiteral("Settings");

// Writes the number through the store.
using StoreWrite = std::function<bool(SettingsStore &store, qint32 value)>;

} // namespace

Q_DECLARE_METATYPE(StoreWrite)
Q_DECLARE_METATYPE(SettingKey)

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

    void machineWriteFailureHandler_data();
    void machineWriteFailureHandler();

    void changesAnnounced_data();
    void changesAnnounced();

    void configDirFromEnvironment();
    void configDirDefaultsToXdg();

private:
    SettingsLocations locations() const;
    QString machineIni(const QString &application = product) const;
    // A machine folder that cannot be created: its parent is a regular file.
    SettingsLocations blockedLocations() const;
    QString blockerPath() const;

    std::unique_ptr<QTemporaryDir> m_dir;
};

void TestSettingsStore::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
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
    SettingsStore store(locations(), company, product);
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
        SettingsStore store(locations(), company, product);
        QVERIFY(store.saveUserSetting(product, settingsSection, QStringLiteral("txtMake"), value));
    }
    SettingsStore reopened(locations(), company, product);
    QCOMPARE(reopened.getUserSetting(product, settingsSection, QStringLiteral("txtMake"), QStringLiteral("default")),
             value);
}

void TestSettingsStore::userScopeLayout()
{
    SettingsStore store(locations(), company, product);
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
    SettingsStore store(blocked, company, product);
    QVERIFY(!store.saveUserSetting(product, settingsSection, QStringLiteral("DefaultExt"), QStringLiteral(".net")));
    QCOMPARE(store.getUserSetting(product, settingsSection, QStringLiteral("DefaultExt"), QStringLiteral(".com")),
             QStringLiteral(".com"));
}

void TestSettingsStore::machineRoundTrip()
{
    SettingsStore store(locations(), QStringLiteral("  ") + company + QStringLiteral(" "), product);
    QVERIFY(store.writeMachineSetting(QStringLiteral(" Ornisk "), QStringLiteral(" Settings "),
                                      QStringLiteral("chkProxy"), QStringLiteral("1")));
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
    SettingsStore store(locations(), company, product);
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
    SettingsStore blocked(blockedLocations(), company, product);
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
    SettingsStore store(locations(), company, product);
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
    SettingsStore store(locations(), company, product);
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

    SettingsStore store(locations(), company, product);
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
    SettingsStore store(locations(), company, product);
    QVERIFY(store.writeMachineSetting(product, settingsSection, QStringLiteral("chkProxy"), QStringLiteral("1")));

    MachineSettingError error;
    QCOMPARE(
        store.readMachineSetting(product, settingsSection, QStringLiteral("chkProxy"), QStringLiteral("0"), &error),
        QStringLiteral("1"));
    QCOMPARE(error.code, MachineSettingError::Code::None);
    QCOMPARE(store.readMachineSetting(product, settingsSection, QStringLiteral("showHelp"), QStringLiteral("0")),
             QStringLiteral("1"));
}

void TestSettingsStore::machineWriteFailureHandler_data()
{
    QTest::addColumn<bool>("installed");
    QTest::addColumn<QString>("answers"); // R: try again, G: give up; the folder is unblocked before the last R
    QTest::addColumn<bool>("stored");

    QTest::newRow("no handler") << false << QString() << false;
    QTest::newRow("given up") << true << u"G"_s << false;
    QTest::newRow("retried, given up") << true << u"RRG"_s << false;
    QTest::newRow("retried until stored") << true << u"RR"_s << true;
}

void TestSettingsStore::machineWriteFailureHandler()
{
    QFETCH(bool, installed);
    QFETCH(QString, answers);
    QFETCH(bool, stored);
    SettingsStore store(blockedLocations(), company, product);
    QStringList heard;
    if (installed) {
        store.setMachineWriteFailureHandler([&](const QString &key, const QString &file) {
            heard << key + u" in "_s + file;
            const QChar answer = answers.at(heard.size() - 1);
            if (answer == u'R' && heard.size() == answers.size())
                QFile::remove(blockerPath());
            return answer == u'R';
        });
    }

    QCOMPARE(store.setValue(Settings::proxy, true), stored);
    const QString expected = u"chkProxy in "_s + blockerPath() + u"/machine/"_s + company + u"/Ornisk.ini"_s;
    QCOMPARE(heard, QStringList(answers.size(), expected));
    QCOMPARE(store.readMachineSetting(product, settingsSection, u"chkProxy"_s, u"unset"_s),
             stored ? u"1"_s : u"unset"_s);
    // Per-user writes report through their result alone.
    QVERIFY(store.setValue(Settings::defaultExtension, u".net"_s));
    QCOMPARE(heard.size(), answers.size());
}

void TestSettingsStore::changesAnnounced_data()
{
    QTest::addColumn<StoreWrite>("write");
    QTest::addColumn<QStringList>("announced");
    QTest::addColumn<SettingKey>("matching"); // the row the write changes
    QTest::addColumn<SettingKey>("other");    // the same address but for one part

    const auto setText = [](SettingKey key) -> StoreWrite {
        return [key](SettingsStore &store, qint32 value) { return store.setText(key, QString::number(value)); };
    };
    const StoreWrite numbers = [](SettingsStore &store, qint32 value) {
        return store.setValue(Settings::wordNumber, 3) &&
               store.setValues({{Settings::resumeBing, value}, {Settings::wordNumber, 3}});
    };
    const SettingKey indexed = Settings::nameFormBox.at(1).key;
    QTest::newRow("indexed") << setText(indexed) << QStringList{u"Ornisk/chkAdd1"_s} << indexed
                             << Settings::nameFormBox.key;
    QTest::newRow("machine-wide") << setText(Settings::helpShownMachineWide.key) << QStringList{u"Ornisk/showHelp"_s}
                                  << Settings::helpShownMachineWide.key << Settings::showHelp.key;
    QTest::newRow("numbers in one write, one unchanged")
        << numbers << QStringList{u"Vantrel/wordNumber"_s, u"Vantrel/BingWordNum"_s} << Settings::resumeBing.key
        << Settings::resumeGoogle.key;
}

// Each value a write changes is announced once, after it reached its file, at
// an address only its row matches; the same value again, or a failed write, is not.
void TestSettingsStore::changesAnnounced()
{
    QFETCH(StoreWrite, write);
    QFETCH(QStringList, announced);
    QFETCH(SettingKey, matching);
    QFETCH(SettingKey, other);

    SettingsStore store(locations(), company, product);
    QStringList heard;
    QStringList read;
    connect(&store.notifier(), &SettingsNotifier::changed, this, [&](const SettingChange &change) {
        heard << change.application + u'/' + change.key;
        if (store.is(matching, change))
            read << store.text(matching, {});
        QVERIFY(!store.is(other, change));
    });
    QVERIFY(write(store, 7));
    QVERIFY(write(store, 7));
    QCOMPARE(heard, announced);
    QCOMPARE(read, QStringList{u"7"_s});

    for (QDirIterator files(m_dir->path(), {u"*.ini"_s}, QDir::Files, QDirIterator::Subdirectories); files.hasNext();) {
        const QString file = files.next();
        QVERIFY(QFile::remove(file) && QDir().mkpath(file));
    }
    QVERIFY(!write(store, 8));
    QCOMPARE(heard, announced);
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

    SettingsStore store(found, company, product);
    QVERIFY(store.saveUserSetting(product, settingsSection, QStringLiteral("DefaultExt"), QStringLiteral(".org")));
    QVERIFY(store.writeMachineSetting(product, settingsSection, QStringLiteral("chkProxy"), QStringLiteral("1")));
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
