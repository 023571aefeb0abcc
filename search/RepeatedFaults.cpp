#include "search/RepeatedFaults.h"

#include <QRegularExpression>

void RepeatedFaults::startRun()
{
    m_shownKinds.clear();
    m_lastText.clear();
    m_count = 0;
}

bool RepeatedFaults::report(const QString &title, const QString &text)
{
    ++m_count;
    // A box's text may run over lines; the status line takes the last, the
    // one with the particulars.
    const QStringList lines = text.split(QRegularExpression(QStringLiteral("[\\r\\n]+")), Qt::SkipEmptyParts);
    m_lastText = lines.isEmpty() ? QString() : lines.last().simplified();
    if (m_shownKinds.contains(title))
        return false;
    m_shownKinds.insert(title);
    return true;
}

QString RepeatedFaults::summary() const
{
    if (m_count == 0)
        return {};
    if (m_count == 1)
        return QStringLiteral("1 lookup fault in this run");
    return QStringLiteral("%1 lookup faults in this run").arg(m_count);
}
