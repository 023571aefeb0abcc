#include "search/LookupSession.h"

#include "base/Branding.h"
#include "core/TldFile.h"
#include "search/LookupSettings.h"
#include "settings/ProgramFolder.h"

LookupSession::LookupSession(QString programFolder, SettingsStore &settings, const Branding &branding, int poolSize,
                             PoolTimings timings, QObject *parent)
    : QObject(parent)
    , m_programFolder(std::move(programFolder))
    , m_settings(settings)
    , m_branding(branding)
    , m_results(m_programFolder)
    , m_pool(poolSize, m_lookup, m_throttle, timings)
    , m_loop(m_pool, m_throttle, m_results)
{
    connect(&m_loop, &SearchLoop::lookupRequested, this, &LookupSession::startLookup);
    connect(&m_pool, &ConnectionPool::lookupEnded, this, &LookupSession::poolLookupEnded);
    connect(&m_pool, &ConnectionPool::watchdogFired, this, &LookupSession::reportUnanswered);
}

bool LookupSession::prepare(QString *error)
{
    QString firstError;
    const auto note = [&firstError](bool done, const QString &message) {
        if (!done && firstError.isEmpty())
            firstError = message;
    };
    note(ProgramFolder::createStartupFilesAndFolders(m_programFolder),
         QStringLiteral("the program folder %1 is not usable (missing or read-only)").arg(m_programFolder));
    ProgramFolder::installShippedFiles(m_programFolder, ProgramFolder::shippedDataDir());

    const TldFile tldFile(m_programFolder);
    QString stepError;
    note(tldFile.writeDefaultTldTable(false, &stepError), stepError);
    note(tldFile.loadTldTable(m_lookup.tldTable, &stepError), stepError);
    LookupSettings::load(m_settings, m_branding.productName, m_lookup, m_throttle);

    if (firstError.isEmpty())
        return true;
    if (error)
        *error = firstError;
    return false;
}

void LookupSession::startLookup(const QString &name, int slot)
{
    m_pool.startLookup(name, slot);
}

void LookupSession::file(const LookupOutcome &outcome)
{
    switch (outcome.kind) {
    case LookupOutcome::Kind::Available:
        m_results.fileAvailable(outcome.domain);
        break;
    case LookupOutcome::Kind::Registered:
        m_results.fileRegistered(outcome.domain);
        break;
    case LookupOutcome::Kind::Blocked:
        m_blockedNotice.report(outcome.remoteAddress, QString::fromLatin1(outcome.reply));
        break;
    case LookupOutcome::Kind::Timeout:
    case LookupOutcome::Kind::Error:
        emit outcomeFiled(outcome);
        return;
    }
    emit outcomeFiled(outcome);
    m_results.checkListSizes();
}

void LookupSession::reportUnanswered(const QString &serverAddress)
{
    m_blockedNotice.report(serverAddress, QStringLiteral("Connection Timed Out"));
}

void LookupSession::poolLookupEnded(const LookupOutcome &outcome)
{
    file(outcome);
    m_loop.lookupEnded();
    emit lookupEnded(outcome);
}

void LookupSession::stop()
{
    m_loop.stop();
    m_pool.closeAll();
}
