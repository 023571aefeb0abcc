#include "core/HistoryStore.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSet>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QUrl>
#include <QUrlQuery>
#include <QUuid>

#include <algorithm>

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

std::optional<HistoryDatabase> HistoryDatabase::fromText(const QString &text, const QString &programFolder,
                                                         QString *error)
{
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty())
        return inProgramFolder(programFolder);
    const QUrl url(trimmed, QUrl::StrictMode);
    const bool looksLikeUrl = trimmed.contains("://"_L1);
    if (!looksLikeUrl) {
        HistoryDatabase database;
        database.databaseName = QFileInfo(trimmed).absoluteFilePath();
        return database;
    }
    if (!url.isValid() || (url.scheme() != "postgresql"_L1 && url.scheme() != "postgres"_L1)) {
        if (error)
            *error = u"\"%1\" is not a database URL such as postgresql://user@host:5432/vantrel"_s.arg(
                url.toDisplayString(QUrl::RemovePassword));
        return std::nullopt;
    }
    HistoryDatabase database;
    database.driver = u"QPSQL"_s;
    database.host = url.host();
    database.port = url.port(-1);
    database.userName = url.userName();
    database.password = url.password();
    database.databaseName = url.path().mid(1);
    // Options go into the client library's connection string as they are:
    // only plain keys and values, so nothing can be slipped in beside them.
    static const QRegularExpression plainKey(u"^[a-z_]+$"_s);
    static const QRegularExpression plainValue(u"^[A-Za-z0-9._/:-]+$"_s);
    QStringList options;
    bool timeoutGiven = false;
    const auto items = QUrlQuery(url).queryItems(QUrl::FullyDecoded);
    for (const auto &[key, value] : items) {
        if (!plainKey.match(key).hasMatch() || !plainValue.match(value).hasMatch()) {
            if (error)
                *error = u"the database URL option \"%1\" cannot be used"_s.arg(key);
            return std::nullopt;
        }
        timeoutGiven = timeoutGiven || key == "connect_timeout"_L1;
        options << key + u'=' + value;
    }
    // A server that does not answer must not hold a run for minutes.
    if (!timeoutGiven)
        options << u"connect_timeout=10"_s;
    database.connectOptions = options.join(u';');
    return database;
}

QString HistoryDatabase::displayName() const
{
    if (!isServer())
        return QDir::toNativeSeparators(databaseName);
    QUrl url;
    url.setScheme(u"postgresql"_s);
    url.setHost(host);
    url.setPort(port);
    url.setUserName(userName);
    url.setPath(u'/' + databaseName);
    return url.toDisplayString(QUrl::RemovePassword);
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
    // else (a folder that cannot be written, a missing driver, a server that
    // does not answer, a newer schema) stays an error.
    const QFileInfo file(m_database.databaseName);
    if (m_database.isServer() || !file.isFile() || !file.isReadable() || file.size() == 0 ||
        m_schemaTooNew)
        return false;
    moveAside();
    if (openConnection(error) && createSchema(error))
        return m_open = true;
    closeConnection();
    return false;
}

bool HistoryStore::reconnect(QString *error)
{
    m_newestOfNames.clear();
    QSqlDatabase db = QSqlDatabase::database(m_connectionName, false);
    db.close();
    if (!db.open()) {
        if (error)
            *error = u"Could not open the history %1: %2"_s.arg(m_database.displayName(), db.lastError().text().simplified());
        return false;
    }
    return createSchema(error);
}

bool HistoryStore::openConnection(QString *error)
{
    QSqlDatabase db = QSqlDatabase::addDatabase(m_database.driver, m_connectionName);
    db.setDatabaseName(m_database.databaseName);
    db.setHostName(m_database.host);
    db.setPort(m_database.port);
    db.setUserName(m_database.userName);
    db.setPassword(m_database.password);
    db.setConnectOptions(m_database.connectOptions);
    if (!db.isValid()) {
        if (error)
            *error = u"Could not open the history %1: the Qt SQL driver %2 is not installed"_s.arg(
                m_database.displayName(), m_database.driver);
        return false;
    }
    if (!db.open()) {
        if (error)
            *error = u"Could not open the history %1: %2"_s.arg(m_database.displayName(), db.lastError().text().simplified());
        return false;
    }
    return true;
}

bool HistoryStore::createSchema(QString *error)
{
    QSqlDatabase db = QSqlDatabase::database(m_connectionName);
    QSqlQuery query(db);
    const auto failed = [&] {
        if (error)
            *error = u"The history %1 cannot be used: %2"_s.arg(m_database.displayName(), query.lastError().text().simplified());
        db.rollback();
        return false;
    };
    if (!m_database.isServer()) {
        for (const QString &pragma : {u"PRAGMA journal_mode=WAL"_s, u"PRAGMA synchronous=NORMAL"_s}) {
            if (!query.exec(pragma))
                return failed();
        }
    }
    // "already exists, skipping" is no news for the user.
    if (m_database.isServer() && !query.exec(u"SET client_min_messages TO warning"_s))
        return failed();
    if (!db.transaction())
        return failed();
    // Several workers may start at once on an empty server database.
    if (m_database.isServer() && !query.exec(u"SELECT pg_advisory_xact_lock(2027)"_s))
        return failed();
    if (!query.exec(u"CREATE TABLE IF NOT EXISTS schema_version (version INTEGER NOT NULL)"_s))
        return failed();
    if (!checkSchemaVersion(query, error)) {
        db.rollback();
        return false;
    }
    const QStringList statements{
        u"CREATE TABLE IF NOT EXISTS verdicts (name TEXT NOT NULL, tld TEXT NOT NULL, verdict TEXT NOT "
        "NULL, server TEXT, reason TEXT, checked_at TEXT NOT NULL, source TEXT)"_s,
        u"CREATE INDEX IF NOT EXISTS verdicts_by_name ON verdicts (name, checked_at)"_s,
        u"CREATE INDEX IF NOT EXISTS verdicts_by_verdict ON verdicts (verdict, checked_at)"_s,
        u"CREATE INDEX IF NOT EXISTS verdicts_by_time ON verdicts (checked_at)"_s};
    for (const QString &statement : statements) {
        if (!query.exec(statement))
            return failed();
    }
    return db.commit() || failed();
}

bool HistoryStore::checkSchemaVersion(QSqlQuery &query, QString *error)
{
    if (!query.exec(u"SELECT max(version) FROM schema_version"_s) || !query.next()) {
        if (error)
            *error = u"The history %1 cannot be used: %2"_s.arg(m_database.displayName(), query.lastError().text().simplified());
        return false;
    }
    const QVariant found = query.value(0);
    query.finish();
    if (found.isNull()) {
        query.prepare(u"INSERT INTO schema_version (version) VALUES (?)"_s);
        query.addBindValue(schemaVersion);
        if (query.exec())
            return true;
        if (error)
            *error = u"The history %1 cannot be used: %2"_s.arg(m_database.displayName(), query.lastError().text().simplified());
        return false;
    }
    if (found.toInt() <= schemaVersion)
        return true;
    m_schemaTooNew = true;
    if (error)
        *error = u"The history %1 was written by a newer version of Vantrel (schema %2; this version knows up to "
                 "%3). Use a newer Vantrel with it, or another history."_s.arg(m_database.displayName())
                     .arg(found.toInt())
                     .arg(schemaVersion);
    return false;
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
    m_newestOfNames.clear();
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
    // While a failed write waits for its retry, rows only gather.
    if (m_pending.size() >= m_timings.batchRows && !m_writeFailed)
        flush();
    else if (!m_flushTimer.isActive())
        m_flushTimer.start(m_timings.flushMs);
}

bool HistoryStore::flush(QString *error)
{
    m_flushTimer.stop();
    if (!m_open || m_pending.isEmpty())
        return true;
    const auto fail = [&](const QSqlError &sqlError) {
        const QString message =
            u"Could not write to the history %1: %2"_s.arg(m_database.displayName(), sqlError.text().simplified());
        QSqlDatabase db = QSqlDatabase::database(m_connectionName, false);
        if (db.isOpen())
            db.rollback();
        if (error)
            *error = message;
        retryLater();
        emit writeFailed(message);
        return false;
    };
    // A write that failed may have lost the connection (a server restarted).
    QString reconnectError;
    if (m_writeFailed && !reconnect(&reconnectError)) {
        if (error)
            *error = reconnectError;
        retryLater();
        return false;
    }
    QSqlDatabase db = QSqlDatabase::database(m_connectionName);
    QSqlQuery insert(db);
    QSqlQuery guard(db);
    if (!db.transaction())
        return fail(db.lastError());
    if (!insert.prepare(u"INSERT INTO verdicts (%1) VALUES (?, ?, ?, ?, ?, ?, ?)"_s.arg(columns)))
        return fail(insert.lastError());
    for (const HistoryEntry &entry : std::as_const(m_pending)) {
        if (m_guard) {
            const std::optional<bool> write = m_guard(guard, entry);
            if (!write)
                return fail(guard.lastError());
            if (!*write)
                continue;
        }
        insert.addBindValue(entry.name);
        insert.addBindValue(entry.tld);
        insert.addBindValue(entry.verdict);
        insert.addBindValue(entry.server);
        insert.addBindValue(entry.reason);
        insert.addBindValue(timeText(entry.checkedAt));
        insert.addBindValue(entry.source);
        if (!insert.exec())
            return fail(insert.lastError());
    }
    if (!db.commit())
        return fail(db.lastError());
    m_pending.clear();
    m_writeFailed = false;
    m_retryMs = 0;
    emit committed();
    return true;
}

void HistoryStore::retryLater()
{
    m_writeFailed = true;
    m_retryMs = qMin(m_timings.retryMaxMs, m_retryMs > 0 ? m_retryMs * 2 : qMin(1000, m_timings.flushMs * 2));
    m_flushTimer.start(m_retryMs);
}

std::optional<HistoryEntry> HistoryStore::recentVerdict(const QString &name, int maxAgeDays, const QDateTime &now)
{
    if (maxAgeDays <= 0)
        return std::nullopt;
    return recentVerdict(name, now.addDays(-maxAgeDays));
}

std::optional<HistoryEntry> HistoryStore::recentVerdict(const QString &name, const QDateTime &oldest)
{
    const QHash<QString, HistoryEntry> found = recentVerdicts({name}, oldest);
    const auto kept = found.constFind(name);
    return kept == found.cend() ? std::nullopt : std::optional(*kept);
}

QHash<QString, HistoryEntry> HistoryStore::recentVerdicts(const QStringList &names, const QDateTime &oldest)
{
    QHash<QString, HistoryEntry> found;
    if (!m_open || !oldest.isValid())
        return found;
    const QStringList asked = decideFromPending(names, oldest, &found);
    for (qsizetype from = 0; from < asked.size(); from += namesPerStatement)
        findNewest(asked.mid(from, namesPerStatement), oldest, &found);
    return found;
}

// Puts into found the names whose newest pending row is a recent settled
// verdict; the names without a pending row, once each, are left to ask for.
QStringList HistoryStore::decideFromPending(const QStringList &names, const QDateTime &oldest,
                                            QHash<QString, HistoryEntry> *found) const
{
    QSet<QString> undecided(names.cbegin(), names.cend());
    for (auto it = m_pending.crbegin(); it != m_pending.crend() && !undecided.isEmpty(); ++it) {
        if (!undecided.remove(it->name))
            continue;
        if (isReusable(it->verdict) && it->checkedAt >= oldest)
            found->insert(it->name, *it);
    }
    QStringList asked;
    asked.reserve(undecided.size());
    for (const QString &name : names) {
        if (undecided.remove(name))
            asked << name;
    }
    return asked;
}

void HistoryStore::findNewest(const QStringList &names, const QDateTime &oldest, QHash<QString, HistoryEntry> *found)
{
    // A few sizes of the statement serve every batch: the places a batch
    // leaves over ask for its first name again.
    static constexpr int sizes[] = {1, 16, 100, namesPerStatement};
    const int places =
        *std::find_if(std::cbegin(sizes), std::cend(sizes), [&](int size) { return size >= names.size(); });
    QSqlQuery *query = newestOfNames(places);
    if (!query)
        return;
    for (int i = 0; i < places; ++i)
        query->bindValue(i, names.value(i, names.first()));
    query->bindValue(places, timeText(oldest));
    if (query->exec()) {
        while (query->next()) {
            HistoryEntry entry = entryFrom(*query);
            if (isReusable(entry.verdict))
                found->insert(entry.name, std::move(entry));
        }
    }
    query->finish();
}

QSqlQuery *HistoryStore::newestOfNames(int places)
{
    std::unique_ptr<QSqlQuery> &query = m_newestOfNames[places];
    if (query)
        return query.get();
    QStringList marks;
    marks.fill(u"?"_s, places);
    // A name's newest row, where it is no older than the bound time.
    const QString statement =
        u"SELECT %1 FROM verdicts AS v WHERE name IN (%2) AND checked_at >= ? AND checked_at = "
        "(SELECT max(w.checked_at) FROM verdicts AS w WHERE w.name = v.name)"_s.arg(columns, marks.join(u", "_s));
    auto prepared = std::make_unique<QSqlQuery>(QSqlDatabase::database(m_connectionName));
    prepared->setForwardOnly(true);
    if (!prepared->prepare(statement))
        return nullptr;
    query = std::move(prepared);
    return query.get();
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
    QString statement = selectStatement(filter, &values, sortColumn, order);
    QSqlQuery query(QSqlDatabase::database(m_connectionName));
    query.setForwardOnly(true);
    bool ran = false;
    if (m_database.isServer()) {
        // The server gathers every row of a prepared statement before it
        // sends the first; a plain one streams, so a long listing starts at
        // once. Its values still go in as bound parameters, as settings of
        // this session that the statement reads.
        for (qsizetype i = 0; i < values.size(); ++i) {
            const QString setting = u"vantrel.filter%1"_s.arg(i);
            query.prepare(u"SELECT set_config(?, ?, false)"_s);
            query.addBindValue(setting);
            query.addBindValue(values.at(i).toString());
            if (!query.exec())
                break;
            statement.replace(statement.indexOf(u'?'), 1, u"current_setting('%1')"_s.arg(setting));
        }
        ran = !statement.contains(u'?') && query.exec(statement);
    } else {
        query.prepare(statement);
        for (const QVariant &value : std::as_const(values))
            query.addBindValue(value);
        ran = query.exec();
    }
    if (!ran) {
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
