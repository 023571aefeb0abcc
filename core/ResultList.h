#pragma once

#include <array>
#include <cstddef>

// The program's five domain lists: the four a lookup files names into, and
// the names the user keeps.
enum class ResultList { Low, Registered, High, Mid, Saved };

// Everything fixed about one list.
struct ResultListRow
{
    ResultList list;
    // The main window's number of the list: its views, labels and buttons are
    // named after it ("List3", "cmdCopy(3)").
    int number;
    // The list's caption without its count.
    const char *name;
    // The file the list is written to: the profile lists as <stem><list
    // stamp>.txt, one step above the list's own name; the saved list as
    // <stem>.txt. Null: the list is never written.
    const char *fileStem;
    // The placeholder each backup set starts with: <stem><stamp>.txt in the
    // backups folder. Null: none.
    const char *backupStem;
};

// In the order of ResultList.
inline constexpr std::array<ResultListRow, 5> resultListTable{{
    {ResultList::Low, 1, "Low Profile", "LowProfile", "LowProfile"},
    {ResultList::Registered, 2, "Registered", nullptr, nullptr},
    {ResultList::High, 3, "High Profile", "SuperHighProfile", "HighProfile"},
    {ResultList::Mid, 4, "Mid Profile", "HighProfile", "MidProfile"},
    {ResultList::Saved, 5, "Saved Domains", "Remembered", nullptr},
}};

constexpr bool resultListTableInOrder()
{
    for (size_t index = 0; index < resultListTable.size(); ++index) {
        if (static_cast<size_t>(resultListTable[index].list) != index)
            return false;
    }
    return true;
}
static_assert(resultListTableInOrder(), "resultListTable lists its rows in the order of ResultList");

constexpr const ResultListRow &resultListRow(ResultList list)
{
    return resultListTable[static_cast<size_t>(list)];
}
