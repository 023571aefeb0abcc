#include "base/ui/ListViewSort.h"

#include "base/Prompt.h"

#include <QHeaderView>
#include <QTreeView>

#include <memory>

namespace {

// The error a list control raises for a property value it cannot take.
constexpr int invalidPropertyValue = 380;

} // namespace

bool EnhListView_SortColumns(QTreeView &listView, int columnIndex, bool showErrors, Prompt &prompt)
{
    const QAbstractItemModel *model = listView.model();
    if (!model || model->rowCount() == 0)
        return true;

    const int column = columnIndex - 1;
    if (column < 0 || column >= model->columnCount()) {
        if (showErrors)
            prompt.showMessage(QStringLiteral("Error in Function : EnhListView_SortColumns"),
                               QStringLiteral("Error%1\tInvalid property value").arg(invalidPropertyValue),
                               Prompt::Icon::Information, Prompt::Buttons::Ok);
        return false;
    }

    QHeaderView *header = listView.header();
    const Qt::SortOrder order =
        header->sortIndicatorOrder() == Qt::AscendingOrder ? Qt::DescendingOrder : Qt::AscendingOrder;
    // The indicator comes first, so that switching sorting on sorts once, by it.
    header->setSortIndicator(column, order);
    if (!listView.isSortingEnabled())
        listView.setSortingEnabled(true);
    return true;
}

void sortOnHeaderClicks(QTreeView &listView, bool showErrors, Prompt &prompt)
{
    QHeaderView *header = listView.header();
    header->setSectionsClickable(true);

    // A clickable header switches its own sort indicator before it reports the
    // click; the order from before the press is put back first.
    struct Indicator
    {
        int section = 0;
        Qt::SortOrder order = Qt::AscendingOrder;
    };
    auto beforeClick = std::make_shared<Indicator>();
    QObject::connect(header, &QHeaderView::sectionPressed, &listView, [header, beforeClick](int) {
        *beforeClick = {header->sortIndicatorSection(), header->sortIndicatorOrder()};
    });
    QObject::connect(header, &QHeaderView::sectionClicked, &listView,
                     [&listView, header, beforeClick, showErrors, &prompt](int section) {
                         {
                             const QSignalBlocker blocker(header);
                             header->setSortIndicator(beforeClick->section, beforeClick->order);
                         }
                         EnhListView_SortColumns(listView, section + 1, showErrors, prompt);
                     });
}
