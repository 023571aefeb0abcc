#include "search/ResumePositions.h"
#include "search/SearchType.h"
#include "settings/SettingsStore.h"

#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

class TestSearchType : public QObject
{
    Q_OBJECT

private slots:
    void textsInComboOrder();
    void selectionPerType();
    void resumePositionsPerType();

private:
    QTemporaryDir m_config;
    SettingsStore m_settings{
        {m_config.filePath(u"user"_s), m_config.filePath(u"machine"_s)}, u"vantrel.example"_s, u"Ornisk"_s};
};

void TestSearchType::textsInComboOrder()
{
    QCOMPARE(SearchTypes::texts(),
             (QStringList{u"Browse for names"_s, u"Generate names"_s, u"Yahoo Search"_s, u"Google Search"_s,
                          u"Full Word List"_s, u"All Two Letter"_s, u"All Three Letter"_s, u"All Four Letter"_s,
                          u"Custom List"_s, u"Bing Search"_s, u"DuckDuckGo Search"_s}));
    for (const QString &text : SearchTypes::texts())
        QCOMPARE(SearchTypes::text(*SearchTypes::fromText(text)), text);
    QVERIFY(!SearchTypes::fromText(u"all two letter"_s));
}

void TestSearchType::selectionPerType()
{
    const QString folder = u"/prog"_s;
    const SearchTypeSelection two = selectSearchType(SearchType::AllTwoLetter, folder, m_settings);
    QVERIFY(two.showWordRange && !two.showInternetSearch && two.setsWordFile && two.countsEntries);
    QCOMPARE(two.wordFile, u"/prog/wordlists/AllTwoLetter.txt"_s);
    QCOMPARE(two.wordNumberText, u"1"_s);

    const SearchTypeSelection custom = selectSearchType(SearchType::CustomList, folder, m_settings);
    QVERIFY(custom.choosesWordFile && !custom.setsWordFile && custom.countsEntries);
    QCOMPARE(custom.wordNumberText, u"1"_s);

    const SearchTypeSelection google = selectSearchType(SearchType::GoogleSearch, folder, m_settings);
    QVERIFY(google.showInternetSearch && !google.showWordRange && google.internetSearchEnabled);
    QCOMPARE(google.wordFile, u"/prog/BrowserSearch.txt"_s);

    const SearchTypeSelection generate = selectSearchType(SearchType::GenerateNames, folder, m_settings);
    QVERIFY(!generate.showWordRange && !generate.showInternetSearch && generate.opensNameCreator);
    QCOMPARE(generate.wordFile, u"/prog/CreatedDomains.txt"_s);

    const SearchTypeSelection browse = selectSearchType(SearchType::BrowseForNames, folder, m_settings);
    QVERIFY(browse.opensBrowseWindow && !browse.setsWordFile && !browse.setsControls);
}

void TestSearchType::resumePositionsPerType()
{
    ResumePositions positions(m_settings);
    QCOMPARE(positions.wordNumber(), 0);
    positions.save(SearchType::AllThreeLetter, 42);
    positions.save(SearchType::GenerateNames, 7);
    QCOMPARE(positions.stored(SearchType::AllThreeLetter), 42);
    QCOMPARE(positions.stored(SearchType::AllTwoLetter), 1);
    QCOMPARE(positions.wordNumber(), 7);
    QCOMPARE(m_settings.getUserSetting(u"Vantrel"_s, u"Settings"_s, u"ThreeWordNum"_s, {}), u"42"_s);
    QCOMPARE(selectSearchType(SearchType::AllThreeLetter, u"/p"_s, m_settings).wordNumberText, u"42"_s);

    positions.save(SearchType::GoogleSearch, 3);
    QCOMPARE(m_settings.getUserSetting(u"Vantrel"_s, u"Settings"_s, u"GoogleWordNum"_s, {}), u"3"_s);
}

QTEST_GUILESS_MAIN(TestSearchType)
#include "TestSearchType.moc"
