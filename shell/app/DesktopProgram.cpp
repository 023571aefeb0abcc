#include "DesktopProgram.h"

#include "Form1.h"
#include "Form2.h"
#include "Form3.h"
#include "Form5.h"
#include "Form8.h"
#include "ProgramFolder.h"
#include "SkinLabel.h"
#include "Skinner.h"
#include "frmAbout.h"
#include "frmBlocked.h"
#include "frmMake.h"
#include "frmSettings.h"
#include "frmSplash.h"
#include "frmWhois.h"

#include <QApplication>

DesktopProgram::DesktopProgram(const QString &programFolder, Prompt *prompt)
    : m_shippedDataDir(ProgramFolder::shippedDataDir())
    , m_prompt(prompt ? *prompt : m_widgetPrompt)
    , m_settings(SettingsLocations::fromEnvironment(), m_branding.companyName, m_branding.productName, m_prompt)
    , m_context(programFolder, m_branding, m_settings, m_prompt)
{
}

DesktopProgram::~DesktopProgram() = default;

void DesktopProgram::start()
{
    m_splash = std::make_unique<frmSplash>(m_branding, m_globalSkinner, m_shippedDataDir);
    connect(m_splash.get(), &frmSplash::mainWindowRequested, this, &DesktopProgram::showMainWindow);
    m_splash->show();
}

void DesktopProgram::showMainWindow()
{
    m_context.branding = m_branding;
    m_context.skinner = m_splash->skinner();
    m_website = std::make_unique<frmWebsite>(m_branding, m_shippedDataDir);
    m_mainWindow = std::make_unique<Form1>(m_context);
    Form1 *window = m_mainWindow.get();
    m_blocked = std::make_unique<frmBlocked>(window->blockedNotice());

    connect(window, &Form1::setupRequested, this, &DesktopProgram::openSetup);
    connect(window, &Form1::listBuilderRequested, this, &DesktopProgram::openListBuilder);
    connect(window, &Form1::nameCreatorRequested, this, &DesktopProgram::openNameCreator);
    connect(window, &Form1::browseWindowRequested, this, &DesktopProgram::openBrowseWindow);
    connect(window, &Form1::aboutRequested, this, &DesktopProgram::openAbout);
    connect(window, &Form1::helpRequested, this, &DesktopProgram::openHelp);
    connect(window, &Form1::websiteRequested, this, [this] { m_website->load(QStringLiteral("Website")); });
    connect(window, &Form1::whoisWindowRequested, this, &DesktopProgram::openWhois);
    connect(window, &Form1::overflowNoticeRequested, this, &DesktopProgram::showOverflowNotice);
    connect(window, &Form1::shutDownRequested, this, &DesktopProgram::shutDown);

    m_widgetPrompt = WidgetPrompt(window);
    // The splash goes before start-up can ask anything of the user.
    m_splash->hide();
    window->startUp();
    window->show();
}

template<typename Window>
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
    showOnce<frmSettings>(m_settingsWindow, [this] {
        auto *window = new frmSettings(m_context.lookup, m_settings, m_branding, m_context.programFolder, m_prompt);
        connect(window, &frmSettings::closed, m_mainWindow.get(), &Form1::loadTLDs);
        return window;
    });
}

void DesktopProgram::openListBuilder()
{
    Form1 *main = m_mainWindow.get();
    showOnce<QWidget>(m_listBuilder, [this, main] {
        ListBuilderRequest request;
        request.searchText = [main] { return main->searchText(); };
        request.searchType = main->searchTypeText();
        request.sizeIndex = main->amountIndex();
        auto *window = new Form3(m_context.programFolder, m_context.lookup.tldTable, request, m_prompt,
                                 m_branding.productName);
        connect(window, &Form3::listReady, main, [main](qint32 wordMax) { main->setListSize(wordMax); });
        connect(window, &Form3::startSearchRequested, main, &Form1::startSearch);
        skinWindow(window, true);
        return window;
    });
}

void DesktopProgram::openNameCreator()
{
    showOnce<frmMake>(m_nameCreator, [this] {
        auto *window = new frmMake(m_context.programFolder, m_settings, m_prompt, m_branding);
        connect(window, &frmMake::startSearchRequested, m_mainWindow.get(),
                [this](qint32 wordMax) { m_mainWindow->startListSearch(wordMax); });
        skinWindow(window, false);
        return window;
    });
}

void DesktopProgram::openBrowseWindow()
{
    showOnce<QWidget>(m_browseWindow, [this] {
        Form1 *main = m_mainWindow.get();
        // The window skins itself.
        auto *window = new Form5(m_context.programFolder, m_branding, m_context.lookup, m_context.throttle,
                                 main->resultLists(), main->blockedNotice(), m_context.selectedDomain,
                                 m_context.skinner);
        connect(window, &Form5::whoisWindowRequested, this, &DesktopProgram::openWhois);
        return window;
    });
}

void DesktopProgram::openAbout()
{
    showOnce<QWidget>(m_about, [this] { return new frmAbout(m_branding, m_context.skinner); });
}

void DesktopProgram::openHelp()
{
    Form8(m_branding, m_settings, m_context.programFolder).run();
}

void DesktopProgram::openWhois(const QString &domain)
{
    // A double-click always asks afresh.
    if (m_whoisWindow)
        m_whoisWindow->close();
    m_whoisWindow = new frmWhois({m_branding.whoisInfoHost, m_branding.whoisInfoPort});
    m_whoisWindow->setAttribute(Qt::WA_DeleteOnClose);
    m_whoisWindow->openFor(domain);
}

void DesktopProgram::showOverflowNotice()
{
    showOnce<Form2>(m_overflowNotice, [this] { return new Form2(m_context.skinner); });
}

void DesktopProgram::shutDown()
{
    for (QWidget *window : {static_cast<QWidget *>(m_overflowNotice), m_listBuilder.data(), m_browseWindow.data(),
                            static_cast<QWidget *>(m_nameCreator), static_cast<QWidget *>(m_whoisWindow),
                            static_cast<QWidget *>(m_settingsWindow), m_about.data()}) {
        if (window)
            window->close();
    }
    m_blocked.reset();
    m_splash->close();
    if (m_branding.useSkin)
        m_globalSkinner.switchOff();
    QApplication::quit();
}
