#pragma once

#include "base/Branding.h"
#include "core/ConnectionPool.h"
#include "core/LookupContext.h"
#include "core/ThrottleState.h"

#include <QString>

class Prompt;
class SettingsStore;
class Skinner;

// What the desktop program's windows share for the whole run: the program
// folder, the product texts, the settings, the prompt for message boxes and
// dialogs, and the lookup state every window that queries WHOIS uses.
struct DesktopContext
{
    DesktopContext(QString folder, Branding productBranding, SettingsStore &settingsStore, Prompt &userPrompt)
        : programFolder(std::move(folder))
        , branding(std::move(productBranding))
        , settings(settingsStore)
        , prompt(userPrompt)
    {
    }

    QString programFolder;
    Branding branding;
    SettingsStore &settings;
    Prompt &prompt;
    LookupContext lookup;
    ThrottleState throttle;
    PoolTimings poolTimings;
    // The skinning steps while the skin is on; null keeps windows plain.
    const Skinner *skinner = nullptr;
    // The name last double-clicked in any list.
    QString selectedDomain;
};
