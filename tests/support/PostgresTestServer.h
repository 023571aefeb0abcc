#pragma once

#include <QString>
#include <QTemporaryDir>

// A throwaway PostgreSQL server in a temporary folder, reached through a
// socket in that folder only: initdb and pg_ctl from PATH or Debian's
// /usr/lib/postgresql/<version>/bin, run as "nobody" when the test runs as
// root (the server refuses root). Tests skip with skipReason() when no
// server could be started.
class PostgresTestServer
{
public:
    PostgresTestServer();
    ~PostgresTestServer();

    bool isRunning() const { return m_running; }
    QString skipReason() const { return m_skipReason; }

    // A new, empty database on the server; its URL for --db.
    QString createDatabase(const QString &name);
    QString url(const QString &database) const;

    bool stop();
    bool start();

private:
    bool run(const QString &program, const QStringList &arguments, QString *output = nullptr);

    QTemporaryDir m_dir;
    QString m_binDir;
    bool m_asNobody = false;
    bool m_running = false;
    QString m_skipReason;
};
