#include "base/FileUtils.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>

#include <algorithm>
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

constexpr char byteOrderMark[] = "\xEF\xBB\xBF";

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

QString decodeTextInput(QByteArrayView bytes)
{
    if (bytes.startsWith(byteOrderMark))
        bytes = bytes.sliced(3);
    // One pass: decoded as UTF-8 a piece at a time, cut after a line end so
    // that no character is split; a Latin-1 text usually fails in its first
    // piece and is then read as Latin-1 whole.
    constexpr qsizetype pieceSize = 1 << 16;
    QStringDecoder utf8(QStringDecoder::Utf8,
                        QStringDecoder::Flag::Stateless | QStringDecoder::Flag::ConvertInitialBom);
    QString text;
    text.reserve(bytes.size());
    for (qsizetype start = 0; start < bytes.size();) {
        qsizetype end = qMin(start + pieceSize, bytes.size());
        while (end < bytes.size() && bytes.at(end - 1) != '\n')
            ++end;
        text += utf8.decode(bytes.sliced(start, end - start));
        if (utf8.hasError())
            return QString::fromLatin1(bytes);
        start = end;
    }
    return text;
}

bool isUtf8TextInput(QByteArrayView bytes)
{
    if (bytes.startsWith(byteOrderMark))
        return bytes.sliced(3).isValidUtf8();
    return bytes.isValidUtf8() && std::any_of(bytes.cbegin(), bytes.cend(), [](char c) { return uchar(c) >= 0x80; });
}

bool readTextLines(const QString &path, QStringList *lines, QString *error)
{
    const bool standardInput = path == QLatin1String("-");
    const QString shownPath = standardInput ? QStringLiteral("standard input") : QDir::toNativeSeparators(path);
    QFile file(toFileSystemPath(path));
    const bool opened = standardInput ? file.open(STDIN_FILENO, QIODevice::ReadOnly)
                                      : !QFileInfo(file.fileName()).isDir() && file.open(QIODevice::ReadOnly);
    // readAll() goes on until end of file; atEnd() would stop at an empty pipe buffer.
    const QByteArray contents = opened ? file.readAll() : QByteArray();
    if (!opened || file.error() != QFileDevice::NoError) {
        if (error)
            *error = QStringLiteral("cannot read %1: %2")
                         .arg(shownPath, opened || !QFileInfo(file.fileName()).isDir() ? file.errorString()
                                                                                          : QStringLiteral("it is a folder"));
        return false;
    }
    const QString text = decodeTextInput(contents);
    qsizetype start = 0;
    for (qsizetype at = 0; at <= text.size(); ++at) {
        if (at < text.size() && text.at(at) != QLatin1Char('\n') && text.at(at) != QLatin1Char('\r'))
            continue;
        if (at > start)
            lines->append(text.mid(start, at - start));
        start = at + 1;
    }
    return true;
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
