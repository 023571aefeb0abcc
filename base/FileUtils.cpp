#include "base/FileUtils.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace {

QString toFileSystemPath(const QString &path)
{
    QString converted = path;
    converted.replace(QLatin1Char('\\'), QLatin1Char('/'));
    return converted;
}

bool isHiddenName(const QString &name)
{
    return name.startsWith(QLatin1Char('.'));
}

} // namespace

void copyFile(const QString &source, const QString &destination)
{
    const QString from = toFileSystemPath(source);
    const QString to = toFileSystemPath(destination);
    if (!QFileInfo(from).isFile())
        return;

    QFile in(from);
    if (!in.open(QIODevice::ReadOnly))
        return;
    // QFile::copy refuses to replace an existing file; a save file replaces it
    // in one rename and leaves it alone when anything goes wrong.
    QSaveFile out(to);
    if (!out.open(QIODevice::WriteOnly))
        return;

    char buffer[64 * 1024];
    for (;;) {
        const qint64 got = in.read(buffer, sizeof buffer);
        if (got == 0)
            break;
        if (got < 0 || out.write(buffer, got) != got) {
            out.cancelWriting();
            return;
        }
    }
    out.commit();
}

bool dirExists(const QString &path)
{
    QString folder = toFileSystemPath(path);
    while (folder.size() > 1 && folder.endsWith(QLatin1Char('/')))
        folder.chop(1);
    if (folder.isEmpty())
        return false;
    return QFileInfo(folder).isDir();
}

bool fileExists(const QString &path)
{
    const QString filePath = toFileSystemPath(path);
    const QString name = fileNameFromPath(filePath);
    if (name.isEmpty() || isHiddenName(name))
        return false;

    const QFileInfo exact(filePath);
    if (exact.exists())
        return exact.isFile();

    const qsizetype slash = filePath.lastIndexOf(QLatin1Char('/'));
    const QString folder = slash < 0 ? QStringLiteral(".") : slash == 0 ? QStringLiteral("/") : filePath.left(slash);
    // Without QDir::Hidden and QDir::System the listing leaves out dot files,
    // FIFOs, sockets, devices and broken links.
    QDirIterator entries(folder, QDir::Files);
    while (entries.hasNext()) {
        entries.next();
        if (entries.fileName().compare(name, Qt::CaseInsensitive) == 0)
            return true;
    }
    return false;
}

QString fileNameFromPath(const QString &path)
{
    const qsizetype separator = qMax(path.lastIndexOf(QLatin1Char('\\')), path.lastIndexOf(QLatin1Char('/')));
    return path.mid(separator + 1);
}

bool writeFileAtomically(const QString &path, const QByteArray &contents, QString *error)
{
    const QString filePath = toFileSystemPath(path);
    QSaveFile file(filePath);
    const auto fail = [&](const QString &reason) {
        if (error)
            *error = QStringLiteral("Could not write %1: %2").arg(QDir::toNativeSeparators(filePath), reason);
        return false;
    };

    if (!file.open(QIODevice::WriteOnly))
        return fail(file.errorString());
    if (file.write(contents) != contents.size()) {
        const QString reason = file.errorString();
        file.cancelWriting();
        return fail(reason);
    }
    if (!file.commit())
        return fail(file.errorString());
    return true;
}
