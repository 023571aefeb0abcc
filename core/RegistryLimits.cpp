#include "core/RegistryLimits.h"

#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QRegularExpression>

#include <tuple>

using namespace Qt::StringLiterals;

namespace {

constexpr qint64 second = 1000;
constexpr qint64 minute = 60 * second;
constexpr qint64 hour = 60 * minute;
constexpr qint64 day = 24 * hour;

// "5/s", "1800/15min", "1000/24h"; false when it is no such limit or a count is 0.
bool parseLimit(const QString &text, RateLimit *limit)
{
    static const QRegularExpression pattern(u"^([0-9]{1,9})/([0-9]{0,6})(s|min|h|d)$"_s);
    const QRegularExpressionMatch match = pattern.match(text);
    if (!match.hasMatch())
        return false;
    const qint64 count = match.captured(2).isEmpty() ? 1 : match.captured(2).toLongLong();
    const QString unit = match.captured(3);
    const qint64 unitMs = unit == "s"_L1 ? second : unit == "min"_L1 ? minute : unit == "h"_L1 ? hour : day;
    limit->queries = match.captured(1).toInt();
    limit->windowMs = count * unitMs;
    return limit->queries > 0 && limit->windowMs > 0;
}

bool isHostName(const QString &text)
{
    static const QRegularExpression pattern(u"^[a-z0-9-]+(\\.[a-z0-9-]+)+$"_s);
    return pattern.match(text).hasMatch();
}

} // namespace

QString RateLimit::text() const
{
    const QLocale english(QLocale::English);
    const QString count = english.toString(queries);
    for (const auto &[unitMs, one, many] :
         {std::tuple{day, u"a day"_s, u"days"_s}, std::tuple{hour, u"an hour"_s, u"hours"_s},
          std::tuple{minute, u"a minute"_s, u"minutes"_s}, std::tuple{second, u"a second"_s, u"seconds"_s}}) {
        if (windowMs % unitMs != 0)
            continue;
        const qint64 units = windowMs / unitMs;
        return units == 1 ? u"%1 %2"_s.arg(count, one) : u"%1 per %2 %3"_s.arg(count).arg(units).arg(many);
    }
    return u"%1 per %2 ms"_s.arg(count).arg(windowMs);
}

int RegistryLimitRow::intervalMs() const
{
    qint64 interval = 0;
    for (const RateLimit &limit : limits) {
        if (limit.windowMs <= longestPacedWindowMs)
            interval = qMax(interval, (limit.windowMs + limit.queries - 1) / limit.queries);
    }
    return int(interval);
}

bool RegistryLimits::parseRow(const QString &line, RegistryLimitRow *row, QString *problem)
{
    static const QRegularExpression spaces(u"\\s+"_s);
    static const QRegularExpression name(u"^[a-z0-9._-]+$"_s);
    const QStringList fields = line.split(spaces, Qt::SkipEmptyParts);
    if (fields.size() < 6) {
        *problem = u"a row needs a registry, hosts, limits, a scope, a date and a source"_s;
        return false;
    }
    row->registry = fields.at(0).toLower();
    if (!name.match(row->registry).hasMatch()) {
        *problem = u"\"%1\" is not a registry name (letters, digits, \".\", \"-\", \"_\")"_s.arg(fields.at(0));
        return false;
    }
    row->hosts = fields.at(1).toLower().split(u',');
    for (const QString &host : std::as_const(row->hosts)) {
        if (!isHostName(host)) {
            *problem = u"\"%1\" is not a host name"_s.arg(host);
            return false;
        }
    }
    for (const QString &text : fields.at(2).toLower().split(u',')) {
        RateLimit limit;
        if (!parseLimit(text, &limit)) {
            *problem = u"\"%1\" is not a limit such as 5/s or 1000/24h (a count above 0, then s, min, h or d)"_s.arg(text);
            return false;
        }
        row->limits << limit;
    }
    if (fields.at(3) != "address"_L1 && fields.at(3) != "/24"_L1) {
        *problem = u"the scope \"%1\" is neither address nor /24"_s.arg(fields.at(3));
        return false;
    }
    row->scope = fields.at(3) == "address"_L1 ? RegistryLimitRow::Scope::Address : RegistryLimitRow::Scope::Network;
    row->date = QDate::fromString(fields.at(4), Qt::ISODate);
    if (!row->date.isValid()) {
        *problem = u"\"%1\" is not a date such as 2026-12-08"_s.arg(fields.at(4));
        return false;
    }
    row->source = fields.mid(5).join(u' ');
    return true;
}

bool RegistryLimits::load(const QString &path, QString *error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) {
        *error = u"cannot read the registry limits %1: %2"_s.arg(path, file.errorString());
        return false;
    }
    const QString fileName = QFileInfo(path).fileName();
    QStringList problems;
    for (int number = 1; !file.atEnd(); ++number) {
        const QString line = QString::fromUtf8(file.readLine()).section(u'#', 0, 0).trimmed();
        if (line.isEmpty())
            continue;
        RegistryLimitRow row;
        QString problem;
        if (!parseRow(line, &row, &problem)) {
            problems << u"%1 line %2: %3; the row is not used"_s.arg(fileName).arg(number).arg(problem);
            continue;
        }
        m_rows.removeIf([&](const RegistryLimitRow &known) { return known.registry == row.registry; });
        m_rows << row;
    }
    *error = problems.join(u'\n');
    return problems.isEmpty();
}

const RegistryLimitRow *RegistryLimits::forHost(const QString &host) const
{
    const QString key = host.toLower();
    for (const RegistryLimitRow &row : m_rows) {
        if (row.hosts.contains(key))
            return &row;
    }
    return nullptr;
}
