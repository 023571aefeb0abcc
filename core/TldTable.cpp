#include "core/TldTable.h"

int TldTable::findTldIndex(const QString &domain, bool useProxy) const
{
    if (m_entries.isEmpty())
        return -1;

    const QStringList labels = domain.split(QLatin1Char('.'));
    const qsizetype last = labels.size() - 1;
    QString key = useProxy ? QStringLiteral("proxy") : labels.at(last).toLower();
    const QLatin1String com("com");

    int comSlot = 0;
    for (bool secondScan = false;; secondScan = true) {
        for (int slot = 0; slot < size(); ++slot) {
            const QString &extension = m_entries.at(slot).extension;
            if (extension == com)
                comSlot = slot;
            if (extension == key)
                return slot;
        }
        if (secondScan)
            return -1;
        if (last < 2)
            return comSlot;
        key = (labels.at(last - 1) + QLatin1Char('.') + labels.at(last)).toLower();
    }
}

int TldTable::findEnabledRow(const QString &domain) const
{
    const QStringList labels = domain.toLower().split(QLatin1Char('.'));
    QStringList keys{labels.last()};
    if (labels.size() > 2)
        keys << labels.at(labels.size() - 2) + QLatin1Char('.') + labels.last();
    for (const QString &key : keys) {
        const int slot = findEnabledExtension(key);
        if (slot >= 0)
            return slot;
    }
    return -1;
}

int TldTable::findEnabledExtension(const QString &extension) const
{
    for (int slot = 0; slot < size(); ++slot) {
        if (m_entries.at(slot).enabled && m_entries.at(slot).extension == extension)
            return slot;
    }
    return -1;
}

QStringList TldTable::enabledExtensionSet() const
{
    QStringList extensions;
    for (const TldEntry &entry : m_entries) {
        if (entry.enabled && !entry.isProxy())
            extensions << entry.extension;
    }
    return extensions;
}

QStringList TldTable::problems() const
{
    QStringList problems = m_problems;
    problems.removeAll(QString());
    return problems;
}
