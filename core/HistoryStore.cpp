#include "core/HistoryStore.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QUuid>

using namespace Qt::StringLiterals;

namespace {

// Times are stored as ISO 8601 text in UTC, which sorts as it reads.
QString timeText(const QDateTime &moment)
{
    return moment.toUTC().toString(Qt::ISODateWithMs);
}

QDateTime timeFrom(const QString &text)
{
    return QDateTime::fromString(text, Qt::ISODateWithMs).toUTC();
}

HistoryEntry entryFrom(const QSqlQuery &query)
{
    return {query.value(0).toString(), query.value(1).toString(), query.value(2).toString(),
            query.value(3).toString(), query.value(4).toString(), timeFrom(query.value(5).toString()),
            query.value(6).toString()};
}

const QString columns = u"name, tld, verdict, server, reason, checked_at, source"_s;

bool isReusable(const QString &verdict)
{
    return verdict == "available"_L1 || verdict == "registered"_L1;
}

} // namespace

HistoryDatabase HistoryDatabase::inProgramFolder(const QString &programFolder)
{
    HistoryDatabase database;
    database.databaseName = QDir(programFolder).filePath(u"history.sqlite"_s);
    return database;
}

HistoryStore::HistoryStore(HistoryDatabase database, Timings timings, QObject *parent)
    : QObject(parent)
    , m_database(std::move(database))
    , m_timings(timings)
    , m_connectionName(u"history-"_s + QUuid::createUuid().toString(QUuid::WithoutBraces))
{
    m_flushTimer.setSingleShot(true);
    m_flushTimer.setInterval(m_timings.flushMs);
    connect(&m_flushTimer, &QTimer::timeout, this, [this] { flush(); });
}

HistoryStore::~HistoryStore()
{
    flush();
    closeConnection();
}

bool HistoryStore::open(QString *error)
{
    m_notice.clear();
    if (openConnection(error) && createSchema(error))
        return m_open = true;
    closeConnection();
    // A file that is there but is no database is moved aside once; anything
    // else (a folder that cannot be written, a missing driver) stays an error.
    const QFileInfo file(m_database.databaseName);
    if (m_database.driver != "QSQLITE"_L1 || !file.isFile() || !file.isReadable() || file.size() == 0)
        return false;
    moveAside();
    return m_open = openConnection(error) && createSchema(error);
}

bool HistoryStore::openConnection(QString *error)
{
    QSqlDatabase db = QSqlDatabase::addDatabase(m_database.driver, m_connectionName);
    db.setDatabaseName(m_database.databaseName);
    db.setConnectOptions(m_database.connectOptions);
    if (!db.open()) {
        if (error)
            *error = u"Could not open the history %1: %2"_s.arg(QDir::toNativeSeparators(m_database.databaseName),
                                                                db.lastError().text());
        return false;
    }
    return true;
}

bool HistoryStore::createSchema(QString *error)
{
    QSqlDatabase db = QSqlDatabase::database(m_connectionName);
    QSqlQuery query(db);
    QStringList statements;
    if (m_database.driver == "QSQLITE"_L1)
        statements << u"PRAGMA journal_mode=WAL"_s << u"PRAGMA synchronous=NORMAL"_s;
    statements << u"CREATE TABLE IF NOT EXISTS verdicts (name TEXT NOT NULL, tld TEXT NOT NULL, verdict TEXT NOT "
                  "NULL, server TEXT, reason TEXT, checked_at TEXT NOT NULL, source TEXT)"_s
               << u"CREATE INDEX IF NOT EXISTS verdicts_by_name ON verdicts (name, checked_at)"_s
               << u"CREATE INDEX IF NOT EXISTS verdicts_by_verdict ON verdicts (verdict, checked_at)"_s
               << u"CREATE INDEX IF NOT EXISTS verdicts_by_time ON verdicts (checked_at)"_s;
    for (const QString &statement : std::as_const(statements)) {
        if (!query.exec(statement)) {
            if (error)
                *error = u"The history %1 cannot be used: %2"_s.arg(QDir::toNativeSeparators(m_database.databaseName),
                                                                    query.lastError().text());
            return false;
        }
    }
    return true;
}

void HistoryStore::moveAside()
{
    const QString path = m_database.databaseName;
    const QString broken = path + u".broken-"_s + QDateTime::currentDateTimeUtc().toString(u"yyyyMMdd-HHmmss-zzz"_s);
    if (QFile::rename(path, broken)) {
        QFile::remove(path + u"-wal"_s);
        QFile::remove(path + u"-shm"_s);
        m_notice = u"The history %1 could not be read. It was moved aside as %2 and a new one was started."_s.arg(
            QDir::toNativeSeparators(path), QFileInfo(broken).fileName());
    }
}

void HistoryStore::closeConnection()
{
    m_open = false;
    m_latestByName.reset();
    if (QSqlDatabase::contains(m_connectionName)) {
        QSqlDatabase::database(m_connectionName, false).close();
        QSqlDatabase::removeDatabase(m_connectionName);
    }
}

void HistoryStore::record(const HistoryEntry &entry)
{
    if (!m_open)
        return;
    m_pending.append(entry);
    if (m_pending.size() >= m_timings.batchRows)
        flush();
    else if (!m_flushTimer.isActive())
        m_flushTimer.start();
}

bool HistoryStore::flush(QString *error)
{
    m_flushTimer.stop();
    if (!m_open || m_pending.isEmpty())
        return true;
    QSqlDatabase db = QSqlDatabase::database(m_connectionName);
    QSqlQuery insert(db);
    const auto fail = [&] {
        const QString message = u"Could not write to the history %1: %2"_s.arg(
            QDir::toNativeSeparators(m_database.databaseName), insert.lastError().text());
        db.rollback();
        if (error)
            *error = message;
        emit writeFailed(message);
        return false;
    };
    if (!db.transaction() || !insert.prepare(u"INSERT INTO verdicts (%1) VALUES (?, ?, ?, ?, ?, ?, ?)"_s.arg(columns)))
        return fail();
    for (const HistoryEntry &entry : std::as_const(m_pending)) {
        insert.addBindValue(entry.name);
        insert.addBindValue(entry.tld);
        insert.addBindValue(entry.verdict);
        insert.addBindValue(entry.server);
        insert.addBindValue(entry.reason);
        insert.addBindValue(timeText(entry.checkedAt));
        insert.addBindValue(entry.source);
        if (!insert.exec())
            return fail();
    }
    if (!db.commit())
        return fail();
    m_pending.clear();
    emit rowsWritten();
    return true;
}

std::optional<HistoryEntry> HistoryStore::recentVerdict(const QString &name, int maxAgeDays, const QDateTime &now)
{
    if (!m_open || maxAgeDays <= 0)
        return std::nullopt;
    const QDateTime oldest = now.addDays(-maxAgeDays);
    for (auto it = m_pending.crbegin(); it != m_pending.crend(); ++it) {
        if (it->name == name)
            return isReusable(it->verdict) && it->checkedAt >= oldest ? std::optional(*it) : std::nullopt;
    }
    // Asked once per name of a run: the statement is prepared once.
    if (!m_latestByName) {
        m_latestByName = std::make_unique<QSqlQuery>(QSqlDatabase::database(m_connectionName));
        m_latestByName->prepare(
            u"SELECT %1 FROM verdicts WHERE name = ? ORDER BY checked_at DESC LIMIT 1"_s.arg(columns));
    }
    QSqlQuery &query = *m_latestByName;
    query.bindValue(0, name);
    const bool found = query.exec() && query.next();
    const std::optional<HistoryEntry> latest = found ? std::optional(entryFrom(query)) : std::nullopt;
    query.finish();
    if (!latest)
        return std::nullopt;
    const HistoryEntry &entry = *latest;
    if (!isReusable(entry.verdict) || entry.checkedAt < oldest)
        return std::nullopt;
    return entry;
}

QStringList HistoryStore::columnNames()
{
    return columns.split(u", "_s);
}

QString HistoryStore::selectStatement(const HistoryFilter &filter, QVariantList *values, int sortColumn,
                                      Qt::SortOrder order)
{
    const QStringList names = columnNames();
    const QString sortBy = names.value(sortColumn, u"checked_at"_s);
    return u"SELECT %1 FROM verdicts"_s.arg(columns) + whereClause(filter, values) +
           u" ORDER BY %1 %2"_s.arg(sortBy, order == Qt::AscendingOrder ? u"ASC"_s : u"DESC"_s);
}

QString HistoryStore::countStatement(const HistoryFilter &filter, QVariantList *values)
{
    return u"SELECT COUNT(*) FROM verdicts"_s + whereClause(filter, values);
}

QString HistoryStore::whereClause(const HistoryFilter &filter, QVariantList *values)
{
    QStringList conditions;
    if (!filter.verdict.isEmpty()) {
        conditions << u"verdict = ?"_s;
        values->append(filter.verdict);
    }
    if (!filter.tld.isEmpty()) {
        conditions << u"tld = ?"_s;
        values->append(filter.tld.startsWith(QLatin1Char('.')) ? filter.tld.mid(1) : filter.tld);
    }
    if (filter.since.isValid()) {
        conditions << u"checked_at >= ?"_s;
        values->append(timeText(filter.since));
    }
    if (!filter.nameLike.isEmpty()) {
        conditions << u"name LIKE ?"_s;
        values->append(filter.nameLike);
    }
    return conditions.isEmpty() ? QString() : u" WHERE "_s + conditions.join(u" AND "_s);
}

bool HistoryStore::select(const HistoryFilter &filter, const std::function<bool(const HistoryEntry &)> &visit,
                          QString *error)
{
    return select(filter, 5, Qt::DescendingOrder, visit, error);
}

bool HistoryStore::select(const HistoryFilter &filter, int sortColumn, Qt::SortOrder order,
                          const std::function<bool(const HistoryEntry &)> &visit, QString *error)
{
    if (!m_open) {
        if (error)
            *error = u"The history is not open"_s;
        return false;
    }
    flush();
    QVariantList values;
    QSqlQuery query(QSqlDatabase::database(m_connectionName));
    query.setForwardOnly(true);
    query.prepare(selectStatement(filter, &values, sortColumn, order));
    for (const QVariant &value : std::as_const(values))
        query.addBindValue(value);
    if (!query.exec()) {
        if (error)
            *error = query.lastError().text();
        return false;
    }
    while (query.next()) {
        if (!visit(entryFrom(query)))
            break;
    }
    return true;
}
