#include "search/TldChoices.h"

void TldChoices::ticksChanged(const QStringList &runTldsBefore)
{
    if (!m_extensions.isEmpty())
        emit dataChanged(index(0), index(int(m_extensions.size()) - 1));
    if (const QStringList after = runTlds(); after != runTldsBefore)
        emit runTldsChanged(after);
}

void TldChoices::setExtensions(const QStringList &extensions, const QString &boxTld)
{
    const QStringList before = runTlds();
    beginResetModel();
    m_extensions.clear();
    for (const QString &extension : extensions) {
        if (!m_extensions.contains(extension))
            m_extensions << extension;
    }
    m_boxTld = boxTld;
    endResetModel();
    ticksChanged(before);
}

void TldChoices::setBoxTld(const QString &tld)
{
    const QStringList before = runTlds();
    m_boxTld = tld;
    ticksChanged(before);
}

void TldChoices::setTickedText(const QString &text)
{
    const QStringList before = runTlds();
    const QStringList tlds = text.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    m_ticked = QSet<QString>(tlds.cbegin(), tlds.cend());
    ticksChanged(before);
}

QString TldChoices::tickedText() const
{
    QStringList tlds = m_ticked.values();
    tlds.sort();
    return tlds.join(QLatin1Char(' '));
}

QStringList TldChoices::runTlds() const
{
    QStringList tlds;
    if (!m_boxTld.isEmpty())
        tlds << m_boxTld;
    for (const QString &extension : m_extensions) {
        if (extension != m_boxTld && m_ticked.contains(extension))
            tlds << extension;
    }
    return tlds;
}

bool TldChoices::isTicked(const QString &tld) const
{
    return tld == m_boxTld || m_ticked.contains(tld);
}

int TldChoices::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_extensions.size());
}

QVariant TldChoices::data(const QModelIndex &index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid))
        return {};
    const QString &extension = m_extensions.at(index.row());
    switch (role) {
    case Qt::DisplayRole:
        return extension;
    case Qt::ToolTipRole:
        return extension == m_boxTld ? extension + QStringLiteral(": the TLD box's choice, always checked")
                                     : extension;
    case Qt::CheckStateRole:
        return isTicked(extension) ? Qt::Checked : Qt::Unchecked;
    default:
        return {};
    }
}

Qt::ItemFlags TldChoices::flags(const QModelIndex &index) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid))
        return Qt::NoItemFlags;
    if (m_extensions.at(index.row()) == m_boxTld)
        return Qt::ItemNeverHasChildren;
    return Qt::ItemIsEnabled | Qt::ItemIsUserCheckable | Qt::ItemNeverHasChildren;
}

bool TldChoices::setData(const QModelIndex &index, const QVariant &value, int role)
{
    if (role != Qt::CheckStateRole || !(flags(index) & Qt::ItemIsUserCheckable))
        return false;
    const QStringList before = runTlds();
    const QString &extension = m_extensions.at(index.row());
    if (value.toInt() == Qt::Checked)
        m_ticked.insert(extension);
    else
        m_ticked.remove(extension);
    ticksChanged(before);
    emit tickedChanged();
    return true;
}
