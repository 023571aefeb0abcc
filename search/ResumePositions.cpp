#include "search/ResumePositions.h"

#include "settings/SettingsStore.h"

namespace {

const QString application = QStringLiteral("Vantrel");
const QString section = QStringLiteral("Settings");

} // namespace

ResumePositions::ResumePositions(SettingsStore &settings)
    : m_settings(settings)
{
}

qint32 ResumePositions::stored(SearchType type) const
{
    const QString key = SearchTypes::resumeKey(type);
    if (key.isEmpty())
        return 1;
    return m_settings.getUserSetting(application, section, key, QStringLiteral("1")).toInt();
}

qint32 ResumePositions::wordNumber() const
{
    return m_settings.getUserSetting(application, section, QStringLiteral("wordNumber"), QStringLiteral("0")).toInt();
}

bool ResumePositions::save(SearchType type, qint32 nextWordNumber, QString *error)
{
    const QString value = QString::number(nextWordNumber);
    QList<std::pair<QString, QString>> values;
    const QString key = SearchTypes::resumeKey(type);
    if (!key.isEmpty())
        values.append({key, value});
    values.append({QStringLiteral("wordNumber"), value});
    if (m_settings.saveUserSettings(application, section, values))
        return true;
    if (error)
        *error = QStringLiteral("Could not save the resume position in %1").arg(m_settings.locations().userDir);
    return false;
}
