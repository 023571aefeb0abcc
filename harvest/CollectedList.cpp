#include "harvest/CollectedList.h"

void CollectedList::append(const QString &name)
{
    const QString entry = name + QLatin1String("\r\n");
    m_text += entry;
    m_index.append(entry);
}

void CollectedList::clear()
{
    m_text.clear();
    m_index.clear();
}
