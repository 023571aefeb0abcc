#pragma once

#include "base/Branding.h"

#include <QString>

class LookupSession;
class Prompt;
class SettingsStore;
class Skinner;

// What the desktop program's windows share for the whole run: the program
// folder, the product texts, the settings, the prompt for message boxes and
// dialogs, and the lookup session every window that queries WHOIS uses.
struct DesktopContext
{
    DesktopContext(QString folder, Branding productBranding, SettingsStore &settingsStore, Prompt &userPrompt,
                   LookupSession &lookupSession)
        : programFolder(std::move(folder))
        , branding(std::move(productBranding))
        , settings(settingsStore)
        , prompt(userPrompt)
        , session(lookupSession)
    {
    }

    QString programFolder;
    Branding branding;
    SettingsStore &settings;
    Prompt &prompt;
    LookupSession &session;
    // The skinning steps while the skin is on; null keeps windows plain.
    const Skinner *skinner = nullptr;
    // The name last double-clicked in any list.
    QString selectedDomain;
};
