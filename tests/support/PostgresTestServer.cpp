#include "tests/support/PostgresTestServer.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>

#include <pwd.h>
#include <unistd.h>

namespace {

const QString user = QStringLiteral("vantrel");

// The folder of initdb: on PATH, else the newest Debian server version.
QString findBinDir()
{
    const QString onPath = QStandardPaths::findExecutable(QStringLiteral("initdb"));
    if (!onPath.isEmpty())
        return QFileInfo(onPath).canonicalPath();
    QDir versions(QStringLiteral("/usr/lib/postgresql"));
    QStringList found = versions.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name);
    std::sort(found.begin(), found.end(), [](const QString &a, const QString &b) { return a.toInt() > b.toInt(); });
    for (const QString &version : std::as_const(found)) {
        const QString bin = versions.filePath(version + QStringLiteral("/bin"));
        if (QFileInfo::exists(bin + QStringLiteral("/initdb")))
            return bin;
    }
    return {};
}

} // namespace

PostgresTestServer::PostgresTestServer()
{
    m_binDir = findBinDir();
    if (m_binDir.isEmpty()) {
        m_skipReason = QStringLiteral("no PostgreSQL server installed (initdb not found)");
        return;
    }
    if (::geteuid() == 0) {
        const passwd *nobody = ::getpwnam("nobody");
        if (!nobody || QStandardPaths::findExecutable(QStringLiteral("runuser")).isEmpty() ||
            ::chown(QFile::encodeName(m_dir.path()).constData(), nobody->pw_uid, nobody->pw_gid) != 0) {
            m_skipReason = QStringLiteral("running as root, and the server cannot be run as nobody");
            return;
        }
        m_asNobody = true;
    }
    QString output;
    if (!run(QStringLiteral("initdb"), {QStringLiteral("-D"), m_dir.filePath(QStringLiteral("data")),
                                        QStringLiteral("-U"), user, QStringLiteral("-A"), QStringLiteral("trust"),
                                        QStringLiteral("--no-sync"), QStringLiteral("-E"), QStringLiteral("UTF8")},
             &output)) {
        m_skipReason = QStringLiteral("initdb failed: ") + output.trimmed();
        return;
    }
    if (!start())
        m_skipReason = QStringLiteral("the PostgreSQL server did not start");
}

PostgresTestServer::~PostgresTestServer()
{
    if (m_running)
        stop();
}

bool PostgresTestServer::run(const QString &program, const QStringList &arguments, QString *output)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.setWorkingDirectory(m_dir.path());
    const QString path = m_binDir + QLatin1Char('/') + program;
    if (m_asNobody)
        process.start(QStringLiteral("runuser"), QStringList{QStringLiteral("-u"), QStringLiteral("nobody"),
                                                             QStringLiteral("--"), path} + arguments);
    else
        process.start(path, arguments);
    const bool finished = process.waitForFinished(120000);
    if (output)
        *output = QString::fromLocal8Bit(process.readAll());
    return finished && process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
}

bool PostgresTestServer::start()
{
    // Only a socket in the private folder: no TCP port to collide on.
    const QString options = QStringLiteral("-c listen_addresses='' -c fsync=off -k ") + m_dir.path();
    m_running = run(QStringLiteral("pg_ctl"),
                    {QStringLiteral("-D"), m_dir.filePath(QStringLiteral("data")), QStringLiteral("-l"),
                     m_dir.filePath(QStringLiteral("server.log")), QStringLiteral("-o"), options,
                     QStringLiteral("-w"), QStringLiteral("start")});
    return m_running;
}

bool PostgresTestServer::stop()
{
    m_running = false;
    return run(QStringLiteral("pg_ctl"), {QStringLiteral("-D"), m_dir.filePath(QStringLiteral("data")),
                                          QStringLiteral("-m"), QStringLiteral("fast"), QStringLiteral("-w"),
                                          QStringLiteral("stop")});
}

QString PostgresTestServer::url(const QString &database) const
{
    return QStringLiteral("postgresql://%1@/%2?host=%3").arg(user, database, m_dir.path());
}

QString PostgresTestServer::createDatabase(const QString &name)
{
    run(QStringLiteral("psql"),
        {QStringLiteral("-h"), m_dir.path(), QStringLiteral("-U"), user, QStringLiteral("-d"),
         QStringLiteral("postgres"), QStringLiteral("-q"), QStringLiteral("-c"),
         QStringLiteral("DROP DATABASE IF EXISTS %1").arg(name), QStringLiteral("-c"),
         QStringLiteral("CREATE DATABASE %1").arg(name)});
    return url(name);
}
