#pragma once

#include <QSqlDatabase>
#include <QSqlDriver>
#include <QString>
#include <QVariant>

#include <dlfcn.h>

// Counts the statements that a SQLite connection of this thread starts,
// through the trace hook of the SQLite library that Qt's driver loaded. The
// hook is looked up at run time, so no SQLite headers are needed;
// isCounting() is false where it cannot be reached (a driver with a SQLite
// of its own, another driver).
class SqliteStatementCounter
{
public:
    explicit SqliteStatementCounter(const QString &connectionName)
    {
        const QVariant handle = QSqlDatabase::database(connectionName, false).driver()->handle();
        void *library = dlopen("libsqlite3.so.0", RTLD_LAZY | RTLD_NOLOAD);
        if (!library || qstrcmp(handle.typeName(), "sqlite3*") != 0)
            return;
        m_trace = reinterpret_cast<Trace>(dlsym(library, "sqlite3_trace_v2"));
        m_connection = *static_cast<void *const *>(handle.constData());
        if (m_trace)
            m_trace(m_connection, traceStatement, &SqliteStatementCounter::counted, this);
        // The driver keeps the library loaded.
        dlclose(library);
    }
    ~SqliteStatementCounter()
    {
        if (m_trace)
            m_trace(m_connection, 0, nullptr, nullptr);
    }
    SqliteStatementCounter(const SqliteStatementCounter &) = delete;
    SqliteStatementCounter &operator=(const SqliteStatementCounter &) = delete;

    bool isCounting() const { return m_trace != nullptr; }
    int statements() const { return m_statements; }

private:
    using Callback = int (*)(unsigned, void *, void *, void *);
    using Trace = int (*)(void *, unsigned, Callback, void *);
    static constexpr unsigned traceStatement = 0x01; // SQLITE_TRACE_STMT

    static int counted(unsigned, void *counter, void *, void *)
    {
        ++static_cast<SqliteStatementCounter *>(counter)->m_statements;
        return 0;
    }

    Trace m_trace = nullptr;
    void *m_connection = nullptr;
    int m_statements = 0;
};
