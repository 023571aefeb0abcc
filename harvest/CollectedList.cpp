#include "harvest/CollectedList.h"

void CollectedList::append(const QString &name)
{
    m_text += name + QLatin1String("\r\n");
    m_names.insert(name.toLower());
}

void CollectedList::clear()
{
    m_text.clear();
    m_names.clear();
}
