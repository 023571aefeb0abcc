#pragma once

#include <QDate>
#include <QString>
#include <QStringList>
#include <QVector>

// At most `queries` queries in any window of windowMs.
struct RateLimit
{
    int queries = 0;
    qint64 windowMs = 0;

    // "1,000 a day", "15 a minute", "1,800 per 15 minutes": for messages.
    QString text() const;
};

// What one registry publishes about how often it may be asked.
struct RegistryLimitRow
{
    // Whom a registry counts as one asker: a source address (or a user,
    // which is all a registry sees of one), or every address of a /24.
    enum class Scope { Address, Network };

    QString registry;  // the row's name; its hosts share its limits
    QStringList hosts; // lower case: WHOIS hosts and RDAP hosts counted together
    QVector<RateLimit> limits;
    Scope scope = Scope::Address;
    QDate date;     // when the figure was read from its source
    QString source; // where the registry publishes it

    // Limits of windows up to an hour are kept by spacing queries; longer
    // ones (a daily cap) cannot be.
    static constexpr qint64 longestPacedWindowMs = 3600 * 1000;

    // The least time between two starts that keeps every paced limit; 0
    // when the row has none.
    int intervalMs() const;
};

// The published limits of registries: data/registry/limits.txt, and a
// user's own file of the same form whose rows replace the shipped ones of
// the same registry. One row per registry:
//
//   <registry> <host>[,<host>...] <queries>/<window>[,...] <scope> <date> <source>
//
// where a window is s, min, h or d with an optional count before it
// ("15min", "24h"), the scope is "address" or "/24", the date is YYYY-MM-DD
// and the source the rest of the line. "#" starts a comment.
class RegistryLimits
{
public:
    // Reads a file of rows, replacing rows of registries already known.
    // Rows that cannot be read are skipped, and *error names each ("limits.txt
    // line 7: ..."); false when the file cannot be read or a row was skipped.
    bool load(const QString &path, QString *error);

    const QVector<RegistryLimitRow> &rows() const { return m_rows; }
    // The row that counts the host, or null.
    const RegistryLimitRow *forHost(const QString &host) const;

private:
    static bool parseRow(const QString &line, RegistryLimitRow *row, QString *problem);

    QVector<RegistryLimitRow> m_rows;
};
