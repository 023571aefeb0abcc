#include "core/DomainListModel.h"

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
    m_names.remove(row, count);
    endRemoveRows();
    return true;
}

void DomainListModel::append(const QString &name)
{
    const int row = size();
    beginInsertRows(QModelIndex(), row, row);
    m_names.append(name);
    endInsertRows();
}

void DomainListModel::append(const QStringList &names)
{
    if (names.isEmpty())
        return;
    const int first = size();
    beginInsertRows(QModelIndex(), first, first + int(names.size()) - 1);
    m_names.append(names);
    endInsertRows();
}

void DomainListModel::clear()
{
    beginResetModel();
    m_names.clear();
    endResetModel();
}
