#include "search/LookupSession.h"
#include "search/ui/DesktopContext.h"
#include "search/ui/DomainListView.h"
#include "search/ui/MainWindow.h"
#include "settings/SettingsStore.h"
#include "tests/support/ScriptedPrompt.h"
#include "tests/support/TestFiles.h"

#include <QApplication>
#include <QDrag>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

using namespace Qt::StringLiterals;

// Drags names from the result lists onto Saved Domains the way a user does:
// mouse press, moves and release, through the platform's drag loop. The
// offscreen platform has no drag loop, so this runs on an X display.
class TestSavedDomainsDrag : public QObject
{
    Q_OBJECT

private slots:
    void dragFromResultListSavesNames();
};

namespace {

// Press on the row, move past the drag distance, then, once the drag's own
// loop runs, move over the target and release there.
void dragRow(DomainListView *source, int row, QWidget *target)
{
    QWidget *from = source->viewport();
    const QPoint start = source->visualRect(source->model()->index(row, 0)).center();
    const QPoint over = target->rect().center();
    const QPoint overGlobal = target->mapToGlobal(over);
    // QDrag::exec() returns only after the release.
    QTimer::singleShot(100, target, [target, over] { QTest::mouseMove(target, over); });
    QTimer::singleShot(200, target, [target, over] { QTest::mouseMove(target, over + QPoint(2, 2)); });
    QTimer::singleShot(300, target, [target, over, overGlobal] {
        QCursor::setPos(overGlobal);
        QTest::mouseRelease(target, Qt::LeftButton, {}, over);
    });
    QTest::mousePress(from, Qt::LeftButton, {}, start);
    QTest::mouseMove(from, start + QPoint(QApplication::startDragDistance() + 4, 0));
    QTest::mouseMove(from, start + QPoint(3 * QApplication::startDragDistance(), 4));
}

} // namespace

void TestSavedDomainsDrag::dragFromResultListSavesNames()
{
    if (QGuiApplication::platformName() != QLatin1String("xcb"))
        QSKIP("a real drag needs an X display: run under xvfb-run");
    QTemporaryDir home;
    QTemporaryDir config;
    ScriptedPrompt prompt;
    SettingsStore settings({config.filePath(u"user"_s), config.filePath(u"machine"_s)}, u"vantrel.example"_s,
                           u"Ornisk"_s);
    Branding branding;
    branding.showBanner = false;
    branding.useSkin = false;
    LookupSession session(home.path(), settings);
    DesktopContext context(home.path(), branding, settings, prompt, session);
    MainWindow window(context);
    window.setGeometry(0, 0, 1200, 700);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));

    for (const QString &name : {u"ab.com"_s, u"cd.com"_s, u"ef.com"_s})
        session.results().file({0, name, QString(), LookupResult::Kind::Available});
    session.results().file({0, u"taken.com"_s, QString(), LookupResult::Kind::Registered});
    QCoreApplication::processEvents();

    DomainListView *high = window.list(ResultList::High);
    DomainListView *saved = window.list(ResultList::Saved);
    dragRow(high, 1, saved->viewport());
    QTRY_COMPARE(saved->model()->rowCount(), 1);
    QCOMPARE(saved->model()->index(0, 0).data().toString(), u"cd.com"_s);
    QCOMPARE(readFile(home.filePath(u"Remembered.txt"_s)), "cd.com\r\n"_ba);

    // From another list; the press makes it the drag's source.
    QTest::qWait(300); // the first drag's X hand-shake ends
    dragRow(window.list(ResultList::Registered), 0, saved->viewport());
    QTRY_COMPARE(saved->model()->rowCount(), 2);
    QCOMPARE(readFile(home.filePath(u"Remembered.txt"_s)), "cd.com\r\ntaken.com\r\n"_ba);

    // A drop back on a result list saves nothing.
    QTest::qWait(300);
    dragRow(high, 0, window.list(ResultList::Mid)->viewport());
    QTest::qWait(400);
    QCOMPARE(saved->model()->rowCount(), 2);
    QCOMPARE(window.list(ResultList::Mid)->model()->rowCount(), 0);
}

int main(int argc, char *argv[])
{
    // Without a display the test still starts, and skips.
    if (qEnvironmentVariableIsEmpty("DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    TestSavedDomainsDrag test;
    return QTest::qExec(&test, argc, argv);
}

#include "TestSavedDomainsDrag.moc"
