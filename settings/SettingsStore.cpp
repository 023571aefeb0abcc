#include "settings/SettingsStore.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryFile>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QString userFile(const SettingsLocations &locations, const QString &application)
{
    return QDir(locations.userDir).filePath(application.trimmed() + QStringLiteral(".ini"));
}

QString machineFolder(const SettingsLocations &locations, const QString &company)
{
    return QDir(locations.machineDir).filePath(company.trimmed());
}

QString machineFile(const SettingsLocations &locations, const QString &company, const QString &application)
{
    return QDir(machineFolder(locations, company)).filePath(application.trimmed() + QStringLiteral(".ini"));
}

void setError(MachineSettingError *error, MachineSettingError::Code code, int detail, const QString &text)
{
    if (!error)
        return;
    error->code = code;
    error->detail = detail;
    error->text = text;
}

// What a settings file holds under one key, read from a private snapshot:
// QSettings caches parsed files process-wide and reports a parse error only
// the first time an unchanged file is read, so reading the file itself would
// let a damaged file look healthy from the second read on.
struct StoredValue
{
    enum class Kind { Missing, Present, Unreadable };
    Kind kind = Kind::Missing;
    QVariant value;
    int errorNumber = 0;
};

StoredValue unreadable(int errorNumber)
{
    return {StoredValue::Kind::Unreadable, QVariant(), errorNumber};
}

StoredValue readStoredValue(const QString &file, const QString &group, const QString &key)
{
    const int fd = ::open(QFile::encodeName(file).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        const int openError = errno;
        if (openError == ENOENT || openError == ENOTDIR)
            return {};
        return unreadable(openError);
    }
    struct stat info;
    if (::fstat(fd, &info) != 0) {
        const int statError = errno;
        ::close(fd);
        return unreadable(statError);
    }
    if (S_ISDIR(info.st_mode)) {
        ::close(fd);
        return unreadable(EISDIR);
    }
    QFile source;
    if (!source.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return unreadable(EIO);
    }
    const QByteArray contents = source.readAll();
    if (source.error() != QFileDevice::NoError)
        return unreadable(EIO);
    source.close();

    QTemporaryFile snapshot(QDir::tempPath() + QStringLiteral("/vantrel-settings-XXXXXX.ini"));
    if (!snapshot.open() || snapshot.write(contents) != contents.size() || !snapshot.flush())
        return unreadable(EIO);

    QSettings settings(snapshot.fileName(), QSettings::IniFormat);
    settings.beginGroup(group);
    const bool present = settings.contains(key);
    const QVariant value = present ? settings.value(key) : QVariant();
    if (settings.status() != QSettings::NoError)
        return unreadable(EINVAL);
    if (!present)
        return {};
    return {StoredValue::Kind::Present, value, 0};
}

// Stores the values in one write and reports whether they reached the file;
// *changed gets the keys whose stored text the write changed.
// QSettings keeps the first error it meets, so a parse error in the old
// contents can hide a failed save; in that case the file itself decides.
bool storeValues(const QString &file, const QString &group, const QList<std::pair<QString, QString>> &values,
                 QStringList *changed)
{
    QSettings::Status status;
    {
        QSettings settings(file, QSettings::IniFormat);
        if (!settings.isWritable())
            return false;
        settings.beginGroup(group);
        for (const auto &[key, value] : values) {
            const QVariant before = settings.value(key);
            if ((before.typeId() != QMetaType::QString || before.toString() != value) && !changed->contains(key))
                changed->append(key);
            settings.setValue(key, value);
        }
        settings.sync();
        status = settings.status();
    }
    if (status != QSettings::FormatError)
        return status == QSettings::NoError;
    for (const auto &[key, value] : values) {
        const StoredValue stored = readStoredValue(file, group, key);
        if (stored.kind != StoredValue::Kind::Present || stored.value.typeId() != QMetaType::QString ||
            stored.value.toString() != value)
            return false;
    }
    return true;
}

bool storeValue(const QString &file, const QString &group, const QString &key, const QString &value,
                QStringList *changed)
{
    return storeValues(file, group, {{key, value}}, changed);
}

} // namespace

SettingsLocations SettingsLocations::fromEnvironment()
{
    SettingsLocations locations;
    const QString configDir = qEnvironmentVariable("VANTREL_CONFIG_DIR");
    if (!configDir.isEmpty()) {
        locations.userDir = configDir + QStringLiteral("/user");
        locations.machineDir = configDir + QStringLiteral("/machine");
    } else {
        locations.userDir =
            QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + QStringLiteral("/vantrel");
        locations.machineDir = QStringLiteral("/etc/xdg/vantrel");
    }
    return locations;
}

SettingsStore::SettingsStore(SettingsLocations locations, QString companyName, QString productName)
    : m_locations(std::move(locations))
    , m_companyName(std::move(companyName))
    , m_productName(std::move(productName))
{
}

void SettingsStore::setMachineWriteFailureHandler(MachineWriteFailureHandler handler)
{
    m_machineWriteFailed = std::move(handler);
}

QString SettingsStore::getUserSetting(const QString &application, const QString &section, const QString &key,
                                      const QString &defaultValue) const
{
    if (key.isEmpty())
        return defaultValue;
    const QString file = userFile(m_locations, application);
    if (!QFileInfo::exists(file))
        return defaultValue;
    QSettings settings(file, QSettings::IniFormat);
    settings.beginGroup(section);
    const QVariant value = settings.value(key);
    return value.typeId() == QMetaType::QString ? value.toString() : defaultValue;
}

bool SettingsStore::saveUserSettings(const QString &application, const QString &section,
                                     const QList<std::pair<QString, QString>> &values)
{
    for (const auto &entry : values) {
        if (entry.first.isEmpty())
            return false;
    }
    QDir().mkpath(m_locations.userDir);
    QStringList changed;
    if (!storeValues(userFile(m_locations, application), section, values, &changed))
        return false;
    announce(SettingScope::User, application, section, changed);
    return true;
}

bool SettingsStore::saveUserSetting(const QString &application, const QString &section, const QString &key,
                                    const QString &value)
{
    if (key.isEmpty())
        return false;
    QDir().mkpath(m_locations.userDir);
    QStringList changed;
    if (!storeValue(userFile(m_locations, application), section, key, value, &changed))
        return false;
    announce(SettingScope::User, application, section, changed);
    return true;
}

QString SettingsStore::readMachineSetting(const QString &application, const QString &section, const QString &key,
                                          const QString &defaultValue, MachineSettingError *error) const
{
    setError(error, MachineSettingError::Code::None, 0, QString());

    const QString app = application.trimmed();
    const QString group = section.trimmed();
    const QString name = key.trimmed();
    if (app.isEmpty()) {
        setError(error, MachineSettingError::Code::AppNameEmpty, 0, QStringLiteral("AppName may not be empty"));
        return defaultValue;
    }
    if (group.isEmpty()) {
        setError(error, MachineSettingError::Code::SectionEmpty, 0, QStringLiteral("Section may not be empty"));
        return defaultValue;
    }
    if (name.isEmpty()) {
        setError(error, MachineSettingError::Code::KeyEmpty, 0, QStringLiteral("Key may not be empty"));
        return defaultValue;
    }

    const StoredValue stored = readStoredValue(machineFile(m_locations, m_companyName, app), group, name);
    switch (stored.kind) {
    case StoredValue::Kind::Missing:
        return defaultValue;
    case StoredValue::Kind::Unreadable:
        setError(error, MachineSettingError::Code::CouldNotOpenSection, stored.errorNumber,
                 QStringLiteral("Could not open registry section"));
        return defaultValue;
    case StoredValue::Kind::Present:
        break;
    }
    if (stored.value.typeId() != QMetaType::QString) {
        setError(error, MachineSettingError::Code::NotAString, stored.value.typeId(),
                 QStringLiteral("Registry data not a string"));
        return defaultValue;
    }
    return stored.value.toString();
}

bool SettingsStore::writeMachineSetting(const QString &application, const QString &section, const QString &key,
                                        const QString &value)
{
    const QString folder = machineFolder(m_locations, m_companyName);
    const QString file = machineFile(m_locations, m_companyName, application);
    for (;;) {
        QStringList changed;
        if (QDir().mkpath(folder) && storeValue(file, section.trimmed(), key, value, &changed)) {
            announce(SettingScope::Machine, application, section.trimmed(), changed);
            return true;
        }
        if (!m_machineWriteFailed || !m_machineWriteFailed(key, file))
            return false;
    }
}

void SettingsStore::announce(SettingScope scope, const QString &application, const QString &section,
                             const QStringList &keys)
{
    for (const QString &key : keys)
        emit m_notifier->changed({scope, application.trimmed(), section, key});
}

namespace {

QString keyName(const SettingKey &key)
{
    const QString name = QLatin1String(key.name);
    return key.index < 0 ? name : name + QString::number(key.index);
}

} // namespace

QString SettingsStore::applicationOf(const SettingKey &key) const
{
    return key.application == SettingApplication::Product ? m_productName : QStringLiteral("Vantrel");
}

bool SettingsStore::is(const SettingKey &key, const SettingChange &change) const
{
    return change.scope == key.scope && change.application == applicationOf(key).trimmed() &&
           change.section == QLatin1String(key.section) && change.key == keyName(key);
}

QString SettingsStore::readText(const SettingKey &key, const QString &fallback, MachineSettingError *error) const
{
    const QString section = QLatin1String(key.section);
    if (key.scope == SettingScope::Machine)
        return readMachineSetting(applicationOf(key), section, keyName(key), fallback, error);
    return getUserSetting(applicationOf(key), section, keyName(key), fallback);
}

QString SettingsStore::text(const SettingKey &key, const QString &fallback) const
{
    return readText(key, fallback);
}

QString SettingsStore::value(const TextSetting &setting) const
{
    return readText(setting.key, QLatin1String(setting.defaultValue));
}

qint32 SettingsStore::value(const NumberSetting &setting) const
{
    return readText(setting.key, QString::number(setting.defaultValue)).toInt();
}

bool SettingsStore::value(const SwitchSetting &setting, MachineSettingError *error) const
{
    // Not a number, so never mistaken for a stored value.
    static const QString absent = QStringLiteral("<absent>");
    const QString stored = readText(setting.key, absent, error);
    if (stored == absent)
        return setting.defaultValue;
    return stored.trimmed().toDouble() != 0;
}

bool SettingsStore::setText(const SettingKey &key, const QString &text)
{
    const QString section = QLatin1String(key.section);
    if (key.scope == SettingScope::Machine)
        return writeMachineSetting(applicationOf(key), section, keyName(key), text);
    return saveUserSetting(applicationOf(key), section, keyName(key), text);
}

bool SettingsStore::setValue(const TextSetting &setting, const QString &value)
{
    return setText(setting.key, value);
}

bool SettingsStore::setValue(const NumberSetting &setting, qint32 value)
{
    return setText(setting.key, QString::number(value));
}

bool SettingsStore::setValue(const SwitchSetting &setting, bool on)
{
    return setText(setting.key, on ? QStringLiteral("1") : QStringLiteral("0"));
}

bool SettingsStore::setValues(const QList<std::pair<NumberSetting, qint32>> &values)
{
    if (values.isEmpty())
        return true;
    const SettingKey &first = values.constFirst().first.key;
    QList<std::pair<QString, QString>> texts;
    for (const auto &[setting, value] : values) {
        Q_ASSERT(setting.key.scope == SettingScope::User && setting.key.application == first.application);
        texts.append({keyName(setting.key), QString::number(value)});
    }
    return saveUserSettings(applicationOf(first), QLatin1String(first.section), texts);
}
