#pragma once

#include "settings/SettingsTable.h"

#include <QObject>
#include <QString>

// Where a changed value is stored, as it was written.
struct SettingChange
{
    SettingScope scope = SettingScope::User;
    QString application; // the name the file is filed under: "Ornisk", "Vantrel"
    QString section;
    QString key; // as stored: an indexed key with its index ("chkAdd0")
};

// The settings store's voice: whoever follows a setting connects here.
class SettingsNotifier : public QObject
{
    Q_OBJECT

signals:
    // Once per key whose stored text a write changed, after it reached the
    // file; never for a failed write or one that stored the text already there.
    void changed(const SettingChange &change);
};
