#include "base/Branding.h"
#include "tests/support/TestFiles.h"

#include <QTemporaryDir>
#include <QTest>
#include <QUrl>
#include <QUrlQuery>

class TestBranding : public QObject
{
    Q_OBJECT

private slots:
    void missingFileGivesBuiltInValues();
    void fileOverridesKeyByKey();
    void bannerAddress_data();
    void bannerAddress();
    void unreadableValuesKeepBuiltIns();
    void shippedFileIsUsable();
};

void TestBranding::missingFileGivesBuiltInValues()
{
    QTemporaryDir dir;
    const Branding branding = applyBranding(dir.path());
    const Branding builtIn;

    QCOMPARE(branding.productName, QStringLiteral("Vantrel"));
    // Settings stay filed under the name they were first stored with.
    QCOMPARE(branding.settingsName, QStringLiteral("Ornisk"));
    QCOMPARE(branding.companyName, builtIn.companyName);
    QCOMPARE(branding.comments, builtIn.comments);
    QVERIFY(branding.purchaseOnDoubleClick && branding.useSkin && branding.useSplashIcon && branding.showBanner);
    QCOMPARE(branding.purchaseUrlPrefix, builtIn.purchaseUrlPrefix);
    QCOMPARE(branding.bannerUrl, QUrl::fromLocalFile(dir.filePath(QStringLiteral("banner.html"))).toString());
    QCOMPARE(branding.skinFile, dir.filePath(QStringLiteral("vantrel.skin")));
    QCOMPARE(branding.whoisInfoHost, QStringLiteral("whois.verisign-grs.com"));
    QCOMPARE(branding.whoisInfoPort, quint16(43));
}

void TestBranding::fileOverridesKeyByKey()
{
    QTemporaryDir dir;
    writeFile(dir.filePath(QStringLiteral("branding.ini")), "; comment\r\n"
                                                            "[Branding]\r\n"
                                                            "productName = Testprodukt\r\n"
                                                            "COMPANYNAME=maker.example\r\n"
                                                            "purchaseOnDoubleClick=0\r\n"
                                                            "useSkin=false\r\n"
                                                            "purchaseHost=shop.example\r\n"
                                                            "purchaseIsc=a b&c\r\n"
                                                            "purchasePid=7\r\n"
                                                            "purchaseAid=8\r\n"
                                                            "whoisInfoHost=127.0.0.1\r\n"
                                                            "whoisInfoPort=4343\r\n"
                                                            "skinFile=/opt/skins/dark.skin\r\n");
    const Branding branding = applyBranding(dir.path());

    QCOMPARE(branding.productName, QStringLiteral("Testprodukt"));
    QCOMPARE(branding.companyName, QStringLiteral("maker.example"));
    QCOMPARE(branding.comments, Branding().comments);
    QVERIFY(!branding.purchaseOnDoubleClick);
    QVERIFY(!branding.useSkin);
    QVERIFY(branding.showBanner);
    QCOMPARE(branding.whoisInfoHost, QStringLiteral("127.0.0.1"));
    QCOMPARE(branding.whoisInfoPort, quint16(4343));
    QCOMPARE(branding.skinFile, QStringLiteral("/opt/skins/dark.skin"));

    // The domain is appended to the prefix as it is.
    QCOMPARE(branding.purchaseUrlPrefix,
             QStringLiteral("https://shop.example/gdshop/registrar/search.asp?isc=a%20b%26c&pid=7&aid=8"
                            "&checkAvail=1&domaintocheck="));
    const QUrl address(branding.purchaseUrlPrefix + QStringLiteral("abc.com"));
    QCOMPARE(QUrlQuery(address).queryItemValue(QStringLiteral("isc"), QUrl::FullyDecoded), QStringLiteral("a b&c"));
    QCOMPARE(QUrlQuery(address).queryItemValue(QStringLiteral("domaintocheck")), QStringLiteral("abc.com"));
}

void TestBranding::bannerAddress_data()
{
    QTest::addColumn<QString>("configured");
    QTest::addColumn<QString>("expected"); // %1: the shipped-data folder

    QTest::newRow("relative file") << "pages/strip.html"
                                   << "file://%1/pages/strip.html";
    QTest::newRow("absolute file") << "/srv/banner.html"
                                   << "file:///srv/banner.html";
    QTest::newRow("web address") << "http://www.vantrel.example/banner.html"
                                 << "http://www.vantrel.example/banner.html";
    QTest::newRow("file address") << "file:///srv/b.html"
                                  << "file:///srv/b.html";
    QTest::newRow("none") << ""
                          << "";
}

void TestBranding::bannerAddress()
{
    QFETCH(QString, configured);
    QFETCH(QString, expected);
    QTemporaryDir dir;
    writeFile(dir.filePath(QStringLiteral("branding.ini")), "bannerUrl=" + configured.toLatin1() + "\r\n");
    QCOMPARE(applyBranding(dir.path()).bannerUrl, expected.contains(u"%1") ? expected.arg(dir.path()) : expected);
}

void TestBranding::unreadableValuesKeepBuiltIns()
{
    QTemporaryDir dir;
    writeFile(dir.filePath(QStringLiteral("branding.ini")),
              "useSkin=perhaps\r\nshowBanner\r\nwhoisInfoPort=70000\r\n=orphan\r\n");
    const Branding branding = applyBranding(dir.path());
    QVERIFY(branding.useSkin);
    QVERIFY(branding.showBanner);
    QCOMPARE(branding.whoisInfoPort, quint16(43));
}

void TestBranding::shippedFileIsUsable()
{
    const QString shipped = QStringLiteral(VANTREL_SHELL_DATA_DIR);
    const Branding branding = applyBranding(shipped);
    QCOMPARE(branding.productName, QStringLiteral("Vantrel"));
    QVERIFY(branding.companyName.endsWith(u".example"));
    QVERIFY(branding.comments.endsWith(u".example"));
    QVERIFY(QUrl(branding.purchaseUrlPrefix).host().endsWith(u".example"));
    QVERIFY(branding.purchaseUrlPrefix.endsWith(u"&checkAvail=1&domaintocheck="));
    QVERIFY(branding.useSkin && branding.showBanner && branding.purchaseOnDoubleClick && branding.useSplashIcon);
    // The offline banner and the skin named by the file are shipped beside it.
    QVERIFY(QFile::exists(QUrl(branding.bannerUrl).toLocalFile()));
    QVERIFY(QFile::exists(branding.skinFile));
}

QTEST_GUILESS_MAIN(TestBranding)
#include "TestBranding.moc"
