#pragma once

class Prompt;
class QTreeView;

// Sorts a report-style list by the column at the 1-based columnIndex, as
// text, in the order opposite to the one the list had: every call flips
// between ascending and descending, whichever column it names. Sorting stays
// on afterwards, so rows added later take their sorted place. A list without
// rows is left alone. Returns false for a column the list does not have,
// after telling the user through prompt when showErrors is set.
bool EnhListView_SortColumns(QTreeView &listView, int columnIndex, bool showErrors, Prompt &prompt);

// Makes the list's column headers clickable and runs EnhListView_SortColumns
// for every click, taking the place of the header's own order switching.
void sortOnHeaderClicks(QTreeView &listView, bool showErrors, Prompt &prompt);
