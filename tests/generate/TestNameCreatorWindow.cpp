#include "base/Branding.h"
#include "cli/CommandLine.h"
#include "generate/AppendsFile.h"
#include "generate/ui/NameCreatorWindow.h"
#include "settings/SettingsStore.h"
#include "tests/support/ScriptedPrompt.h"
#include "tests/support/TestFiles.h"
#include "tests/support/WhoisTestServer.h"

#include <QAbstractItemModel>
#include <QCheckBox>
#include <QLineEdit>
#include <QListView>
#include <QListWidget>
#include <QPushButton>
#include <QSignalSpy>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>
#include <QTextStream>
#include <QTimer>

#include <memory>

using namespace Qt::StringLiterals;

namespace {

const QString product = u"Ornisk"_s;
const QString section = u"Settings"_s;

// A program folder, an isolated settings store and the window on them.
struct Fixture
{
    Fixture()
        : settings(SettingsLocations{config.path() + u"/user"_s, config.path() + u"/machine"_s}, Branding().companyName,
                   product)
    {
        writeFile(path(u"TLDs.txt"_s), "com|whois.example|43|Enabled|0|No match\r\n"
                                       "proxy|p.example|43|Enabled|0|x\r\n"
                                       "org|o.example|43|enabled|0|x\r\n"
                                       "NET|n.example|43|Enabled|0|x\r\n");
        writeFile(path(u"Appends.txt"_s), "\r\n");
    }

    QString path(const QString &file) const { return folder.path() + QLatin1Char('/') + file; }

    NameCreatorWindow &open()
    {
        window = std::make_unique<NameCreatorWindow>(folder.path(), settings, prompt, Branding());
        window->show();
        return *window;
    }

    template <typename Widget>
    Widget *control(const QString &name) const
    {
        Widget *widget = window->findChild<Widget *>(name);
        if (!widget)
            qWarning("no control %s", qPrintable(name));
        return widget;
    }

    QStringList items(const QString &name) const
    {
        QStringList texts;
        const auto *list = control<QListWidget>(name);
        for (int row = 0; row < list->count(); ++row)
            texts << list->item(row)->text();
        return texts;
    }

    QStringList createdNames() const
    {
        const QAbstractItemModel *model = control<QListView>(u"List1"_s)->model();
        QStringList names;
        for (int row = 0; row < model->rowCount(); ++row)
            names << model->index(row, 0).data().toString();
        return names;
    }

    QString status() const { return control<QLineEdit>(u"txtStatus"_s)->text(); }
    QString stored(const QString &key) const { return settings.getUserSetting(product, section, key, u"<none>"_s); }

    QTemporaryDir folder;
    QTemporaryDir config;
    ScriptedPrompt prompt;
    SettingsStore settings;
    std::unique_ptr<NameCreatorWindow> window;
};

const QStringList inputNames{u"chkAdd0"_s,  u"chkAdd1"_s, u"chkAdd2"_s, u"Text1"_s,   u"Text2"_s,   u"Command1"_s,
                             u"Command2"_s, u"cmdAdd"_s,  u"cmdSub"_s,  u"chkExt0"_s, u"chkExt8"_s, u"txtCustom"_s,
                             u"cmdLoadWords"_s, u"cmdSaveWords"_s};

} // namespace

class TestNameCreatorWindow : public QObject
{
    Q_OBJECT

private slots:
    void controls();
    void settingsRoundTrip();
    void addAndRemoveWords();
    void removeWithoutSelection();
    void wordsOutsideLatin1GoOutInIdnaForm();
    void emptyBaseWordAndWordListFiles();
    void generateWritesListAndRequestsSearch();
    void largeRunShowsProgressWhileItRuns();
    void unwritableListStartsNoSearch();
    void saveDomainsAs();
    void generatedListSearchedEndToEnd();
};

void TestNameCreatorWindow::controls()
{
    Fixture fixture;
    writeFile(fixture.path(u"Appends.txt"_s), "\r\nbest\r\n \r\nbig deal\r\n");
    NameCreatorWindow &window = fixture.open();
    QCOMPARE(window.windowTitle(), u"Domain Name Creator"_s);

    struct Expected
    {
        QString name;
        QString text;
        QString toolTip;
    };
    const QList<Expected> buttons{
        {u"Command1"_s, u"Start Generator"_s, u"Once you have a base word, click here to create your list!"_s},
        {u"cmdAdd"_s, u"Add"_s, u"Add your word."_s},
        {u"cmdSub"_s, u"Del"_s, u"Remove the selected word."_s},
        {u"Command2"_s, u"Save Domains As..."_s, u"Save your list as a text file."_s}};
    for (const Expected &expected : buttons) {
        const auto *button = fixture.control<QPushButton>(expected.name);
        QVERIFY(button);
        QCOMPARE(button->text(), expected.text);
        QCOMPARE(button->toolTip(), expected.toolTip);
    }
    QCOMPARE(fixture.control<QLineEdit>(u"Text1"_s)->toolTip(), u"This word will appear in every domain created."_s);
    QCOMPARE(fixture.status(), u"Status..."_s);
    QVERIFY(fixture.control<QLineEdit>(u"Text2"_s));
    const QStringList addTexts{u"Prefixes"_s, u"Suffixes"_s, u"Hyphens"_s};
    for (int i = 0; i < 3; ++i)
        QCOMPARE(fixture.control<QCheckBox>(u"chkAdd%1"_s.arg(i))->text(), addTexts.at(i));

    const QStringList extensionTexts{u".COM"_s,  u".NET"_s,  u".ORG"_s,
                                     u".BIZ"_s,  u".INFO"_s, u".NAME"_s,
                                     u".AERO"_s, u".COOP"_s, u"Custom Extension:"_s};
    for (int i = 0; i < 9; ++i) {
        const auto *box = fixture.control<QCheckBox>(u"chkExt%1"_s.arg(i));
        QCOMPARE(box->text(), extensionTexts.at(i));
        QVERIFY(!box->isVisible());
    }
    QCOMPARE(fixture.control<QLineEdit>(u"txtCustom"_s)->text(), u".co.uk"_s);
    QVERIFY(!fixture.control<QLineEdit>(u"txtCustom"_s)->isVisible());

    // Enabled rows only, with their dot, as written, ticked; not the proxy row.
    QCOMPARE(fixture.items(u"ListView1"_s), (QStringList{u".com"_s, u".NET"_s}));
    const auto *tlds = fixture.control<QListWidget>(u"ListView1"_s);
    for (int row = 0; row < tlds->count(); ++row)
        QCOMPARE(tlds->item(row)->checkState(), Qt::Checked);

    QCOMPARE(fixture.items(u"List2"_s), (QStringList{u"best"_s, u"big deal"_s}));
    QCOMPARE(fixture.control<QListView>(u"List1"_s)->model()->rowCount(), 0);
}

void TestNameCreatorWindow::settingsRoundTrip()
{
    Fixture fixture;
    fixture.open();
    for (int i = 0; i < 3; ++i)
        QVERIFY(fixture.control<QCheckBox>(u"chkAdd%1"_s.arg(i))->isChecked());
    for (int i = 0; i < 9; ++i)
        QVERIFY(fixture.control<QCheckBox>(u"chkExt%1"_s.arg(i))->isChecked());
    QCOMPARE(fixture.control<QLineEdit>(u"Text1"_s)->text(), QString());

    fixture.control<QCheckBox>(u"chkAdd1"_s)->click();
    fixture.control<QCheckBox>(u"chkExt3"_s)->setChecked(false);
    QTest::keyClicks(fixture.control<QLineEdit>(u"Text1"_s), u"shop"_s);
    fixture.control<QLineEdit>(u"txtCustom"_s)->setText(u".de"_s);
    QCOMPARE(fixture.stored(u"chkAdd1"_s), u"0"_s);
    QCOMPARE(fixture.stored(u"chkAdd0"_s), u"1"_s);
    QCOMPARE(fixture.stored(u"chkExt3"_s), u"0"_s);
    QCOMPARE(fixture.stored(u"txtMake"_s), u"shop"_s);
    QCOMPARE(fixture.stored(u"txtCustom"_s), u".de"_s);

    fixture.settings.saveUserSetting(product, section, u"chkAdd2"_s, u"0"_s);
    fixture.open();
    QVERIFY(fixture.control<QCheckBox>(u"chkAdd0"_s)->isChecked());
    QVERIFY(!fixture.control<QCheckBox>(u"chkAdd1"_s)->isChecked());
    QVERIFY(!fixture.control<QCheckBox>(u"chkAdd2"_s)->isChecked());
    QVERIFY(!fixture.control<QCheckBox>(u"chkExt3"_s)->isChecked());
    QVERIFY(fixture.control<QCheckBox>(u"chkExt4"_s)->isChecked());
    QCOMPARE(fixture.control<QLineEdit>(u"Text1"_s)->text(), u"shop"_s);
    QCOMPARE(fixture.control<QLineEdit>(u"txtCustom"_s)->text(), u".de"_s);
}

void TestNameCreatorWindow::addAndRemoveWords()
{
    Fixture fixture;
    writeFile(fixture.path(u"Appends.txt"_s), "\r\nmy\r\nx\r\n");
    fixture.open();
    auto *text2 = fixture.control<QLineEdit>(u"Text2"_s);

    text2->setText(u"my"_s);
    fixture.control<QPushButton>(u"cmdAdd"_s)->click();
    QCOMPARE(text2->text(), QString());
    QTest::keyClicks(text2, u" Big Deal"_s);
    QTest::keyClick(text2, Qt::Key_Return);
    QCOMPARE(text2->text(), QString());
    QCOMPARE(fixture.items(u"List2"_s), (QStringList{u"my"_s, u"x"_s, u"my"_s, u" Big Deal"_s}));
    QCOMPARE(readFile(fixture.path(u"Appends.txt"_s)), "\r\nmy\r\nx\r\nmy\r\n Big Deal\r\n"_ba);

    // Every equal line leaves the file; only the selected entry leaves the list.
    fixture.control<QListWidget>(u"List2"_s)->setCurrentRow(2);
    fixture.control<QPushButton>(u"cmdSub"_s)->click();
    QCOMPARE(fixture.items(u"List2"_s), (QStringList{u"my"_s, u"x"_s, u" Big Deal"_s}));
    QCOMPARE(readFile(fixture.path(u"Appends.txt"_s)), "\r\nx\r\n Big Deal\r\n\r\n"_ba);
    QVERIFY(fixture.prompt.messages.isEmpty());

    // Opened again, the window shows the file.
    fixture.open();
    QCOMPARE(fixture.items(u"List2"_s), (QStringList{u"x"_s, u" Big Deal"_s}));
}

void TestNameCreatorWindow::removeWithoutSelection()
{
    Fixture fixture;
    writeFile(fixture.path(u"Appends.txt"_s), "my\r\n");
    fixture.open();
    fixture.control<QPushButton>(u"cmdSub"_s)->click();
    QCOMPARE(fixture.prompt.messages.size(), 1);
    const ScriptedPrompt::Message message = fixture.prompt.messages.first();
    QCOMPARE(message.text, u"You must first select an item to remove from the list."_s);
    QCOMPARE(message.icon, Prompt::Icon::None);
    QCOMPARE(message.buttons, Prompt::Buttons::Ok);
    QCOMPARE(fixture.items(u"List2"_s), QStringList{u"my"_s});
    QCOMPARE(readFile(fixture.path(u"Appends.txt"_s)), "my\r\n"_ba);
}

// Words beyond Latin-1, as base word or prefix, reach CreatedDomains.txt in
// their IDNA form; a prefix list that takes one becomes UTF-8 as a whole.
void TestNameCreatorWindow::wordsOutsideLatin1GoOutInIdnaForm()
{
    Fixture fixture;
    writeFile(fixture.path(u"Appends.txt"_s), "caf\xe9\r\n");
    NameCreatorWindow &window = fixture.open();
    QSignalSpy started(&window, &NameCreatorWindow::startSearchRequested);
    auto *text2 = fixture.control<QLineEdit>(u"Text2"_s);
    text2->setText(u"\u0161kola"_s);
    QTest::keyClick(text2, Qt::Key_Return);
    QVERIFY(fixture.prompt.messages.isEmpty());
    QCOMPARE(fixture.items(u"List2"_s), (QStringList{u"caf\u00e9"_s, u"\u0161kola"_s}));
    QCOMPARE(readFile(fixture.path(u"Appends.txt"_s)), "caf\xc3\xa9\r\n\xc5\xa1kola\r\n"_ba);
    QStringList reread;
    QVERIFY(AppendsFile(fixture.folder.path()).readWords(reread));
    QCOMPARE(reread, fixture.items(u"List2"_s));

    fixture.control<QListWidget>(u"ListView1"_s)->item(1)->setCheckState(Qt::Unchecked);
    fixture.control<QCheckBox>(u"chkAdd1"_s)->setChecked(false);
    fixture.control<QCheckBox>(u"chkAdd2"_s)->setChecked(false);
    fixture.control<QLineEdit>(u"Text1"_s)->setText(u"\u65e5\u672c"_s);
    fixture.control<QPushButton>(u"Command1"_s)->click();
    QTRY_COMPARE(started.size(), 1);
    QCOMPARE(started.first().at(0).toInt(), 3);
    QCOMPARE(readFile(fixture.path(u"CreatedDomains.txt"_s)),
             "xn--wgv71a.com\r\n\r\nxn--caf-dma4730kcvb.com\r\n\r\nxn--kola-f6a0155mo4b.com\r\n\r\n"_ba);
}

// An empty base word makes nothing; the prefix/suffix list goes to a file of
// the user's and comes back from one.
void TestNameCreatorWindow::emptyBaseWordAndWordListFiles()
{
    Fixture fixture;
    writeFile(fixture.path(u"Appends.txt"_s), "my\r\nbest\r\n");
    NameCreatorWindow &window = fixture.open();
    QSignalSpy started(&window, &NameCreatorWindow::startSearchRequested);
    fixture.control<QLineEdit>(u"Text1"_s)->setText(u"  "_s);
    fixture.control<QPushButton>(u"Command1"_s)->click();
    QCOMPARE(fixture.prompt.messages.size(), 1);
    QVERIFY(!window.isGenerating());
    QVERIFY(fixture.createdNames().isEmpty());

    const QString kept = fixture.path(u"kept.txt"_s);
    fixture.prompt.fileNames.enqueue(kept);
    fixture.control<QPushButton>(u"cmdSaveWords"_s)->click();
    QCOMPARE(readFile(kept), "my\r\nbest\r\n"_ba);

    writeFile(kept, "  top \r\n\r\nnew\n");
    fixture.prompt.fileNames.enqueue(kept);
    fixture.control<QPushButton>(u"cmdLoadWords"_s)->click();
    QCOMPARE(fixture.items(u"List2"_s), (QStringList{u"top"_s, u"new"_s}));
    QCOMPARE(readFile(fixture.path(u"Appends.txt"_s)), "top\r\nnew\r\n"_ba);
    QCOMPARE(fixture.prompt.messages.size(), 1);
    QCOMPARE(started.size(), 0);
}

void TestNameCreatorWindow::generateWritesListAndRequestsSearch()
{
    Fixture fixture;
    writeFile(fixture.path(u"CreatedDomains.txt"_s), "old.com\r\n\r\nolder.com\r\n\r\noldest.com\r\n\r\n");
    NameCreatorWindow &window = fixture.open();
    QSignalSpy started(&window, &NameCreatorWindow::startSearchRequested);
    fixture.control<QLineEdit>(u"Text1"_s)->setText(u"shop"_s);
    fixture.control<QPushButton>(u"Command1"_s)->click();
    for (const QString &name : inputNames)
        QVERIFY2(!fixture.control<QWidget>(name)->isEnabled(), qPrintable(name));

    QTRY_COMPARE(started.size(), 1);
    QCOMPARE(started.first().at(0).toInt(), 2);
    QCOMPARE(fixture.createdNames(), (QStringList{u"shop.com"_s, u"shop.net"_s}));
    QCOMPARE(readFile(fixture.path(u"CreatedDomains.txt"_s)), "shop.com\r\n\r\nshop.net\r\n\r\n"_ba);
    QCOMPARE(fixture.status(), u"Created 2 domains...  Search Started"_s);
    for (const QString &name : inputNames)
        QVERIFY2(fixture.control<QWidget>(name)->isEnabled(), qPrintable(name));
    QVERIFY(!window.isGenerating());

    // Enter in the base word runs again; an unticked TLD takes no part and
    // the new list replaces the old one.
    fixture.control<QListWidget>(u"ListView1"_s)->item(0)->setCheckState(Qt::Unchecked);
    writeFile(fixture.path(u"Appends.txt"_s), "my\r\n");
    fixture.control<QCheckBox>(u"chkAdd2"_s)->setChecked(false);
    QTest::keyClick(fixture.control<QLineEdit>(u"Text1"_s), Qt::Key_Return);
    QTRY_COMPARE(started.size(), 2);
    QCOMPARE(started.last().at(0).toInt(), 3);
    QCOMPARE(fixture.createdNames(), (QStringList{u"shop.net"_s, u"myshop.net"_s, u"shopmy.net"_s}));
    QCOMPARE(readFile(fixture.path(u"CreatedDomains.txt"_s)),
             "shop.net\r\n\r\nmyshop.net\r\n\r\nshopmy.net\r\n\r\n"_ba);
}

// 1,000 words, ten TLDs and all three boxes make 40,010 names. The window
// stays responsive: between batches the event loop runs (a timer of the test
// sees the progress texts), and the list grows batch by batch.
void TestNameCreatorWindow::largeRunShowsProgressWhileItRuns()
{
    Fixture fixture;
    QByteArray table;
    for (const char *tld : {"a", "b", "c", "d", "e", "f", "g", "h", "i", "j"})
        table += QByteArray(tld) + "|127.0.0.1|43|Enabled|0|No match\r\n";
    writeFile(fixture.path(u"TLDs.txt"_s), table);
    QByteArray words = "\r\n";
    for (int i = 0; i < 1000; ++i)
        words += "w" + QByteArray::number(i) + "\r\n";
    writeFile(fixture.path(u"Appends.txt"_s), words);
    NameCreatorWindow &window = fixture.open();
    fixture.control<QLineEdit>(u"Text1"_s)->setText(u"ab"_s);

    QStringList statusTexts;
    connect(fixture.control<QLineEdit>(u"txtStatus"_s), &QLineEdit::textChanged, this,
            [&statusTexts](const QString &text) { statusTexts << text; });
    QStringList seenByTimer;
    QList<int> rowsSeen;
    QTimer observer;
    connect(&observer, &QTimer::timeout, this, [&] {
        seenByTimer << fixture.status();
        rowsSeen << fixture.control<QListView>(u"List1"_s)->model()->rowCount();
    });
    QSignalSpy started(&window, &NameCreatorWindow::startSearchRequested);

    observer.start(0);
    fixture.control<QPushButton>(u"Command1"_s)->click();
    QVERIFY(window.isGenerating());
    QVERIFY(!fixture.control<QPushButton>(u"Command1"_s)->isEnabled());
    QTRY_COMPARE_WITH_TIMEOUT(started.size(), 1, 60000);
    observer.stop();

    QStringList expected;
    for (int created = 1010; created <= 40010; created += 1000)
        expected << u"Creating Domains - Created %1 so far..."_s.arg(created);
    expected << u"Created 40010 domains...  Sorting..."_s << u"Created 40010 domains...  Search Started"_s;
    QCOMPARE(statusTexts, expected);
    QCOMPARE(started.first().at(0).toInt(), 40010);

    const qsizetype seenProgress = std::count_if(seenByTimer.cbegin(), seenByTimer.cend(), [](const QString &text) {
        return text.startsWith(u"Creating Domains - Created "_s);
    });
    seenByTimer.removeDuplicates();
    QVERIFY2(seenProgress >= 10, qPrintable(seenByTimer.join(u", "_s)));
    QVERIFY(std::count_if(rowsSeen.cbegin(), rowsSeen.cend(), [](int rows) { return rows > 0 && rows < 40010; }) >= 10);

    const QStringList names = fixture.createdNames();
    QCOMPARE(names.size(), 40010);
    QCOMPARE(names.at(9), u"ab.j"_s);
    QCOMPARE(names.at(10), u"w0ab.a"_s);
    QCOMPARE(names.last(), u"ab-w999.j"_s);
    const QByteArray file = readFile(fixture.path(u"CreatedDomains.txt"_s));
    QCOMPARE(file.count("\r\n\r\n"), 40010);
    QVERIFY(file.endsWith("\r\nab-w999.j\r\n\r\n"));
}

void TestNameCreatorWindow::unwritableListStartsNoSearch()
{
    Fixture fixture;
    QVERIFY(QDir(fixture.folder.path()).mkdir(u"CreatedDomains.txt"_s));
    QFile::remove(fixture.path(u"Appends.txt"_s));
    NameCreatorWindow &window = fixture.open();
    QSignalSpy started(&window, &NameCreatorWindow::startSearchRequested);
    fixture.control<QLineEdit>(u"Text1"_s)->setText(u"shop"_s);
    fixture.control<QPushButton>(u"Command1"_s)->click();
    QTRY_VERIFY(!window.isGenerating());
    QVERIFY2(fixture.status().contains(u"CreatedDomains.txt"_s), qPrintable(fixture.status()));
    QCOMPARE(fixture.createdNames(), (QStringList{u"shop.com"_s, u"shop.net"_s}));
    QVERIFY(fixture.control<QPushButton>(u"Command1"_s)->isEnabled());
    QTest::qWait(20);
    QCOMPARE(started.size(), 0);
}

void TestNameCreatorWindow::saveDomainsAs()
{
    Fixture fixture;
    NameCreatorWindow &window = fixture.open();
    QSignalSpy started(&window, &NameCreatorWindow::startSearchRequested);
    fixture.control<QLineEdit>(u"Text1"_s)->setText(u"shop"_s);
    fixture.control<QPushButton>(u"Command1"_s)->click();
    QTRY_COMPARE(started.size(), 1);

    const QString customLists = fixture.path(u"CustomLists"_s);
    fixture.control<QPushButton>(u"Command2"_s)->click(); // cancelled: the prompt has no file name
    QVERIFY(QDir(customLists).exists());
    QCOMPARE(QDir(customLists).entryList(QDir::Files | QDir::Hidden), QStringList());

    const QString chosen = customLists + u"/shop.txt"_s;
    writeFile(chosen, "something else\r\n");
    fixture.prompt.fileNames.enqueue(chosen);
    fixture.control<QPushButton>(u"Command2"_s)->click();
    QCOMPARE(readFile(chosen), "shop.com\r\n\r\nshop.net\r\n\r\n"_ba);
}

// The generated list goes through a headless search against a loopback WHOIS
// server, name by name in creation order.
void TestNameCreatorWindow::generatedListSearchedEndToEnd()
{
    WhoisTestServer server;
    QVERIFY(server.listen());
    server.setHandler([](QTcpSocket *socket, const QByteArray &query, int) {
        WhoisTestServer::answerAndClose(socket, query.contains('-') ? "No match for domain" : "Domain Name: taken");
    });
    Fixture fixture;
    qputenv("VANTREL_CONFIG_DIR", QFile::encodeName(fixture.config.path()));
    writeFile(fixture.path(u"TLDs.txt"_s),
              "test|127.0.0.1|" + QByteArray::number(server.port()) + "|Enabled|0|No match\r\n");
    writeFile(fixture.path(u"Appends.txt"_s), "\r\nmy\r\n");
    NameCreatorWindow &window = fixture.open();
    QSignalSpy started(&window, &NameCreatorWindow::startSearchRequested);
    fixture.control<QLineEdit>(u"Text1"_s)->setText(u"shop"_s);
    fixture.control<QPushButton>(u"Command1"_s)->click();
    QTRY_COMPARE(started.size(), 1);
    const int wordMax = started.first().at(0).toInt();

    QString out;
    QString err;
    QTextStream outStream(&out);
    QTextStream errStream(&err);
    const int exitCode = runCommandLine({u"--home"_s, fixture.folder.path(), u"check"_s, u"--no-dns"_s, u"--list"_s,
                                         fixture.path(u"CreatedDomains.txt"_s)},
                                        outStream, errStream);
    outStream.flush();
    QCOMPARE(exitCode, 0);
    QCOMPARE(server.queries,
             (QList<QByteArray>{"shop.test", "myshop.test", "my-shop.test", "shopmy.test", "shop-my.test"}));
    QCOMPARE(wordMax, int(server.queries.size()));
    const QString taken = u"\tregistered\t127.0.0.1\tnomatch\n"_s;
    const QString free = u"\tavailable\t127.0.0.1\tphrase:No match\n"_s;
    QCOMPARE(out, u"shop.test"_s + taken + u"myshop.test"_s + taken + u"my-shop.test"_s + free + u"shopmy.test"_s +
                      taken + u"shop-my.test"_s + free);
}

QTEST_MAIN(TestNameCreatorWindow)
#include "TestNameCreatorWindow.moc"
