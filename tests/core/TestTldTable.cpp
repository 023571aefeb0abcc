#include "core/DefaultTldTable.h"
#include "core/LookupRoute.h"
#include "core/RegistryDirectory.h"
#include "core/TldFile.h"
#include "core/TldTable.h"
#include "tests/support/TestData.h"
#include "tests/support/TestFiles.h"

#include <QDir>
#include <QFile>
#include <QMap>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

const QString standardList = QLatin1String(DefaultTldTable::standardIndicators);

TldTable tableOf(const QStringList &extensions)
{
    QVector<TldEntry> entries;
    for (const QString &extension : extensions) {
        TldEntry entry;
        entry.extension = extension;
        entries << entry;
    }
    TldTable table;
    table.setEntries(entries);
    return table;
}

// Default lines by their label as written (so "List" and "list" stay apart).
QMultiMap<QString, QStringList> defaultFieldsByLabel()
{
    QMultiMap<QString, QStringList> fields;
    for (const QString &line : DefaultTldTable::lines())
        fields.insert(line.section(u'|', 0, 0), line.split(u'|'));
    return fields;
}

} // namespace

class TestTldTable : public QObject
{
    Q_OBJECT

private slots:
    void defaultTableLayout();
    void defaultDuplicates();
    void defaultSpecialPhrases_data();
    void defaultSpecialPhrases();
    void defaultNotes_data();
    void defaultNotes();
    void defaultProviderGroups();
    void defaultHostsMatchRegistryList();
    void writeDefaultTable();

    void findTldIndex_data();
    void findTldIndex();
    void lookupInDefaultTable();

    void loadFields();
    void loadSkipsMalformedLines_data();
    void loadSkipsMalformedLines();
    void loadRefusesRowsThatCannotBeAsked_data();
    void loadRefusesRowsThatCannotBeAsked();
    void loadWithoutUsableLinesKeepsTable_data();
    void loadWithoutUsableLinesKeepsTable();
    void loadSurvivesGarbage();
    void lowerCaseEnabledCountsDisabled();
    void enabledExtensions_data();
    void enabledExtensions();

    void saveReplacesInPlace();
    void saveAppendsAfterEmptyLine();
    void saveReplacesEveryDuplicate();
    void saveMatchesLowerCaseOnly();
    void saveCreatesMissingFile();
    void appendKeepsLastLineApart();
    void writesFailCleanly();
    void readOnlyFolderKeepsOldFile();
};

void TestTldTable::defaultTableLayout()
{
    const QStringList lines = DefaultTldTable::lines();
    QCOMPARE(lines.size(), 179);

    const QStringList labels =
        u"0 128 192 64 800 888 ac af al am art arts as at au ave az ba bank be bg biz blues "
        "blues bot br bt by ca cc cdn cgi ch ck cl cn com corp cx cy cz dds de depot dev dir "
        "dk dz earth edu ee eg es event faq fi film florida fo fr fund gallery gb ge gm gmbh gov "
        "gr gs heck help here here hk hosts hotel hr hu humanrights hwy ie il info ins int iq is "
        "isp it java jp kg kr li life List list llb lol lt lu luv lv ma mart mbx md med mil mk "
        "moi ms mt music mx net nic nl no npo nu org php pics pka pl plan prices proxy pt pta "
        "radio ro rofl ru safe Script script se sex sg sh si sk sky sm speed sql st su swap tc "
        "texas tf th this this tj tm tn to tr tux tw ua uk us usa va ve vg video whois xxx y3k "
        "yu z zine zoo"_s.split(u' ');
    QStringList enabled;
    for (int i = 0; i < lines.size(); ++i) {
        const QStringList fields = lines.at(i).split(u'|');
        QCOMPARE(fields.size(), 6);
        QCOMPARE(fields.at(0), labels.at(i));
        QVERIFY2(!fields.at(1).isEmpty() && fields.at(1) == fields.at(1).toLower(), qPrintable(lines.at(i)));
        QCOMPARE(fields.at(2), u"43"_s);
        QCOMPARE(fields.at(4), u"25"_s);
        QVERIFY(fields.at(3) == u"Enabled"_s || fields.at(3) == u"Disabled"_s);
        if (fields.at(3) == u"Enabled"_s) {
            enabled << fields.at(0);
            QCOMPARE(fields.at(5), standardList);
        }
    }
    QCOMPARE(enabled, QStringList({u"com"_s, u"net"_s, u"proxy"_s}));

    QByteArray expected = lines.join(u"\r\n"_s).toLatin1() + "\r\n\r\n";
    QCOMPARE(DefaultTldTable::fileContents(), expected);
}

void TestTldTable::defaultDuplicates()
{
    const QMultiMap<QString, QStringList> fields = defaultFieldsByLabel();
    for (const QString &label : {u"blues"_s, u"here"_s, u"this"_s}) {
        const QList<QStringList> twins = fields.values(label);
        QCOMPARE(twins.size(), 2);
        QCOMPARE(twins.first(), twins.last());
    }
    for (const QString &label : {u"List"_s, u"Script"_s}) {
        QCOMPARE(fields.count(label), 1);
        QCOMPARE(fields.count(label.toLower()), 1);
        const QStringList upper = fields.value(label);
        const QStringList lower = fields.value(label.toLower());
        QCOMPARE(upper.at(1), lower.at(1));
        QCOMPARE(upper.at(5), standardList);
        QVERIFY(lower.at(5).startsWith(u'#'));
        QVERIFY(lower.at(5).endsWith(u"#,"_s + standardList));
    }

    const QSet<QString> numericServers = {fields.value(u"0"_s).at(1), fields.value(u"128"_s).at(1),
                                          fields.value(u"192"_s).at(1), fields.value(u"64"_s).at(1)};
    QCOMPARE(numericServers.size(), 1);
}

void TestTldTable::defaultSpecialPhrases_data()
{
    QTest::addColumn<QString>("phrases");
    QTest::addColumn<QStringList>("labels");
    QTest::newRow("Available") << u"Available"_s << QStringList{u"ac"_s};
    QTest::newRow("No entries found") << u"No entries found"_s << QStringList{u"al"_s, u"es"_s, u"fr"_s, u"ru"_s};
    QTest::newRow("Nothing found") << u"Nothing found"_s << QStringList{u"at"_s};
    QTest::newRow("No data found") << u"No data found"_s << QStringList{u"au"_s};
    QTest::newRow("AVAIL") << u"AVAIL"_s << QStringList{u"ca"_s};
    QTest::newRow("We do not have an entry") << u"We do not have an entry"_s << QStringList{u"ch"_s, u"li"_s};
    QTest::newRow("No existe") << u"No existe"_s << QStringList{u"cl"_s};
    QTest::newRow("free") << u"free"_s << QStringList{u"de"_s};
    QTest::newRow("AVAILABLE") << u"AVAILABLE"_s << QStringList{u"it"_s};
    QTest::newRow("No such domain") << u"No such domain"_s << QStringList{u"lu"_s};
    QTest::newRow("No Encontrado") << u"No Encontrado"_s << QStringList{u"mx"_s};
    QTest::newRow("is free") << u"is free"_s << QStringList{u"nl"_s};
    QTest::newRow("NOMATCH") << u"NOMATCH"_s << QStringList{u"sg"_s};
    QTest::newRow("No match for") << u"No match for"_s << QStringList{u"uk"_s};
}

void TestTldTable::defaultSpecialPhrases()
{
    QFETCH(QString, phrases);
    QFETCH(QStringList, labels);
    QStringList found;
    int ownLists = 0;
    for (const QString &line : DefaultTldTable::lines()) {
        const QStringList fields = line.split(u'|');
        if (fields.at(5) == phrases)
            found << fields.at(0);
        if (!fields.at(5).startsWith(u'#') && fields.at(5) != standardList)
            ++ownLists;
    }
    QCOMPARE(found, labels);
    QCOMPARE(ownLists, 18);
}

void TestTldTable::defaultNotes_data()
{
    QTest::addColumn<QString>("note");
    QTest::addColumn<QStringList>("labels");
    QTest::newRow("server down") << u"#SERVER DOWN#"_s
                                 << QStringList{u"af"_s, u"int"_s, u"kg"_s, u"pka"_s, u"pta"_s, u"tj"_s};
    QTest::newRow("sever down") << u"#SEVER DOWN#"_s << QStringList{u"whois"_s};
    QTest::newRow("offline") << u"#APPEARS TO BE OFFLINE#"_s << QStringList{u"mil"_s};
    QTest::newRow("query limit") << u"#VERY LOW QUERY LIMIT#"_s << QStringList{u"org"_s};
    QTest::newRow("abandoned") << u"#TLD MAY HAVE BEEN ABANDONED#"_s << QStringList{u"sex"_s};
    QTest::newRow("seems down") << u"#WHOIS SERVER SEEMS DOWN#"_s << QStringList{u"ve"_s};
    QTest::newRow("characters") << u"#APPEARS TO RETURN UNRECOGNIZABLE CHARACTERS#"_s << QStringList{u"jp"_s};
}

void TestTldTable::defaultNotes()
{
    QFETCH(QString, note);
    QFETCH(QStringList, labels);
    QStringList found;
    for (const QString &line : DefaultTldTable::lines()) {
        if (line.section(u'|', 5) == note + u',' + standardList)
            found << line.section(u'|', 0, 0);
    }
    QCOMPARE(found, labels);
}

void TestTldTable::defaultProviderGroups()
{
    const QList<QStringList> groups = {
        u"800 888 cdn dds depot faq gallery gmbh humanrights iq list llb nic prices safe sql swap zoo"_s.split(u' '),
        u"ave blues blues bot cgi dev event florida heck here here hosts hwy ins java life lol luv mart mbx moi php "
        "pics plan rofl script speed texas this this tux y3k"_s.split(u' '),
        u"art arts bank dir film fund help hotel isp med music radio sky video xxx zine"_s.split(u' '),
        u"earth usa z"_s.split(u' '),
        u"corp npo"_s.split(u' '),
    };
    const QList<int> sizes = {18, 32, 16, 3, 2};
    const QList<int> hostCounts = {3, 1, 1, 1, 1};
    const QRegularExpression defunct(u"^#(\\S+) APPEARS (TO BE )?DEFUNCT#,(.*)$"_s);

    QStringList groupLabels;
    QSet<QString> providers;
    for (int g = 0; g < groups.size(); ++g) {
        QSet<QString> groupProviders;
        QSet<QString> hosts;
        QStringList labels;
        for (const QString &line : DefaultTldTable::lines()) {
            const QStringList fields = line.split(u'|');
            const QRegularExpressionMatch match = defunct.match(fields.at(5));
            if (!match.hasMatch() || !groups.at(g).contains(fields.at(0)))
                continue;
            labels << fields.at(0);
            QCOMPARE(match.captured(3), standardList);
            const QString provider = match.captured(1);
            QCOMPARE(provider, provider.toUpper());
            // A label that became a real TLD names its registry's server instead.
            const bool placeholder = fields.at(1).endsWith(u".example"_s);
            QVERIFY2(!placeholder || fields.at(1).endsWith(u'.' + provider.toLower()), qPrintable(line));
            const bool toBe = !match.captured(2).isEmpty();
            QCOMPARE(toBe, g == 0 && fields.at(0) != u"iq"_s);
            groupProviders << provider;
            if (placeholder)
                hosts << fields.at(1);
        }
        QCOMPARE(labels, groups.at(g));
        QCOMPARE(labels.size(), sizes.at(g));
        QCOMPARE(groupProviders.size(), 1);
        QCOMPARE(hosts.size(), hostCounts.at(g));
        providers += groupProviders;
        groupLabels += labels;
    }
    QCOMPARE(providers.size(), 5);

    // Notes on 71 provider rows and 12 condition rows; everything else has a plain list.
    int noted = 0;
    int standard = 0;
    for (const QString &line : DefaultTldTable::lines()) {
        const QString indicators = line.section(u'|', 5);
        noted += indicators.startsWith(u'#') && indicators.endsWith(u"#,"_s + standardList);
        standard += indicators == standardList;
    }
    QCOMPARE(groupLabels.size(), 71);
    QCOMPARE(noted, 83);
    QCOMPARE(standard, 78);
}

void TestTldTable::defaultHostsMatchRegistryList()
{
    const QString folder = testDataDir(u"whois-servers"_s);
    if (folder.isEmpty())
        QSKIP("No whois-servers test data");
    const QList<QByteArray> rows = readFile(folder + u"/tld_servers.tsv"_s).split('\n');
    QVERIFY(rows.size() > 100);
    QMap<QString, QString> registryHosts;
    for (const QByteArray &row : rows) {
        const QList<QByteArray> columns = row.split('\t');
        if (columns.size() == 2 && !registryHosts.contains(QString::fromLatin1(columns.at(0))))
            registryHosts.insert(QString::fromLatin1(columns.at(0)), QString::fromLatin1(columns.at(1).trimmed()));
    }
    QCOMPARE(registryHosts.value(u"com"_s), u"whois.verisign-grs.com"_s);

    // Every row names the registry host where one exists, and otherwise its
    // RDAP server or an invented host.
    int registryRows = 0;
    for (const QString &line : DefaultTldTable::lines()) {
        const QStringList fields = line.split(u'|');
        const QString server = fields.at(1);
        if (fields.at(0) == u"List"_s || fields.at(0) == u"Script"_s) {
            QVERIFY2(server.endsWith(u".example"_s), qPrintable(line));
        } else if (registryHosts.contains(fields.at(0))) {
            QVERIFY2(server == registryHosts.value(fields.at(0)), qPrintable(line));
            ++registryRows;
        } else {
            QVERIFY2(server.endsWith(u".example"_s) || server.startsWith(u"https://"_s), qPrintable(line));
        }
    }
    QVERIFY(registryRows > 70);
}

void TestTldTable::writeDefaultTable()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const TldFile file(dir.path());
    QString error;
    QVERIFY(file.enabledExtensions().isEmpty());
    QVERIFY(file.writeDefaultTldTable(false, &error));
    QCOMPARE(readFile(file.path()), DefaultTldTable::fileContents());
    QCOMPARE(file.enabledExtensions(), QStringList({u"com"_s, u"net"_s}));

    TldTable table;
    QVERIFY(file.loadTldTable(table, &error));
    QCOMPARE(table.size(), 179);
    QCOMPARE(table.enabledExtensionSet(), QStringList({u"com"_s, u"net"_s}));

    writeFile(file.path(), "own|whois.own.example|43|Enabled|25|x\r\n");
    QVERIFY(file.writeDefaultTldTable(false, &error));
    QCOMPARE(readFile(file.path()), QByteArray("own|whois.own.example|43|Enabled|25|x\r\n"));
    QVERIFY(file.writeDefaultTldTable(true, &error));
    QCOMPARE(readFile(file.path()), DefaultTldTable::fileContents());
}

void TestTldTable::findTldIndex_data()
{
    QTest::addColumn<QStringList>("extensions");
    QTest::addColumn<QString>("domain");
    QTest::addColumn<bool>("useProxy");
    QTest::addColumn<int>("expected");

    const QStringList common = {u"org"_s, u"com"_s, u"net"_s, u"proxy"_s};
    QTest::newRow("last label") << common << u"example.net"_s << false << 2;
    QTest::newRow("upper case") << common << u"EXAMPLE.COM"_s << false << 1;
    QTest::newRow("unknown two labels -> com") << common << u"example.zz"_s << false << 1;
    QTest::newRow("no dot -> com") << common << u"example"_s << false << 1;
    QTest::newRow("unknown three labels") << common << u"a.example.zz"_s << false << -1;
    QTest::newRow("latest com") << QStringList{u"org"_s, u"com"_s, u"net"_s, u"com"_s} << u"a.zz"_s << false << 3;
    QTest::newRow("first equal slot") << QStringList{u"com"_s, u"org"_s, u"com"_s} << u"a.com"_s << false << 0;
    QTest::newRow("no com row -> slot 0") << QStringList{u"org"_s, u"net"_s} << u"a.zz"_s << false << 0;
    QTest::newRow("uk before co.uk") << QStringList{u"co.uk"_s, u"uk"_s} << u"a.co.uk"_s << false << 1;
    QTest::newRow("co.uk without uk") << QStringList{u"com"_s, u"co.uk"_s} << u"a.CO.UK"_s << false << 1;
    QTest::newRow("co.uk deeper name") << QStringList{u"com"_s, u"co.uk"_s} << u"a.b.co.uk"_s << false << 1;
    QTest::newRow("two-label co.uk -> com") << QStringList{u"net"_s, u"com"_s, u"co.uk"_s} << u"co.uk"_s << false << 1;
    QTest::newRow("neither uk nor co.uk") << QStringList{u"com"_s} << u"a.co.uk"_s << false << -1;
    QTest::newRow("proxy") << common << u"example.net"_s << true << 3;
    QTest::newRow("proxy, three labels") << common << u"a.co.uk"_s << true << 3;
    QTest::newRow("no proxy row -> com") << QStringList{u"net"_s, u"com"_s} << u"a.net"_s << true << 1;
    QTest::newRow("no proxy row, co.uk") << QStringList{u"com"_s, u"co.uk"_s} << u"a.co.uk"_s << true << 1;
    QTest::newRow("no proxy row, unknown") << QStringList{u"com"_s} << u"a.b.net"_s << true << -1;
    QTest::newRow("empty table") << QStringList{} << u"example.com"_s << false << -1;
    QTest::newRow("empty table, proxy") << QStringList{} << u"example"_s << true << -1;
}

void TestTldTable::findTldIndex()
{
    QFETCH(QStringList, extensions);
    QFETCH(QString, domain);
    QFETCH(bool, useProxy);
    QFETCH(int, expected);
    QCOMPARE(tableOf(extensions).findTldIndex(domain, useProxy), expected);
}

void TestTldTable::lookupInDefaultTable()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const TldFile file(dir.path());
    QVERIFY(file.writeDefaultTldTable(false));
    TldTable table;
    QVERIFY(file.loadTldTable(table));

    const QStringList lines = DefaultTldTable::lines();
    const int list = int(lines.indexOf(QRegularExpression(u"^List\\|.*"_s)));
    const int com = int(lines.indexOf(QRegularExpression(u"^com\\|.*"_s)));
    QVERIFY(list >= 0 && com >= 0);
    QCOMPARE(table.entry(list + 1).extension, u"list"_s);
    QCOMPARE(table.findTldIndex(u"name.LIST"_s, false), list);
    QCOMPARE(table.findTldIndex(u"name.unknown"_s, false), com);
    QCOMPARE(table.entry(table.findTldIndex(u"name.co.uk"_s, false)).extension, u"uk"_s);
    QCOMPARE(table.entry(table.findTldIndex(u"name.de"_s, true)).extension, u"proxy"_s);
}

void TestTldTable::loadFields()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const TldFile file(dir.path());
    writeFile(file.path(), "CoM|WHOIS.Example.NET|4343|Enabled|-7|No Match,Free\r\n"
                           "x|h|32767|Disabled|2147483647|a|b\r\n");
    TldTable table;
    QVERIFY(file.loadTldTable(table));
    QCOMPARE(table.size(), 2);
    const TldEntry &first = table.entry(0);
    QCOMPARE(first.extension, u"com"_s);
    QCOMPARE(first.whoisServer, u"whois.example.net"_s);
    QCOMPARE(first.port, quint16(4343));
    QVERIFY(first.enabled);
    QCOMPARE(first.throttleMs, -7);
    QCOMPARE(first.successIndicators, u"No Match,Free"_s);
    // A "|" inside the indicators shifts the rest into a seventh field.
    QCOMPARE(table.entry(1).port, quint16(32767));
    QCOMPARE(table.entry(1).throttleMs, 2147483647);
    QCOMPARE(table.entry(1).successIndicators, u"a"_s);
}

void TestTldTable::loadSkipsMalformedLines_data()
{
    QTest::addColumn<QByteArray>("badLine");
    QTest::newRow("five fields") << QByteArray("bad|h|43|Enabled|25");
    QTest::newRow("throttle no number") << QByteArray("bad|h|43|Enabled|fast|a");
    QTest::newRow("throttle beyond 32 bits") << QByteArray("bad|h|43|Enabled|2147483648|a");
    QTest::newRow("binary") << QByteArray("\x00\xff|\x01\x02\x80", 6);
}

void TestTldTable::loadSkipsMalformedLines()
{
    QFETCH(QByteArray, badLine);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const TldFile file(dir.path());
    writeFile(file.path(), "net|a|43|Enabled|25|x\r\n" + badLine + "\r\n\r\n \r\n\r\norg|b|43|Disabled|25|y\n");
    TldTable table;
    QVERIFY(file.loadTldTable(table));
    QCOMPARE(table.size(), 2);
    QCOMPARE(table.entry(0).extension, u"net"_s);
    QCOMPARE(table.entry(1).extension, u"org"_s);
    QCOMPARE(table.entry(1).successIndicators, u"y"_s);
}

// A row whose server or port cannot be asked stays in the table with a
// problem naming its line, and its names get that problem as their route's
// error instead of another row's server; good rows are taken as they are.
void TestTldTable::loadRefusesRowsThatCannotBeAsked_data()
{
    QTest::addColumn<QByteArray>("server");
    QTest::addColumn<QByteArray>("port");
    QTest::addColumn<QString>("problem"); // empty: the row is usable
    const QString badServer = u"is not a host name, an IP address or an http(s) RDAP address"_s;
    const QString badPort = u"is not a number from 1 to 65535"_s;
    QTest::newRow("port 0") << "127.0.0.1"_ba << "0"_ba << badPort;
    QTest::newRow("port 65536") << "127.0.0.1"_ba << "65536"_ba << badPort;
    QTest::newRow("port negative") << "127.0.0.1"_ba << "-1"_ba << badPort;
    QTest::newRow("port no number") << "127.0.0.1"_ba << "4x"_ba << badPort;
    QTest::newRow("port empty") << "127.0.0.1"_ba << ""_ba << badPort;
    QTest::newRow("empty server") << ""_ba << "43"_ba << u"the server is empty"_s;
    QTest::newRow("300-character host") << QByteArray(296, 'a') + ".com" << "43"_ba << badServer;
    QTest::newRow("64-character label") << QByteArray(64, 'a') + ".com" << "43"_ba << badServer;
    QTest::newRow("file URL") << "file:///etc/passwd"_ba << "43"_ba << badServer;
    QTest::newRow("ftp URL") << "ftp://127.0.0.1/"_ba << "43"_ba << badServer;
    QTest::newRow("plus in an address") << "127.0+0.1"_ba << "43"_ba << badServer;
    QTest::newRow("numeric last label") << "999.1.1.1"_ba << "43"_ba << badServer;
    QTest::newRow("RDAP URL without host") << "https:///rdap/"_ba << "43"_ba << badServer;
    QTest::newRow("host name") << "Whois.Example-NIC.test"_ba << "43"_ba << QString();
    QTest::newRow("high port") << "127.0.0.1"_ba << "65535"_ba << QString();
    QTest::newRow("IPv6") << "::1"_ba << "4343"_ba << QString();
    QTest::newRow("RDAP base") << "https://rdap.example.test/v1/"_ba << "43"_ba << QString();
}

void TestTldTable::loadRefusesRowsThatCannotBeAsked()
{
    QFETCH(QByteArray, server);
    QFETCH(QByteArray, port);
    QFETCH(QString, problem);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const TldFile file(dir.path());
    writeFile(file.path(), "com|a.test|43|Enabled|25|x\r\n\r\nbad|" + server + '|' + port + "|Enabled|0|y\r\n");
    TldTable table;
    QVERIFY(file.loadTldTable(table));
    QCOMPARE(table.size(), 2);
    const LookupRoute route = routeLookup(u"name.bad"_s, table, false, RegistryDirectory());
    if (problem.isEmpty()) {
        QVERIFY2(table.problems().isEmpty(), qPrintable(table.problems().value(0)));
        QCOMPARE(route.error, QString());
        QCOMPARE(route.server, QString::fromLatin1(server).toLower());
        return;
    }
    QCOMPARE(table.problems().size(), 1);
    QVERIFY2(table.problems().first().contains(u"TLDs.txt line 3: "_s + u"the "_s), qPrintable(table.problems().first()));
    QVERIFY2(table.problems().first().contains(problem), qPrintable(table.problems().first()));
    QVERIFY(route.badRow);
    QCOMPARE(route.error, table.problems().first());
}

void TestTldTable::loadWithoutUsableLinesKeepsTable_data()
{
    QTest::addColumn<bool>("exists");
    QTest::addColumn<QByteArray>("contents");
    QTest::newRow("missing") << false << QByteArray();
    QTest::newRow("empty") << true << QByteArray();
    QTest::newRow("empty lines") << true << QByteArray("\r\n \r\n\r\n\n\r");
    QTest::newRow("only malformed") << true << QByteArray("a|b|c\r\nx|y|43|Enabled|z|q\r\n");
}

void TestTldTable::loadWithoutUsableLinesKeepsTable()
{
    QFETCH(bool, exists);
    QFETCH(QByteArray, contents);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const TldFile file(dir.path());
    if (exists)
        writeFile(file.path(), contents);
    TldTable table = tableOf({u"com"_s, u"net"_s});
    QString error;
    QVERIFY(!file.loadTldTable(table, &error));
    QVERIFY(error.contains(u"TLDs.txt"_s));
    QCOMPARE(table.size(), 2);
    QCOMPARE(table.entry(1).extension, u"net"_s);
}

void TestTldTable::loadSurvivesGarbage()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const TldFile file(dir.path());
    QByteArray garbage;
    for (quint32 i = 0; i < 3'000'000; ++i) {
        const char byte = char(i * 7919 % 256);
        garbage += byte == '\n' ? 'x' : byte;
    }
    writeFile(file.path(), garbage + "\r\n" + QByteArray(1'000'000, '|') + "\r\nnet|a|43|Enabled|25|x\r\n");
    TldTable table;
    QVERIFY(file.loadTldTable(table));
    QCOMPARE(table.entry(table.size() - 1).extension, u"net"_s);
    QVERIFY(file.saveTldEntry(u"net"_s, u"b"_s, u"43"_s, true, u"25"_s, u"x"_s));
    QVERIFY(readFile(file.path()).startsWith(garbage + "\r\n"));
}

void TestTldTable::lowerCaseEnabledCountsDisabled()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const TldFile file(dir.path());
    writeFile(file.path(), "com|a|43|enabled|25|x\r\nnet|a|43|ENABLED|25|x\r\norg|a|43|Enabled|25|x\r\n");
    TldTable table;
    QVERIFY(file.loadTldTable(table));
    QVERIFY(!table.entry(0).enabled);
    QVERIFY(!table.entry(1).enabled);
    QCOMPARE(table.enabledExtensionSet(), QStringList{u"org"_s});
    QCOMPARE(file.enabledExtensions(), QStringList{u"org"_s});
}

void TestTldTable::enabledExtensions_data()
{
    QTest::addColumn<QByteArray>("contents");
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("four fields are enough") << QByteArray(" com |a|43|Enabled\r\n") << QStringList{u"com"_s};
    QTest::newRow("three fields") << QByteArray("com|a|Enabled\r\n") << QStringList{};
    QTest::newRow("proxy and empty left out")
        << QByteArray("proxy|a|43|Enabled|25|x\r\n  |a|43|Enabled|25|x\r\nnet|a|43|Enabled|25|x\r\n")
        << QStringList{u"net"_s};
    QTest::newRow("file order, duplicates, case kept")
        << QByteArray("net|a|43|Enabled|25|x\r\n\r\nList|a|43|Enabled|25|x\nnet|a|43|Enabled|25|x\r\n")
        << QStringList{u"net"_s, u"List"_s, u"net"_s};
    QTest::newRow("disabled") << QByteArray("net|a|43|Disabled|25|x\r\n") << QStringList{};
}

void TestTldTable::enabledExtensions()
{
    QFETCH(QByteArray, contents);
    QFETCH(QStringList, expected);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const TldFile file(dir.path());
    writeFile(file.path(), contents);
    QCOMPARE(file.enabledExtensions(), expected);
}

void TestTldTable::saveReplacesInPlace()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const TldFile file(dir.path());
    QVERIFY(file.writeDefaultTldTable(false));
    QVERIFY(file.saveTldEntry(u"COM"_s, u"Whois.New.example"_s, u" 4343"_s, false, u"30"_s, u"Gone, Free"_s));

    QStringList expected = DefaultTldTable::lines();
    const int com = int(expected.indexOf(QRegularExpression(u"^com\\|.*"_s)));
    expected[com] = u"com|Whois.New.example| 4343|Disabled|30|Gone, Free"_s;
    QCOMPARE(readFile(file.path()), expected.join(u"\r\n"_s).toLatin1() + "\r\n\r\n");
}

void TestTldTable::saveAppendsAfterEmptyLine()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const TldFile file(dir.path());
    writeFile(file.path(), "\r\nnet|a|43|Enabled|25|x\r\n\r\n \r\n\xe9t\xe9|b|43|Disabled|25|y\n\r\n");
    QVERIFY(file.saveTldEntry(u"Co.UK"_s, u"h"_s, u"43"_s, true, u"25"_s, u"z"_s));
    QCOMPARE(readFile(file.path()),
             QByteArray("net|a|43|Enabled|25|x\r\n\xe9t\xe9|b|43|Disabled|25|y\r\n\r\nco.uk|h|43|Enabled|25|z\r\n"));

    TldTable table;
    QVERIFY(file.loadTldTable(table));
    QCOMPARE(table.findTldIndex(u"name.co.uk"_s, false), 2);
}

void TestTldTable::saveReplacesEveryDuplicate()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const TldFile file(dir.path());
    QVERIFY(file.writeDefaultTldTable(false));
    QVERIFY(file.saveTldEntry(u"blues"_s, u"h"_s, u"43"_s, true, u"25"_s, u"x"_s));
    const QList<QByteArray> lines = readFile(file.path()).split('\n');
    QCOMPARE(lines.size(), 181);
    QCOMPARE(lines.count("blues|h|43|Enabled|25|x\r"), 2);
    QCOMPARE(lines.indexOf("blues|h|43|Enabled|25|x\r"),
             DefaultTldTable::lines().indexOf(QRegularExpression(u"^blues\\|.*"_s)));
}

void TestTldTable::saveMatchesLowerCaseOnly()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const TldFile file(dir.path());
    const QByteArray upper = "List|u|43|Disabled|25|x\r\n";
    writeFile(file.path(), upper + "list|l|43|Disabled|25|x\r\n");
    QVERIFY(file.saveTldEntry(u"List"_s, u"n"_s, u"43"_s, false, u"25"_s, u"y"_s));
    QCOMPARE(readFile(file.path()), upper + "list|n|43|Disabled|25|y\r\n\r\n");

    writeFile(file.path(), upper);
    QVERIFY(file.saveTldEntry(u"list"_s, u"n"_s, u"43"_s, false, u"25"_s, u"y"_s));
    QCOMPARE(readFile(file.path()), upper + "\r\nlist|n|43|Disabled|25|y\r\n");
}

void TestTldTable::saveCreatesMissingFile()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const TldFile file(dir.path());
    QVERIFY(file.saveTldEntry(u"Net"_s, u"h"_s, u"43"_s, true, u"25"_s, u"x"_s));
    QCOMPARE(readFile(file.path()), QByteArray("net|h|43|Enabled|25|x\r\n"));
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{u"TLDs.txt"_s});
}

void TestTldTable::appendKeepsLastLineApart()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const TldFile file(dir.path());
    QVERIFY(file.appendTldEntry(u"A"_s, u"h"_s, u"43"_s, u"Enabled"_s, u"25"_s, u"x"_s));
    writeFile(file.path(), readFile(file.path()) + "b|h|43|Enabled|25|x");
    QVERIFY(file.appendTldEntry(u"C"_s, u"H"_s, u"43"_s, u"Disabled"_s, u"25"_s, u"y"_s));
    QCOMPARE(readFile(file.path()),
             QByteArray("a|h|43|Enabled|25|x\r\nb|h|43|Enabled|25|x\r\nc|H|43|Disabled|25|y\r\n"));
}

void TestTldTable::writesFailCleanly()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    writeFile(dir.filePath(u"plain"_s), "not a folder");
    const TldFile file(dir.filePath(u"plain/sub"_s));
    QString error;
    QVERIFY(!file.writeDefaultTldTable(false, &error));
    QVERIFY2(error.contains(u"TLDs.txt"_s), qPrintable(error));
    error.clear();
    QVERIFY(!file.saveTldEntry(u"com"_s, u"h"_s, u"43"_s, true, u"25"_s, u"x"_s, &error));
    QVERIFY2(error.contains(u"TLDs.txt"_s), qPrintable(error));
    error.clear();
    QVERIFY(!file.appendTldEntry(u"com"_s, u"h"_s, u"43"_s, u"Enabled"_s, u"25"_s, u"x"_s, &error));
    QVERIFY2(error.contains(u"TLDs.txt"_s), qPrintable(error));
    QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
             QStringList{u"plain"_s});
}

void TestTldTable::readOnlyFolderKeepsOldFile()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const TldFile file(dir.path());
    const QByteArray old = "com|old|43|Enabled|25|x\r\n";
    writeFile(file.path(), old);
    QFile folder(dir.path());
    const QFileDevice::Permissions permissions = folder.permissions();
    QVERIFY(folder.setPermissions(QFileDevice::ReadOwner | QFileDevice::ExeOwner));
    const auto restore = qScopeGuard([&] { folder.setPermissions(permissions); });

    QFile probe(dir.filePath(u"probe"_s));
    if (probe.open(QIODevice::WriteOnly)) {
        probe.remove();
        QSKIP("Read-only folders are writable for this user (root)");
    }
    QString error;
    QVERIFY(!file.saveTldEntry(u"com"_s, u"h"_s, u"43"_s, true, u"25"_s, u"x"_s, &error));
    QVERIFY2(error.contains(u"TLDs.txt"_s), qPrintable(error));
    QVERIFY(!file.writeDefaultTldTable(true, &error));
    QVERIFY(!file.appendTldEntry(u"net"_s, u"h"_s, u"43"_s, u"Enabled"_s, u"25"_s, u"x"_s, &error));
    QCOMPARE(readFile(file.path()), old);
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{u"TLDs.txt"_s});
}

QTEST_GUILESS_MAIN(TestTldTable)
#include "TestTldTable.moc"
