#include "cli/Command.h"
#include "cli/SearchCommand.h"
#include "core/HistoryStore.h"
#include "tests/support/CommandRun.h"
#include "tests/support/TestFiles.h"
#include "tests/support/WhoisTestServer.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

class TestCommandLine : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void helpOfEveryCommand();
    void lookupHelpNamesExitCodes();
    void version();
    void usageErrors_data();
    void usageErrors();
    void searchTypeSlugs_data();
    void searchTypeSlugs();
    void checkFormats();
    void checkEndsIncompleteOnError();
    void homeAfterCommand();
    void historyFiltersAndFormats();
    void manualCoversEveryOption();
    void completionCoversEveryOption();

private:
    QTemporaryDir m_config;
};

namespace {

QStringList optionNames(const Command &command)
{
    QStringList names{u"home"_s, u"help"_s};
    const QList<CommandOption> options = command.options();
    for (const CommandOption &option : options)
        names << option.name;
    return names;
}

// A program folder whose "com" and "test" TLDs point at the server.
void writeTestTable(const QString &folder, quint16 port)
{
    const QByteArray row = "|127.0.0.1|" + QByteArray::number(port) + "|Enabled|0|No match\r\n";
    writeFile(folder + u"/TLDs.txt"_s, "com" + row + "test" + row);
}

QString sourceFile(const QString &path)
{
    return QString::fromUtf8(readFile(QStringLiteral(VANTREL_SOURCE_DIR) + u'/' + path));
}

} // namespace

void TestCommandLine::initTestCase()
{
    QVERIFY(m_config.isValid());
    qputenv("VANTREL_CONFIG_DIR", QFile::encodeName(m_config.path()));
}

void TestCommandLine::helpOfEveryCommand()
{
    const auto commands = allCommands();
    for (const auto &command : commands) {
        const Run asOption = runVantrel({command->name(), u"--help"_s});
        const Run asCommand = runVantrel({u"help"_s, command->name()});
        QCOMPARE(asOption.exitCode, 0);
        QCOMPARE(asCommand.exitCode, 0);
        QCOMPARE(asOption.out, asCommand.out);
        QVERIFY(asOption.err.isEmpty());
        const QString &help = asOption.out;
        QVERIFY2(help.startsWith(u"usage: vantrel [--home DIR] "_s + command->name()), qPrintable(help));
        QVERIFY(help.endsWith(u'\n'));
        QVERIFY2(help.contains(u"\nExample:\n  vantrel "_s), qPrintable(help));
        const QStringList names = optionNames(*command);
        for (const QString &option : names)
            QVERIFY2(help.contains(u"--"_s + option), qPrintable(command->name() + u": --"_s + option));
    }
    QCOMPARE(runVantrel({u"help"_s, u"frobnicate"_s}).exitCode, 2);
    QVERIFY(runVantrel({u"help"_s}).out.contains(u"Commands:"_s));
}

void TestCommandLine::lookupHelpNamesExitCodes()
{
    for (const QString &command : {u"check"_s, u"search"_s}) {
        const QString help = runVantrel({command, u"-h"_s}).out;
        for (const QString &line : {u"  0 "_s, u"  1 "_s, u"  2 "_s, u"  3 "_s, u"  130 "_s})
            QVERIFY2(help.contains(line), qPrintable(command + line));
        QVERIFY(help.contains(u"every name was found available or registered"_s));
        QVERIFY(help.contains(u"some names ended blocked"_s));
    }
    QVERIFY(!runVantrel({u"tlds"_s, u"--help"_s}).out.contains(u"  130 "_s));
}

void TestCommandLine::version()
{
    const Run run = runVantrel({u"--version"_s});
    QCOMPARE(run.exitCode, 0);
    static const QRegularExpression pattern(u"^vantrel \\d+\\.\\d+(\\.\\d+)? \\(Qt 6\\.\\d+\\.\\d+\\)\\n$"_s);
    QVERIFY2(pattern.match(run.out).hasMatch(), qPrintable(run.out));
}

void TestCommandLine::usageErrors_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("message");
    QTest::newRow("tlds unknown option") << QStringList{u"tlds"_s, u"--x"_s} << u"Unknown option 'x'"_s;
    QTest::newRow("tlds empty home") << QStringList{u"tlds"_s, u"--home="_s} << u"--home needs a folder"_s;
    QTest::newRow("prepare help value") << QStringList{u"prepare"_s, u"--tld"_s} << u"Missing value"_s;
    QTest::newRow("check format") << QStringList{u"check"_s, u"--format"_s, u"xml"_s, u"a"_s}
                                  << u"--format takes one of: tsv, csv, json"_s;
    QTest::newRow("check quiet with value") << QStringList{u"check"_s, u"--quiet=yes"_s, u"a"_s} << u"quiet"_s;
    QTest::newRow("check slots twice") << QStringList{u"check"_s, u"--slots=2"_s, u"--slots=3"_s, u"a"_s}
                                       << u"--slots given more than once"_s;
    QTest::newRow("search unknown slug") << QStringList{u"search"_s, u"--type=five-letter"_s}
                                         << u"--type takes one of: two-letter, three-letter"_s;
    QTest::newRow("search custom needs list")
        << QStringList{u"search"_s, u"--type=custom"_s} << u"--list goes with --type custom"_s;
    QTest::newRow("search format") << QStringList{u"search"_s, u"--type=two-letter"_s, u"--format=TSV"_s}
                                   << u"--format takes one of"_s;
    QTest::newRow("generate base twice") << QStringList{u"generate"_s, u"--base=a"_s, u"--base=b"_s}
                                         << u"--base given more than once"_s;
    QTest::newRow("extract unknown option") << QStringList{u"extract"_s, u"--frob"_s} << u"Unknown option 'frob'"_s;
    QTest::newRow("history verdict") << QStringList{u"history"_s, u"--verdict=free"_s} << u"unknown verdict"_s;
    QTest::newRow("history since") << QStringList{u"history"_s, u"--since=last week"_s} << u"--since wants a date"_s;
    QTest::newRow("help two commands") << QStringList{u"help"_s, u"check"_s, u"search"_s} << u"one COMMAND"_s;
}

void TestCommandLine::usageErrors()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, message);
    const Run run = runVantrel(arguments);
    QCOMPARE(run.exitCode, 2);
    QVERIFY2(run.err.contains(message), qPrintable(run.err));
    QVERIFY(run.err.endsWith(u'\n'));
    QVERIFY(run.out.isEmpty());
}

void TestCommandLine::searchTypeSlugs_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("type"); // -1: rejected
    QTest::newRow("two-letter") << u"two-letter"_s << int(SearchType::AllTwoLetter);
    QTest::newRow("three-letter") << u"three-letter"_s << int(SearchType::AllThreeLetter);
    QTest::newRow("four-letter") << u"four-letter"_s << int(SearchType::AllFourLetter);
    QTest::newRow("full-word-list") << u"full-word-list"_s << int(SearchType::FullWordList);
    QTest::newRow("custom") << u"custom"_s << int(SearchType::CustomList);
    QTest::newRow("generated") << u"generated"_s << int(SearchType::GenerateNames);
    QTest::newRow("yahoo") << u"yahoo"_s << int(SearchType::YahooSearch);
    QTest::newRow("google") << u"google"_s << int(SearchType::GoogleSearch);
    QTest::newRow("caption") << u"All Two Letter"_s << int(SearchType::AllTwoLetter);
    QTest::newRow("slug in upper case") << u"Two-Letter"_s << -1;
    QTest::newRow("caption in lower case") << u"all two letter"_s << -1;
}

void TestCommandLine::searchTypeSlugs()
{
    QFETCH(QString, text);
    QFETCH(int, type);
    const std::optional<SearchType> parsed = SearchCommand::typeFromOption(text);
    QCOMPARE(parsed.has_value(), type >= 0);
    if (parsed)
        QCOMPARE(int(*parsed), type);
}

void TestCommandLine::checkFormats()
{
    WhoisTestServer server;
    QVERIFY(server.listen());
    server.setHandler([](QTcpSocket *socket, const QByteArray &query, int) {
        WhoisTestServer::answerAndClose(socket, query.startsWith("a.") ? "No match" : "Domain Name: x");
    });
    QTemporaryDir home;
    writeTestTable(home.path(), server.port());
    const QStringList base{u"--home"_s, home.path(), u"check"_s, u"--tld=test"_s};

    const Run json = runVantrel(base + QStringList{u"--format"_s, u"json"_s, u"a"_s, u"b"_s});
    QCOMPARE(json.exitCode, 0);
    const QStringList lines = json.out.split(u'\n', Qt::SkipEmptyParts);
    QCOMPARE(lines.size(), 2);
    QMap<QString, QString> verdicts;
    for (const QString &line : lines) {
        QJsonParseError error;
        const QJsonDocument document = QJsonDocument::fromJson(line.toUtf8(), &error);
        QCOMPARE(error.error, QJsonParseError::NoError);
        QVERIFY(document.isObject());
        const QJsonObject object = document.object();
        QCOMPARE(object.value(u"server"_s).toString(), u"127.0.0.1"_s);
        QVERIFY(object.contains(u"reason"_s));
        verdicts.insert(object.value(u"name"_s).toString(), object.value(u"verdict"_s).toString());
    }
    QCOMPARE(verdicts, (QMap<QString, QString>{{u"a.test"_s, u"available"_s}, {u"b.test"_s, u"registered"_s}}));

    const Run csv = runVantrel(base + QStringList{u"--format=csv"_s, u"--quiet"_s, u"b"_s});
    QCOMPARE(csv.exitCode, 0);
    QCOMPARE(csv.out, u"name,verdict,server,reason\r\nb.test,registered,127.0.0.1,nomatch\r\n"_s);

    const Run tsv = runVantrel(base + QStringList{u"--format=tsv"_s, u"b"_s});
    QCOMPARE(tsv.out, u"b.test\tregistered\t127.0.0.1\tnomatch\n"_s);
}

void TestCommandLine::checkEndsIncompleteOnError()
{
    WhoisTestServer server;
    QVERIFY(server.listen());
    server.setReply("No match");
    QTemporaryDir home;
    writeTestTable(home.path(), server.port());
    // No row serves ".zz": that lookup ends in error at once, the other gets a
    // verdict.
    const Run run = runVantrel({u"--home"_s, home.path(), u"check"_s, u"--no-dns"_s, u"a.test"_s, u"a.b.zz"_s});
    QCOMPARE(run.exitCode, 3);
    QCOMPARE(run.out, u"a.b.zz\terror\t\tnorow\na.test\tavailable\t127.0.0.1\tphrase:No match\n"_s);

    const Run answered = runVantrel({u"--home"_s, home.path(), u"check"_s, u"a.test"_s});
    QCOMPARE(answered.exitCode, 0);
}

void TestCommandLine::homeAfterCommand()
{
    QTemporaryDir home;
    const Run run = runVantrel({u"tlds"_s, u"--home"_s, home.path()});
    QCOMPARE(run.exitCode, 0);
    QCOMPARE(run.out, u"com\nnet\n"_s);
    QVERIFY(QFile::exists(home.filePath(u"TLDs.txt"_s)));
}

void TestCommandLine::historyFiltersAndFormats()
{
    QTemporaryDir home;
    {
        HistoryStore store(HistoryDatabase::inProgramFolder(home.path()));
        QVERIFY(store.open(nullptr));
        const QDateTime day(QDate(2026, 11, 20), QTime(8, 0), Qt::UTC);
        store.record({u"abcde.com"_s, u"com"_s, u"available"_s, u"whois.a"_s, u"phrase:No match"_s, day, u"check"_s});
        store.record({u"vwxyz.com"_s, u"com"_s, u"available"_s, u"whois.a"_s, u"rdap:404"_s, day.addDays(2),
                      u"All Four Letter"_s});
        store.record({u"abcde.net"_s, u"net"_s, u"available"_s, u"whois.a"_s, u"phrase:No match"_s, day, u"check"_s});
        store.record({u"taken.com"_s, u"com"_s, u"registered"_s, u"dns"_s, u"dns:NS"_s, day, u"check"_s});
    }
    const QStringList base{u"--home"_s, home.path(), u"history"_s};

    const Run tsv = runVantrel(base + QStringList{u"--verdict=available"_s, u"--tld=.com"_s});
    QCOMPARE(tsv.exitCode, 0);
    QCOMPARE(tsv.out, u"vwxyz.com\tavailable\twhois.a\trdap:404\t2026-11-22T08:00:00Z\tAll Four Letter\n"
                      "abcde.com\tavailable\twhois.a\tphrase:No match\t2026-11-20T08:00:00Z\tcheck\n"_s);

    const Run csv = runVantrel(base + QStringList{u"--since=2026-11-21"_s, u"--format=csv"_s});
    QCOMPARE(csv.out, u"name,verdict,server,reason,checked_at,source\r\n"
                      "vwxyz.com,available,whois.a,rdap:404,2026-11-22T08:00:00Z,All Four Letter\r\n"_s);

    const Run json = runVantrel(base + QStringList{u"--name-like=%.net"_s, u"--format=json"_s});
    const QJsonObject row = QJsonDocument::fromJson(json.out.toUtf8()).object();
    QCOMPARE(row.value(u"name"_s).toString(), u"abcde.net"_s);
    QCOMPARE(row.value(u"checked_at"_s).toString(), u"2026-11-20T08:00:00Z"_s);
}

// The manual gives each command a section listing every option it takes.
void TestCommandLine::manualCoversEveryOption()
{
    const QString manual = sourceFile(u"data/cli/vantrel.1.in"_s).replace(u"\\-"_s, u"-"_s);
    QVERIFY(!manual.isEmpty());
    const QStringList sections = manual.split(u"\n.SS "_s);
    for (const QString &global : globalOptionNames())
        QVERIFY2(sections.first().contains(u"--"_s + global), qPrintable(global));
    const auto commands = allCommands();
    for (const auto &command : commands) {
        const auto section = std::find_if(sections.cbegin() + 1, sections.cend(), [&command](const QString &text) {
            return text.startsWith(u'"' + command->name() + u'"') || text.startsWith(u'"' + command->name() + u' ');
        });
        QVERIFY2(section != sections.cend(), qPrintable(command->name()));
        const QList<CommandOption> options = command->options();
        for (const CommandOption &option : options)
            QVERIFY2(section->contains(u"--"_s + option.name), qPrintable(command->name() + u" --"_s + option.name));
    }
    for (const QString &slug : SearchCommand::typeSlugs())
        QVERIFY2(manual.contains(slug), qPrintable(slug));
    for (const QString &variable : {u"VANTREL_HOME"_s, u"VANTREL_CONFIG_DIR"_s, u"VANTREL_DATA_DIR"_s})
        QVERIFY2(manual.contains(variable), qPrintable(variable));
}

void TestCommandLine::completionCoversEveryOption()
{
    const QString completion = sourceFile(u"data/cli/vantrel.bash"_s);
    QVERIFY(!completion.isEmpty());
    const auto commands = allCommands();
    for (const auto &command : commands) {
        static const QRegularExpression caseLine(u"\\n\\s+(\\w+)\\) options=\"([^\"]*)\""_s);
        QString declared;
        for (auto match = caseLine.globalMatch(completion); match.hasNext();) {
            const QRegularExpressionMatch line = match.next();
            if (line.captured(1) == command->name())
                declared = line.captured(2);
        }
        QStringList expected;
        const QList<CommandOption> options = command->options();
        for (const CommandOption &option : options)
            expected << u"--"_s + option.name;
        QStringList completed = declared.split(u' ', Qt::SkipEmptyParts);
        completed.sort();
        expected.sort();
        QCOMPARE(completed, expected);
    }
    for (const QString &word : SearchCommand::typeSlugs() + ResultWriter::formatTexts()) {
        const QRegularExpression listed(u"[\"\\s]"_s + QRegularExpression::escape(word) + u"[\"\\s]"_s);
        QVERIFY2(listed.match(completion).hasMatch(), qPrintable(word));
    }
}

QTEST_GUILESS_MAIN(TestCommandLine)
#include "TestCommandLine.moc"
