#include "base/FileUtils.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

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

bool copyFile(const QString &source, const QString &destination, QString *error)
{
    const QString from = toFileSystemPath(source);
    const bool isFile = QFileInfo(from).isFile();
    QFile in(from);
    const bool readable = isFile && in.open(QIODevice::ReadOnly);
    const QByteArray contents = readable ? in.readAll() : QByteArray();
    if (!readable || in.error() != QFileDevice::NoError) {
        if (error)
            *error = QStringLiteral("Could not read %1: %2")
                         .arg(QDir::toNativeSeparators(from), isFile ? in.errorString() : QStringLiteral("not a file"));
        return false;
    }
    return writeFileAtomically(toFileSystemPath(destination), contents, error);
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
    const auto fail = [&](const QString &reason) {
        if (error)
            *error = QStringLiteral("Could not write %1: %2").arg(QDir::toNativeSeparators(filePath), reason);
        return false;
    };
    const auto systemError = [] { return QString::fromLocal8Bit(std::strerror(errno)); };

    const QFileInfo target(filePath);
    if (target.isDir())
        return fail(QStringLiteral("it is a folder"));
    const QString folder = target.absolutePath();
    QByteArray temporaryName =
        QFile::encodeName(folder + QStringLiteral("/.") + target.fileName() + QStringLiteral(".XXXXXX"));
    const int fd = ::mkstemp(temporaryName.data());
    if (fd < 0)
        return fail(systemError());
    const auto abandon = [&](const QString &reason) {
        ::close(fd);
        ::unlink(temporaryName.constData());
        return fail(reason);
    };

    // The new file gets the old one's permissions, or what a new file would get.
    struct stat old = {};
    mode_t mode = 0;
    if (::stat(QFile::encodeName(filePath).constData(), &old) == 0) {
        mode = old.st_mode & 07777;
    } else {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        mode = 0666 & ~mask;
    }
    if (::fchmod(fd, mode) != 0)
        return abandon(systemError());

    // Every write is checked, and the data reaches the disk before the rename:
    // a full disk or an I/O error leaves the old file exactly as it was.
    const char *data = contents.constData();
    qsizetype left = contents.size();
    while (left > 0) {
        const ssize_t written = ::write(fd, data, size_t(left));
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return abandon(written < 0 ? systemError() : QStringLiteral("nothing could be written"));
        data += written;
        left -= written;
    }
    if (::fsync(fd) != 0)
        return abandon(systemError());
    if (::close(fd) != 0) {
        const QString reason = systemError();
        ::unlink(temporaryName.constData());
        return fail(reason);
    }
    if (::rename(temporaryName.constData(), QFile::encodeName(filePath).constData()) != 0) {
        const QString reason = systemError();
        ::unlink(temporaryName.constData());
        return fail(reason);
    }
    // Make the rename itself durable; a failure here leaves a complete file.
    const int folderFd = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY);
    if (folderFd >= 0) {
        ::fsync(folderFd);
        ::close(folderFd);
    }
    return true;
}
