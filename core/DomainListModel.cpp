#include "core/DomainListModel.h"

#include <algorithm>
#include <functional>

DomainListModel::DomainListModel(QObject *parent)
    : QAbstractListModel(parent)
{
}

int DomainListModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_shown;
}

QVariant DomainListModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.model() != this || index.row() >= m_shown)
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
    if (parent.isValid() || row < 0 || count <= 0 || row > m_shown - count)
        return false;
    beginRemoveRows(QModelIndex(), row, row + count - 1);
    for (int index = row; index < row + count; ++index)
        m_listed.remove(m_names.at(index));
    m_names.remove(row, count);
    m_shown -= count;
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
    append(QStringList{name});
    return true;
}

void DomainListModel::append(const QStringList &names)
{
    QStringList fresh;
    for (const QString &name : names) {
        if (!m_listed.contains(name)) {
            fresh << name;
            m_listed.insert(name);
        }
    }
    if (fresh.isEmpty())
        return;
    const bool noneHeld = m_shown == size();
    m_names.append(fresh);
    if (!m_holdAppended)
        showHeldNames();
    else if (noneHeld)
        emit namesHeld();
}

void DomainListModel::clear()
{
    beginResetModel();
    m_names.clear();
    m_listed.clear();
    m_shown = 0;
    endResetModel();
}

void DomainListModel::setHoldAppended(bool hold)
{
    m_holdAppended = hold;
    if (!hold)
        showHeldNames();
}

void DomainListModel::showHeldNames()
{
    if (m_shown == size())
        return;
    beginInsertRows(QModelIndex(), m_shown, size() - 1);
    m_shown = size();
    endInsertRows();
}
