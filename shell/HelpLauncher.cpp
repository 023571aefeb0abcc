#include "shell/HelpLauncher.h"

#include "base/FileUtils.h"
#include "settings/SettingsStore.h"

#include <QDesktopServices>
#include <QDir>
#include <QUrl>

namespace {

// The folder's entry for name, whatever its letter case; empty when missing.
QString helpFilePath(const QString &folder, const QString &name)
{
    const QDir dir(folder);
    if (!fileExists(dir.filePath(name)))
        return {};
    const QStringList entries = dir.entryList(QDir::Files);
    for (const QString &entry : entries) {
        if (entry.compare(name, Qt::CaseInsensitive) == 0)
            return dir.absoluteFilePath(entry);
    }
    return {};
}

} // namespace

HelpLauncher::HelpLauncher(SettingsStore &settings, const QString &programFolder)
    : m_settings(settings)
    , m_programFolder(programFolder)
{
}

QString HelpLauncher::run()
{
    QString help = helpFilePath(m_programFolder, QStringLiteral("Help.chm"));
    if (help.isEmpty())
        help = helpFilePath(m_programFolder, QStringLiteral("Help.html"));
    if (help.isEmpty())
        return {};
    QDesktopServices::openUrl(QUrl::fromLocalFile(help));
    m_settings.setValue(Settings::helpShownMachineWide, false);
    return help;
}
