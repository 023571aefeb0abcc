#pragma once

#include <QDateTime>
#include <QObject>
#include <QString>
#include <QTimer>
#include <QVariantList>
#include <QVector>

#include <functional>
#include <memory>
#include <optional>

class QSqlQuery;

// One verdict as the history keeps it.
struct HistoryEntry
{
    QString name;
    QString tld;
    QString verdict; // available, registered, blocked, timeout, error
    QString server;
    QString reason;
    QDateTime checkedAt; // UTC
    QString source;      // the search type, "check", "browse", "setup test", ...
};

// Which rows a look-up wants; empty fields do not filter.
struct HistoryFilter
{
    QString verdict;
    QString tld;
    QDateTime since;
    QString nameLike; // SQL LIKE pattern: "%" any run, "_" one character
};

// Where the history lives. The driver and its connection options are kept
// here only, so a server database can be configured without touching callers.
struct HistoryDatabase
{
    QString driver = QStringLiteral("QSQLITE");
    QString databaseName;
    QString connectOptions;

    // history.sqlite in the program folder.
    static HistoryDatabase inProgramFolder(const QString &programFolder);
};

// Every verdict ever reached, in a database: recorded in batches (a
// transaction at least every batchRows rows or every flushMs), looked up by
// name to reuse a recent verdict, and listed for the history command and
// window. A database that cannot be opened leaves the store closed: records
// are dropped and look-ups find nothing, so runs go on without history.
class HistoryStore : public QObject
{
    Q_OBJECT

public:
    struct Timings
    {
        int batchRows = 500;
        int flushMs = 1000;
    };

    explicit HistoryStore(HistoryDatabase database, Timings timings, QObject *parent = nullptr);
    explicit HistoryStore(HistoryDatabase database, QObject *parent = nullptr)
        : HistoryStore(std::move(database), Timings(), parent)
    {
    }
    ~HistoryStore() override;

    // Opens or creates the database. A file that is not a readable database
    // is moved aside as "<name>.broken-<stamp>" and a new one started; the
    // notice says so. False, with *error, when no database can be used.
    bool open(QString *error);
    bool isOpen() const { return m_open; }
    // A message for the user about what open() had to do, or empty.
    QString notice() const { return m_notice; }
    // The Qt SQL connection name, for models that show the rows.
    QString connectionName() const { return m_connectionName; }

    void record(const HistoryEntry &entry);
    // Writes every pending row now. False, with *error, when the write failed;
    // the rows stay pending and the next flush tries again.
    bool flush(QString *error = nullptr);
    int pendingRows() const { return int(m_pending.size()); }

    // The newest available or registered verdict on name no older than maxAgeDays
    // days before now; pending rows count too.
    std::optional<HistoryEntry> recentVerdict(const QString &name, int maxAgeDays,
                                              const QDateTime &now = QDateTime::currentDateTimeUtc());

    // Rows matching filter, newest first, handed one at a time to visit until
    // it returns false. False, with *error, when the query failed.
    bool select(const HistoryFilter &filter, const std::function<bool(const HistoryEntry &)> &visit,
                QString *error = nullptr);
    // The same, in the order of the column at sortColumn (as columnNames() lists them).
    bool select(const HistoryFilter &filter, int sortColumn, Qt::SortOrder order,
                const std::function<bool(const HistoryEntry &)> &visit, QString *error = nullptr);
    // The SQL and its bound values for filter, for a model that pages through
    // them, ordered by the column at sortColumn (as columnNames() lists them).
    static QString selectStatement(const HistoryFilter &filter, QVariantList *values, int sortColumn = 5,
                                   Qt::SortOrder order = Qt::DescendingOrder);
    // The SQL that counts the rows of filter, and its bound values.
    static QString countStatement(const HistoryFilter &filter, QVariantList *values);
    // name, tld, verdict, server, reason, checked_at, source.
    static QStringList columnNames();

signals:
    // A batch could not be written; the message is for the user.
    void writeFailed(const QString &message);
    // Rows were written: views of the history may show them now.
    void rowsWritten();

private:
    static QString whereClause(const HistoryFilter &filter, QVariantList *values);
    bool openConnection(QString *error);
    bool createSchema(QString *error);
    void moveAside();
    void closeConnection();

    HistoryDatabase m_database;
    Timings m_timings;
    QString m_connectionName;
    QString m_notice;
    bool m_open = false;
    QVector<HistoryEntry> m_pending;
    QTimer m_flushTimer;
    std::unique_ptr<QSqlQuery> m_latestByName;
};
