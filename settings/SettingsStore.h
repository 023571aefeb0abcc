#pragma once

#include <QList>
#include <QString>

#include <utility>

class Prompt;

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

// Text values addressed by application, section and key, in two scopes.
class SettingsStore
{
public:
    SettingsStore(SettingsLocations locations, QString companyName, QString productName, Prompt &prompt);

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
    // Never fails towards the caller: a failed write runs the "Permission Denied" flow.
    void writeMachineSetting(const QString &application, const QString &section, const QString &key,
                             const QString &value);

    const SettingsLocations &locations() const { return m_locations; }

private:
    SettingsLocations m_locations;
    QString m_companyName;
    QString m_productName;
    Prompt &m_prompt;
};
