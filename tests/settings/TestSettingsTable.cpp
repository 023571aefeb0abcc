#include "settings/SettingsStore.h"
#include "settings/SettingsTable.h"

#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

// A store on a temporary folder, with the files each scope writes.
struct StoreFixture
{
    StoreFixture()
        : store({dir.filePath(u"user"_s), dir.filePath(u"machine"_s)}, u"Acme Tools"_s, u"Ornisk"_s)
    {
    }

    QString userFile(const QString &application) const { return dir.filePath(u"user/%1.ini"_s.arg(application)); }
    QString machineFile() const { return dir.filePath(u"machine/Acme Tools/Ornisk.ini"_s); }
    static QVariant stored(const QString &file, const QString &key)
    {
        return QSettings(file, QSettings::IniFormat).value(u"Settings/"_s + key);
    }

    QTemporaryDir dir;
    SettingsStore store;
};

} // namespace

class TestSettingsTable : public QObject
{
    Q_OBJECT

private slots:
    void defaultsWhenNothingIsStored();
    void rowsWriteTheirScopeAndApplication_data();
    void rowsWriteTheirScopeAndApplication();
    void switchesTakeAnyNonZeroNumber_data();
    void switchesTakeAnyNonZeroNumber();
    void throttleKeepsBothDefaults();
    void resumePositionsAreWrittenTogether();
};

void TestSettingsTable::defaultsWhenNothingIsStored()
{
    StoreFixture fixture;
    const SettingsStore &store = fixture.store;
    QCOMPARE(store.value(Settings::throttle), 25);
    QCOMPARE(store.value(Settings::proxy), false);
    QCOMPARE(store.value(Settings::defaultExtension), u".com"_s);
    QCOMPARE(store.value(Settings::testLabel), u"Google"_s);
    QCOMPARE(store.value(Settings::firstUse), QString());
    QCOMPARE(store.value(Settings::showHelp), true);
    QCOMPARE(store.value(Settings::ignorePermissionDenied), false);
    QCOMPARE(store.value(Settings::nameFormBox.at(2)), true);
    QCOMPARE(store.value(Settings::extensionBox.at(8)), true);
    QCOMPARE(store.value(Settings::baseWord), QString());
    QCOMPARE(store.value(Settings::customExtension), u".co.uk"_s);
    QCOMPARE(store.value(Settings::wordNumber), 0);
    QCOMPARE(store.value(Settings::resumeCustomList), 1);
}

void TestSettingsTable::rowsWriteTheirScopeAndApplication_data()
{
    QTest::addColumn<int>("row");      // into keys below
    QTest::addColumn<QString>("file"); // "machine", or the user file's application
    QTest::addColumn<QString>("key");

    QTest::newRow("proxy, machine-wide") << 0 << u"machine"_s << u"chkProxy"_s;
    QTest::newRow("help, per user") << 1 << u"Ornisk"_s << u"showHelp"_s;
    QTest::newRow("help, machine-wide") << 2 << u"machine"_s << u"showHelp"_s;
    QTest::newRow("indexed box") << 3 << u"Ornisk"_s << u"chkAdd1"_s;
    QTest::newRow("throttle") << 4 << u"Ornisk"_s << u"Throttle"_s;
    QTest::newRow("resume position") << 5 << u"Vantrel"_s << u"TwoWordNum"_s;
}

void TestSettingsTable::rowsWriteTheirScopeAndApplication()
{
    QFETCH(int, row);
    QFETCH(QString, file);
    QFETCH(QString, key);
    const SettingKey keys[] = {Settings::proxy.key,
                               Settings::showHelp.key,
                               Settings::helpShownMachineWide.key,
                               Settings::nameFormBox.at(1).key,
                               Settings::throttle.key,
                               Settings::resumeTwoLetter.key};

    StoreFixture fixture;
    QVERIFY(fixture.store.setText(keys[row], u"12a"_s));
    QCOMPARE(fixture.store.text(keys[row], QString()), u"12a"_s);
    const QString path = file == u"machine" ? fixture.machineFile() : fixture.userFile(file);
    QCOMPARE(StoreFixture::stored(path, key).toString(), u"12a"_s);
    // Nothing lands in the other scope.
    const QString other = file == u"machine" ? fixture.userFile(u"Ornisk"_s) : fixture.machineFile();
    QVERIFY(!StoreFixture::stored(other, key).isValid());
}

void TestSettingsTable::switchesTakeAnyNonZeroNumber_data()
{
    QTest::addColumn<QString>("stored");
    QTest::addColumn<bool>("on");
    QTest::newRow("one") << u"1"_s << true;
    QTest::newRow("zero") << u"0"_s << false;
    QTest::newRow("two") << u"2"_s << true;
    QTest::newRow("decimal") << u"1.0"_s << true;
    QTest::newRow("spaces") << u" 1 "_s << true;
    QTest::newRow("empty") << QString() << false;
    QTest::newRow("not a number") << u"yes"_s << false;
}

void TestSettingsTable::switchesTakeAnyNonZeroNumber()
{
    QFETCH(QString, stored);
    QFETCH(bool, on);
    StoreFixture fixture;
    fixture.store.setText(Settings::proxy.key, stored);
    fixture.store.setText(Settings::showHelp.key, stored);
    MachineSettingError error;
    QCOMPARE(fixture.store.value(Settings::proxy, &error), on);
    QCOMPARE(error.code, MachineSettingError::Code::None);
    QCOMPARE(fixture.store.value(Settings::showHelp), on);

    // Written back, a switch is "0" or "1".
    QVERIFY(fixture.store.setValue(Settings::showHelp, on));
    QCOMPARE(fixture.store.text(Settings::showHelp.key, QString()), on ? u"1"_s : u"0"_s);
}

void TestSettingsTable::throttleKeepsBothDefaults()
{
    StoreFixture fixture;
    SettingsStore &store = fixture.store;
    const QString shown = QString::number(Settings::throttleShownBySetup);
    QCOMPARE(store.value(Settings::throttle), 25);
    QCOMPARE(store.text(Settings::throttle.key, shown), u"20"_s);

    store.setText(Settings::throttle.key, u"abc"_s);
    QCOMPARE(store.text(Settings::throttle.key, shown), u"abc"_s);
    QCOMPARE(store.value(Settings::throttle), 0);
    QVERIFY(store.setValue(Settings::throttle, 75));
    QCOMPARE(store.text(Settings::throttle.key, shown), u"75"_s);
}

void TestSettingsTable::resumePositionsAreWrittenTogether()
{
    StoreFixture fixture;
    QVERIFY(fixture.store.setValues({{Settings::resumeFullWordList, 7}, {Settings::wordNumber, 7}}));
    QCOMPARE(fixture.store.value(Settings::resumeFullWordList), 7);
    QCOMPARE(fixture.store.value(Settings::wordNumber), 7);
    QCOMPARE(StoreFixture::stored(fixture.userFile(u"Vantrel"_s), u"FullWordNum"_s).toString(), u"7"_s);
    QVERIFY(fixture.store.setValues({}));
}

QTEST_GUILESS_MAIN(TestSettingsTable)
#include "TestSettingsTable.moc"
