// One search run of the desktop program as a user starts it: its splash,
// main window, banner and lookup session; once the banner has loaded, the
// search type is picked in the Tools menu and Start is clicked. Prints the
// names filed, the seconds from Start until the run has stopped, and the
// CPU-seconds the process (all its threads) used meanwhile.
// usage: desktop_bench --home DIR --type "All Two Letter"
#include "app/DesktopProgram.h"
#include "base/ui/BannerView.h"
#include "core/ResultLists.h"
#include "search/SearchType.h"
#include "search/ui/MainWindow.h"

#include <QAction>
#include <QApplication>
#include <QCommandLineParser>
#include <QElapsedTimer>
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
    parser.process(app);
    const qsizetype typeIndex = SearchTypes::texts().indexOf(parser.value(QStringLiteral("type")));
    if (!parser.isSet(QStringLiteral("home")) || typeIndex < 0) {
        err << "desktop_bench: --home DIR and --type with one of: " << SearchTypes::texts().join(QStringLiteral(", "))
            << Qt::endl;
        return 1;
    }

    DesktopProgram program(parser.value(QStringLiteral("home")));
    program.start();
    QElapsedTimer clock;
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
        poll.stop();
        // A banner that does not show would make the run look cheaper than a user's.
        if (banner && !banner->view()->isVisible()) {
            err << "desktop_bench: the banner's page loaded but the banner does not show" << Qt::endl;
            QCoreApplication::exit(1);
            return;
        }
        window->findChild<QAction *>(QStringLiteral("mnuToolsItem(%1)").arg(typeIndex))->trigger();
        auto *start = window->findChild<QPushButton *>(QStringLiteral("cmdDoSearch"));
        if (!start->isEnabled()) {
            err << "desktop_bench: Start is not enabled for " << parser.value(QStringLiteral("type")) << Qt::endl;
            QCoreApplication::exit(1);
            return;
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
            QCoreApplication::exit(0);
        });
        clock.start();
        cpuAtStart = cpuSeconds();
        start->click();
    });
    poll.start();
    return QApplication::exec();
}
