#include "search/ResumePositions.h"

#include "settings/SettingsStore.h"

ResumePositions::ResumePositions(SettingsStore &settings)
    : m_settings(settings)
{
}

qint32 ResumePositions::stored(SearchType type) const
{
    const NumberSetting *position = SearchTypes::resumePosition(type);
    return position ? m_settings.value(*position) : 1;
}

qint32 ResumePositions::wordNumber() const
{
    return m_settings.value(Settings::wordNumber);
}

bool ResumePositions::save(SearchType type, qint32 nextWordNumber, QString *error)
{
    QList<std::pair<NumberSetting, qint32>> values;
    if (const NumberSetting *position = SearchTypes::resumePosition(type))
        values.append({*position, nextWordNumber});
    values.append({Settings::wordNumber, nextWordNumber});
    if (m_settings.setValues(values))
        return true;
    if (error)
        *error = QStringLiteral("Could not save the resume position in %1").arg(m_settings.locations().userDir);
    return false;
}

QDateTime ResumePositions::runBegan(SearchType type) const
{
    const TextSetting *began = SearchTypes::runBegan(type);
    return began ? QDateTime::fromString(m_settings.value(*began), Qt::ISODateWithMs) : QDateTime();
}

bool ResumePositions::saveRunBegan(SearchType type, const QDateTime &began, QString *error)
{
    const TextSetting *setting = SearchTypes::runBegan(type);
    if (!setting || m_settings.setValue(*setting, began.toUTC().toString(Qt::ISODateWithMs)))
        return true;
    if (error)
        *error = QStringLiteral("Could not save the resume position in %1").arg(m_settings.locations().userDir);
    return false;
}
