#include "base/ui/GlobalSkinner.h"
#include "base/ui/PictureBox.h"
#include "base/ui/Skin.h"
#include "base/ui/SkinLabel.h"
#include "base/ui/Skinner.h"
#include "tests/support/TestFiles.h"

#include <QComboBox>
#include <QFrame>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>

#include <memory>

namespace {

const QColor controlBack(0x10, 0x20, 0x30);
const QColor controlText(0xa0, 0xb0, 0xc0);
const QColor pictureBack(0x01, 0x02, 0x03);

QByteArray skinFileText()
{
    return "; test skin\r\n"
           "controlBack=#102030\r\n"
           "controlText=#a0b0c0\r\n"
           "pictureBack=#010203\r\n"
           "[StyleSheet]\r\n"
           "*[skinWindow=\"true\"] { background-color: #e6edf4; }\r\n"
           "SkinLabel { color: #1d3557; }\r\n";
}

QLabel *plainLabel(const QString &text, QWidget *parent, const QRect &geometry)
{
    auto *label = new QLabel(text, parent);
    label->setGeometry(geometry);
    return label;
}

QStringList twinTexts(const SkinLabelArray &array)
{
    QStringList texts;
    for (int index = 1; index <= array.upperBound(); ++index)
        texts.append(array.element(index)->text());
    return texts;
}

} // namespace

class TestSkinning : public QObject
{
    Q_OBJECT

private slots:
    void init();

    void skinFileIsRead();
    void shippedSkinIsComplete();
    void missingSkinFileLeavesControlsAlone();

    void plainLabelsGetTwinsInOrder();
    void twinsFollowTheirLabels();
    void twoTemplatesChooseByContainer();
    void labelsOfOwnedWindowsAreLeftAlone();

    void applySkinColoursControlsByType();
    void regionIsResetOnlyOnNewerWindows_data();
    void regionIsResetOnlyOnNewerWindows();

    void globalSkinnerSkinsStandardDialogsWhileOn();

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_skinFile;
};

void TestSkinning::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    m_skinFile = m_dir->filePath(QStringLiteral("test.skin"));
    writeFile(m_skinFile, skinFileText());
}

void TestSkinning::skinFileIsRead()
{
    const Skin skin(m_skinFile);
    QVERIFY(skin.isLoaded());
    QCOMPARE(skin.controlBack(), controlBack);
    QCOMPARE(skin.controlText(), controlText);
    QCOMPARE(skin.pictureBack(), pictureBack);
    QCOMPARE(skin.styleSheet(),
             QStringLiteral("*[skinWindow=\"true\"] { background-color: #e6edf4; }\nSkinLabel { color: #1d3557; }"));
}

void TestSkinning::shippedSkinIsComplete()
{
    const Skin skin(QStringLiteral(VANTREL_SHELL_DATA_DIR "/vantrel.skin"));
    QVERIFY(skin.isLoaded());
    QVERIFY(skin.controlBack().isValid());
    QVERIFY(skin.controlText().isValid());
    QVERIFY(skin.pictureBack().isValid());
    QVERIFY(skin.styleSheet().contains(u"skinWindow"));
}

void TestSkinning::missingSkinFileLeavesControlsAlone()
{
    const Skin skin(m_dir->filePath(QStringLiteral("absent.skin")));
    QVERIFY(!skin.isLoaded());

    QWidget window;
    auto *edit = new QLineEdit(&window);
    const QPalette before = edit->palette();
    Skinner(skin).applySkin(&window);
    QCOMPARE(edit->palette().color(QPalette::Base), before.color(QPalette::Base));
    QCOMPARE(edit->palette().color(QPalette::Text), before.color(QPalette::Text));
    QVERIFY(window.styleSheet().isEmpty());
}

void TestSkinning::plainLabelsGetTwinsInOrder()
{
    QWidget window;
    SkinLabelArray skinLabel1(QStringLiteral("SkinLabel1"), &window);
    QLabel *first = plainLabel(QStringLiteral("Start Number:"), &window, QRect(10, 20, 90, 18));
    first->setFont(QFont(QStringLiteral("DejaVu Sans"), 13, QFont::Bold));
    plainLabel(QStringLiteral("Of"), &window, QRect(110, 20, 30, 18))->hide();
    auto *wrapped = plainLabel(QStringLiteral("A long explanation"), &window, QRect(10, 50, 200, 40));
    wrapped->setWordWrap(true);
    wrapped->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    // Neither a picture nor a skinned label is a plain label.
    new PictureBox(&window);
    new SkinLabel(&window);

    Skinner::skinLabels(&window, {&skinLabel1});

    QCOMPARE(skinLabel1.upperBound(), 3);
    QVERIFY(skinLabel1.element(0)->isHidden());
    const QStringList captions{QStringLiteral("Start Number:"), QStringLiteral("Of"),
                               QStringLiteral("A long explanation")};
    QCOMPARE(twinTexts(skinLabel1), captions);

    const SkinLabel *firstTwin = skinLabel1.element(1);
    QCOMPARE(firstTwin->index(), 1);
    QCOMPARE(firstTwin->objectName(), QStringLiteral("SkinLabel1"));
    QCOMPARE(firstTwin->parentWidget(), &window);
    QCOMPARE(firstTwin->geometry(), QRect(10, 20, 90, 18));
    QCOMPARE(firstTwin->font(), first->font());
    QVERIFY(!firstTwin->isHidden());
    QVERIFY(skinLabel1.element(2)->isHidden());
    QVERIFY(skinLabel1.element(3)->wordWrap());
    QCOMPARE(skinLabel1.element(3)->alignment(), Qt::AlignRight | Qt::AlignVCenter);

    // Drawn above its label: later in the stacking order.
    const QObjectList children = window.children();
    QVERIFY(children.indexOf(firstTwin) > children.indexOf(first));
}

void TestSkinning::twinsFollowTheirLabels()
{
    QWidget window;
    window.resize(300, 200);
    SkinLabelArray skinLabel1(QStringLiteral("SkinLabel1"), &window);
    QLabel *label = plainLabel(QStringLiteral("TLD:"), &window, QRect(5, 5, 40, 16));
    Skinner::skinLabels(&window, {&skinLabel1});
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));

    SkinLabel *twin = skinLabel1.element(1);
    QVERIFY(twin->isVisible());
    label->setGeometry(60, 70, 80, 20);
    QCOMPARE(twin->geometry(), QRect(60, 70, 80, 20));
    label->hide();
    QVERIFY(!twin->isVisible());
    label->show();
    QVERIFY(twin->isVisible());
}

void TestSkinning::twoTemplatesChooseByContainer()
{
    QWidget window;
    auto *frame1 = new QFrame(&window);
    auto *frame2 = new QFrame(&window);
    auto *frame3 = new QFrame(&window);
    SkinLabelArray skinLabel1(QStringLiteral("SkinLabel1"), frame2);
    SkinLabelArray skinLabel2(QStringLiteral("SkinLabel2"), frame1);
    plainLabel(QStringLiteral("Search Type:"), frame1, QRect(4, 4, 80, 16));
    plainLabel(QStringLiteral("in frame 2"), frame2, QRect(4, 4, 80, 16));
    plainLabel(QStringLiteral("Get"), frame1, QRect(4, 30, 80, 16));
    plainLabel(QStringLiteral("elsewhere"), frame3, QRect(4, 4, 80, 16));
    plainLabel(QStringLiteral("on the window"), &window, QRect(4, 4, 80, 16));

    Skinner::skinLabels(&window, {&skinLabel1, &skinLabel2});

    QCOMPARE(twinTexts(skinLabel1), QStringList{QStringLiteral("in frame 2")});
    QCOMPARE(skinLabel1.element(1)->parentWidget(), frame2);
    QCOMPARE(twinTexts(skinLabel2), (QStringList{QStringLiteral("Search Type:"), QStringLiteral("Get")}));
    QCOMPARE(skinLabel2.element(2)->parentWidget(), frame1);
    QVERIFY(frame3->findChildren<SkinLabel *>().isEmpty());
}

void TestSkinning::labelsOfOwnedWindowsAreLeftAlone()
{
    QWidget window;
    SkinLabelArray skinLabel1(QStringLiteral("SkinLabel1"), &window);
    plainLabel(QStringLiteral("mine"), &window, QRect(0, 0, 50, 16));
    auto *owned = new QWidget(&window, Qt::Dialog);
    plainLabel(QStringLiteral("owned"), owned, QRect(0, 0, 50, 16));
    auto *ownedEdit = new QLineEdit(owned);
    const QColor ownedBase = ownedEdit->palette().color(QPalette::Base);

    Skinner::skinLabels(&window, {&skinLabel1});
    const Skin skin(m_skinFile);
    Skinner(skin).applySkin(&window);

    QCOMPARE(twinTexts(skinLabel1), QStringList{QStringLiteral("mine")});
    QCOMPARE(ownedEdit->palette().color(QPalette::Base), ownedBase);
}

void TestSkinning::applySkinColoursControlsByType()
{
    const Skin skin(m_skinFile);
    QWidget window;
    auto *button = new QPushButton(QStringLiteral("Start"), &window);
    auto *edit = new QLineEdit(&window);
    auto *text = new QPlainTextEdit(&window);
    auto *combo = new QComboBox(&window);
    auto *list = new QListWidget(&window);
    auto *tree = new QTreeWidget(&window);
    auto *picture = new PictureBox(&window);
    auto *label = new QLabel(QStringLiteral("plain"), &window);
    const QPalette labelBefore = label->palette();

    Skinner(skin).applySkin(&window);

    QCOMPARE(button->palette().color(QPalette::Button), controlBack);
    for (QWidget *box : {static_cast<QWidget *>(edit), static_cast<QWidget *>(text), static_cast<QWidget *>(combo),
                         static_cast<QWidget *>(list), static_cast<QWidget *>(tree)}) {
        QCOMPARE(box->palette().color(QPalette::Base), controlBack);
        QCOMPARE(box->palette().color(QPalette::Text), controlText);
    }
    QCOMPARE(picture->palette().color(QPalette::Window), pictureBack);
    QVERIFY(picture->autoFillBackground());
    QCOMPARE(label->palette().color(QPalette::Text), labelBefore.color(QPalette::Text));
    QCOMPARE(label->palette().color(QPalette::Base), labelBefore.color(QPalette::Base));

    QCOMPARE(window.styleSheet(), skin.styleSheet());
    QVERIFY(window.property("skinWindow").toBool());
}

void TestSkinning::regionIsResetOnlyOnNewerWindows_data()
{
    QTest::addColumn<QOperatingSystemVersion>("platform");
    QTest::addColumn<bool>("reset");
    QTest::newRow("this platform") << QOperatingSystemVersion::current() << false;
    QTest::newRow("Windows 5.1") << QOperatingSystemVersion(QOperatingSystemVersion::Windows, 5, 1) << false;
    QTest::newRow("Windows 6.0") << QOperatingSystemVersion(QOperatingSystemVersion::Windows, 6, 0) << true;
    QTest::newRow("Windows 10") << QOperatingSystemVersion::Windows10 << true;
    QTest::newRow("macOS 12") << QOperatingSystemVersion::MacOSMonterey << false;
}

void TestSkinning::regionIsResetOnlyOnNewerWindows()
{
    QFETCH(QOperatingSystemVersion, platform);
    QFETCH(bool, reset);

    const Skin skin(m_skinFile);
    const Skinner skinner(skin, platform);
    QCOMPARE(skinner.isVistaOrLater(), reset);

    QWidget window;
    window.resize(320, 240);
    skinner.applySkin(&window);
    if (!reset) {
        QVERIFY(window.mask().isEmpty());
        return;
    }
    // The whole window stays visible.
    const QRegion mask = window.mask();
    QVERIFY(!mask.isEmpty());
    QVERIFY(mask.contains(window.rect()));
}

void TestSkinning::globalSkinnerSkinsStandardDialogsWhileOn()
{
    const Skin skin(m_skinFile);
    GlobalSkinner globalSkinner;

    globalSkinner.switchOn(); // nothing attached yet
    QVERIFY(!globalSkinner.isOn());

    globalSkinner.attach(skin);
    globalSkinner.switchOn();
    QVERIFY(globalSkinner.isOn());
    {
        QMessageBox box(QMessageBox::Information, QStringLiteral("t"), QStringLiteral("while on"));
        box.show();
        QCOMPARE(box.styleSheet(), skin.styleSheet());
        QWidget plainWindow; // the program's own windows are skinned by name, not here
        plainWindow.show();
        QVERIFY(plainWindow.styleSheet().isEmpty());
    }

    globalSkinner.switchOff();
    QVERIFY(!globalSkinner.isOn());
    QMessageBox box(QMessageBox::Information, QStringLiteral("t"), QStringLiteral("after off"));
    box.show();
    QVERIFY(box.styleSheet().isEmpty());
}

QTEST_MAIN(TestSkinning)
#include "TestSkinning.moc"
