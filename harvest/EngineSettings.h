#pragma once

#include "harvest/ListBuilder.h"

class SettingsStore;

// Where the list builder asks for result pages, from the per-user settings of
// section "Engines": "YahooScheme", "YahooHost", "YahooPath", "GoogleScheme",
// "GoogleHost", "GooglePath". A key not set keeps its default, the address
// of SearchEngineHosts; so does a scheme other than http and https.
SearchEngineHosts readEngineSettings(const SettingsStore &settings);
