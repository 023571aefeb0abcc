#pragma once

#include <QtGlobal>

// Every stored setting of the program, one row each: the application it is
// filed under, the section, the key, the scope and the typed default. Code
// reads and writes settings through these rows and SettingsStore's typed
// accessors, never by key text.

enum class SettingApplication {
    Product, // the name the program files its settings under ("Ornisk")
    Vantrel, // the resume positions, always under "Vantrel"
};

enum class SettingScope { User, Machine };

// Where a setting lives. An indexed key is the name followed by the index
// ("chkAdd0"); index -1 is a plain key.
struct SettingKey
{
    SettingApplication application;
    const char *section;
    const char *name;
    SettingScope scope;
    int index = -1;
};

// A setting with its default. Numbers are stored as decimal text, switches
// as "0" or "1"; a switch reads any non-zero number as on.
template <typename T>
struct Setting
{
    SettingKey key;
    T defaultValue;

    // The row of one indexed key, such as chkAdd1.
    constexpr Setting at(int index) const
    {
        Setting indexed = *this;
        indexed.key.index = index;
        return indexed;
    }
};

using TextSetting = Setting<const char *>;
using NumberSetting = Setting<qint32>;
using SwitchSetting = Setting<bool>;

namespace Settings {

constexpr SettingApplication product = SettingApplication::Product;
constexpr SettingScope user = SettingScope::User;
constexpr SettingScope machine = SettingScope::Machine;

// The pause before the first batch of a run; every query replaces it with
// its TLD entry's pause. Two defaults hold, each for its reader: start-up
// falls back to 25; the setup window's box shows 20 when nothing is stored
// (throttleShownBySetup) and writes that back as soon as it opens. Stored
// files keep whatever the box wrote, as text.
constexpr NumberSetting throttle{{product, "Settings", "Throttle", user}, 25};
constexpr qint32 throttleShownBySetup = 20;

// The proxy switch, machine-wide. Start-up read it as a whole number and the
// setup window as a decimal one; both now read it as a decimal number, so
// "1.0" is on for both. The program itself only ever stores "0" or "1".
constexpr SwitchSetting proxy{{product, "Settings", "chkProxy", machine}, false};

constexpr TextSetting defaultExtension{{product, "Settings", "DefaultExt", user}, ".com"};
// The main window's last choices: the TLD box (an extension without its dot),
// the extensions ticked beside it (separated by spaces) and the search type
// (its text in the box).
constexpr TextSetting lastTld{{product, "Settings", "LastTLD", user}, ""};
constexpr TextSetting tickedTlds{{product, "Settings", "TickedTLDs", user}, ""};
constexpr TextSetting lastSearchType{{product, "Settings", "LastSearchType", user}, ""};
// Where the last export went (results and history alike); empty: the home folder.
constexpr TextSetting lastExportFolder{{product, "Settings", "LastExportFolder", user}, ""};

// Where the list builder fetches result pages, section "Engines"; empty
// keeps the built-in address part.
constexpr TextSetting yahooScheme{{product, "Engines", "YahooScheme", user}, ""};
constexpr TextSetting yahooHost{{product, "Engines", "YahooHost", user}, ""};
constexpr TextSetting yahooPath{{product, "Engines", "YahooPath", user}, ""};
constexpr TextSetting googleScheme{{product, "Engines", "GoogleScheme", user}, ""};
constexpr TextSetting googleHost{{product, "Engines", "GoogleHost", user}, ""};
constexpr TextSetting googlePath{{product, "Engines", "GooglePath", user}, ""};
constexpr TextSetting bingScheme{{product, "Engines", "BingScheme", user}, ""};
constexpr TextSetting bingHost{{product, "Engines", "BingHost", user}, ""};
constexpr TextSetting bingPath{{product, "Engines", "BingPath", user}, ""};
constexpr TextSetting duckDuckGoScheme{{product, "Engines", "DuckDuckGoScheme", user}, ""};
constexpr TextSetting duckDuckGoHost{{product, "Engines", "DuckDuckGoHost", user}, ""};
constexpr TextSetting duckDuckGoPath{{product, "Engines", "DuckDuckGoPath", user}, ""};

// What the list builder and the browse window harvest: names under every TLD
// that has a registry (on), or only under the enabled rows of the TLD table.
constexpr SwitchSetting harvestEveryTld{{product, "Settings", "HarvestEveryTld", user}, true};
// The list builder shows the harvested names for removal before the search starts.
constexpr SwitchSetting reviewHarvest{{product, "Settings", "ReviewHarvest", user}, false};

// Ask DNS before the registry (a delegated name is registered), and which
// server to ask: empty is the system's resolver.
constexpr SwitchSetting checkDnsFirst{{product, "Settings", "CheckDnsFirst", user}, true};
constexpr TextSetting dnsServer{{product, "Settings", "DnsServer", user}, ""};
// How many DNS look-ups run at a time ahead of the registry queries.
constexpr NumberSetting dnsInFlight{{product, "Settings", "DnsInFlight", user}, 64};
// Registry lookups at a time in a desktop search (1 to 32); each registry
// keeps its own pace whatever the number.
constexpr NumberSetting parallelLookups{{product, "Settings", "ParallelLookups", user}, 8};
// A name whose last available or registered verdict is younger than this many
// days is filed from the history without a query; 0 always asks again.
constexpr NumberSetting recheckAfterDays{{product, "Settings", "RecheckAfterDays", user}, 0};
// Where the history is kept: empty for history.sqlite in the program folder,
// another file, or a postgresql:// URL that several machines share.
constexpr TextSetting historyDatabase{{product, "Settings", "HistoryDatabase", user}, ""};
constexpr TextSetting testLabel{{product, "Settings", "DefaultSearch", user}, "Google"};
constexpr TextSetting firstUse{{product, "Settings", "FirstUse", user}, ""};

// Help on first start. Start-up reads and clears the per-user value; the
// help launcher also clears a machine-wide one, which nothing reads. Both
// rows stay, so files that hold either keep meaning what they meant.
constexpr SwitchSetting showHelp{{product, "Settings", "showHelp", user}, true};
constexpr SwitchSetting helpShownMachineWide{{product, "Settings", "showHelp", machine}, true};

constexpr SwitchSetting ignorePermissionDenied{{product, "Settings", "IgnorePermissionDeniedError", user}, false};

// The name creator's boxes: "Prefixes", "Suffixes", "Hyphens" (chkAdd0 to 2),
// the extension boxes (chkExt0 to 8), the base word and the custom extension.
constexpr SwitchSetting nameFormBox{{product, "Settings", "chkAdd", user}, true};
constexpr SwitchSetting extensionBox{{product, "Settings", "chkExt", user}, true};
constexpr TextSetting baseWord{{product, "Settings", "txtMake", user}, ""};
constexpr TextSetting customExtension{{product, "Settings", "txtCustom", user}, ".co.uk"};

// Resume positions: the position of the next word to check, per word source.
constexpr NumberSetting wordNumber{{SettingApplication::Vantrel, "Settings", "wordNumber", user}, 0};
constexpr NumberSetting resumeYahoo{{SettingApplication::Vantrel, "Settings", "YahooWordNum", user}, 1};
constexpr NumberSetting resumeGoogle{{SettingApplication::Vantrel, "Settings", "GoogleWordNum", user}, 1};
constexpr NumberSetting resumeBing{{SettingApplication::Vantrel, "Settings", "BingWordNum", user}, 1};
constexpr NumberSetting resumeDuckDuckGo{{SettingApplication::Vantrel, "Settings", "DuckDuckGoWordNum", user}, 1};
constexpr NumberSetting resumeFullWordList{{SettingApplication::Vantrel, "Settings", "FullWordNum", user}, 1};
constexpr NumberSetting resumeTwoLetter{{SettingApplication::Vantrel, "Settings", "TwoWordNum", user}, 1};
constexpr NumberSetting resumeThreeLetter{{SettingApplication::Vantrel, "Settings", "ThreeWordNum", user}, 1};
constexpr NumberSetting resumeFourLetter{{SettingApplication::Vantrel, "Settings", "FourWordNum", user}, 1};
constexpr NumberSetting resumeCustomList{{SettingApplication::Vantrel, "Settings", "CustWordNum", user}, 1};
// When the run a resume position continues began (UTC, ISO 8601), per word
// list: a resumed run takes what that run already has in the history.
constexpr TextSetting runBeganFullWordList{{SettingApplication::Vantrel, "Settings", "FullWordSince", user}, ""};
constexpr TextSetting runBeganTwoLetter{{SettingApplication::Vantrel, "Settings", "TwoWordSince", user}, ""};
constexpr TextSetting runBeganThreeLetter{{SettingApplication::Vantrel, "Settings", "ThreeWordSince", user}, ""};
constexpr TextSetting runBeganFourLetter{{SettingApplication::Vantrel, "Settings", "FourWordSince", user}, ""};
constexpr TextSetting runBeganCustomList{{SettingApplication::Vantrel, "Settings", "CustWordSince", user}, ""};

} // namespace Settings
