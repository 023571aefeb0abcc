#include "core/TldFile.h"

#include "base/FileUtils.h"
#include "core/DefaultTldTable.h"
#include "core/LookupRoute.h"
#include "core/TldTable.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHostAddress>
#include <QUrl>

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

// A host name of letter-digit-hyphen labels (underscores tolerated), whose
// last label is not all digits, no longer than a name can be.
bool isHostName(const QString &host)
{
    QString name = host;
    if (name.endsWith(QLatin1Char('.')))
        name.chop(1);
    if (name.isEmpty() || name.size() > 253)
        return false;
    const QStringList labels = name.split(QLatin1Char('.'));
    for (const QString &label : labels) {
        if (label.isEmpty() || label.size() > 63 || label.startsWith(QLatin1Char('-')) ||
            label.endsWith(QLatin1Char('-')))
            return false;
        for (const QChar c : label) {
            if (!(c.isDigit() || (c >= QLatin1Char('a') && c <= QLatin1Char('z')) || c == QLatin1Char('-') ||
                  c == QLatin1Char('_')))
                return false;
        }
    }
    bool numeric = false;
    labels.last().toUInt(&numeric);
    return !numeric;
}

bool isHost(const QString &host)
{
    return !QHostAddress(host).isNull() || isHostName(host);
}

bool isRdapBase(const QString &server)
{
    if (!LookupRoute::isRdapServer(server))
        return false;
    const QUrl url(server, QUrl::StrictMode);
    return url.isValid() && url.userInfo().isEmpty() && isHost(url.host()) && url.port(443) > 0;
}

std::optional<TldEntry> parseEntry(const QString &line)
{
    const QStringList fields = line.split(separator);
    if (fields.size() < 6)
        return std::nullopt;

    bool throttleOk = false;
    const qint32 throttleMs = fields.at(4).trimmed().toInt(&throttleOk);
    if (!throttleOk)
        return std::nullopt;

    TldEntry entry;
    entry.extension = fields.at(0).toLower();
    entry.whoisServer = fields.at(1).trimmed().toLower();
    entry.port = quint16(fields.at(2).trimmed().toUShort());
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
    QStringList problems;
    const QList<QByteArray> lines = splitLines(contents);
    for (qsizetype index = 0; index < lines.size(); ++index) {
        if (isBlank(lines.at(index)))
            continue;
        const QString line = QString::fromLatin1(lines.at(index));
        std::optional<TldEntry> entry = parseEntry(line);
        if (!entry)
            continue;
        const QString problem = rowProblem(line.split(separator));
        problems << (problem.isEmpty() ? QString()
                                       : QStringLiteral("%1 line %2: %3; names of .%4 are not looked up")
                                             .arg(QDir::toNativeSeparators(m_path))
                                             .arg(index + 1)
                                             .arg(problem, entry->extension));
        entries.append(std::move(*entry));
    }
    if (entries.isEmpty()) {
        setError(error, QStringLiteral("%1 holds no usable TLD line").arg(QDir::toNativeSeparators(m_path)));
        return false;
    }
    table.setEntries(std::move(entries), std::move(problems));
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

QString TldFile::rowProblem(const QStringList &fields)
{
    const QString server = fields.value(1).trimmed();
    bool portOk = false;
    const int port = fields.value(2).trimmed().toInt(&portOk);
    if (!portOk || port < 1 || port > 65535)
        return QStringLiteral("the port \"%1\" is not a number from 1 to 65535").arg(fields.value(2).left(80));
    if (server.isEmpty())
        return QStringLiteral("the server is empty");
    if (!isHost(server.toLower()) && !isRdapBase(server))
        return QStringLiteral("the server \"%1\" is not a host name, an IP address or an http(s) RDAP address")
            .arg(server.size() > 80 ? server.left(77) + QStringLiteral("...") : server);
    return QString();
}

QString TldFile::buildLine(const QString &extension, const QString &whoisServer, const QString &port,
                           const QString &status, const QString &throttleMs, const QString &successIndicators)
{
    return extension.toLower() + separator + whoisServer + separator + port + separator + status + separator +
           throttleMs + separator + successIndicators;
}
