#include "search/LookupSession.h"

#include "base/FileUtils.h"
#include "core/TldFile.h"
#include "settings/ProgramFolder.h"
#include "settings/SettingsStore.h"

#include <QFileInfo>
#include <QSignalBlocker>

LookupSession::LookupSession(QString programFolder, SettingsStore &settings, int poolSize, PoolTimings timings,
                             QObject *parent)
    : QObject(parent)
    , m_programFolder(std::move(programFolder))
    , m_settings(settings)
    , m_results(m_programFolder)
    , m_service(poolSize, timings)
{
}

LookupSession::~LookupSession()
{
    // Whoever listens may be half gone: the waiting names are filed quietly.
    const QSignalBlocker quiet(this);
    commitHistory();
    // The store, destroyed after the waiting list, must not reach back here.
    if (m_history)
        m_history->disconnect(this);
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
    m_lookup.useProxy = m_settings.value(Settings::proxy);
    m_lookup.defaultExtension = m_settings.value(Settings::defaultExtension);
    m_lookup.checkDnsFirst = m_settings.value(Settings::checkDnsFirst);
    m_lookup.dnsServer = m_settings.value(Settings::dnsServer).trimmed();
    m_lookup.dnsInFlight = qBound(1, m_settings.value(Settings::dnsInFlight), 1024);
    m_lookup.recheckAfterDays = qMax(0, m_settings.value(Settings::recheckAfterDays));
    openHistory();
    // Without the shipped registry list only the table's rows answer; lookups go on.
    m_registryNotice.clear();
    const QString shipped = ProgramFolder::shippedDataDir() + QLatin1String("/registry");
    m_lookup.registries.loadFolders(shipped, RegistryDirectory::updatedFolder(m_programFolder), &m_registryNotice);
    loadLimits(shipped);

    if (firstError.isEmpty())
        return true;
    if (error)
        *error = firstError;
    return false;
}

// The shipped limits, then the user's own file, whose rows replace those of
// the same registry; a file that cannot be read is named, and lookups go on.
void LookupSession::loadLimits(const QString &shippedFolder)
{
    RegistryLimits limits;
    const QString own = m_programFolder + QLatin1String("/registry/limits.txt");
    for (const QString &path : {shippedFolder + QLatin1String("/limits.txt"), own}) {
        QString error;
        if (path == own && !QFileInfo::exists(own))
            continue;
        if (!limits.load(path, &error))
            m_registryNotice += (m_registryNotice.isEmpty() ? QString() : QStringLiteral("; ")) + error;
    }
    m_service.setLimits(limits);
}

void LookupSession::openHistory()
{
    if (m_history)
        return;
    QString error;
    if (!m_historyDatabase)
        m_historyDatabase = HistoryDatabase::fromText(m_settings.value(Settings::historyDatabase), m_programFolder,
                                                      &error);
    if (!m_historyDatabase) {
        m_historyNotice = error + QStringLiteral(". Verdicts are not kept in the history.");
        return;
    }
    // Ended names wait for their rows to be committed: a short interval keeps
    // them from waiting long, batches of many rows keep the writes cheap.
    auto store = std::make_unique<HistoryStore>(*m_historyDatabase, HistoryStore::Timings{500, 50});
    if (store->open(&error)) {
        m_historyNotice = store->notice();
        m_history = std::move(store);
        connect(m_history.get(), &HistoryStore::committed, this, &LookupSession::fileCommitted);
        connect(m_history.get(), &HistoryStore::writeFailed, this, &LookupSession::fileCommitted);
    } else {
        m_historyNotice = error + QStringLiteral(". Verdicts are not kept in the history.");
    }
}

void LookupSession::setDnsFirst(bool on, const QString &server)
{
    m_lookup.checkDnsFirst = on;
    m_lookup.dnsServer = server.trimmed();
}

DnsPrecheck::Options LookupSession::dnsOptions(const LookupContext &lookup)
{
    DnsPrecheck::Options options;
    // Without a server of its own the session asks the system's resolver, or
    // the one the environment names (tests point it at a loopback responder).
    const QString server =
        lookup.dnsServer.isEmpty() ? qEnvironmentVariable("VANTREL_DNS_SERVER").trimmed() : lookup.dnsServer;
    options.server = QHostAddress(server);
    options.maxInFlight = lookup.dnsInFlight;
    return options;
}

void LookupSession::setChosenTlds(const QStringList &tlds)
{
    m_chosenTlds.clear();
    for (const QString &tld : tlds) {
        if (!tld.isEmpty() && !m_chosenTlds.contains(tld))
            m_chosenTlds << tld;
    }
}

LookupRequest LookupSession::admit(const QString &name, const QString &tld) const
{
    return admitLookup(name, tld, m_lookup);
}

QHash<QString, LookupResult> LookupSession::keptVerdicts(const QStringList &prepared, int recheckAfterDays)
{
    QHash<QString, LookupResult> kept;
    QDateTime oldest = m_resumedRunBegan;
    if (recheckAfterDays > 0) {
        const QDateTime recheckFrom = QDateTime::currentDateTimeUtc().addDays(-recheckAfterDays);
        if (!oldest.isValid() || recheckFrom < oldest)
            oldest = recheckFrom;
    }
    if (m_history && oldest.isValid()) {
        // One statement for a whole batch of names, not a round trip each.
        const QHash<QString, HistoryEntry> found = m_history->recentVerdicts(prepared, oldest);
        for (auto entry = found.cbegin(); entry != found.cend(); ++entry)
            kept.insert(entry.key(), resultFromHistory(entry.value()));
    }
    return kept;
}

LookupResult LookupSession::resultFromHistory(const HistoryEntry &entry)
{
    LookupResult result(0, entry.name, QStringLiteral("history"),
                        entry.verdict == QLatin1String("available") ? LookupResult::Kind::Available
                                                                    : LookupResult::Kind::Registered);
    result.source = LookupResult::Source::History;
    result.answeredAt = entry.checkedAt;
    result.reason = QStringLiteral("history:") + entry.checkedAt.date().toString(Qt::ISODate);
    return result;
}

void LookupSession::record(const LookupResult &outcome, const QString &source)
{
    if (!m_history || outcome.source == LookupResult::Source::History)
        return;
    m_history->record({outcome.domain, outcome.domain.section(QLatin1Char('.'), 1),
                       LookupResult::kindText(outcome.kind), outcome.server, outcome.reason,
                       QDateTime::currentDateTimeUtc(), source.isEmpty() ? m_source : source});
}

void LookupSession::file(const LookupResult &result, const QString &source, QObject *context, FiledReport filed)
{
    m_unfiled.append({result, context, std::move(filed)});
    // A full batch is committed at once, and files what waited for it.
    record(result, source);
    if (!m_history || m_history->pendingRows() == 0)
        fileCommitted();
}

void LookupSession::commitHistory()
{
    if (m_history)
        m_history->flush();
    fileCommitted();
}

void LookupSession::fileCommitted()
{
    const QList<Unfiled> committed = std::exchange(m_unfiled, {});
    for (const Unfiled &unfiled : committed) {
        fileNow(unfiled.result);
        if (unfiled.context && unfiled.filed)
            unfiled.filed(unfiled.result);
    }
}

void LookupSession::fileNow(const LookupResult &outcome)
{
    switch (outcome.kind) {
    case LookupResult::Kind::Available:
    case LookupResult::Kind::Registered:
        m_results.file(outcome);
        break;
    case LookupResult::Kind::Blocked:
        m_blockedNotice.report(outcome.remoteAddress, decodeTextInput(outcome.reply));
        break;
    case LookupResult::Kind::Timeout:
    case LookupResult::Kind::Error:
        m_results.file(outcome);
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

