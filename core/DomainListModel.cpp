#include "core/DomainListModel.h"

#include <algorithm>
#include <functional>
#include <iterator>

namespace {

QVariant textOrNothing(const QString &text)
{
    return text.isEmpty() ? QVariant() : QVariant(text);
}

QVariant timeOrNothing(const QDateTime &time)
{
    return time.isValid() ? QVariant(time.toUTC()) : QVariant();
}

// A record without the time of its answer is a name as the user gave it: it
// has no verdict, whatever its kind says.
QVariant verdictOf(const LookupResult &record)
{
    return record.answeredAt.isValid() ? QVariant(LookupResult::kindText(record.kind)) : QVariant();
}

struct Column
{
    const char *header;
    QVariant (*value)(const LookupResult &record);
};

// The columns in order, the name first. A new column is a row here.
const Column columns[] = {
    {"Name", [](const LookupResult &record) { return QVariant(record.domain); }},
    {"Verdict", verdictOf},
    {"Reason", [](const LookupResult &record) { return textOrNothing(record.reason); }},
    {"Server", [](const LookupResult &record) { return textOrNothing(record.server); }},
    {"Answered At", [](const LookupResult &record) { return timeOrNothing(record.answeredAt); }},
    {"Expires", [](const LookupResult &record) { return timeOrNothing(record.facts.expires); }},
    {"Registrar", [](const LookupResult &record) { return textOrNothing(record.facts.registrar); }},
};

constexpr int columnTotal = int(std::size(columns));

LookupResult nameOnly(const QString &name)
{
    LookupResult record;
    record.domain = name;
    return record;
}

} // namespace

DomainListModel::DomainListModel(QObject *parent)
    : QAbstractTableModel(parent)
{
}

int DomainListModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_shown;
}

int DomainListModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : columnTotal;
}

QVariant DomainListModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.model() != this || index.row() >= m_shown || index.column() >= columnTotal)
        return {};
    if (role != Qt::DisplayRole && role != Qt::EditRole)
        return {};
    return columns[index.column()].value(m_records.at(index.row()));
}

QVariant DomainListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 || section >= columnTotal)
        return QAbstractTableModel::headerData(section, orientation, role);
    return columnHeader(section);
}

QString DomainListModel::columnHeader(int column)
{
    return column >= 0 && column < columnTotal ? QLatin1String(columns[column].header) : QString();
}

Qt::ItemFlags DomainListModel::flags(const QModelIndex &index) const
{
    const Qt::ItemFlags flags = QAbstractTableModel::flags(index);
    return index.isValid() ? flags | Qt::ItemIsDragEnabled : flags;
}

bool DomainListModel::removeRows(int row, int count, const QModelIndex &parent)
{
    if (parent.isValid() || row < 0 || count <= 0 || row > m_shown - count)
        return false;
    beginRemoveRows(QModelIndex(), row, row + count - 1);
    for (int index = row; index < row + count; ++index)
        m_listed.remove(m_records.at(index).domain);
    m_records.remove(row, count);
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

bool DomainListModel::remove(const QString &name)
{
    const int row = rowOf(name);
    if (row < 0)
        return false;
    if (row < m_shown)
        return removeRows(row, 1);
    // Views do not know of a held row.
    m_listed.remove(name);
    m_records.remove(row);
    return true;
}

QString DomainListModel::name(int row) const
{
    return row >= 0 && row < size() ? m_records.at(row).domain : QString();
}

QStringList DomainListModel::names() const
{
    QStringList names;
    names.reserve(m_records.size());
    for (const LookupResult &record : m_records)
        names << record.domain;
    return names;
}

int DomainListModel::rowOf(const QString &name) const
{
    if (!m_listed.contains(name))
        return -1;
    const auto found = std::find_if(m_records.cbegin(), m_records.cend(),
                                    [&name](const LookupResult &record) { return record.domain == name; });
    return int(std::distance(m_records.cbegin(), found));
}

bool DomainListModel::append(const LookupResult &record)
{
    if (m_listed.contains(record.domain))
        return false;
    m_listed.insert(record.domain);
    appendListed({record});
    return true;
}

bool DomainListModel::append(const QString &name)
{
    return append(nameOnly(name));
}

void DomainListModel::append(const QStringList &names)
{
    QList<LookupResult> fresh;
    for (const QString &name : names) {
        if (!m_listed.contains(name)) {
            fresh << nameOnly(name);
            m_listed.insert(name);
        }
    }
    appendListed(fresh);
}

void DomainListModel::put(const LookupResult &record)
{
    const int row = rowOf(record.domain);
    if (row < 0) {
        append(record);
        return;
    }
    m_records[row] = record;
    if (row < m_shown)
        emit dataChanged(index(row, 0), index(row, columnTotal - 1));
}

// The records are new names, already in m_listed.
void DomainListModel::appendListed(const QList<LookupResult> &fresh)
{
    if (fresh.isEmpty())
        return;
    const bool noneHeld = m_shown == size();
    m_records.append(fresh);
    if (!m_holdAppended)
        showHeldNames();
    else if (noneHeld)
        emit namesHeld();
}

void DomainListModel::clear()
{
    beginResetModel();
    m_records.clear();
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
