#pragma once

#include "harvest/ListBuilder.h"

class SettingsStore;

// Where the list builder asks for result pages, from the per-user settings of
// section "Engines": "<Engine>Scheme", "<Engine>Host" and "<Engine>Path" for
// Yahoo, Google, Bing and DuckDuckGo. A key not set keeps its default, the address
// of SearchEngineHosts; so does a scheme other than http and https.
SearchEngineHosts readEngineSettings(const SettingsStore &settings);
