#include "tests/support/CommandRun.h"
#include "tests/support/TestFiles.h"

#include <QTemporaryDir>
#include <QTest>
#include <QTextStream>

using namespace Qt::StringLiterals;

namespace {

QString lines(const QStringList &names)
{
    return names.join(QLatin1Char('\n')) + QLatin1Char('\n');
}

} // namespace

class TestGenerateCommand : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanup();
    void usageErrors_data();
    void usageErrors();
    void everyEnabledTldByDefault();
    void formsFromStoredBoxesAndOptions_data();
    void formsFromStoredBoxesAndOptions();
    void preparesFreshFolder();
    void unusableFolder();

private:
    void storeSettings(const QByteArray &lines);

    QTemporaryDir m_config;
};

void TestGenerateCommand::initTestCase()
{
    QVERIFY(m_config.isValid());
    qputenv("VANTREL_CONFIG_DIR", QFile::encodeName(m_config.path()));
}

void TestGenerateCommand::cleanup()
{
    QFile::remove(m_config.path() + u"/user/Ornisk.ini"_s);
}

void TestGenerateCommand::storeSettings(const QByteArray &lines)
{
    writeFile(m_config.path() + u"/user/Ornisk.ini"_s, "[Settings]\n" + lines);
}

void TestGenerateCommand::usageErrors_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("message");
    QTest::newRow("no base") << QStringList{u"generate"_s} << u"no --base given"_s;
    QTest::newRow("base without value") << QStringList{u"generate"_s, u"--base"_s} << u"--base"_s;
    QTest::newRow("two bases") << QStringList{u"generate"_s, u"--base=a"_s, u"--base=b"_s}
                               << u"--base given more than once"_s;
    QTest::newRow("positional argument") << QStringList{u"generate"_s, u"--base"_s, u"shop"_s, u"extra"_s}
                                         << u"unexpected argument extra"_s;
    QTest::newRow("dot only") << QStringList{u"generate"_s, u"--base"_s, u"shop"_s, u"--tld"_s, u"."_s}
                              << u"--tld needs an extension"_s;
    QTest::newRow("unknown option") << QStringList{u"generate"_s, u"--base"_s, u"shop"_s, u"--sort"_s}
                                    << u"Unknown option 'sort'"_s;
}

void TestGenerateCommand::usageErrors()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, message);
    QTemporaryDir home;
    const Run run = runVantrel(QStringList{u"--home"_s, home.path()} + arguments);
    QCOMPARE(run.exitCode, 2);
    QVERIFY2(run.err.contains(message), qPrintable(run.err));
    QVERIFY2(run.err.contains(u"usage: vantrel [--home DIR] generate --base WORD"_s), qPrintable(run.err));
    QVERIFY(run.out.isEmpty());
}

// Without --tld every enabled row of TLDs.txt takes part, in file order, as
// the name creator lists them: not the proxy row, not "enabled" in lower case.
void TestGenerateCommand::everyEnabledTldByDefault()
{
    QTemporaryDir home;
    writeFile(home.path() + u"/TLDs.txt"_s, "com|whois.example|43|Enabled|0|No match\r\n"
                                            "proxy|p.example|43|Enabled|0|x\r\n"
                                            "org|o.example|43|enabled|0|x\r\n"
                                            "NET|n.example|43|Enabled|0|x\r\n");
    writeFile(home.path() + u"/Appends.txt"_s, "\r\nmy\r\n \r\nbig deal\r\n");

    const Run run = runVantrel({u"--home"_s, home.path(), u"generate"_s, u"--base"_s, u"Shop"_s});
    QCOMPARE(run.exitCode, 0);
    QCOMPARE(run.out,
             lines({u"Shop.com"_s, u"Shop.net"_s, u"myShop.com"_s, u"myShop.net"_s, u"my-Shop.com"_s, u"my-Shop.net"_s,
                    u"Shopmy.com"_s, u"Shopmy.net"_s, u"Shop-my.com"_s, u"Shop-my.net"_s, u"bigdealShop.com"_s,
                    u"bigdealShop.net"_s, u"bigdeal-Shop.com"_s, u"bigdeal-Shop.net"_s, u"Shopbigdeal.com"_s,
                    u"Shopbigdeal.net"_s, u"Shop-bigdeal.com"_s, u"Shop-bigdeal.net"_s}));
    QVERIFY(run.err.isEmpty());
}

void TestGenerateCommand::formsFromStoredBoxesAndOptions_data()
{
    QTest::addColumn<QByteArray>("stored");
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("defaults: every form")
        << QByteArray() << QStringList()
        << QStringList{u"shop.test"_s, u"myshop.test"_s, u"my-shop.test"_s, u"shopmy.test"_s, u"shop-my.test"_s};
    QTest::newRow("stored boxes") << "chkAdd0=0\nchkAdd2=0\n"_ba << QStringList()
                                  << QStringList{u"shop.test"_s, u"shopmy.test"_s};
    QTest::newRow("options") << QByteArray() << QStringList{u"--no-suffixes"_s, u"--no-hyphens"_s}
                             << QStringList{u"shop.test"_s, u"myshop.test"_s};
    QTest::newRow("options and stored boxes")
        << "chkAdd1=0\n"_ba << QStringList{u"--no-prefixes"_s} << QStringList{u"shop.test"_s};
}

void TestGenerateCommand::formsFromStoredBoxesAndOptions()
{
    QFETCH(QByteArray, stored);
    QFETCH(QStringList, options);
    QFETCH(QStringList, expected);
    if (!stored.isEmpty())
        storeSettings(stored);
    QTemporaryDir home;
    writeFile(home.path() + u"/Appends.txt"_s, "my\r\n");

    const Run run = runVantrel(
        QStringList{u"--home"_s, home.path(), u"generate"_s, u"--base=shop"_s, u"--tld"_s, u".TEST"_s} + options);
    QCOMPARE(run.exitCode, 0);
    QCOMPARE(run.out, lines(expected));
}

// A fresh folder gets the start-up files and the default table; the empty
// Appends.txt makes only plain names. An empty base word makes none.
void TestGenerateCommand::preparesFreshFolder()
{
    QTemporaryDir home;
    const QString folder = home.path() + u"/fresh"_s;
    const Run run = runVantrel({u"--home"_s, folder, u"generate"_s, u"--base"_s, u"shop"_s});
    QCOMPARE(run.exitCode, 0);
    QCOMPARE(run.out, lines({u"shop.com"_s, u"shop.net"_s}));
    QCOMPARE(readFile(folder + u"/Appends.txt"_s), "\r\n"_ba);
    QVERIFY(QFile::exists(folder + u"/TLDs.txt"_s));

    writeFile(folder + u"/Appends.txt"_s, "\r\nmy\r\n");
    const Run twoTlds = runVantrel({u"--home"_s, folder, u"generate"_s, u"--base"_s, QString(), u"--no-suffixes"_s,
                                    u"--tld"_s, u"org"_s, u"--tld"_s, u".de"_s});
    QCOMPARE(twoTlds.exitCode, 0);
    // Without a base word the hyphenated forms would end a label in "-": none is made.
    QCOMPARE(twoTlds.out, lines({u"my.org"_s, u"my.de"_s}));
}

void TestGenerateCommand::unusableFolder()
{
    QTemporaryDir home;
    writeFile(home.path() + u"/file"_s, "x");
    const Run run = runVantrel({u"--home"_s, home.path() + u"/file/below"_s, u"generate"_s, u"--base"_s, u"shop"_s});
    QCOMPARE(run.exitCode, 1);
    QVERIFY2(run.err.contains(u"not usable"_s), qPrintable(run.err));
    QVERIFY(run.out.isEmpty());

    // A folder where Appends.txt should be cannot be read as the word list.
    QVERIFY(QDir(home.path()).mkpath(u"prog/Appends.txt"_s));
    const Run blocked = runVantrel({u"--home"_s, home.path() + u"/prog"_s, u"generate"_s, u"--base=ab"_s});
    QCOMPARE(blocked.exitCode, 1);
    QVERIFY2(blocked.err.contains(u"Appends.txt"_s), qPrintable(blocked.err));
}

QTEST_GUILESS_MAIN(TestGenerateCommand)
#include "TestGenerateCommand.moc"
