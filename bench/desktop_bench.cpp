// One search run of the desktop program as a user starts it: its splash,
// main window, banner and lookup session; once the banner has loaded, the
// search type is picked in the Tools menu and Start is clicked. Prints the
// names filed, the seconds from Start until the run has stopped, and the
// CPU-seconds the process (all its threads) used meanwhile. A list search
// type gets its file from --list through the open-file dialog; --rows writes
// every name filed with its verdict, for checking the run's answers.
// usage: desktop_bench --home DIR --type TYPE [--list FILE] [--rows FILE]
#include "app/DesktopProgram.h"
#include "base/ui/BannerView.h"
#include "core/ResultLists.h"
#include "search/LookupSession.h"
#include "search/SearchType.h"
#include "search/ui/MainWindow.h"

#include <QAction>
#include <QApplication>
#include <QCommandLineParser>
#include <QElapsedTimer>
#include <QFile>
#include <QPushButton>
#include <QTextStream>
#include <QTimer>
#include <QWebEngineView>

#include <functional>

#include <sys/resource.h>

namespace {

double cpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    const auto seconds = [](const timeval &time) { return double(time.tv_sec) + double(time.tv_usec) / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

// Calls back once the Stop button, enabled by Start, is disabled again: the
// run has stopped.
class StopWatcher : public QObject
{
public:
    StopWatcher(QPushButton *stop, std::function<void()> stopped)
        : m_stop(stop)
        , m_stopped(std::move(stopped))
    {
        stop->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (watched != m_stop || event->type() != QEvent::EnabledChange)
            return false;
        if (m_stop->isEnabled()) {
            m_running = true;
        } else if (m_running) {
            m_stop->removeEventFilter(this);
            m_stopped();
        }
        return false;
    }

private:
    QPushButton *m_stop;
    std::function<void()> m_stopped;
    bool m_running = false;
};

// The window's banner strip, when branding shows one.
const BannerView *shownBanner(MainWindow *window)
{
    const auto *banner = window->findChild<BannerView *>(QStringLiteral("wbBanner"));
    return banner && !banner->isHidden() ? banner : nullptr;
}

// Picks the list file in every open-file dialog, and gives up in every box
// (a run that needs a box answered is not measured).
class ListPrompt : public Prompt
{
public:
    explicit ListPrompt(QString list)
        : m_list(std::move(list))
    {
    }
    Answer showMessage(const QString &, const QString &text, Icon, Buttons buttons) override
    {
        QTextStream(stderr) << "desktop_bench: box: " << text << Qt::endl;
        return givingUpAnswer(buttons);
    }
    QString openFileName(const QString &, const QString &, const QString &) override { return m_list; }
    QString saveFileName(const QString &, const QString &, const QString &) override { return QString(); }

private:
    QString m_list;
};

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("vantrel"));
    QTextStream out(stdout);
    QTextStream err(stderr);
    QCommandLineParser parser;
    parser.addOption({QStringLiteral("home"), QStringLiteral("the program folder"), QStringLiteral("DIR")});
    parser.addOption({QStringLiteral("type"), QStringLiteral("the search type's caption"), QStringLiteral("TYPE")});
    parser.addOption({QStringLiteral("list"), QStringLiteral("the file a list search type opens"), QStringLiteral("FILE")});
    parser.addOption(
        {QStringLiteral("rows"), QStringLiteral("write name<TAB>verdict of every name filed"), QStringLiteral("FILE")});
    parser.process(app);
    const qsizetype typeIndex = SearchTypes::texts().indexOf(parser.value(QStringLiteral("type")));
    if (!parser.isSet(QStringLiteral("home")) || typeIndex < 0) {
        err << "desktop_bench: --home DIR and --type with one of: " << SearchTypes::texts().join(QStringLiteral(", "))
            << Qt::endl;
        return 1;
    }

    ListPrompt listPrompt(parser.value(QStringLiteral("list")));
    DesktopProgram program(parser.value(QStringLiteral("home")),
                           parser.isSet(QStringLiteral("list")) ? &listPrompt : nullptr);
    QFile rowsFile(parser.value(QStringLiteral("rows")));
    if (parser.isSet(QStringLiteral("rows")) && !rowsFile.open(QIODevice::WriteOnly | QIODevice::Text)) {
        err << "desktop_bench: cannot write " << rowsFile.fileName() << Qt::endl;
        return 1;
    }
    QTextStream rows(&rowsFile);
    program.start();
    QElapsedTimer clock;
    QElapsedTimer bannerWait;
    double cpuAtStart = 0;
    std::unique_ptr<StopWatcher> watcher;
    QTimer poll;
    poll.setInterval(50);
    QObject::connect(&poll, &QTimer::timeout, &app, [&] {
        MainWindow *window = program.mainWindow();
        if (!window || !window->isVisible())
            return;
        const BannerView *banner = shownBanner(window);
        if (banner && (!banner->view() || banner->view()->page()->isLoading()))
            return;
        // A banner that does not show would make the run look cheaper than a
        // user's; on a busy machine it may show a little after its page loaded.
        if (banner && !banner->view()->isVisible()) {
            if (!bannerWait.isValid())
                bannerWait.start();
            if (bannerWait.elapsed() < 10000)
                return;
            err << "desktop_bench: the banner's page loaded but the banner does not show" << Qt::endl;
            QCoreApplication::exit(1);
            return;
        }
        poll.stop();
        window->findChild<QAction *>(QStringLiteral("mnuToolsItem(%1)").arg(typeIndex))->trigger();
        auto *start = window->findChild<QPushButton *>(QStringLiteral("cmdDoSearch"));
        if (!start->isEnabled()) {
            err << "desktop_bench: Start is not enabled for " << parser.value(QStringLiteral("type")) << Qt::endl;
            QCoreApplication::exit(1);
            return;
        }
        if (rowsFile.isOpen()) {
            QObject::connect(&window->session(), &LookupSession::outcomeFiled, &app, [&rows](const LookupResult &outcome) {
                rows << outcome.domain << '\t' << LookupResult::kindText(outcome.kind) << '\n';
            });
        }
        auto *stop = window->findChild<QPushButton *>(QStringLiteral("Command3"));
        watcher = std::make_unique<StopWatcher>(stop, [&, window] {
            const double seconds = clock.elapsed() / 1000.0;
            const double cpu = cpuSeconds() - cpuAtStart;
            const ResultLists &results = window->session().results();
            qint64 filed = 0;
            for (const ResultList list : {ResultList::Low, ResultList::Registered, ResultList::High, ResultList::Mid})
                filed += results.counter(list);
            out << "desktop: " << filed << " names filed in " << QString::number(seconds, 'f', 2) << " s, "
                << QString::number(cpu, 'f', 2) << " CPU-s" << Qt::endl;
            rows.flush();
            QCoreApplication::exit(0);
        });
        clock.start();
        cpuAtStart = cpuSeconds();
        start->click();
    });
    poll.start();
    return QApplication::exec();
}
