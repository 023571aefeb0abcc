#pragma once

#include <QSqlDatabase>
#include <QSqlDriver>
#include <QVariant>

#include <dlfcn.h>

// Counts the statements that a SQLite connection starts, through the trace
// hook of the SQLite library that Qt's driver loaded (looked up at run time:
// no SQLite headers needed). isCounting() is false where it cannot be reached.
class SqliteStatementCounter
{
public:
    explicit SqliteStatementCounter(const QString &connectionName)
    {
        const QVariant handle = QSqlDatabase::database(connectionName, false).driver()->handle();
        void *library =
            qstrcmp(handle.typeName(), "sqlite3*") == 0 ? dlopen("libsqlite3.so.0", RTLD_LAZY | RTLD_NOLOAD) : nullptr;
        if (!library)
            return;
        m_trace = reinterpret_cast<Trace>(dlsym(library, "sqlite3_trace_v2"));
        dlclose(library); // the driver keeps it loaded
        m_connection = *static_cast<void *const *>(handle.constData());
        const auto counted = [](unsigned, void *self, void *, void *) {
            ++static_cast<SqliteStatementCounter *>(self)->m_statements;
            return 0;
        };
        if (m_trace)
            m_trace(m_connection, 0x01 /* SQLITE_TRACE_STMT */, counted, this);
    }
    ~SqliteStatementCounter()
    {
        if (m_trace)
            m_trace(m_connection, 0, nullptr, nullptr);
    }
    Q_DISABLE_COPY(SqliteStatementCounter)

    bool isCounting() const { return m_trace != nullptr; }
    int statements() const { return m_statements; }

private:
    using Trace = int (*)(void *, unsigned, int (*)(unsigned, void *, void *, void *), void *);
    Trace m_trace = nullptr;
    void *m_connection = nullptr;
    int m_statements = 0;
};
