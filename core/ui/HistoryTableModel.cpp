#include "core/ui/HistoryTableModel.h"

#include <QSqlDatabase>
#include <QSqlQuery>

HistoryTableModel::HistoryTableModel(QString connectionName, QObject *parent)
    : QSqlQueryModel(parent)
    , m_connectionName(std::move(connectionName))
{
    runQuery();
}

void HistoryTableModel::setFilter(const HistoryFilter &filter)
{
    m_filter = filter;
    runQuery();
}

void HistoryTableModel::sort(int column, Qt::SortOrder order)
{
    m_sortColumn = column;
    m_order = order;
    runQuery();
}

void HistoryTableModel::runQuery()
{
    QVariantList values;
    QSqlQuery query(QSqlDatabase::database(m_connectionName));
    query.prepare(HistoryStore::selectStatement(m_filter, &values, m_sortColumn, m_order));
    for (const QVariant &value : std::as_const(values))
        query.addBindValue(value);
    query.exec();
    setQuery(std::move(query));
    const QStringList headers = {tr("Name"),   tr("TLD"),           tr("Verdict"), tr("Server"),
                                 tr("Reason"), tr("Checked (UTC)"), tr("Source")};
    for (int column = 0; column < headers.size(); ++column)
        setHeaderData(column, Qt::Horizontal, headers.at(column));
    countRows();
}

void HistoryTableModel::countRows()
{
    QVariantList values;
    QSqlQuery query(QSqlDatabase::database(m_connectionName));
    query.prepare(HistoryStore::countStatement(m_filter, &values));
    for (const QVariant &value : std::as_const(values))
        query.addBindValue(value);
    m_totalRows = query.exec() && query.next() ? query.value(0).toInt() : 0;
    emit totalRowsChanged(m_totalRows);
}
