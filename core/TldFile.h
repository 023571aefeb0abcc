#pragma once

#include <QList>
#include <QString>
#include <QStringList>

class TldTable;

// TLDs.txt in a program folder: 8-bit text, one "ext|server|port|status|throttle|indicators"
// line per entry, CR LF line ends. Every rewrite is atomic.
class TldFile
{
public:
    explicit TldFile(const QString &programFolder);

    QString path() const { return m_path; }

    // Rebuilds the table from the file. Malformed lines (fewer than six
    // fields, a throttle that is no 32-bit number) are skipped. A row whose
    // server or port cannot be asked stays in the table with its problem
    // (naming the line), so names of its TLD fail instead of going elsewhere.
    // When the file is missing, unreadable or holds no usable line the table
    // keeps what it held and false is returned.
    bool loadTldTable(TldTable &table, QString *error = nullptr) const;

    // Replaces every line whose first field equals the lower-cased extension,
    // keeping its place, or appends the line after the file's final empty
    // line. Creates the file when it is missing.
    bool saveTldEntry(const QString &extension, const QString &whoisServer, const QString &port, bool enabled,
                      const QString &throttleMs, const QString &successIndicators, QString *error = nullptr) const;

    // Appends one line; status is the text "Enabled" or "Disabled".
    bool appendTldEntry(const QString &extension, const QString &whoisServer, const QString &port,
                        const QString &status, const QString &throttleMs, const QString &successIndicators,
                        QString *error = nullptr) const;

    // With replace the file is replaced by the defaults; otherwise the
    // defaults are written only when the file is missing.
    bool writeDefaultTldTable(bool replace, QString *error = nullptr) const;

    // What the main window's TLD combo box lists: field 1 (trimmed) of every
    // line with at least four fields whose field 4 is exactly "Enabled",
    // except empty ones and "proxy"; file order, duplicates kept. None, and
    // *error set, when the file cannot be read.
    QStringList enabledExtensions(QString *error = nullptr) const;

    // The six fields of every non-blank line as stored (no lower-casing), in
    // file order. A line with fewer fields gets empty ones; a line with more
    // keeps the surplus, "|" included, in its sixth field, so writeRows()
    // gives the line back unchanged. A missing file gives no rows.
    QList<QStringList> rows(QString *error = nullptr) const;

    // Replaces the file with the rows in the given order, each joined by "|"
    // and followed by two CR LF (an empty line after every row).
    bool writeRows(const QList<QStringList> &rows, QString *error = nullptr) const;

    // Why a row of six fields cannot be asked, or empty: a port that is no
    // number from 1 to 65535, or a server that is neither a host name, an IP
    // address nor an http or https RDAP base address.
    static QString rowProblem(const QStringList &fields);

    // The line builder shared by the two writers.
    static QString buildLine(const QString &extension, const QString &whoisServer, const QString &port,
                             const QString &status, const QString &throttleMs, const QString &successIndicators);

private:
    QString m_path;
};
