#include "base/Branding.h"
#include "base/ui/ListViewSort.h"
#include "core/ConnectionPool.h"
#include "core/DefaultTldTable.h"
#include "core/LookupContext.h"
#include "core/LookupRequest.h"
#include "core/TldFile.h"
#include "settings/SettingsStore.h"
#include "settings/ui/PermissionDeniedPrompt.h"
#include "settings/ui/SetupWindow.h"
#include "tests/support/HttpTestServer.h"
#include "tests/support/ScriptedPrompt.h"
#include "tests/support/TestFiles.h"
#include "tests/support/WhoisTestServer.h"

#include <QCheckBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QNetworkProxy>
#include <QPushButton>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>

#include <functional>
#include <memory>

using namespace Qt::StringLiterals;

Q_DECLARE_METATYPE(LookupResult)

namespace {

constexpr int tickMs = 60;
const QString product = u"Ornisk"_s;
const QString settingsSection = u"Settings"_s;
const QString standard = QString::fromLatin1(DefaultTldTable::standardIndicators);

// Answers like ScriptedPrompt, and runs onRetry before it answers Retry.
struct RetryingPrompt : ScriptedPrompt
{
    Answer showMessage(const QString &title, const QString &text, Icon icon, Buttons buttons) override
    {
        const Answer answer = ScriptedPrompt::showMessage(title, text, icon, buttons);
        if (answer == Answer::Retry && onRetry)
            onRetry();
        return answer;
    }

    std::function<void()> onRetry;
};

// A setup window on a temporary program folder and settings store.
struct SetupFixture
{
    SetupFixture()
        : programFolder(dir.filePath(u"program"_s))
        , locations{dir.filePath(u"user"_s), dir.filePath(u"machine"_s)}
    {
    }

    void writeTlds(const QByteArray &contents) { writeFile(TldFile(programFolder).path(), contents); }
    void writeDefaultTlds()
    {
        QDir().mkpath(programFolder);
        QVERIFY(TldFile(programFolder).writeDefaultTldTable(false));
    }
    QByteArray tlds() const { return readFile(TldFile(programFolder).path()); }

    SetupWindow &open()
    {
        store = std::make_unique<SettingsStore>(locations, branding.companyName, branding.settingsName);
        installPermissionDeniedPrompt(*store, prompt, branding.productName);
        window = std::make_unique<SetupWindow>(context, *store, branding, programFolder, prompt, service);
        return *window;
    }

    template <typename T>
    T *child(const char *name) const
    {
        T *found = window->findChild<T *>(QLatin1String(name));
        if (!found)
            qFatal("no control %s", name);
        return found;
    }
    QTreeWidget *list() const { return child<QTreeWidget>("lstDomains"); }
    QLineEdit *edit(const char *name) const { return child<QLineEdit>(name); }
    void click(const char *name) const { child<QPushButton>(name)->click(); }

    QStringList column(int index) const
    {
        QStringList texts;
        for (int row = 0; row < list()->topLevelItemCount(); ++row)
            texts << list()->topLevelItem(row)->text(index);
        return texts;
    }
    void select(const QString &extension) const
    {
        const QList<QTreeWidgetItem *> rows = list()->findItems(extension, Qt::MatchExactly | Qt::MatchCaseSensitive);
        QVERIFY(!rows.isEmpty());
        list()->setCurrentItem(rows.first());
    }
    void clickHeader(int column) const
    {
        if (!window->isVisible()) {
            window->show();
            QVERIFY(QTest::qWaitForWindowExposed(window.get()));
        }
        QHeaderView *header = list()->header();
        const QPoint inside(header->sectionViewportPosition(column) + header->sectionSize(column) / 2,
                            header->height() / 2);
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, inside);
    }
    QString userSetting(const QString &key) const
    {
        return store->getUserSetting(product, settingsSection, key, u"<unset>"_s);
    }
    QStringList messageTexts() const
    {
        QStringList texts;
        for (const ScriptedPrompt::Message &message : prompt.messages)
            texts << message.text;
        return texts;
    }

    QTemporaryDir dir;
    QString programFolder;
    SettingsLocations locations;
    Branding branding;
    RetryingPrompt prompt;
    std::unique_ptr<SettingsStore> store;
    LookupContext context;
    // A silent server is given up after five ticks.
    LookupService service{1, PoolTimings{tickMs, 10, 5}};
    std::unique_ptr<SetupWindow> window;
};

QByteArray line(const QByteArray &extension, quint16 port, const QByteArray &status = "Enabled",
                const QByteArray &indicators = DefaultTldTable::standardIndicators)
{
    return extension + "|127.0.0.1|" + QByteArray::number(port) + '|' + status + "|25|" + indicators + "\r\n";
}

} // namespace

class TestSettingsWindow : public QObject
{
    Q_OBJECT

private slots:
    void rdapRowShowsPort443AndIsTested();
    void loadWithNothingStored();
    void loadWithStoredValues();
    void dnsAndHistoryControls();
    void defaultBoxFocusRule_data();
    void defaultBoxFocusRule();
    void closeHandsBackDefaultExtension();
    void saveNewEntryTakesDefaults();
    void saveRefusesEmptyField_data();
    void saveRefusesEmptyField();
    void saveReplacesClickedRowInPlace();
    void toggleFlipsStatusAndKeepsEditor();
    void toggleOnCapitalisedRowWritesLowerCaseLine();
    void actionsWithoutSelectionDoNothing();
    void deleteRewritesInDisplayOrder();
    void deleteCancelledOrKeepingOddLinesWhole();
    void restoreDefaultsReplacesTable();
    void headerClicksSortBothWays();
    void sortFunctionEdges();
    void debugExportWritesProgramText();
    void runningLookupUsesSavedEntry();
    void testSelectedReportsVerdict_data();
    void testSelectedReportsVerdict();
    void testSelectedGoesToProxyServer();
    void testSelectedTimesOut_data();
    void testSelectedTimesOut();
    void testSelectedWithoutTableEntryIsQuiet();
    void testSelectedGivesUpUnsupportedConnect();
    void proxyWriteRefused_data();
    void proxyWriteRefused();
    void boxesRefuseBadValues_data();
    void boxesRefuseBadValues();
    void tableWriteFailuresAreReported();
    void runGoingLineFollowsTheRun();
};

void TestSettingsWindow::loadWithNothingStored()
{
    SetupFixture fixture;
    fixture.writeDefaultTlds();
    fixture.open();

    QTreeWidget *list = fixture.list();
    QCOMPARE(list->columnCount(), 6);
    const QStringList headers{u"Extension"_s, u"Server"_s, u"Port"_s, u"Status"_s, u"Throttle"_s, u"Success"_s};
    for (int column = 0; column < 6; ++column)
        QCOMPARE(list->headerItem()->text(column), headers.at(column));
    QCOMPARE(list->topLevelItemCount(), 179);
    // Rows as stored, in file order, capital letters kept; an RDAP row shows port 443.
    const QStringList lines = DefaultTldTable::lines();
    for (int row = 0; row < 179; ++row) {
        QStringList fields;
        for (int column = 0; column < 6; ++column)
            fields << list->topLevelItem(row)->text(column);
        QString expected = lines.at(row);
        if (fields.at(1).startsWith(u"https://"_s))
            expected.replace(u"|43|"_s, u"|443|"_s);
        QCOMPARE(fields.join(u'|'), expected);
    }

    QCOMPARE(fixture.edit("txtDefault")->text(), u".com"_s);
    QCOMPARE(fixture.edit("txtthrot")->text(), u"20"_s);
    QCOMPARE(fixture.edit("txtsearch")->text(), u"Google"_s);
    QVERIFY(!fixture.child<QCheckBox>("chkProxy")->isChecked());
    QVERIFY(fixture.child<QPushButton>("Command4")->isHidden());
    // Values that differ from the boxes' initial texts were written back.
    QCOMPARE(fixture.userSetting(u"Throttle"_s), u"20"_s);
    QCOMPARE(fixture.userSetting(u"DefaultExt"_s), u".com"_s);
    QCOMPARE(fixture.userSetting(u"DefaultSearch"_s), u"<unset>"_s);
    QCOMPARE(fixture.store->readMachineSetting(product, settingsSection, u"chkProxy"_s, u"<unset>"_s), u"<unset>"_s);
    QVERIFY(fixture.prompt.messages.isEmpty());
}

void TestSettingsWindow::loadWithStoredValues()
{
    SetupFixture fixture;
    fixture.writeDefaultTlds();
    {
        SettingsStore store(fixture.locations, fixture.branding.companyName, product);
        store.saveUserSetting(product, settingsSection, u"Throttle"_s, u"75"_s);
        store.saveUserSetting(product, settingsSection, u"DefaultSearch"_s, u"Yahoo"_s);
        store.writeMachineSetting(product, settingsSection, u"chkProxy"_s, u"1"_s);
    }
    fixture.context.defaultExtension = u".net"_s;
    fixture.open();

    QCOMPARE(fixture.edit("txtthrot")->text(), u"75"_s);
    QCOMPARE(fixture.edit("txtsearch")->text(), u"Yahoo"_s);
    QCOMPARE(fixture.edit("txtDefault")->text(), u".net"_s);
    QVERIFY(fixture.child<QCheckBox>("chkProxy")->isChecked());
    QVERIFY(fixture.context.useProxy);
    QCOMPARE(fixture.userSetting(u"DefaultExt"_s), u".net"_s);

    // Every change of a box is stored at once.
    fixture.edit("txtsearch")->setText(u"Bing"_s);
    fixture.edit("txtthrot")->setText(u"abc"_s); // refused: no number
    QCOMPARE(fixture.userSetting(u"DefaultSearch"_s), u"Bing"_s);
    QCOMPARE(fixture.userSetting(u"Throttle"_s), u"75"_s);
    fixture.child<QCheckBox>("chkProxy")->click();
    QVERIFY(!fixture.context.useProxy);
    QCOMPARE(fixture.store->readMachineSetting(product, settingsSection, u"chkProxy"_s, u"<unset>"_s), u"0"_s);
}

// The DNS pre-check and the history window: loaded from the settings, and
// every change stored and handed to the running lookups at once.
void TestSettingsWindow::dnsAndHistoryControls()
{
    SetupFixture fixture;
    fixture.writeDefaultTlds();
    {
        SettingsStore store(fixture.locations, fixture.branding.companyName, product);
        store.saveUserSetting(product, settingsSection, u"DnsServer"_s, u"192.0.2.53"_s);
        store.saveUserSetting(product, settingsSection, u"RecheckAfterDays"_s, u"7"_s);
    }
    fixture.open();
    auto *dnsFirst = fixture.child<QCheckBox>("chkDnsFirst");
    auto *recheck = fixture.child<QSpinBox>("spnRecheckAfterDays");
    QCOMPARE(dnsFirst->text(), u"Check DNS first (skips WHOIS for names that are already in use)"_s);
    QVERIFY(dnsFirst->isChecked());
    QCOMPARE(fixture.edit("txtDnsServer")->text(), u"192.0.2.53"_s);
    QCOMPARE(recheck->value(), 7);
    // Loading writes nothing back.
    QCOMPARE(fixture.userSetting(u"CheckDnsFirst"_s), u"<unset>"_s);

    dnsFirst->click();
    fixture.edit("txtDnsServer")->setText(u" 127.0.0.1 "_s);
    recheck->setValue(0);
    QCOMPARE(fixture.userSetting(u"CheckDnsFirst"_s), u"0"_s);
    QVERIFY(!fixture.context.checkDnsFirst);
    QCOMPARE(fixture.userSetting(u"DnsServer"_s), u"127.0.0.1"_s);
    QCOMPARE(fixture.context.dnsServer, u"127.0.0.1"_s);
    QCOMPARE(fixture.userSetting(u"RecheckAfterDays"_s), u"0"_s);
    QCOMPARE(fixture.context.recheckAfterDays, 0);
}

void TestSettingsWindow::defaultBoxFocusRule_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("kept");
    QTest::newRow("no dot gets one") << u"org"_s << u".org"_s;
    QTest::newRow("a dot anywhere stays") << u"co.uk"_s << u"co.uk"_s;
    QTest::newRow("leading dot stays") << u".info"_s << u".info"_s;
    QTest::newRow("empty becomes .com") << QString() << u".com"_s;
}

void TestSettingsWindow::defaultBoxFocusRule()
{
    QFETCH(QString, typed);
    QFETCH(QString, kept);
    SetupFixture fixture;
    fixture.writeDefaultTlds();
    fixture.open();
    QLineEdit *box = fixture.edit("txtDefault");

    box->setText(typed);
    QCOMPARE(fixture.context.defaultExtension, typed);
    QCOMPARE(fixture.userSetting(u"DefaultExt"_s), typed);
    QFocusEvent focusOut(QEvent::FocusOut, Qt::TabFocusReason);
    QCoreApplication::sendEvent(box, &focusOut);
    QCOMPARE(box->text(), kept);
    QCOMPARE(fixture.context.defaultExtension, kept);
    QCOMPARE(fixture.userSetting(u"DefaultExt"_s), kept);
}

void TestSettingsWindow::closeHandsBackDefaultExtension()
{
    SetupFixture fixture;
    fixture.writeDefaultTlds();
    SetupWindow &window = fixture.open();
    QSignalSpy closed(&window, &SetupWindow::closed);
    window.show();

    fixture.edit("txtDefault")->setText(u"biz"_s);
    fixture.context.defaultExtension = u".stale"_s;
    QVERIFY(window.close());
    QCOMPARE(closed.size(), 1);
    QCOMPARE(fixture.context.defaultExtension, u".biz"_s);
    QCOMPARE(fixture.userSetting(u"DefaultExt"_s), u".biz"_s);
}

void TestSettingsWindow::saveNewEntryTakesDefaults()
{
    SetupFixture fixture;
    fixture.writeDefaultTlds();
    fixture.open();

    fixture.edit("txtExt")->setText(u"Shop"_s);
    fixture.edit("txtServer")->setText(u"whois.Shop.example"_s);
    fixture.edit("txtPort")->setText(u"4343"_s);
    fixture.click("cmdSave");

    QVERIFY(fixture.prompt.messages.isEmpty());
    QCOMPARE(fixture.edit("txtThrottle")->text(), u"25"_s);
    QCOMPARE(fixture.edit("txtSuccess")->text(), standard);
    const QByteArray expected = DefaultTldTable::fileContents() + "shop|whois.Shop.example|4343|Enabled|25|" +
                                DefaultTldTable::standardIndicators + "\r\n";
    QCOMPARE(fixture.tlds(), expected);
    QCOMPARE(fixture.list()->topLevelItemCount(), 180);
    QCOMPARE(fixture.list()->currentItem()->text(0), u"shop"_s);
    // The shared table already holds the new row.
    QCOMPARE(fixture.context.tldTable.size(), 180);
    const TldEntry &added = fixture.context.tldTable.entry(fixture.context.tldTable.findTldIndex(u"a.shop"_s, false));
    QCOMPARE(added.whoisServer, u"whois.shop.example"_s);
    QCOMPARE(added.port, quint16(4343));
}

void TestSettingsWindow::saveRefusesEmptyField_data()
{
    QTest::addColumn<QString>("extension");
    QTest::addColumn<QString>("server");
    QTest::addColumn<QString>("port");
    QTest::addColumn<QString>("message");
    const QString empty = u"Please enter valid information for all fields."_s;
    QTest::newRow("no extension") << QString() << u"whois.x"_s << u"43"_s << empty;
    QTest::newRow("no server") << u"x"_s << QString() << u"43"_s << empty;
    QTest::newRow("no port") << u"x"_s << u"whois.x"_s << QString() << empty;
    QTest::newRow("a space is no extension")
        << u" "_s << u" "_s << u" "_s << u"An extension holds no spaces and no \"|\". The entry was not saved."_s;
}

void TestSettingsWindow::saveRefusesEmptyField()
{
    QFETCH(QString, extension);
    QFETCH(QString, server);
    QFETCH(QString, port);
    QFETCH(QString, message);
    SetupFixture fixture;
    fixture.writeTlds(line("com", 43));
    fixture.open();

    fixture.edit("txtExt")->setText(extension);
    fixture.edit("txtServer")->setText(server);
    fixture.edit("txtPort")->setText(port);
    fixture.click("cmdSave");

    QCOMPARE(fixture.messageTexts(), QStringList{message});
    QCOMPARE(fixture.prompt.messages.first().buttons, Prompt::Buttons::Ok);
    QCOMPARE(fixture.tlds(), line("com", 43));
    QVERIFY(fixture.edit("txtThrottle")->text().isEmpty());
}

void TestSettingsWindow::saveReplacesClickedRowInPlace()
{
    SetupFixture fixture;
    fixture.writeTlds(line("com", 43) + line("org", 43, "Disabled", "Not found") + line("net", 43));
    fixture.open();

    fixture.select(u"org"_s);
    QCOMPARE(fixture.edit("txtExt")->text(), u"org"_s);
    QCOMPARE(fixture.edit("txtSuccess")->text(), u"Not found"_s);
    fixture.edit("txtExt")->setText(u"ORG"_s);
    fixture.edit("txtServer")->setText(u"whois.org.example"_s);
    fixture.click("cmdSave");

    // The clicked row's status goes with it; the extension is lower-cased.
    QCOMPARE(fixture.tlds(),
             line("com", 43) + "org|whois.org.example|43|Disabled|25|Not found\r\n" + line("net", 43) + "\r\n");
    QCOMPARE(fixture.column(1), (QStringList{u"127.0.0.1"_s, u"whois.org.example"_s, u"127.0.0.1"_s}));
    QCOMPARE(fixture.context.tldTable.entry(1).whoisServer, u"whois.org.example"_s);
    QVERIFY(!fixture.context.tldTable.entry(1).enabled);

    // "New Extension" makes the next save an enabled entry.
    fixture.click("Command1");
    QVERIFY(fixture.edit("txtExt")->text().isEmpty());
    QCOMPARE(fixture.edit("txtSuccess")->text(), u"Not found"_s);
    fixture.edit("txtExt")->setText(u"info"_s);
    fixture.edit("txtServer")->setText(u"whois.info.example"_s);
    fixture.edit("txtPort")->setText(u"43"_s);
    fixture.click("cmdSave");
    QVERIFY(fixture.tlds().endsWith("\r\ninfo|whois.info.example|43|Enabled|25|Not found\r\n"));
}

void TestSettingsWindow::toggleFlipsStatusAndKeepsEditor()
{
    SetupFixture fixture;
    fixture.writeDefaultTlds();
    QVERIFY(TldFile(fixture.programFolder).loadTldTable(fixture.context.tldTable));
    fixture.open();
    const int net = fixture.context.tldTable.findTldIndex(u"a.net"_s, false);
    QVERIFY(net > 0);
    QVERIFY(fixture.context.tldTable.entry(net).enabled);

    fixture.select(u"net"_s);
    fixture.edit("txtServer")->setText(u"edited"_s);
    fixture.click("cmdToggle");
    QVERIFY(fixture.tlds().contains("\r\nnet|whois.verisign-grs.com|43|Disabled|25|"));
    QVERIFY(!fixture.context.tldTable.entry(net).enabled);
    QCOMPARE(fixture.edit("txtServer")->text(), u"edited"_s);

    fixture.click("cmdToggle");
    QVERIFY(fixture.tlds().contains("\r\nnet|whois.verisign-grs.com|43|Enabled|25|"));
    QVERIFY(fixture.context.tldTable.entry(net).enabled);
    QCOMPARE(fixture.tlds().count("|Enabled|"), 3);
    QCOMPARE(fixture.list()->topLevelItemCount(), 179);
}

void TestSettingsWindow::toggleOnCapitalisedRowWritesLowerCaseLine()
{
    SetupFixture fixture;
    fixture.writeTlds("List|whois.list.example|43|Disabled|25|x\r\nother|o|43|Disabled|25|y\r\n");
    fixture.open();

    fixture.select(u"List"_s);
    fixture.click("cmdToggle");
    QCOMPARE(fixture.tlds(), QByteArray("List|whois.list.example|43|Disabled|25|x\r\nother|o|43|Disabled|25|y\r\n\r\n"
                                        "list|whois.list.example|43|Enabled|25|x\r\n"));
    QCOMPARE(fixture.list()->currentItem()->text(0), u"list"_s);
}

void TestSettingsWindow::actionsWithoutSelectionDoNothing()
{
    WhoisTestServer server;
    QVERIFY(server.listen());
    SetupFixture fixture;
    const QByteArray contents = line("com", server.port()) + line("net", server.port());
    fixture.writeTlds(contents);
    fixture.open();
    QVERIFY(fixture.list()->selectedItems().isEmpty());

    fixture.click("cmdToggle");
    fixture.click("Command2");
    fixture.click("cmdTest");
    QTest::qWait(8 * tickMs);
    QCOMPARE(fixture.tlds(), contents);
    QVERIFY(fixture.prompt.messages.isEmpty());
    QCOMPARE(server.connections, 0);
}

void TestSettingsWindow::deleteRewritesInDisplayOrder()
{
    SetupFixture fixture;
    fixture.writeDefaultTlds();
    fixture.open();

    // Ascending by status: the disabled rows in file order, then the enabled ones.
    fixture.clickHeader(3);
    const QStringList defaults = DefaultTldTable::lines();
    QStringList expected;
    for (const bool enabled : {false, true}) {
        for (const QString &tld : defaults) {
            if (tld.contains(u"|Enabled|"_s) == enabled && !tld.startsWith(u"ac|"_s))
                expected << tld;
        }
    }
    fixture.select(u"ac"_s);
    fixture.prompt.answers.enqueue(Prompt::Answer::Ok);
    fixture.click("Command2");

    QCOMPARE(fixture.prompt.messages.size(), 1);
    QCOMPARE(fixture.prompt.messages.first().title, u"Delete?"_s);
    // The question names the row it removes.
    QVERIFY(fixture.prompt.messages.first().text.startsWith(u"Really delete .ac ("_s));
    QCOMPARE(fixture.prompt.messages.first().buttons, Prompt::Buttons::OkCancel);
    QCOMPARE(fixture.tlds(), expected.join(u"\r\n\r\n"_s).toLatin1() + "\r\n\r\n");
    QCOMPARE(fixture.context.tldTable.size(), 178);
    QCOMPARE(fixture.context.tldTable.entry(0).extension, u"0"_s);
    QCOMPARE(fixture.context.tldTable.entry(177).extension, u"proxy"_s);
    QVERIFY(fixture.edit("txtExt")->text().isEmpty());
    QVERIFY(fixture.edit("txtServer")->text().isEmpty());
    QVERIFY(fixture.edit("txtPort")->text().isEmpty());
}

void TestSettingsWindow::deleteCancelledOrKeepingOddLinesWhole()
{
    SetupFixture fixture;
    fixture.writeTlds("a|s|43|Enabled|25|x|y\r\n \r\nshort|s\r\nb|s|43|Enabled|25|z\r\n");
    fixture.open();
    QCOMPARE(fixture.column(5), (QStringList{u"x|y"_s, QString(), u"z"_s}));

    fixture.select(u"b"_s);
    fixture.click("Command2"); // the scripted prompt answers Cancel
    QCOMPARE(fixture.list()->topLevelItemCount(), 3);
    QCOMPARE(fixture.tlds(), QByteArray("a|s|43|Enabled|25|x|y\r\n \r\nshort|s\r\nb|s|43|Enabled|25|z\r\n"));

    fixture.prompt.answers.enqueue(Prompt::Answer::Ok);
    fixture.click("Command2");
    QCOMPARE(fixture.tlds(), QByteArray("a|s|43|Enabled|25|x|y\r\n\r\nshort|s||||\r\n\r\n"));
}

void TestSettingsWindow::restoreDefaultsReplacesTable()
{
    SetupFixture fixture;
    fixture.writeTlds(line("only", 43));
    fixture.open();
    QCOMPARE(fixture.list()->topLevelItemCount(), 1);

    // Cancelled: the table stays.
    fixture.click("Command3");
    QCOMPARE(fixture.prompt.messages.size(), 1);
    QCOMPARE(fixture.prompt.messages.at(0).title, u"Vantrel"_s);
    QCOMPARE(fixture.prompt.messages.at(0).buttons, Prompt::Buttons::OkCancel);
    QCOMPARE(fixture.tlds(), line("only", 43));
    QCOMPARE(fixture.list()->topLevelItemCount(), 1);

    fixture.prompt.answers.enqueue(Prompt::Answer::Ok);
    fixture.click("Command3");
    QCOMPARE(fixture.tlds(), DefaultTldTable::fileContents());
    QCOMPARE(fixture.list()->topLevelItemCount(), 179);
    QCOMPARE(fixture.context.tldTable.size(), 179);
}

void TestSettingsWindow::headerClicksSortBothWays()
{
    SetupFixture fixture;
    fixture.writeTlds("b|srv2|43|Enabled|25|x\r\nC|srv1|7|Disabled|25|x\r\na|srv3|100|Enabled|25|x\r\n");
    fixture.open();

    fixture.clickHeader(0);
    QCOMPARE(fixture.column(0), (QStringList{u"a"_s, u"b"_s, u"C"_s}));
    fixture.clickHeader(0);
    QCOMPARE(fixture.column(0), (QStringList{u"C"_s, u"b"_s, u"a"_s}));
    // Another column flips the order again: descending becomes ascending.
    fixture.clickHeader(1);
    QCOMPARE(fixture.column(1), (QStringList{u"srv1"_s, u"srv2"_s, u"srv3"_s}));
    fixture.clickHeader(1);
    QCOMPARE(fixture.column(1), (QStringList{u"srv3"_s, u"srv2"_s, u"srv1"_s}));
    // Ports sort as text.
    fixture.clickHeader(2);
    QCOMPARE(fixture.column(2), (QStringList{u"100"_s, u"43"_s, u"7"_s}));

    // The list stays sorted when a save refills it; the file keeps its order.
    fixture.edit("txtExt")->setText(u"d"_s);
    fixture.edit("txtServer")->setText(u"srv0"_s);
    fixture.edit("txtPort")->setText(u"5"_s);
    fixture.click("cmdSave");
    QCOMPARE(fixture.column(0), (QStringList{u"a"_s, u"b"_s, u"d"_s, u"C"_s}));
    QVERIFY(fixture.tlds().endsWith("\r\n\r\nd|srv0|5|Enabled|25|" + QByteArray(DefaultTldTable::standardIndicators) +
                                    "\r\n"));
}

void TestSettingsWindow::sortFunctionEdges()
{
    ScriptedPrompt prompt;
    QTreeWidget list;
    list.setColumnCount(2);

    // Nothing to sort: success, and sorting stays off.
    QVERIFY(EnhListView_SortColumns(list, 1, true, prompt));
    QVERIFY(!list.isSortingEnabled());

    new QTreeWidgetItem(&list, QStringList{u"b"_s, u"1"_s});
    new QTreeWidgetItem(&list, QStringList{u"a"_s, u"2"_s});
    QVERIFY(!EnhListView_SortColumns(list, 3, false, prompt));
    QVERIFY(!EnhListView_SortColumns(list, 0, false, prompt));
    QVERIFY(prompt.messages.isEmpty());
    QVERIFY(!EnhListView_SortColumns(list, 3, true, prompt));
    QCOMPARE(prompt.messages.size(), 1);
    QCOMPARE(prompt.messages.first().title, u"Error in Function : EnhListView_SortColumns"_s);
    QCOMPARE(prompt.messages.first().text, u"Error380\tInvalid property value"_s);
    QCOMPARE(prompt.messages.first().icon, Prompt::Icon::Information);
    QCOMPARE(list.topLevelItem(0)->text(0), u"b"_s);

    // The order flips from the one the list had.
    list.header()->setSortIndicator(0, Qt::AscendingOrder);
    QVERIFY(EnhListView_SortColumns(list, 2, false, prompt));
    QVERIFY(list.isSortingEnabled());
    QCOMPARE(list.sortColumn(), 1);
    QCOMPARE(list.topLevelItem(0)->text(1), u"2"_s);
    new QTreeWidgetItem(&list, QStringList{u"c"_s, u"3"_s});
    QCOMPARE(list.topLevelItem(0)->text(1), u"3"_s);
}

void TestSettingsWindow::debugExportWritesProgramText()
{
    SetupFixture fixture;
    fixture.writeTlds("b|s|43|Enabled|25|x,y\r\na|t|43|Disabled|25|#NOTE#\r\n");
    fixture.open();
    writeFile(fixture.programFolder + u"/debug.txt"_s, "old contents that are longer than the new ones\r\n");

    fixture.clickHeader(0);
    fixture.click("Command4");
    QCOMPARE(readFile(fixture.programFolder + u"/debug.txt"_s),
             QByteArray("strTemp = strTemp & \"a|t|43|Disabled|25|#NOTE#\" & vbcrlf\r\n"
                        "strTemp = strTemp & \"b|s|43|Enabled|25|x,y\" & vbcrlf\r\n"));
}

void TestSettingsWindow::runningLookupUsesSavedEntry()
{
    WhoisTestServer oldServer;
    WhoisTestServer newServer;
    QVERIFY(oldServer.listen());
    QVERIFY(newServer.listen());
    newServer.setReply("No match for \"NAME.TEST\"\r\n");
    SetupFixture fixture;
    fixture.writeTlds(line("test", oldServer.port()));
    QVERIFY(TldFile(fixture.programFolder).loadTldTable(fixture.context.tldTable));

    // The main window's pool, sharing the lookup context with the setup window.
    ConnectionPool pool(1, PoolTimings{tickMs, 10, 30});
    QSignalSpy ended(&pool, &ConnectionPool::lookupEnded);
    pool.startLookup(admitLookup(u"first.test"_s, QString(), fixture.context), 0);
    QTRY_COMPARE(ended.size(), 1);
    QCOMPARE(oldServer.queries.size(), 1);

    fixture.open();
    fixture.select(u"test"_s);
    fixture.edit("txtPort")->setText(QString::number(newServer.port()));
    fixture.click("cmdSave");

    pool.startLookup(admitLookup(u"name.test"_s, QString(), fixture.context), 0);
    QTRY_COMPARE(ended.size(), 2);
    QCOMPARE(oldServer.queries.size(), 1);
    QCOMPARE(newServer.queries, QList<QByteArray>{"name.test"});
    QCOMPARE(ended.at(1).at(0).value<LookupResult>().kind, LookupResult::Kind::Available);
}

// A row whose server is an RDAP base URL shows port 443, keeps its stored
// port, and "Test Selected" asks it over HTTP.
void TestSettingsWindow::rdapRowShowsPort443AndIsTested()
{
    HttpTestServer server;
    QVERIFY(server.listen());
    server.setHandler([](QTcpSocket *socket, const HttpTestServer::Request &) {
        HttpTestServer::reply(socket, QByteArray(), "404 Not Found");
    });
    SetupFixture fixture;
    const QByteArray url = "http://127.0.0.1:" + QByteArray::number(server.port()) + "/rdap/";
    fixture.writeTlds("rd|" + url + "|43|Enabled|25|No match\r\n");
    QVERIFY(TldFile(fixture.programFolder).loadTldTable(fixture.context.tldTable));
    fixture.open();
    QCOMPARE(fixture.column(2), QStringList{u"443"_s});
    fixture.select(u"rd"_s);
    QCOMPARE(fixture.edit("txtPort")->text(), u"43"_s);

    fixture.click("cmdTest");
    QTRY_COMPARE(fixture.prompt.messages.size(), 1);
    QCOMPARE(server.requests.first().target, "/rdap/domain/google.rd"_ba);
    QCOMPARE(fixture.prompt.messages.first().text, u"Appears to be: AVAILABLE\r\nSuccess word: rdap:404\r\n"
                                                   u"Domain: Google.rd\r\n"_s +
                                                       QString::fromLatin1(url) +
                                                       u":443\r\n\r\nNot found (HTTP 404)"_s);
}

void TestSettingsWindow::testSelectedReportsVerdict_data()
{
    QTest::addColumn<QString>("label");
    QTest::addColumn<QString>("row");
    QTest::addColumn<QString>("editorPhrases");
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<QByteArray>("query");
    QTest::addColumn<QString>("message"); // "{port}" stands for the server port; empty: no message

    const QString tail = u"\r\n127.0.0.1:{port}\r\n\r\n"_s;
    QTest::newRow("available") << u"Google"_s << u"com"_s << u"not here, No match"_s << "NO MATCH for GOOGLE.COM"_ba
                               << "Google.com"_ba
                               << u"Appears to be: AVAILABLE\r\nSuccess word: No match\r\nDomain: Google.com"_s + tail +
                                      u"NO MATCH for GOOGLE.COM"_s;
    QTest::newRow("registered") << u"Google"_s << u"net"_s << standard << "Domain Name: GOOGLE.NET"_ba
                                << "Google.net"_ba
                                << u"Appears to be: Registered\r\nDomain: Google.net"_s + tail +
                                       u"Domain Name: GOOGLE.NET"_s;
    QTest::newRow("blocked") << u"Google"_s << u"com"_s << standard << "Query rate EXCEEDED"_ba
                             << "Google.com"_ba
                             << u"Appears to be: Error/Blocked\r\nDomain: Google.com"_s + tail +
                                    u"Query rate EXCEEDED"_s;
    QTest::newRow("phrase before refusal word") << u"Google"_s << u"com"_s << u"No match"_s << "error: No match"_ba
                                                << "Google.com"_ba
                                                << u"Appears to be: AVAILABLE\r\nSuccess word: No match\r\n"
                                                   u"Domain: Google.com"_s +
                                                       tail + u"error: No match"_s;
    QTest::newRow("empty phrase matches anything") << u"Google"_s << u"com"_s << u"No match,,"_s << "taken"_ba
                                                   << "Google.com"_ba
                                                   << u"Appears to be: AVAILABLE\r\nSuccess word: \r\n"
                                                      u"Domain: Google.com"_s +
                                                          tail + u"taken"_s;
    // Without phrases of its own a row still knows the registries' not-found forms.
    QTest::newRow("no phrases") << u"Google"_s << u"com"_s << QString() << "No match"_ba
                                << "Google.com"_ba
                                << u"Appears to be: AVAILABLE\r\nSuccess word: no match\r\nDomain: Google.com"_s +
                                       tail + u"No match"_s;
    QTest::newRow("registered record beats a phrase")
        << u"Google"_s << u"com"_s << standard
        << "Domain Name: GOOGLE.COM\r\nRegistrar: R\r\nCreation Date: 1997\r\nStatus: unavailable"_ba
        << "Google.com"_ba
        << u"Appears to be: Registered\r\nDomain: Google.com"_s + tail +
               u"Domain Name: GOOGLE.COM\r\nRegistrar: R\r\nCreation Date: 1997\r\nStatus: unavailable"_s;
    QTest::newRow("label is cleaned, dot typed with row") << u"my site!"_s << u".com"_s << standard << "not found"_ba
                                                          << "mysite.com"_ba
                                                          << u"Appears to be: AVAILABLE\r\nSuccess word: not found\r\n"
                                                             u"Domain: my site!.com"_s +
                                                                 tail + u"not found"_s;
    QTest::newRow("encoded line break never reaches the wire")
        << u"a%0D%0Ab"_s << u"com"_s << standard << "No match"_ba
        << "ab.com"_ba
        << u"Appears to be: AVAILABLE\r\nSuccess word: No match\r\nDomain: a%0D%0Ab.com"_s + tail + u"No match"_s;
    QTest::newRow("empty label, available: quiet") << QString() << u"com"_s << standard << "No match"_ba
                                                   << ".com"_ba << QString();
    QTest::newRow("empty label, registered: quiet") << QString() << u"com"_s << standard << "Domain Name: X"_ba
                                                    << ".com"_ba << QString();
    QTest::newRow("empty label, blocked: shown")
        << QString() << u"net"_s << standard << "Blocked"_ba
        << ".net"_ba << u"Appears to be: Error/Blocked\r\nDomain: .net"_s + tail + u"Blocked"_s;
    QTest::newRow("quote before .COM: quiet") << u"x\""_s << u"COM"_s << standard << "No match"_ba
                                              << "x.COM"_ba << QString();
    QTest::newRow("label beyond ASCII goes as IDNA")
        << u"bücher"_s << u"com"_s << standard << "taken"_ba
        << "xn--bcher-kva.com"_ba << u"Appears to be: Registered\r\nDomain: bücher.com"_s + tail + u"taken"_s;
    QTest::newRow("endoffile, available: quiet") << u"EndOfFile"_s << u"com"_s << standard << "No match"_ba
                                                 << "EndOfFile.com"_ba << QString();
    QTest::newRow("endoffile, registered: shown")
        << u"EndOfFile"_s << u"com"_s << standard << "taken"_ba
        << "EndOfFile.com"_ba << u"Appears to be: Registered\r\nDomain: EndOfFile.com"_s + tail + u"taken"_s;
}

void TestSettingsWindow::testSelectedReportsVerdict()
{
    QFETCH(QString, label);
    QFETCH(QString, row);
    QFETCH(QString, editorPhrases);
    QFETCH(QByteArray, reply);
    QFETCH(QByteArray, query);
    QFETCH(QString, message);

    WhoisTestServer server;
    QVERIFY(server.listen());
    server.setReply(reply);
    SetupFixture fixture;
    // The rows' own phrases play no part: the test reads the editor box.
    fixture.writeTlds(line("com", server.port(), "Enabled", "zzz") + line("net", server.port(), "Enabled", "zzz") +
                      line(".com", server.port()) + line("COM", server.port()));
    QVERIFY(TldFile(fixture.programFolder).loadTldTable(fixture.context.tldTable));
    fixture.open();
    fixture.edit("txtsearch")->setText(label);
    fixture.select(row);
    fixture.edit("txtSuccess")->setText(editorPhrases);

    fixture.click("cmdTest");
    QTRY_COMPARE(server.queries.size(), 1);
    QCOMPARE(server.queries.first(), query);
    if (message.isEmpty()) {
        // Long enough for a missed close to end in the time-out message.
        QTest::qWait(8 * tickMs);
        QCOMPARE(fixture.messageTexts(), QStringList());
    } else {
        QTRY_COMPARE(fixture.prompt.messages.size(), 1);
        QCOMPARE(fixture.prompt.messages.first().text, message.replace(u"{port}"_s, QString::number(server.port())));
        QCOMPARE(fixture.prompt.messages.first().buttons, Prompt::Buttons::Ok);
        QTest::qWait(8 * tickMs);
        QCOMPARE(fixture.prompt.messages.size(), 1);
    }
    QCOMPARE(server.connections, 1);
}

void TestSettingsWindow::testSelectedGoesToProxyServer()
{
    WhoisTestServer rowServer;
    WhoisTestServer proxyServer;
    QVERIFY(rowServer.listen());
    QVERIFY(proxyServer.listen());
    proxyServer.setReply("No match");
    SetupFixture fixture;
    fixture.writeTlds(line("com", rowServer.port()) + line("proxy", proxyServer.port()));
    QVERIFY(TldFile(fixture.programFolder).loadTldTable(fixture.context.tldTable));
    fixture.open();

    fixture.child<QCheckBox>("chkProxy")->click();
    QVERIFY(fixture.context.useProxy);
    fixture.select(u"com"_s);
    fixture.click("cmdTest");
    QTRY_COMPARE(fixture.prompt.messages.size(), 1);
    QCOMPARE(proxyServer.queries, QList<QByteArray>{"Google.com"});
    QCOMPARE(rowServer.connections, 0);
    QVERIFY(fixture.prompt.messages.first().text.endsWith(u":%1\r\n\r\nNo match"_s.arg(proxyServer.port())));
}

void TestSettingsWindow::testSelectedTimesOut_data()
{
    QTest::addColumn<bool>("listening");
    QTest::addColumn<QString>("message");
    QTest::newRow("server never answers") << true << u"Connection timed out"_s;
    QTest::newRow("connection refused") << false << u"Connection failed: Connection refused"_s;
}

void TestSettingsWindow::testSelectedTimesOut()
{
    QFETCH(bool, listening);
    QFETCH(QString, message);
    WhoisTestServer server;
    QVERIFY(server.listen());
    server.setHandler([](QTcpSocket *, const QByteArray &, int) {});
    const quint16 port = listening ? server.port() : WhoisTestServer::unusedPort();
    SetupFixture fixture;
    fixture.writeTlds(line("com", port));
    QVERIFY(TldFile(fixture.programFolder).loadTldTable(fixture.context.tldTable));
    fixture.open();

    fixture.select(u"com"_s);
    fixture.click("cmdTest");
    QTRY_COMPARE(fixture.messageTexts(), QStringList{message});
    if (listening)
        QCOMPARE(server.queries, QList<QByteArray>{"Google.com"});

    // A second test starts afresh.
    fixture.click("cmdTest");
    QTRY_COMPARE(fixture.prompt.messages.size(), 2);
    QCOMPARE(fixture.prompt.messages.last().text, message);
}

void TestSettingsWindow::testSelectedWithoutTableEntryIsQuiet()
{
    WhoisTestServer server;
    QVERIFY(server.listen());
    SetupFixture fixture;
    fixture.writeTlds(line("zz", server.port()) + line("p.q.r", server.port()));
    QVERIFY(TldFile(fixture.programFolder).loadTldTable(fixture.context.tldTable));
    fixture.open();

    // "Google.p.q.r": neither "r" nor "q.r" has a row, and the name has three labels.
    fixture.select(u"p.q.r"_s);
    fixture.click("cmdTest");
    QTest::qWait(8 * tickMs);
    QVERIFY(fixture.prompt.messages.isEmpty());
    QCOMPARE(server.connections, 0);

    fixture.select(u"zz"_s);
    fixture.click("cmdTest");
    QTRY_COMPARE(fixture.prompt.messages.size(), 1);
    QCOMPARE(server.queries, QList<QByteArray>{"Google.zz"});
}

void TestSettingsWindow::testSelectedGivesUpUnsupportedConnect()
{
    WhoisTestServer server;
    QVERIFY(server.listen());
    SetupFixture fixture;
    // 0.0.0.0 reaches this machine, and unlike loopback addresses it is not
    // exempt from the application proxy.
    fixture.writeTlds("com|0.0.0.0|" + QByteArray::number(server.port()) + "|Enabled|25|x\r\n");
    QVERIFY(TldFile(fixture.programFolder).loadTldTable(fixture.context.tldTable));
    fixture.open();

    // A caching proxy cannot carry a TCP connection: every connect is refused
    // on the spot as an unsupported operation. Tried a bounded number of
    // times, the test ends like one with a silent server.
    QNetworkProxy::setApplicationProxy(QNetworkProxy(QNetworkProxy::HttpCachingProxy, u"127.0.0.1"_s, 1));
    fixture.select(u"com"_s);
    fixture.click("cmdTest");
    QTRY_COMPARE(fixture.messageTexts(), QStringList{u"Connection timed out"_s});
    QNetworkProxy::setApplicationProxy(QNetworkProxy(QNetworkProxy::NoProxy));
    QCOMPARE(server.connections, 0);
}

void TestSettingsWindow::proxyWriteRefused_data()
{
    QTest::addColumn<QString>("answers"); // A: Abort, R: Retry, I: Ignore
    QTest::addColumn<bool>("writableOnRetry");
    QTest::addColumn<QString>("ignoreSetting");
    QTest::addColumn<QString>("stored");
    QTest::newRow("abort") << u"A"_s << false << u"<unset>"_s << u"<unset>"_s;
    QTest::newRow("retry, then abort") << u"RA"_s << false << u"<unset>"_s << u"<unset>"_s;
    QTest::newRow("ignore") << u"I"_s << false << u"1"_s << u"<unset>"_s;
    QTest::newRow("retry once writable") << u"R"_s << true << u"<unset>"_s << u"1"_s;
}

void TestSettingsWindow::proxyWriteRefused()
{
    QFETCH(QString, answers);
    QFETCH(bool, writableOnRetry);
    QFETCH(QString, ignoreSetting);
    QFETCH(QString, stored);
    SetupFixture fixture;
    fixture.writeDefaultTlds();
    // The machine folder cannot be created: its parent is a regular file.
    const QString blocker = fixture.dir.filePath(u"blocker"_s);
    writeFile(blocker, "file\r\n");
    fixture.locations.machineDir = blocker + u"/machine"_s;
    fixture.open();
    QVERIFY(fixture.prompt.messages.isEmpty());

    for (const QChar answer : answers) {
        fixture.prompt.answers.enqueue(answer == u'A'   ? Prompt::Answer::Abort
                                       : answer == u'R' ? Prompt::Answer::Retry
                                                        : Prompt::Answer::Ignore);
    }
    if (writableOnRetry)
        fixture.prompt.onRetry = [&blocker] { QFile::remove(blocker); };
    fixture.child<QCheckBox>("chkProxy")->click();
    QVERIFY(fixture.context.useProxy);
    QCOMPARE(fixture.prompt.messages.size(), answers.size());
    for (const ScriptedPrompt::Message &message : std::as_const(fixture.prompt.messages)) {
        QCOMPARE(message.title, u"Permission Denied"_s);
        QCOMPARE(message.text,
                 u"Vantrel requires read/write access to the system registry and hard drive in order to run "
                 "properly.  This user account does not have the proper permissions set.  As a result some or all "
                 "of your settings may not be properly saved.  Please contact your system administrator or change "
                 "the permission settings for this account.\r\n\r\nIf you would like to prevent this error message "
                 "from being displayed again, please press 'Ignore'."_s);
        QCOMPARE(message.icon, Prompt::Icon::Critical);
        QCOMPARE(message.buttons, Prompt::Buttons::AbortRetryIgnore);
    }
    QCOMPARE(fixture.userSetting(u"IgnorePermissionDeniedError"_s), ignoreSetting);
    QCOMPARE(fixture.store->readMachineSetting(product, settingsSection, u"chkProxy"_s, u"<unset>"_s), stored);

    // After Ignore a failing write stays silent; otherwise it asks again.
    fixture.child<QCheckBox>("chkProxy")->click();
    QVERIFY(!fixture.context.useProxy);
    const bool asksAgain = ignoreSetting != u"1"_s && !writableOnRetry;
    QCOMPARE(fixture.prompt.messages.size(), answers.size() + (asksAgain ? 1 : 0));
}

QTEST_MAIN(TestSettingsWindow)
#include "TestSettingsWindow.moc"

// A value typed into a box is checked as it is typed: a bad one is marked and
// neither stored nor written into TLDs.txt by Add/Save.
void TestSettingsWindow::boxesRefuseBadValues_data()
{
    QTest::addColumn<QString>("box");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<bool>("accepted");
    QTest::newRow("port 0") << u"txtPort"_s << u"0"_s << false;
    QTest::newRow("port 99999") << u"txtPort"_s << u"99999"_s << false;
    QTest::newRow("port abc") << u"txtPort"_s << u"abc"_s << false;
    QTest::newRow("port 4343") << u"txtPort"_s << u"4343"_s << true;
    QTest::newRow("entry throttle fast") << u"txtThrottle"_s << u"fast"_s << false;
    QTest::newRow("extension with a bar") << u"txtExt"_s << u"c|om"_s << false;
    QTest::newRow("server with a space") << u"txtServer"_s << u"who is"_s << false;
    QTest::newRow("pause fast") << u"txtthrot"_s << u"fast"_s << false;
    QTest::newRow("pause 250") << u"txtthrot"_s << u"250"_s << true;
    QTest::newRow("dns not-an-ip!!") << u"txtDnsServer"_s << u"not-an-ip!!"_s << false;
    QTest::newRow("dns 192.0.2.53") << u"txtDnsServer"_s << u"192.0.2.53"_s << true;
    QTest::newRow("dns ::1") << u"txtDnsServer"_s << u"::1"_s << true;
    QTest::newRow("default ' .c om|x'") << u"txtDefault"_s << u" .c om|x"_s << false;
    QTest::newRow("default .net") << u"txtDefault"_s << u".net"_s << true;
}

void TestSettingsWindow::boxesRefuseBadValues()
{
    QFETCH(QString, box);
    QFETCH(QString, typed);
    QFETCH(bool, accepted);
    SetupFixture fixture;
    fixture.writeTlds(line("com", 43));
    fixture.open();
    const QStringList editor{u"txtExt"_s, u"txtServer"_s, u"txtPort"_s, u"txtThrottle"_s};
    fixture.child<QPushButton>("Command1")->click(); // New Extension
    for (const QString &name : editor)
        fixture.edit(qPrintable(name))->setText(name == u"txtExt"_s ? u"zz"_s : name == u"txtServer"_s ? u"w.example"_s
                                                                       : name == u"txtPort"_s  ? u"43"_s
                                                                                               : u"0"_s);
    const QByteArray tldsBefore = fixture.tlds();
    const QString key = box == u"txtthrot"_s ? u"Throttle"_s : box == u"txtDnsServer"_s ? u"DnsServer"_s : u"DefaultExt"_s;
    const QString storedBefore = fixture.userSetting(key);

    QLineEdit *edit = fixture.edit(qPrintable(box));
    edit->selectAll();
    QTest::keyClicks(edit, typed);
    QCOMPARE(edit->property("invalid").toBool(), !accepted);
    QCOMPARE(edit->toolTip().isEmpty(), accepted);
    if (!editor.contains(box)) {
        QCOMPARE(fixture.userSetting(key), accepted ? typed : storedBefore);
        return;
    }
    fixture.click("cmdSave");
    QCOMPARE(fixture.tlds() != tldsBefore, accepted);
    QCOMPARE(fixture.prompt.messages.isEmpty(), accepted);
}

// A program folder where TLDs.txt cannot be written: each button says so
// and the list keeps what the file holds.
void TestSettingsWindow::tableWriteFailuresAreReported()
{
    SetupFixture fixture;
    fixture.writeTlds(line("com", 43) + line("net", 43));
    fixture.open();
    // A folder in the file's place: every atomic rewrite of it fails.
    QVERIFY(QFile::remove(TldFile(fixture.programFolder).path()));
    QVERIFY(QDir().mkpath(TldFile(fixture.programFolder).path() + u"/blocked"_s));

    fixture.select(u"com"_s);
    fixture.prompt.answers.enqueue(Prompt::Answer::Ok);
    fixture.click("Command2"); // Delete Selected
    fixture.click("cmdToggle");
    fixture.prompt.answers.enqueue(Prompt::Answer::Ok);
    fixture.click("Command3"); // Restore Defaults
    fixture.edit("txtExt")->setText(u"org"_s);
    fixture.click("cmdSave");
    const QStringList texts = fixture.messageTexts();
    QCOMPARE(texts.size(), 2 + 4);
    for (int index : {1, 2, 4, 5})
        QVERIFY2(texts.at(index).startsWith(u"The TLD table was not changed: "_s), qPrintable(texts.at(index)));
    QCOMPARE(fixture.column(0), (QStringList{u"com"_s, u"net"_s}));
}

// The line tells of a run only while one goes; edits are stored as ever.
void TestSettingsWindow::runGoingLineFollowsTheRun()
{
    SetupFixture fixture;
    fixture.writeDefaultTlds();
    SetupWindow &window = fixture.open();
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    const QLabel *line = fixture.child<QLabel>("lblRunGoing");
    QCOMPARE(line->text(), u"A search is running: changes apply to the next run."_s);
    QVERIFY(!line->isVisible());
    for (const bool going : {true, false, true}) {
        window.setRunGoing(going);
        QCOMPARE(line->isVisible(), going);
    }
    fixture.child<QCheckBox>("chkDnsFirst")->click();
    QCOMPARE(fixture.userSetting(u"CheckDnsFirst"_s), u"0"_s);
}
