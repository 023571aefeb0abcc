#include "core/DomainListModel.h"

#include <algorithm>
#include <functional>

DomainListModel::DomainListModel(QObject *parent)
    : QAbstractListModel(parent)
{
}

int DomainListModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : size();
}

QVariant DomainListModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.model() != this || index.row() >= size())
        return {};
    if (role != Qt::DisplayRole && role != Qt::EditRole)
        return {};
    return m_names.at(index.row());
}

Qt::ItemFlags DomainListModel::flags(const QModelIndex &index) const
{
    const Qt::ItemFlags flags = QAbstractListModel::flags(index);
    return index.isValid() ? flags | Qt::ItemIsDragEnabled : flags;
}

bool DomainListModel::removeRows(int row, int count, const QModelIndex &parent)
{
    if (parent.isValid() || row < 0 || count <= 0 || row > size() - count)
        return false;
    beginRemoveRows(QModelIndex(), row, row + count - 1);
    for (int index = row; index < row + count; ++index)
        m_listed.remove(m_names.at(index));
    m_names.remove(row, count);
    endRemoveRows();
    return true;
}

void DomainListModel::removeRowList(QList<int> rows)
{
    std::sort(rows.begin(), rows.end(), std::greater<int>());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    for (const int row : std::as_const(rows))
        removeRows(row, 1);
}

bool DomainListModel::append(const QString &name)
{
    if (m_listed.contains(name))
        return false;
    const int row = size();
    beginInsertRows(QModelIndex(), row, row);
    m_names.append(name);
    m_listed.insert(name);
    endInsertRows();
    return true;
}

void DomainListModel::append(const QStringList &names)
{
    QStringList fresh;
    QSet<QString> added;
    for (const QString &name : names) {
        if (!m_listed.contains(name) && !added.contains(name)) {
            fresh << name;
            added.insert(name);
        }
    }
    if (fresh.isEmpty())
        return;
    const int first = size();
    beginInsertRows(QModelIndex(), first, first + int(fresh.size()) - 1);
    m_names.append(fresh);
    m_listed.unite(added);
    endInsertRows();
}

void DomainListModel::clear()
{
    beginResetModel();
    m_names.clear();
    m_listed.clear();
    endResetModel();
}
