// The browse window on a served page of many names, driven through its own
// buttons: the page is loaded and every name checked; then, with the
// registry's pause raised, the page is found again ("Clear" and "Refresh")
// and "Stop Checking" is pressed midway; then once more, and "Clear" is
// pressed midway. After each press it prints what the window's checker shows
// and how many queries reached the registry in the second after the press
// and in the two seconds after that, read from the responder's log.
// usage: browse_bench --home DIR --page URL --log FILE --names N --pause MS
#include "base/Branding.h"
#include "harvest/ui/BrowseWindow.h"
#include "search/LookupSession.h"
#include "settings/SettingsStore.h"
#include "tests/support/WaitUntil.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QElapsedTimer>
#include <QFile>
#include <QPushButton>
#include <QSet>
#include <QTextStream>

namespace {

QTextStream out(stdout);

void pause(int ms)
{
    waitUntil([] { return false; }, ms);
}

// The queries the responder has logged, one per line.
QStringList loggedQueries(const QString &log)
{
    QFile file(log);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromLatin1(file.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

// Presses the button while the checker is midway through the page and
// reports how fast the checking ended and what reached the registry after.
bool pressMidway(BrowseWindow &window, const QString &button, const QString &log, int names)
{
    BrowsedNameChecker &checker = window.checker();
    const int before = checker.checked();
    window.findChild<QPushButton *>(QStringLiteral("cmdClear(1)"))->click();
    window.findChild<QPushButton *>(QStringLiteral("cmdRefresh"))->click();
    const qint32 found = window.pages().counters.totalFound + names;
    if (!waitUntil([&] { return window.pages().counters.totalFound == found && checker.checked() >= before + 100; },
                 120000)) {
        out << button << ": the page's names were not found again" << Qt::endl;
        return false;
    }
    const qsizetype askedAtPress = loggedQueries(log).size();
    const int checkedAtPress = checker.checked() - before;
    QElapsedTimer clock;
    clock.start();
    window.findChild<QPushButton *>(button)->click();
    waitUntil([&] { return !checker.isChecking(); }, 5000);
    const qint64 endedMs = clock.elapsed();
    pause(1000);
    const qsizetype askedInSecond = loggedQueries(log).size() - askedAtPress;
    pause(2000);
    const qsizetype askedLater = loggedQueries(log).size() - askedAtPress - askedInSecond;
    out << button << ": pressed at " << checkedAtPress << " of " << names << " checked; checking "
        << (checker.isChecking() ? QStringLiteral("still running") : QStringLiteral("ended"))
        << " after " << endedMs << " ms; window shows checked " << checker.checked() - before << " of "
        << checker.total() - before << "; queries reaching the registry: " << askedInSecond
        << " in the first second (sent before the press), " << askedLater << " in the two seconds after"
        << Qt::endl;
    return !checker.isChecking() && askedLater == 0;
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QTextStream err(stderr);
    QCommandLineParser parser;
    parser.addOption({QStringLiteral("home"), QStringLiteral("the program folder"), QStringLiteral("DIR")});
    parser.addOption({QStringLiteral("page"), QStringLiteral("the page's address"), QStringLiteral("URL")});
    parser.addOption({QStringLiteral("log"), QStringLiteral("the responder's query log"), QStringLiteral("FILE")});
    parser.addOption({QStringLiteral("names"), QStringLiteral("names on the page"), QStringLiteral("N")});
    parser.addOption({QStringLiteral("pause"), QStringLiteral("registry pause for the presses"), QStringLiteral("MS")});
    parser.process(app);
    const int names = parser.value(QStringLiteral("names")).toInt();
    const int pauseMs = parser.value(QStringLiteral("pause")).toInt();
    const QString log = parser.value(QStringLiteral("log"));
    if (!parser.isSet(QStringLiteral("home")) || !parser.isSet(QStringLiteral("page")) || log.isEmpty() ||
        names < 200 || pauseMs <= 0) {
        err << "browse_bench: --home DIR --page URL --log FILE --names N (200 or more) --pause MS" << Qt::endl;
        return 1;
    }

    SettingsStore settings(SettingsLocations::fromEnvironment(), QStringLiteral("vantrel.example"),
                           QStringLiteral("Ornisk"));
    LookupSession session(parser.value(QStringLiteral("home")), settings,
                          PacedRun::maxParallel + BrowsedNameChecker::parallel);
    QString error;
    if (!session.prepare(&error)) {
        err << "browse_bench: " << error << Qt::endl;
        return 1;
    }
    Branding branding;
    branding.comments = parser.value(QStringLiteral("page"));
    QString selected;
    auto *window = new BrowseWindow(session, branding, selected);
    window->show();
    BrowsedNameChecker &checker = window->checker();

    QElapsedTimer clock;
    clock.start();
    if (!waitUntil([&] { return checker.checked() == names && !checker.isChecking(); }, 600000)) {
        err << "browse_bench: " << checker.checked() << " of " << names << " names checked" << Qt::endl;
        return 1;
    }
    const QStringList asked = loggedQueries(log);
    const qsizetype distinct = QSet<QString>(asked.cbegin(), asked.cend()).size();
    out << "every name: " << checker.checked() << " of " << names << " checked in "
        << QString::number(clock.elapsed() / 1000.0, 'f', 2) << " s; the registry was asked " << asked.size()
        << " times for " << distinct << " distinct names" << Qt::endl;
    bool good = asked.size() == names && distinct == names;

    // The presses need a registry slow enough to be caught midway.
    QVector<TldEntry> entries = session.lookup().tldTable.entries();
    for (TldEntry &entry : entries)
        entry.throttleMs = pauseMs;
    session.lookup().tldTable.setEntries(entries);
    good = pressMidway(*window, QStringLiteral("cmdStopCheck"), log, names) && good;
    good = pressMidway(*window, QStringLiteral("cmdClear(1)"), log, names) && good;
    delete window;
    return good ? 0 : 2;
}
