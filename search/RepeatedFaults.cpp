#include "search/RepeatedFaults.h"

void RepeatedFaults::startRun()
{
    m_shownKinds.clear();
    m_lastText.clear();
    m_count = 0;
}

bool RepeatedFaults::report(const QString &title, const QString &text)
{
    ++m_count;
    // Message texts break lines for a box; the status line gets one line.
    m_lastText = text.simplified();
    if (m_shownKinds.contains(title))
        return false;
    m_shownKinds.insert(title);
    return true;
}

QString RepeatedFaults::summary() const
{
    if (m_count == 0)
        return {};
    const QString faults =
        m_count == 1 ? QStringLiteral("1 lookup fault") : QStringLiteral("%1 lookup faults").arg(m_count);
    return QStringLiteral("%1 in this run; the last: %2").arg(faults, m_lastText);
}
