#pragma once

#include "base/Branding.h"
#include "base/ui/GlobalSkinner.h"
#include "base/ui/WidgetPrompt.h"
#include "search/LookupSession.h"
#include "search/ui/DesktopContext.h"
#include "settings/SettingsStore.h"
#include "shell/WebsiteLauncher.h"

#include <QObject>
#include <QPointer>

#include <memory>

class MainWindow;
class OverflowNoticeWindow;
class RegistrarBlockedWindow;
class NameCreatorWindow;
class SetupWindow;
class SplashWindow;
class WhoisWindow;

// The desktop program: the splash window, then the main window, and the
// secondary windows the main window asks for, each created when first needed.
class DesktopProgram : public QObject
{
    Q_OBJECT

public:
    // prompt: where message boxes and file dialogs go; the program's own
    // widget boxes when null.
    explicit DesktopProgram(const QString &programFolder, Prompt *prompt = nullptr);
    ~DesktopProgram() override;

    void start();
    MainWindow *mainWindow() const { return m_mainWindow.get(); }

private:
    void showMainWindow();
    void openSetup();
    void openListBuilder();
    void openNameCreator();
    void openBrowseWindow();
    void openAbout();
    void openHistory();
    void openHelp();
    void openWhois(const QString &domain);
    void showOverflowNotice();
    void shutDown();

    // Skins a window the main window opens, when the skin is on; with labels,
    // its plain labels get skinned twins from a "SkinLabel1" template first.
    void skinWindow(QWidget *window, bool withLabels) const;

    // A window whose boxes and dialogs are its own: the prompt create gets is
    // parented to the new window (an injected prompt is shared by all).
    template <typename Window>
    Window *withOwnPrompt(const std::function<Window *(Prompt &)> &create);

    template <typename Window>
    void showOnce(QPointer<Window> &window, std::function<Window *()> create);

    QString m_shippedDataDir;
    Branding m_branding;
    WidgetPrompt m_widgetPrompt;
    Prompt &m_prompt;
    SettingsStore m_settings;
    // The one lookup engine of the main window and the browse window.
    LookupSession m_session;
    DesktopContext m_context;
    GlobalSkinner m_globalSkinner;
    std::unique_ptr<WebsiteLauncher> m_website;
    std::unique_ptr<SplashWindow> m_splash;
    std::unique_ptr<MainWindow> m_mainWindow;
    std::unique_ptr<RegistrarBlockedWindow> m_blocked;
    QPointer<SetupWindow> m_settingsWindow;
    QPointer<NameCreatorWindow> m_nameCreator;
    QPointer<WhoisWindow> m_whoisWindow;
    QPointer<QWidget> m_listBuilder;
    QPointer<QWidget> m_browseWindow;
    QPointer<QWidget> m_about;
    QPointer<QWidget> m_historyWindow;
    QPointer<OverflowNoticeWindow> m_overflowNotice;
};
