#include "core/TldFile.h"

#include "base/FileUtils.h"
#include "core/DefaultTldTable.h"
#include "core/TldTable.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <optional>

namespace {

const QLatin1Char separator('|');

void setError(QString *error, const QString &message)
{
    if (error)
        *error = message;
}

bool readWholeFile(const QString &path, QByteArray &contents, QString *error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        setError(error, QStringLiteral("Cannot read %1: %2").arg(QDir::toNativeSeparators(path), file.errorString()));
        return false;
    }
    contents = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        setError(error, QStringLiteral("Cannot read %1: %2").arg(QDir::toNativeSeparators(path), file.errorString()));
        return false;
    }
    return true;
}

// Lines end at LF; a CR right before it belongs to the line end. Text after
// the last LF is a line of its own.
QList<QByteArray> splitLines(const QByteArray &contents)
{
    QList<QByteArray> lines = contents.split('\n');
    if (lines.last().isEmpty())
        lines.removeLast();
    for (QByteArray &line : lines) {
        if (line.endsWith('\r'))
            line.chop(1);
    }
    return lines;
}

// Lines every reader of the file passes over.
bool isBlank(const QByteArray &line)
{
    return line.isEmpty() || line == " ";
}

std::optional<TldEntry> parseEntry(const QString &line)
{
    const QStringList fields = line.split(separator);
    if (fields.size() < 6)
        return std::nullopt;

    bool portOk = false;
    const int port = fields.at(2).trimmed().toInt(&portOk);
    if (!portOk || port < 0 || port > 32767)
        return std::nullopt;

    bool throttleOk = false;
    const qint32 throttleMs = fields.at(4).trimmed().toInt(&throttleOk);
    if (!throttleOk)
        return std::nullopt;

    TldEntry entry;
    entry.extension = fields.at(0).toLower();
    entry.whoisServer = fields.at(1).toLower();
    entry.port = qint16(port);
    entry.enabled = fields.at(3) == QLatin1String("Enabled");
    entry.throttleMs = throttleMs;
    entry.successIndicators = fields.at(5);
    return entry;
}

void appendLine(QByteArray &contents, const QByteArray &line)
{
    // A last line without its line end must not run into the new one.
    if (!contents.isEmpty() && !contents.endsWith('\n'))
        contents += "\r\n";
    contents += line + "\r\n";
}

} // namespace

TldFile::TldFile(const QString &programFolder)
    : m_path(QDir(programFolder).filePath(QStringLiteral("TLDs.txt")))
{
}

bool TldFile::loadTldTable(TldTable &table, QString *error) const
{
    QByteArray contents;
    if (!readWholeFile(m_path, contents, error))
        return false;

    QVector<TldEntry> entries;
    for (const QByteArray &line : splitLines(contents)) {
        if (isBlank(line))
            continue;
        if (std::optional<TldEntry> entry = parseEntry(QString::fromLatin1(line)))
            entries.append(std::move(*entry));
    }
    if (entries.isEmpty()) {
        setError(error, QStringLiteral("%1 holds no usable TLD line").arg(QDir::toNativeSeparators(m_path)));
        return false;
    }
    table.setEntries(std::move(entries));
    return true;
}

bool TldFile::saveTldEntry(const QString &extension, const QString &whoisServer, const QString &port, bool enabled,
                           const QString &throttleMs, const QString &successIndicators, QString *error) const
{
    const QString status = enabled ? QStringLiteral("Enabled") : QStringLiteral("Disabled");
    const QByteArray newLine =
        buildLine(extension, whoisServer, port, status, throttleMs, successIndicators).toLatin1();

    if (!QFileInfo::exists(m_path))
        return writeFileAtomically(m_path, newLine + "\r\n", error);

    QByteArray contents;
    if (!readWholeFile(m_path, contents, error))
        return false;

    const QString key = extension.toLower();
    QByteArray output;
    bool matched = false;
    for (const QByteArray &line : splitLines(contents)) {
        if (isBlank(line))
            continue;
        if (QString::fromLatin1(line).section(separator, 0, 0) == key) {
            output += newLine;
            matched = true;
        } else {
            output += line;
        }
        output += "\r\n";
    }
    output += "\r\n";
    if (!matched)
        appendLine(output, newLine);
    return writeFileAtomically(m_path, output, error);
}

bool TldFile::appendTldEntry(const QString &extension, const QString &whoisServer, const QString &port,
                             const QString &status, const QString &throttleMs, const QString &successIndicators,
                             QString *error) const
{
    QByteArray contents;
    if (QFileInfo::exists(m_path) && !readWholeFile(m_path, contents, error))
        return false;
    appendLine(contents, buildLine(extension, whoisServer, port, status, throttleMs, successIndicators).toLatin1());
    return writeFileAtomically(m_path, contents, error);
}

bool TldFile::writeDefaultTldTable(bool replace, QString *error) const
{
    if (!replace && QFileInfo::exists(m_path))
        return true;
    return writeFileAtomically(m_path, DefaultTldTable::fileContents(), error);
}

QStringList TldFile::enabledExtensions(QString *error) const
{
    QStringList extensions;
    QByteArray contents;
    if (!readWholeFile(m_path, contents, error))
        return extensions;

    for (const QByteArray &line : splitLines(contents)) {
        if (!line.contains('|'))
            continue;
        const QStringList fields = QString::fromLatin1(line).split(separator);
        if (fields.size() < 4 || fields.at(3) != QLatin1String("Enabled"))
            continue;
        const QString extension = fields.at(0).trimmed();
        if (extension.isEmpty() || extension == QLatin1String("proxy"))
            continue;
        extensions << extension;
    }
    return extensions;
}

QList<QStringList> TldFile::rows(QString *error) const
{
    QList<QStringList> result;
    if (!QFileInfo::exists(m_path))
        return result;
    QByteArray contents;
    if (!readWholeFile(m_path, contents, error))
        return result;

    constexpr qsizetype fieldCount = 6;
    for (const QByteArray &line : splitLines(contents)) {
        if (isBlank(line))
            continue;
        QStringList fields = QString::fromLatin1(line).split(separator);
        if (fields.size() > fieldCount) {
            const QString surplus = fields.mid(fieldCount - 1).join(separator);
            fields.resize(fieldCount - 1);
            fields << surplus;
        }
        while (fields.size() < fieldCount)
            fields << QString();
        result << fields;
    }
    return result;
}

bool TldFile::writeRows(const QList<QStringList> &rows, QString *error) const
{
    QByteArray contents;
    for (const QStringList &row : rows)
        contents += row.join(separator).toLatin1() + "\r\n\r\n";
    return writeFileAtomically(m_path, contents, error);
}

QString TldFile::buildLine(const QString &extension, const QString &whoisServer, const QString &port,
                           const QString &status, const QString &throttleMs, const QString &successIndicators)
{
    return extension.toLower() + separator + whoisServer + separator + port + separator + status + separator +
           throttleMs + separator + successIndicators;
}
