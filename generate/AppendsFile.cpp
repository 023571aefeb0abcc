#include "generate/AppendsFile.h"

#include "base/FileUtils.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

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

// Lines end at LF, with a CR before it belonging to the line end; text after
// the last LF is a line of its own. A file the user saved as UTF-8 reads as
// UTF-8, any other as Latin-1.
QStringList splitLines(const QByteArray &contents)
{
    QStringList lines = decodeTextInput(contents).split(QLatin1Char('\n'));
    if (lines.last().isEmpty())
        lines.removeLast();
    for (QString &line : lines) {
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
    }
    return lines;
}

// Words go into the file in the encoding it already has; a word beyond
// Latin-1 turns the whole file into UTF-8, which reads back as such.
QByteArray encodedLike(const QByteArray &contents, const QString &text)
{
    return isUtf8TextInput(contents) || !AppendsFile::fitsFile(text) ? text.toUtf8() : text.toLatin1();
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
    QString text = decodeTextInput(contents);
    // A last line without its line end must not run into the new one.
    if (!text.isEmpty() && !text.endsWith(QLatin1Char('\n')))
        text += QLatin1String("\r\n");
    text += word + QLatin1String("\r\n");
    return writeFileAtomically(m_path, encodedLike(contents, text), error);
}

bool AppendsFile::removeWord(const QString &word, QString *error) const
{
    QByteArray contents;
    if (!readContents(m_path, contents, error))
        return false;
    QString kept;
    const QStringList lines = splitLines(contents);
    for (const QString &line : lines) {
        if (line != word)
            kept += line + QLatin1String("\r\n");
    }
    kept.replace(QLatin1String("\r\n\r\n"), QLatin1String("\r\n"));
    kept += QLatin1String("\r\n");
    return writeFileAtomically(m_path, encodedLike(contents, kept), error);
}

bool AppendsFile::writeWords(const QStringList &words, QString *error) const
{
    return writeWordsTo(m_path, words, error);
}

bool AppendsFile::writeWordsTo(const QString &path, const QStringList &words, QString *error)
{
    QString text;
    for (const QString &word : words)
        text += word + QLatin1String("\r\n");
    return writeFileAtomically(path, encodedLike(QByteArray(), text), error);
}

bool AppendsFile::readWordsFrom(const QString &path, QStringList &words, QString *error)
{
    QStringList lines;
    if (!readTextLines(path, &lines, error))
        return false;
    for (const QString &line : std::as_const(lines)) {
        if (isUsableLine(line.trimmed()))
            words << line.trimmed();
    }
    return true;
}
