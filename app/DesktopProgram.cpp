#include "app/DesktopProgram.h"

#include "base/ui/SkinLabel.h"
#include "base/ui/Skinner.h"
#include "core/ui/HistoryWindow.h"
#include "core/ui/OverflowNoticeWindow.h"
#include "core/ui/RegistrarBlockedWindow.h"
#include "generate/ui/NameCreatorWindow.h"
#include "harvest/BrowsedNameChecker.h"
#include "harvest/EngineSettings.h"
#include "harvest/ui/BrowseWindow.h"
#include "harvest/ui/ListBuilderWindow.h"
#include "search/PacedRun.h"
#include "search/ui/MainWindow.h"
#include "settings/ProgramFolder.h"
#include "settings/SettingsTable.h"
#include "settings/ui/PermissionDeniedPrompt.h"
#include "settings/ui/SetupWindow.h"
#include "settings/ui/WhoisWindow.h"
#include "shell/AboutWindow.h"
#include "shell/HelpLauncher.h"
#include "shell/SplashWindow.h"

#include <QApplication>
#include <QFileInfo>

DesktopProgram::DesktopProgram(const QString &programFolder, Prompt *prompt)
    : m_shippedDataDir(ProgramFolder::shippedDataDir())
    , m_prompt(prompt ? *prompt : m_widgetPrompt)
    , m_settings(SettingsLocations::fromEnvironment(), m_branding.companyName, m_branding.settingsName)
    // Room for the main window's search, the browse window's checking, and a
    // WHOIS window and a setup test that a user waits for.
    , m_session(programFolder, m_settings, PacedRun::maxParallel + BrowsedNameChecker::parallel + 2)
    , m_context(programFolder, m_branding, m_settings, m_prompt, m_session)
{
    installPermissionDeniedPrompt(m_settings, m_prompt, m_branding.productName);
}

DesktopProgram::~DesktopProgram() = default;

void DesktopProgram::start()
{
    m_splash = std::make_unique<SplashWindow>(m_branding, m_globalSkinner, m_shippedDataDir);
    // Boxes before the main window is up carry the product name too.
    m_widgetPrompt = WidgetPrompt(nullptr, m_branding.productName);
    connect(m_splash.get(), &SplashWindow::mainWindowRequested, this, &DesktopProgram::showMainWindow);
    m_splash->show();
}

void DesktopProgram::showMainWindow()
{
    m_context.branding = m_branding;
    m_context.skinner = m_splash->skinner();
    m_website = std::make_unique<WebsiteLauncher>(m_branding, m_shippedDataDir);
    m_mainWindow = std::make_unique<MainWindow>(m_context);
    MainWindow *window = m_mainWindow.get();
    m_blocked = std::make_unique<RegistrarBlockedWindow>(m_session.blockedNotice());

    connect(window, &MainWindow::setupRequested, this, &DesktopProgram::openSetup);
    connect(window, &MainWindow::listBuilderRequested, this, &DesktopProgram::openListBuilder);
    connect(window, &MainWindow::nameCreatorRequested, this, &DesktopProgram::openNameCreator);
    connect(window, &MainWindow::browseWindowRequested, this, &DesktopProgram::openBrowseWindow);
    connect(window, &MainWindow::aboutRequested, this, &DesktopProgram::openAbout);
    connect(window, &MainWindow::helpRequested, this, &DesktopProgram::openHelp);
    connect(window, &MainWindow::websiteRequested, this, [this] { m_website->load(QStringLiteral("Website")); });
    connect(window, &MainWindow::whoisWindowRequested, this, &DesktopProgram::openWhois);
    connect(window, &MainWindow::overflowNoticeRequested, this, &DesktopProgram::showOverflowNotice);
    connect(window, &MainWindow::historyWindowRequested, this, &DesktopProgram::openHistory);
    connect(window, &MainWindow::shutDownRequested, this, &DesktopProgram::shutDown);

    m_widgetPrompt.setParentWindow(window);
    // The splash goes before start-up can ask anything of the user.
    m_splash->hide();
    window->startUp();
    window->show();
}

template <typename Window>
Window *DesktopProgram::withOwnPrompt(const std::function<Window *(Prompt &)> &create)
{
    if (&m_prompt != &m_widgetPrompt)
        return create(m_prompt);
    auto *prompt = new WidgetPrompt(nullptr, m_branding.productName);
    Window *window = create(*prompt);
    prompt->setParentWindow(window);
    connect(window, &QObject::destroyed, window, [prompt] { delete prompt; });
    return window;
}

template <typename Window>
void DesktopProgram::showOnce(QPointer<Window> &window, std::function<Window *()> create)
{
    if (!window) {
        window = create();
        window->setAttribute(Qt::WA_DeleteOnClose);
    }
    window->show();
    window->raise();
    window->activateWindow();
}

void DesktopProgram::skinWindow(QWidget *window, bool withLabels) const
{
    if (!m_branding.useSkin || !m_context.skinner)
        return;
    if (withLabels) {
        SkinLabelArray SkinLabel1(QStringLiteral("SkinLabel1"), window);
        Skinner::skinLabels(window, {&SkinLabel1});
    }
    m_context.skinner->applySkin(window);
}

void DesktopProgram::openSetup()
{
    showOnce<SetupWindow>(m_settingsWindow, [this] {
        auto *window = withOwnPrompt<SetupWindow>([this](Prompt &prompt) {
            return new SetupWindow(m_session.lookup(), m_settings, m_branding, m_context.programFolder, prompt,
                                   m_session.service());
        });
        connect(window, &SetupWindow::closed, m_mainWindow.get(), &MainWindow::loadTLDs);
        // Each run takes the settings as they are at its start.
        PacedRun &run = m_mainWindow->searchRun();
        window->setRunGoing(run.isRunning());
        connect(&run, &PacedRun::started, window, [window] { window->setRunGoing(true); });
        connect(&run, &PacedRun::stopped, window, [window] { window->setRunGoing(false); });
        connect(window, &SetupWindow::tested, &m_session,
                [this](const LookupResult &outcome) { m_session.record(outcome, QStringLiteral("setup test")); });
        return window;
    });
}

void DesktopProgram::openListBuilder()
{
    MainWindow *main = m_mainWindow.get();
    showOnce<QWidget>(m_listBuilder, [this, main] {
        ListBuilderRequest request;
        request.searchText = [main] { return main->searchText(); };
        request.searchType = main->searchTypeText();
        request.sizeIndex = main->amountIndex();
        ListBuilderConfig config;
        config.engines = readEngineSettings(m_settings);
        config.harvest = HarvestData::shipped();
        if (m_settings.value(Settings::harvestEveryTld))
            config.everyTld = &m_session.lookup().registries;
        const bool review = m_settings.value(Settings::reviewHarvest);
        auto *window = withOwnPrompt<ListBuilderWindow>([&](Prompt &prompt) {
            return new ListBuilderWindow(m_context.programFolder, m_session.lookup().tldTable, request, prompt,
                                         m_branding.productName, config, review);
        });
        connect(window, &ListBuilderWindow::listReady, main, [main](qint32 wordMax) { main->setListSize(wordMax); });
        connect(window, &ListBuilderWindow::startSearchRequested, main, &MainWindow::startSearch);
        skinWindow(window, true);
        return window;
    });
}

void DesktopProgram::openNameCreator()
{
    showOnce<NameCreatorWindow>(m_nameCreator, [this] {
        auto *window = withOwnPrompt<NameCreatorWindow>([this](Prompt &prompt) {
            return new NameCreatorWindow(m_context.programFolder, m_settings, prompt, m_branding);
        });
        connect(window, &NameCreatorWindow::startSearchRequested, m_mainWindow.get(),
                [this](qint32 wordMax) { m_mainWindow->startGeneratedSearch(wordMax); });
        skinWindow(window, false);
        return window;
    });
}

void DesktopProgram::openBrowseWindow()
{
    showOnce<QWidget>(m_browseWindow, [this] {
        // The window skins itself.
        auto *window = new BrowseWindow(m_session, m_branding, m_context.selectedDomain, m_context.skinner);
        window->setEveryTld(m_settings.value(Settings::harvestEveryTld));
        connect(window, &BrowseWindow::whoisWindowRequested, this, &DesktopProgram::openWhois);
        return window;
    });
}

void DesktopProgram::openAbout()
{
    showOnce<QWidget>(m_about, [this] { return new AboutWindow(m_branding, m_context.skinner); });
}

void DesktopProgram::openHistory()
{
    HistoryStore *history = m_session.history();
    if (!history) {
        m_prompt.showMessage(m_branding.productName, m_session.historyNotice(), Prompt::Icon::Warning,
                             Prompt::Buttons::Ok);
        return;
    }
    showOnce<QWidget>(m_historyWindow, [this, history] {
        auto *window = withOwnPrompt<HistoryWindow>(
            [&](Prompt &prompt) { return new HistoryWindow(*history, prompt, m_branding.productName); });
        window->setExportFolder(m_settings.value(Settings::lastExportFolder));
        connect(window, &HistoryWindow::exported, this, [this](const QString &path) {
            m_settings.setValue(Settings::lastExportFolder, QFileInfo(path).absolutePath());
        });
        connect(window, &HistoryWindow::whoisRequested, this, &DesktopProgram::openWhois);
        connect(window, &HistoryWindow::saveRequested, m_mainWindow.get(), &MainWindow::saveNames);
        skinWindow(window, false);
        return window;
    });
}

void DesktopProgram::openHelp()
{
    HelpLauncher(m_settings, m_context.programFolder).run();
}

void DesktopProgram::openWhois(const QString &domain)
{
    // A double-click always asks afresh.
    if (m_whoisWindow)
        m_whoisWindow->close();
    m_whoisWindow = new WhoisWindow(m_session.service(), m_session.lookup());
    m_whoisWindow->setAttribute(Qt::WA_DeleteOnClose);
    m_whoisWindow->openFor(domain);
}

void DesktopProgram::showOverflowNotice()
{
    showOnce<OverflowNoticeWindow>(m_overflowNotice, [this] { return new OverflowNoticeWindow(m_context.skinner); });
}

void DesktopProgram::shutDown()
{
    for (QWidget *window : {static_cast<QWidget *>(m_overflowNotice), m_listBuilder.data(), m_browseWindow.data(),
                            static_cast<QWidget *>(m_nameCreator), static_cast<QWidget *>(m_whoisWindow),
                            static_cast<QWidget *>(m_settingsWindow), m_about.data(), m_historyWindow.data()}) {
        if (window)
            window->close();
    }
    m_blocked.reset();
    m_splash->close();
    if (m_branding.useSkin)
        m_globalSkinner.switchOff();
    QApplication::quit();
}
