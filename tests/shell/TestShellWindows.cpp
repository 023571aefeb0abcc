#include "base/Branding.h"
#include "base/ui/GlobalSkinner.h"
#include "base/ui/PictureBox.h"
#include "base/ui/Skin.h"
#include "base/ui/SkinLabel.h"
#include "base/ui/Skinner.h"
#include "base/ui/WindowIcons.h"
#include "shell/AboutWindow.h"
#include "shell/SplashWindow.h"
#include "tests/support/TestFiles.h"

#include <QFile>
#include <QLabel>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

namespace {

// A shipped-data folder with the given branding lines and the program's skin.
void makeShippedFolder(const QTemporaryDir &dir, const QByteArray &branding)
{
    writeFile(dir.filePath(QStringLiteral("branding.ini")), branding);
    QVERIFY(QFile::copy(QStringLiteral(VANTREL_SHELL_DATA_DIR "/vantrel.skin"),
                        dir.filePath(QStringLiteral("vantrel.skin"))));
}

QString labelText(const QWidget &window, const char *name)
{
    const auto *label = window.findChild<QLabel *>(QLatin1String(name));
    return label ? label->text() : QStringLiteral("<no %1>").arg(QLatin1String(name));
}

} // namespace

class TestShellWindows : public QObject
{
    Q_OBJECT

private slots:
    void splashRequestsMainWindowOnThe75thTick();
    void splashStartsSkinningOnlyWithUseSkin_data();
    void splashStartsSkinningOnlyWithUseSkin();

    void aboutShowsBranding();
    void aboutLabelsAreSkinned();

    void iconHasAllSizes();
    void windowIconsGoToWindowAndTopOwner_data();
    void windowIconsGoToWindowAndTopOwner();
};

void TestShellWindows::splashRequestsMainWindowOnThe75thTick()
{
    QTemporaryDir dir;
    makeShippedFolder(dir, "productName=Testprodukt\r\n");
    Branding branding;
    GlobalSkinner globalSkinner;
    SplashWindow splash(branding, globalSkinner, dir.path(), 1);
    QCOMPARE(branding.productName, QStringLiteral("Testprodukt"));
    QCOMPARE(splash.windowTitle(), QStringLiteral("Testprodukt"));

    auto *timer2 = splash.findChild<QTimer *>(QStringLiteral("Timer2"));
    QVERIFY(timer2);
    int ticks = 0;
    connect(timer2, &QTimer::timeout, this, [&ticks] { ++ticks; });
    int requests = 0;
    int ticksDoneAtRequest = -1;
    bool visibleAtRequest = false;
    connect(&splash, &SplashWindow::mainWindowRequested, this, [&] {
        ++requests;
        ticksDoneAtRequest = ticks;
        visibleAtRequest = splash.isVisible();
    });

    splash.show();
    QTRY_COMPARE_WITH_TIMEOUT(requests, 1, 10000);
    // Requested while the 75th tick runs: 74 ticks lay before it.
    QCOMPARE(ticksDoneAtRequest, 74);
    QVERIFY(visibleAtRequest);
    QVERIFY(!splash.isVisible());
    QVERIFY(!timer2->isActive());
    QTest::qWait(30);
    QCOMPARE(ticks, 75);
    QCOMPARE(requests, 1);
}

void TestShellWindows::splashStartsSkinningOnlyWithUseSkin_data()
{
    QTest::addColumn<QByteArray>("brandingFile");
    QTest::addColumn<bool>("skinned");
    QTest::newRow("useSkin on") << QByteArray("useSkin=1\r\n") << true;
    QTest::newRow("useSkin off") << QByteArray("useSkin=0\r\n") << false;
}

void TestShellWindows::splashStartsSkinningOnlyWithUseSkin()
{
    QFETCH(QByteArray, brandingFile);
    QFETCH(bool, skinned);
    QTemporaryDir dir;
    makeShippedFolder(dir, brandingFile);
    Branding branding;
    GlobalSkinner globalSkinner;
    const SplashWindow splash(branding, globalSkinner, dir.path(), 1000);

    QCOMPARE(branding.useSkin, skinned);
    QCOMPARE(globalSkinner.isOn(), skinned);
    QCOMPARE(splash.skinObject() != nullptr, skinned);
    QCOMPARE(splash.skinner() != nullptr, skinned);
    QCOMPARE(splash.styleSheet().isEmpty(), !skinned);
    if (!skinned)
        return;
    QCOMPARE(globalSkinner.attachedSkin(), splash.skinObject());
    QCOMPARE(&splash.skinner()->skin(), splash.skinObject());
    QVERIFY(splash.skinObject()->isLoaded());
    const auto *image1 = splash.findChild<PictureBox *>(QStringLiteral("Image1"));
    QVERIFY(image1);
    QCOMPARE(image1->palette().color(QPalette::Window), splash.skinObject()->pictureBack());
}

void TestShellWindows::aboutShowsBranding()
{
    Branding branding;
    branding.productName = QStringLiteral("Testprodukt");
    branding.companyName = QStringLiteral("maker.example");
    branding.comments = QStringLiteral("www.maker.example");
    const AboutWindow about(branding, nullptr);

    QCOMPARE(about.windowTitle(), QStringLiteral("About Testprodukt"));
    QCOMPARE(labelText(about, "Label1"), QStringLiteral("Testprodukt"));
    QCOMPARE(labelText(about, "lblVersion"), QStringLiteral("4.2"));
    QCOMPARE(labelText(about, "lblCompany"), QStringLiteral("maker.example"));
    QCOMPARE(labelText(about, "lblWebsite"), QStringLiteral("www.maker.example"));
    QVERIFY(labelText(about, "lblRights").contains(u"maker.example"));
    QVERIFY(about.findChild<PictureBox *>(QStringLiteral("Picture1")));

    // Without a skinner nothing is skinned.
    QCOMPARE(about.skinLabel1().upperBound(), 0);
    QVERIFY(about.styleSheet().isEmpty());
}

void TestShellWindows::aboutLabelsAreSkinned()
{
    QTemporaryDir dir;
    makeShippedFolder(dir, "");
    const Skin skin(dir.filePath(QStringLiteral("vantrel.skin")));
    const Skinner skinner(skin);
    const AboutWindow about(Branding(), &skinner);

    QStringList plainTexts;
    const QList<QLabel *> labels = about.findChildren<QLabel *>();
    for (const QLabel *label : labels) {
        if (label->metaObject() == &QLabel::staticMetaObject)
            plainTexts.append(label->text());
    }
    QCOMPARE(plainTexts.size(), 8);

    const SkinLabelArray &twins = about.skinLabel1();
    QCOMPARE(twins.upperBound(), plainTexts.size());
    QStringList twinTexts;
    for (int index = 1; index <= twins.upperBound(); ++index)
        twinTexts.append(twins.element(index)->text());
    QCOMPARE(twinTexts, plainTexts);
    QVERIFY(twinTexts.contains(QStringLiteral("4.2")));
    QVERIFY(twinTexts.contains(QStringLiteral("Owned By:")));
    QCOMPARE(about.styleSheet(), skin.styleSheet());
}

void TestShellWindows::iconHasAllSizes()
{
    const QIcon icon = programIcon(QStringLiteral("AAA"));
    QVERIFY(!icon.isNull());
    const QList<QSize> sizes = icon.availableSizes();
    for (const int size : {16, 24, 32, 48, 64, 128, 256})
        QVERIFY2(sizes.contains(QSize(size, size)), qPrintable(QString::number(size)));
    QVERIFY(programIcon(QStringLiteral("BBB")).isNull());
}

void TestShellWindows::windowIconsGoToWindowAndTopOwner_data()
{
    QTest::addColumn<QString>("iconName");
    QTest::addColumn<bool>("alsoOwner");
    QTest::addColumn<bool>("windowGetsIcon");
    QTest::addColumn<bool>("ownerGetsIcon");
    QTest::newRow("also owner") << "AAA" << true << true << true;
    QTest::newRow("window only") << "AAA" << false << true << false;
    QTest::newRow("unknown icon") << "BBB" << true << false << false;
}

void TestShellWindows::windowIconsGoToWindowAndTopOwner()
{
    QFETCH(QString, iconName);
    QFETCH(bool, alsoOwner);
    QFETCH(bool, windowGetsIcon);
    QFETCH(bool, ownerGetsIcon);

    QWidget owner;
    auto *middle = new QWidget(&owner, Qt::Dialog);
    auto *window = new QWidget(middle, Qt::Dialog);
    setWindowIcons(window, iconName, alsoOwner);

    QCOMPARE(window->testAttribute(Qt::WA_SetWindowIcon), windowGetsIcon);
    QCOMPARE(owner.testAttribute(Qt::WA_SetWindowIcon), ownerGetsIcon);
    QVERIFY(!middle->testAttribute(Qt::WA_SetWindowIcon));
    if (windowGetsIcon)
        QCOMPARE(window->windowIcon().availableSizes().size(), 7);
}

QTEST_MAIN(TestShellWindows)
#include "TestShellWindows.moc"
