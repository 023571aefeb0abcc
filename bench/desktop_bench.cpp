// The desktop program's search on a custom list, offscreen: the real main
// window and lookup session, driven through the window's own controls (Tools
// > Custom List, Start). Writes one "name<TAB>verdict" line per ended lookup
// to stdout and the run's seconds to stderr.
// usage: desktop_bench HOME LIST [PARALLEL]   (settings from VANTREL_CONFIG_DIR,
// the DNS server from VANTREL_DNS_SERVER)

#include "base/Branding.h"
#include "base/Prompt.h"
#include "search/LookupSession.h"
#include "search/ui/DesktopContext.h"
#include "search/ui/MainWindow.h"
#include "settings/SettingsStore.h"

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QPushButton>
#include <QTextStream>
#include <QTimer>

#include <cstdio>

namespace {

// Answers every box with its giving-up button and every file dialog with the list.
class BenchPrompt : public Prompt
{
public:
    explicit BenchPrompt(QString list)
        : m_list(std::move(list))
    {
    }
    Answer showMessage(const QString &, const QString &text, Icon, Buttons buttons) override
    {
        QTextStream(stderr) << "message: " << text << Qt::endl;
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
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() < 3) {
        QTextStream(stderr) << "usage: desktop_bench HOME LIST [PARALLEL]" << Qt::endl;
        return 2;
    }
    BenchPrompt prompt(args.at(2));
    Branding branding;
    branding.showBanner = false;
    branding.useSkin = false;
    SettingsStore settings(SettingsLocations::fromEnvironment(), branding.companyName, branding.productName, prompt);
    settings.setValue(Settings::firstUse, QStringLiteral("NO"));
    settings.setValue(Settings::showHelp, false);
    if (args.size() > 3)
        settings.setValue(Settings::parallelLookups, args.at(3).toInt());
    LookupSession session(args.at(1), settings);
    DesktopContext context(args.at(1), branding, settings, prompt, session);
    MainWindow window(context);
    window.startUp();

    QTextStream out(stdout);
    QObject::connect(&session, &LookupSession::outcomeFiled, &app, [&out](const LookupOutcome &outcome) {
        out << outcome.domain << '\t' << LookupOutcome::kindText(outcome.kind) << '\n';
    });
    auto *start = window.findChild<QPushButton *>(QStringLiteral("cmdDoSearch"));
    auto *stop = window.findChild<QPushButton *>(QStringLiteral("Command3"));
    window.findChild<QAction *>(QStringLiteral("mnuToolsItem(8)"))->trigger(); // Custom List
    if (!start || !start->isEnabled()) {
        QTextStream(stderr) << "the list could not be chosen" << Qt::endl;
        return 1;
    }
    QElapsedTimer clock;
    clock.start();
    start->click();
    // The run has ended when Stop goes grey again.
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &app, [&] {
        if (!stop->isEnabled())
            app.quit();
    });
    poll.start(20);
    app.exec();
    out.flush();
    QTextStream(stderr) << "desktop run: " << QString::number(clock.elapsed() / 1000.0, 'f', 1) << " s" << Qt::endl;
    return 0;
}
