#pragma once

#include "settings/SettingsNotifier.h"
#include "settings/SettingsTable.h"

#include <QList>
#include <QString>

#include <functional>
#include <memory>
#include <utility>

// Where the two settings scopes keep their INI files.
struct SettingsLocations
{
    QString userDir;    // per-user scope: <userDir>/<application>.ini
    QString machineDir; // machine-wide scope: <machineDir>/<company>/<application>.ini

    // VANTREL_CONFIG_DIR=DIR gives DIR/user and DIR/machine; otherwise the
    // XDG config folder (~/.config/vantrel) and /etc/xdg/vantrel.
    static SettingsLocations fromEnvironment();
};

// Why a machine-wide read failed.
struct MachineSettingError
{
    enum class Code {
        None = 0,
        AppNameEmpty = 1,
        SectionEmpty = 2,
        KeyEmpty = 3,
        CouldNotOpenSection = 4,
        NotAString = 5,
    };
    Code code = Code::None;
    int detail = 0; // the platform's error number, or the stored value's type number
    QString text;
};

// Text values addressed by application, section and key, in two scopes. The
// program's own settings are rows of settings/SettingsTable.h, read and
// written through the typed accessors; the text-keyed calls serve them.
// Every write that changes a stored value is announced by notifier().
class SettingsStore
{
public:
    // Told of a machine-wide write that did not reach its file (the key and
    // the file); true tries the write again, false gives it up.
    using MachineWriteFailureHandler = std::function<bool(const QString &key, const QString &file)>;

    // productName: the application the settings are filed under.
    SettingsStore(SettingsLocations locations, QString companyName, QString productName);

    // Who hears of failed machine-wide writes: the desktop program asks the
    // user, the commands report on stderr. Without one such a write just
    // reports false.
    void setMachineWriteFailureHandler(MachineWriteFailureHandler handler);

    // The stored value, or the row's default when none is stored. A
    // machine-wide read that fails fills *error and gives the default.
    QString value(const TextSetting &setting) const;
    qint32 value(const NumberSetting &setting) const;
    bool value(const SwitchSetting &setting, MachineSettingError *error = nullptr) const;
    // The stored text as it is, or fallback: for boxes that show what was typed.
    QString text(const SettingKey &key, const QString &fallback) const;

    // False when the value was not stored; a machine-wide write is first
    // offered to the failure handler, and retried while it says so.
    bool setValue(const TextSetting &setting, const QString &value);
    bool setValue(const NumberSetting &setting, qint32 value);
    bool setValue(const SwitchSetting &setting, bool on);
    bool setText(const SettingKey &key, const QString &text);
    // Several per-user numbers of one application and section in one write.
    bool setValues(const QList<std::pair<NumberSetting, qint32>> &values);

    QString getUserSetting(const QString &application, const QString &section, const QString &key,
                           const QString &defaultValue) const;
    // False when the value could not be stored.
    bool saveUserSetting(const QString &application, const QString &section, const QString &key, const QString &value);

    // Several values of one section stored in one write.
    bool saveUserSettings(const QString &application, const QString &section,
                          const QList<std::pair<QString, QString>> &values);

    // On failure returns defaultValue and fills *error; on success error->code is None.
    QString readMachineSetting(const QString &application, const QString &section, const QString &key,
                               const QString &defaultValue, MachineSettingError *error = nullptr) const;
    // False when the value was not stored, after the failure handler gave up.
    bool writeMachineSetting(const QString &application, const QString &section, const QString &key,
                             const QString &value);

    const SettingsLocations &locations() const { return m_locations; }

    // Announces each changed value: connect to its changed() signal.
    const SettingsNotifier &notifier() const { return *m_notifier; }
    // Whether a change announced by notifier() is the row's value.
    bool is(const SettingKey &key, const SettingChange &change) const;
    template <typename T>
    bool is(const Setting<T> &setting, const SettingChange &change) const
    {
        return is(setting.key, change);
    }

private:
    QString applicationOf(const SettingKey &key) const;
    void announce(SettingScope scope, const QString &application, const QString &section, const QStringList &keys);
    QString readText(const SettingKey &key, const QString &fallback, MachineSettingError *error = nullptr) const;

    SettingsLocations m_locations;
    QString m_companyName;
    QString m_productName;
    MachineWriteFailureHandler m_machineWriteFailed;
    // Held apart so the store itself stays movable.
    std::unique_ptr<SettingsNotifier> m_notifier = std::make_unique<SettingsNotifier>();
};
