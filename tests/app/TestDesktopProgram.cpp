#include "app/DesktopProgram.h"
#include "base/ui/BannerView.h"
#include "search/ui/MainWindow.h"
#include "tests/support/ScriptedPrompt.h"
#include "tests/support/TestFiles.h"

#include <QAction>
#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>
#include <QWebEngineView>

using namespace Qt::StringLiterals;

namespace {

QWidget *visibleWindow(const QString &name)
{
    const QWidgetList windows = QApplication::topLevelWidgets();
    for (QWidget *window : windows) {
        if (window->objectName() == name && window->isVisible())
            return window;
    }
    return nullptr;
}

} // namespace

// The whole desktop program as a user starts it: splash, main window, and
// the windows the main window opens.
class TestDesktopProgram : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void splashThenMainWindowThenSecondaryWindows();
    void setupBoxesBelongToSetup();

private:
    QTemporaryDir m_config;
};

void TestDesktopProgram::initTestCase()
{
    writeFile(m_config.filePath(u"user/Ornisk.ini"_s), "[Settings]\nFirstUse=NO\nshowHelp=0\n");
    qputenv("VANTREL_CONFIG_DIR", QFile::encodeName(m_config.path()));
}

void TestDesktopProgram::splashThenMainWindowThenSecondaryWindows()
{
    QTemporaryDir home;
    ScriptedPrompt prompt;
    DesktopProgram program(home.path(), &prompt);
    program.start();
    QVERIFY(visibleWindow(u"frmSplash"_s));
    QVERIFY(!program.mainWindow());

    QTRY_VERIFY(program.mainWindow() && program.mainWindow()->isVisible());
    MainWindow *main = program.mainWindow();
    QVERIFY(!visibleWindow(u"frmSplash"_s));
    QCOMPARE(main->windowTitle(), u"Vantrel by vantrel.example"_s);
    QVERIFY(QFile::exists(home.filePath(u"wordlists/AllFourLetter.txt"_s)));
    QVERIFY(QFile::exists(home.filePath(u"Help.html"_s)));
    QVERIFY(prompt.messages.isEmpty());
    // The shipped banner page loads from disk and shows, filling its strip.
    const auto *banner = main->findChild<BannerView *>(u"wbBanner"_s);
    QTRY_VERIFY(banner->view() && banner->view()->title() == u"Tips"_s);
    QVERIFY(banner->view()->isVisible());
    QCOMPARE(banner->view()->size(), banner->size());

    main->findChild<QPushButton *>(u"cmdSetup"_s)->click();
    QTRY_VERIFY(visibleWindow(u"frmSettings"_s));
    main->findChild<QAction *>(u"mnuAboutItem(0)"_s)->trigger();
    QTRY_VERIFY(visibleWindow(u"frmAbout"_s));
    main->findChild<QAction *>(u"mnuToolsItem(1)"_s)->trigger();
    QTRY_VERIFY(visibleWindow(u"frmMake"_s));
    emit main->session().results().overflowSaved();
    QTRY_VERIFY(visibleWindow(u"Form2"_s));
    main->session().blockedNotice().report(u"192.0.2.1"_s, u"Query rate exceeded"_s);
    QTRY_VERIFY(visibleWindow(u"frmBlocked"_s));

    main->close();
    for (const QString &name : {u"frmSettings"_s, u"frmAbout"_s, u"frmMake"_s, u"Form2"_s, u"frmBlocked"_s})
        QTRY_VERIFY2(!visibleWindow(name), qPrintable(name));
}

// With the program's own boxes: the one Setup asks is Setup's, in front of
// it rather than of the main window, and names the row it would delete.
void TestDesktopProgram::setupBoxesBelongToSetup()
{
    QTemporaryDir home;
    DesktopProgram program(home.path());
    program.start();
    QTRY_VERIFY(program.mainWindow() && program.mainWindow()->isVisible());
    program.mainWindow()->findChild<QPushButton *>(u"cmdSetup"_s)->click();
    QWidget *setup = nullptr;
    QTRY_VERIFY((setup = visibleWindow(u"frmSettings"_s)));
    auto *list = setup->findChild<QTreeWidget *>(u"lstDomains"_s);
    list->setCurrentItem(list->findItems(u"com"_s, Qt::MatchExactly).constFirst());

    QWidget *boxParent = nullptr;
    QString boxText;
    QTimer watch;
    watch.setInterval(10);
    connect(&watch, &QTimer::timeout, &watch, [&] {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        if (!box)
            return;
        boxParent = box->parentWidget();
        boxText = box->text() + box->informativeText();
        watch.stop();
        box->reject();
    });
    watch.start();
    setup->findChild<QPushButton *>(u"Command2"_s)->click(); // returns once the box is answered
    QCOMPARE(boxParent, setup);
    QVERIFY2(boxText.contains(u"Really delete .com ("_s), qPrintable(boxText));
    QCOMPARE(list->topLevelItemCount(), 179);
    program.mainWindow()->close();
}

QTEST_MAIN(TestDesktopProgram)
#include "TestDesktopProgram.moc"
