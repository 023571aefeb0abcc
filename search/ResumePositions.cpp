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

void ResumePositions::save(SearchType type, qint32 nextWordNumber)
{
    QList<std::pair<NumberSetting, qint32>> values;
    if (const NumberSetting *position = SearchTypes::resumePosition(type))
        values.append({*position, nextWordNumber});
    values.append({Settings::wordNumber, nextWordNumber});
    m_settings.setValues(values);
}
