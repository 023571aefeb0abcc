#include "generate/AppendsFile.h"

#include "base/FileUtils.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>

#include <algorithm>

namespace {

bool readContents(const QString &path, QByteArray &contents, QString *error)
{
    QFile file(path);
    if (file.open(QIODevice::ReadOnly)) {
        contents = file.readAll();
        if (file.error() == QFileDevice::NoError)
            return true;
    }
    if (error)
        *error = QStringLiteral("Cannot read %1: %2").arg(QDir::toNativeSeparators(path), file.errorString());
    return false;
}

// A line of the file: Latin-1, or UTF-8 for a word with letters beyond it.
// A Latin-1 line with letters above 0x7F is hardly ever valid UTF-8.
QString decodeLine(const QByteArray &line)
{
    const bool ascii = std::all_of(line.cbegin(), line.cend(), [](char c) { return uchar(c) < 0x80; });
    if (ascii)
        return QString::fromLatin1(line);
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = utf8.decode(line);
    return utf8.hasError() ? QString::fromLatin1(line) : text;
}

QByteArray encodeLine(const QString &word)
{
    return AppendsFile::fitsFile(word) ? word.toLatin1() : word.toUtf8();
}

// Lines end at LF, with a CR before it belonging to the line end; text after
// the last LF is a line of its own.
QStringList splitLines(const QByteArray &contents)
{
    QList<QByteArray> raw = contents.split('\n');
    if (raw.last().isEmpty())
        raw.removeLast();
    QStringList lines;
    lines.reserve(raw.size());
    for (QByteArray &line : raw) {
        if (line.endsWith('\r'))
            line.chop(1);
        lines << decodeLine(line);
    }
    return lines;
}

} // namespace

AppendsFile::AppendsFile(const QString &programFolder)
    : m_path(QDir(programFolder).filePath(QStringLiteral("Appends.txt")))
{
}

bool AppendsFile::isUsableLine(const QString &line)
{
    return !line.isEmpty() && line != QLatin1String(" ");
}

bool AppendsFile::readWords(QStringList &words, QString *error) const
{
    QByteArray contents;
    if (!readContents(m_path, contents, error))
        return false;
    const QStringList lines = splitLines(contents);
    for (const QString &line : lines) {
        if (isUsableLine(line))
            words << line;
    }
    return true;
}

bool AppendsFile::fitsFile(const QString &word)
{
    return std::all_of(word.cbegin(), word.cend(), [](QChar character) { return character.unicode() <= 0xFF; });
}

bool AppendsFile::appendWord(const QString &word, QString *error) const
{
    QByteArray contents;
    if (QFileInfo::exists(m_path) && !readContents(m_path, contents, error))
        return false;
    // A last line without its line end must not run into the new one.
    if (!contents.isEmpty() && !contents.endsWith('\n'))
        contents += "\r\n";
    contents += encodeLine(word) + "\r\n";
    return writeFileAtomically(m_path, contents, error);
}

bool AppendsFile::removeWord(const QString &word, QString *error) const
{
    QByteArray contents;
    if (!readContents(m_path, contents, error))
        return false;
    QByteArray kept;
    const QStringList lines = splitLines(contents);
    for (const QString &line : lines) {
        if (line != word)
            kept += encodeLine(line) + "\r\n";
    }
    kept.replace("\r\n\r\n", "\r\n");
    kept += "\r\n";
    return writeFileAtomically(m_path, kept, error);
}

bool AppendsFile::writeWords(const QStringList &words, QString *error) const
{
    return writeWordsTo(m_path, words, error);
}

bool AppendsFile::writeWordsTo(const QString &path, const QStringList &words, QString *error)
{
    QByteArray contents;
    for (const QString &word : words)
        contents += encodeLine(word) + "\r\n";
    return writeFileAtomically(path, contents, error);
}

bool AppendsFile::readWordsFrom(const QString &path, QStringList &words, QString *error)
{
    QByteArray contents;
    if (!readContents(path, contents, error))
        return false;
    const QStringList lines = splitLines(contents);
    for (const QString &line : lines) {
        if (isUsableLine(line.trimmed()))
            words << line.trimmed();
    }
    return true;
}
