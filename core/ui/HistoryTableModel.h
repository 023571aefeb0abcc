#pragma once

#include "core/HistoryStore.h"

#include <QSqlQueryModel>

// The history rows of one filter as a table. Rows are fetched from the
// database as the view scrolls, never all at once, and sorting is done by the
// database, so a million rows cost no more memory than the screenful shown.
class HistoryTableModel : public QSqlQueryModel
{
    Q_OBJECT

public:
    explicit HistoryTableModel(QString connectionName, QObject *parent = nullptr);

    void setFilter(const HistoryFilter &filter);
    const HistoryFilter &filter() const { return m_filter; }
    void sort(int column, Qt::SortOrder order) override;
    int sortColumn() const { return m_sortColumn; }
    Qt::SortOrder sortOrder() const { return m_order; }
    // Asks the database again, for rows written since.
    void refresh() { runQuery(); }
    // How many rows the filter selects, all of them, fetched or not.
    int totalRows() const { return m_totalRows; }

signals:
    void totalRowsChanged(int rows);

private:
    void runQuery();
    void countRows();

    QString m_connectionName;
    HistoryFilter m_filter;
    int m_sortColumn = 5;
    Qt::SortOrder m_order = Qt::DescendingOrder;
    int m_totalRows = 0;
};
