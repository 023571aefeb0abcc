#pragma once

#include <QString>

class SettingsStore;

// The help launcher: opens the help file of the program folder with the
// desktop's handler for it.
class HelpLauncher
{
public:
    HelpLauncher(SettingsStore &settings, const QString &programFolder);

    // Opens Help.chm when the program folder has it, else Help.html (names
    // compared without regard to letter case), and then stores "0" under the
    // machine-wide setting showHelp. With neither file nothing happens.
    // Returns the path opened, or the empty text.
    QString run();

private:
    SettingsStore &m_settings;
    QString m_programFolder;
};
