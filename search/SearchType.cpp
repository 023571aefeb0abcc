#include "search/SearchType.h"

#include "search/ResumePositions.h"
#include "settings/SettingsTable.h"

#include <QDir>

namespace {

struct TypeInfo
{
    SearchType type;
    const char *text;
    const NumberSetting *resumePosition; // null: the source keeps none
    const char *listFile;
};

constexpr TypeInfo types[] = {
    {SearchType::BrowseForNames, "Browse for names", nullptr, ""},
    {SearchType::GenerateNames, "Generate names", nullptr, ""},
    {SearchType::YahooSearch, "Yahoo Search", &Settings::resumeYahoo, ""},
    {SearchType::GoogleSearch, "Google Search", &Settings::resumeGoogle, ""},
    {SearchType::FullWordList, "Full Word List", &Settings::resumeFullWordList, "FullWordList.txt"},
    {SearchType::AllTwoLetter, "All Two Letter", &Settings::resumeTwoLetter, "AllTwoLetter.txt"},
    {SearchType::AllThreeLetter, "All Three Letter", &Settings::resumeThreeLetter, "AllThreeLetter.txt"},
    {SearchType::AllFourLetter, "All Four Letter", &Settings::resumeFourLetter, "AllFourLetter.txt"},
    {SearchType::CustomList, "Custom List", &Settings::resumeCustomList, ""},
    {SearchType::BingSearch, "Bing Search", &Settings::resumeBing, ""},
    {SearchType::DuckDuckGoSearch, "DuckDuckGo Search", &Settings::resumeDuckDuckGo, ""},
};

const TypeInfo &info(SearchType type)
{
    return types[int(type)];
}

} // namespace

namespace SearchTypes {

QStringList texts()
{
    QStringList result;
    for (const TypeInfo &entry : types)
        result << QLatin1String(entry.text);
    return result;
}

QString text(SearchType type)
{
    return QLatin1String(info(type).text);
}

std::optional<SearchType> fromText(const QString &text)
{
    for (const TypeInfo &entry : types) {
        if (text == QLatin1String(entry.text))
            return entry.type;
    }
    return std::nullopt;
}

const NumberSetting *resumePosition(SearchType type)
{
    return info(type).resumePosition;
}

QString builtInListFile(SearchType type)
{
    return QLatin1String(info(type).listFile);
}

bool isEngineSearch(SearchType type)
{
    return type == SearchType::YahooSearch || type == SearchType::GoogleSearch || type == SearchType::BingSearch ||
           type == SearchType::DuckDuckGoSearch;
}

} // namespace SearchTypes

SearchTypeSelection selectSearchType(SearchType type, const QString &programFolder, SettingsStore &settings)
{
    const QDir folder(programFolder);
    SearchTypeSelection selection;
    switch (type) {
    case SearchType::FullWordList:
    case SearchType::AllTwoLetter:
    case SearchType::AllThreeLetter:
    case SearchType::AllFourLetter:
        selection.showWordRange = true;
        selection.setsWordFile = true;
        selection.wordFile = folder.filePath(QStringLiteral("wordlists/") + SearchTypes::builtInListFile(type));
        selection.countsEntries = true;
        selection.setsControls = true;
        selection.wordNumberText = QString::number(ResumePositions(settings).stored(type));
        break;
    case SearchType::CustomList:
        selection.showWordRange = true;
        selection.choosesWordFile = true;
        selection.countsEntries = true;
        selection.setsControls = true;
        selection.wordNumberText = QStringLiteral("1");
        break;
    case SearchType::YahooSearch:
    case SearchType::GoogleSearch:
    case SearchType::BingSearch:
    case SearchType::DuckDuckGoSearch:
        selection.showInternetSearch = true;
        selection.setsWordFile = true;
        selection.wordFile = folder.filePath(QStringLiteral("BrowserSearch.txt"));
        selection.setsControls = true;
        selection.internetSearchEnabled = true;
        selection.wordNumberText = QStringLiteral("1");
        break;
    case SearchType::BrowseForNames:
        selection.opensBrowseWindow = true;
        break;
    case SearchType::GenerateNames:
        selection.setsWordFile = true;
        selection.wordFile = folder.filePath(QStringLiteral("CreatedDomains.txt"));
        selection.setsControls = true;
        selection.wordNumberText = QStringLiteral("1");
        selection.opensNameCreator = true;
        break;
    }
    return selection;
}
