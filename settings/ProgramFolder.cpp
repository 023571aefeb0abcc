#include "settings/ProgramFolder.h"

#include "base/FileUtils.h"

#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryFile>

namespace ProgramFolder {

QString resolve(const QString &homeOption, const QString &environmentHome, const QString &executableDir,
                const QString &dataLocation)
{
    if (!homeOption.isEmpty())
        return homeOption;
    if (!environmentHome.isEmpty())
        return environmentHome;
    if (!executableDir.isEmpty() && !isInstalled(executableDir)) {
        const QFileInfo info(executableDir);
        if (info.isDir() && info.isWritable())
            return executableDir;
    }
    return dataLocation;
}

bool isInstalled(const QString &executableDir)
{
    return QFileInfo(executableDir + QStringLiteral("/../share/vantrel")).isDir();
}

QString resolveForProcess(const QString &homeOption)
{
    const QString executableDir = QCoreApplication::instance() ? QCoreApplication::applicationDirPath() : QString();
    return resolve(homeOption, qEnvironmentVariable("VANTREL_HOME"), executableDir,
                   QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + QStringLiteral("/vantrel"));
}

bool createStartupFilesAndFolders(const QString &folder)
{
    if (folder.isEmpty())
        return false;
    QDir().mkpath(folder);
    const QDir dir(folder);

    static const char *const files[] = {"BrowserSearch.txt", "Appends.txt", "CreatedDomains.txt", "Remembered.txt"};
    for (const char *name : files) {
        QFile file(dir.filePath(QLatin1String(name)));
        // NewOnly: an existing file is never opened, so it keeps its contents.
        if (file.open(QIODevice::WriteOnly | QIODevice::NewOnly))
            file.write("\r\n");
    }

    static const char *const folders[] = {"backups", "overflow", "wordlists", "searches"};
    for (const char *name : folders)
        dir.mkdir(QLatin1String(name));

    if (!QFileInfo(folder).isDir())
        return false;
    // Permission bits say nothing when running as root; only a real file
    // proves the folder can be written.
    QTemporaryFile probe(dir.filePath(QStringLiteral(".vantrel-probe-XXXXXX")));
    return probe.open();
}

QString shippedDataDir()
{
    const QString configured = qEnvironmentVariable("VANTREL_DATA_DIR");
    if (!configured.isEmpty())
        return configured;
    const QString executableDir = QCoreApplication::instance() ? QCoreApplication::applicationDirPath() : QString();
    return QDir::cleanPath(executableDir + QStringLiteral("/../share/vantrel"));
}

void installShippedFiles(const QString &folder, const QString &shippedDir)
{
    const QDir source(shippedDir + QStringLiteral("/program"));
    QDirIterator files(source.path(), QDir::Files, QDirIterator::Subdirectories);
    while (files.hasNext()) {
        const QString shipped = files.next();
        const QString target = QDir(folder).filePath(source.relativeFilePath(shipped));
        if (QFileInfo::exists(target))
            continue;
        QDir().mkpath(QFileInfo(target).absolutePath());
        copyFile(shipped, target);
    }
}

} // namespace ProgramFolder
