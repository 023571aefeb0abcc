#pragma once

#include <QString>
#include <QStringList>

#include <optional>

template <typename T>
struct Setting;

class SettingsStore;

// The entries of the main window's "Search Type" box, in their order.
enum class SearchType {
    BrowseForNames,
    GenerateNames,
    YahooSearch,
    GoogleSearch,
    FullWordList,
    AllTwoLetter,
    AllThreeLetter,
    AllFourLetter,
    CustomList,
    BingSearch,
    DuckDuckGoSearch,
};

namespace SearchTypes {

QStringList texts();
QString text(SearchType type);
std::optional<SearchType> fromText(const QString &text);
// The setting of the resume position written after each word; null for
// types that keep none.
const Setting<qint32> *resumePosition(SearchType type);
// The list file of a built-in list in the wordlists folder, or empty.
QString builtInListFile(SearchType type);
// Whether the type builds its list from a search engine's result pages.
bool isEngineSearch(SearchType type);

} // namespace SearchTypes

// What choosing a search type does to the main window; the window applies it.
struct SearchTypeSelection
{
    bool showWordRange = false;
    bool showInternetSearch = false;
    // The word file is set (wordFile) or, for a custom list, chosen with the
    // open-file dialog in the wordlists folder.
    bool setsWordFile = false;
    bool choosesWordFile = false;
    QString wordFile;
    bool countsEntries = false; // txtWordMax <- countListEntries()
    // Control states, applied when setsControls.
    bool setsControls = false;
    bool startEnabled = true;
    bool stopEnabled = false;
    bool internetSearchEnabled = false; // txtsearch and Combo2; "Search" when txtsearch is not empty
    bool wordNumberEnabled = true;
    QString wordNumberText; // txtWordNum, when not empty
    bool opensBrowseWindow = false;
    bool opensNameCreator = false;
};

SearchTypeSelection selectSearchType(SearchType type, const QString &programFolder, SettingsStore &settings);
