// One search run of the desktop program as a user starts it: its splash,
// main window, banner and lookup session; once the banner has loaded, the
// search type is picked in the Tools menu and Start is clicked. Prints the
// names filed, the seconds from Start until the run has stopped, and the
// CPU-seconds the process (all its threads) used meanwhile. A list search
// type gets its file from --list through the open-file dialog; --rows writes
// every name filed with its verdict, for checking the run's answers. With
// --probe a 10 ms timer runs on the window's thread from Start to the end of
// the run, and the longest gap between two of its ticks is printed with the
// number of gaps over 100 ms: how long the window could not answer a click.
// usage: desktop_bench --home DIR --type TYPE [--list FILE] [--rows FILE] [--probe]
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

// Ticks every 10 ms on the thread it lives on and keeps the gaps between
// ticks: a gap much over 10 ms is a time the event loop did not run.
class StallProbe : public QObject
{
public:
    static constexpr int tickMs = 10;
    static constexpr int stallMs = 100;

    StallProbe()
    {
        m_timer.setTimerType(Qt::PreciseTimer);
        m_timer.setInterval(tickMs);
        connect(&m_timer, &QTimer::timeout, this, &StallProbe::tick);
    }
    void start()
    {
        m_clock.start();
        m_last = 0;
        m_timer.start();
    }
    void stop()
    {
        tick();
        m_timer.stop();
    }
    QString report() const
    {
        return QStringLiteral("event loop: longest gap between %1 ms ticks %2 ms; gaps over %3 ms: %4 of %5 ticks")
            .arg(tickMs)
            .arg(m_longest)
            .arg(stallMs)
            .arg(m_stalls)
            .arg(m_ticks);
    }

private:
    void tick()
    {
        const qint64 now = m_clock.elapsed();
        const qint64 gap = now - m_last;
        m_last = now;
        ++m_ticks;
        m_longest = qMax(m_longest, gap);
        if (gap > stallMs)
            ++m_stalls;
    }

    QTimer m_timer;
    QElapsedTimer m_clock;
    qint64 m_last = 0;
    qint64 m_longest = 0;
    int m_stalls = 0;
    int m_ticks = 0;
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
    parser.addOption({QStringLiteral("probe"), QStringLiteral("measure the event loop's stalls during the run")});
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
    StallProbe probe;
    const bool probing = parser.isSet(QStringLiteral("probe"));
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
            if (probing)
                probe.stop();
            const ResultLists &results = window->session().results();
            qint64 filed = 0;
            for (const ResultList list : {ResultList::Low, ResultList::Registered, ResultList::High, ResultList::Mid})
                filed += results.counter(list);
            out << "desktop: " << filed << " names filed in " << QString::number(seconds, 'f', 2) << " s, "
                << QString::number(cpu, 'f', 2) << " CPU-s" << Qt::endl;
            if (probing)
                out << probe.report() << Qt::endl;
            rows.flush();
            QCoreApplication::exit(0);
        });
        clock.start();
        cpuAtStart = cpuSeconds();
        if (probing)
            probe.start();
        start->click();
    });
    poll.start();
    return QApplication::exec();
}
