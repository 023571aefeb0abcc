#include "search/PacedRun.h"

#include "core/NamePreparation.h"
#include "search/LookupSession.h"
#include "search/WordSource.h"

namespace {

// Words read in one go before the event loop gets its turn.
constexpr int readBurst = 256;

} // namespace

PacedRun::PacedRun(LookupSession &session, QObject *parent)
    : QObject(parent)
    , m_session(session)
    , m_client(session.service())
{
    m_pumpTimer.setSingleShot(true);
    connect(&m_pumpTimer, &QTimer::timeout, this, &PacedRun::pump);
    connect(&m_client, &LookupClient::ended, this, &PacedRun::registryAnswered);
    connect(&m_client, &LookupClient::connected, this, &PacedRun::nameConnected);
}

PacedRun::~PacedRun() = default;

void PacedRun::runBeside(const QString &source)
{
    m_beside = true;
    m_historySource = source;
}

void PacedRun::start(WordSource &source, qint32 startNumber)
{
    m_client.cancelAll();
    ++m_generation;
    m_context = m_session.lookup();
    m_chosenTlds = m_session.chosenTlds();
    if (m_chosenTlds.isEmpty())
        m_chosenTlds << QString();
    m_source = &source;
    m_running = true;
    m_listEnded = false;
    m_nextPosition = startNumber;
    m_reportedResume = startNumber;
    m_unfinished.clear();
    m_unfinishedNames = 0;
    m_unfiled.clear();
    m_admitted.clear();
    m_repeated = 0;
    m_wordsEnded = 0;
    m_historyBatch.clear();
    m_dnsWaiters.clear();
    m_settledByDns = 0;
    m_ended = 0;
    m_dns.reset();
    if (m_context.checkDnsFirst) {
        m_dns = std::make_unique<DnsPrecheck>(LookupSession::dnsOptions(m_context));
        connect(m_dns.get(), &DnsPrecheck::answered, this,
                [this](const QString &asked, DnsPrecheck::Answer answer) { dnsAnswered(asked, answer); });
        connect(m_dns.get(), &DnsPrecheck::gaveUp, this, &PacedRun::dnsGaveUp);
    }
    if (!m_beside)
        m_session.results().resetCounters();
    emit started();
    schedule();
}

void PacedRun::stop()
{
    if (!m_running)
        return;
    m_running = false;
    m_pumpTimer.stop();
    if (m_dns)
        m_dns->cancelAll();
    m_dnsWaiters.clear();
    m_historyBatch.clear();
    m_client.cancelAll();
    // Every name this run ended is filed and reported before it says it stopped.
    m_session.commitHistory();
    ++m_generation;
    emit stopped();
}

qint32 PacedRun::resumePosition() const
{
    qint32 position = m_nextPosition;
    if (!m_unfinished.empty())
        position = qMin(position, m_unfinished.begin()->first);
    if (!m_unfiled.empty())
        position = qMin(position, *m_unfiled.begin());
    return position;
}

void PacedRun::reportResumePosition()
{
    const qint32 resume = resumePosition();
    if (resume != m_reportedResume) {
        m_reportedResume = resume;
        emit resumePositionChanged(resume);
    }
}

void PacedRun::schedule()
{
    if (!m_pumpTimer.isActive())
        m_pumpTimer.start(0);
}

// Everything that moves the run on happens here, from the event loop, never
// inside a resolver's or the service's signals.
void PacedRun::pump()
{
    if (!m_running)
        return;
    readAhead();
    askHistory();
    if (m_running && m_listEnded && m_unfinished.empty())
        endRun();
}

void PacedRun::readAhead()
{
    for (int read = 0; read < readBurst && !m_listEnded && m_unfinishedNames < m_lookAhead; ++read) {
        const WordRead word = m_source->readWord(m_nextPosition);
        if (word.status != WordRead::Status::Word) {
            // The list has ended before anyone hears why: whatever the
            // report runs (a box with its own event loop) finds no more to read.
            m_listEnded = true;
            if (word.status == WordRead::Status::ReadFailed)
                emit wordSourceFailed(word.error);
            break;
        }
        admitWord(m_nextPosition++, word.word);
    }
    if (!m_listEnded && m_unfinishedNames < m_lookAhead)
        schedule();
}

// A word with a TLD of its own, or given twice, makes the same name in
// several TLDs: each name is asked once.
void PacedRun::admitWord(qint32 position, const QString &word)
{
    const QString corrected = correctName(word);
    int admitted = 0;
    for (const QString &tld : std::as_const(m_chosenTlds)) {
        LookupRequest request = admitLookup(corrected, tld, m_context);
        request.given = word;
        if (m_askOncePerRun && !m_admitted.insert(request.prepared)) {
            ++m_repeated;
            continue;
        }
        m_historyBatch.push_back(Name{position, std::move(request)});
        ++admitted;
    }
    if (admitted == 0) {
        ++m_wordsEnded;
        return;
    }
    m_unfinished[position] = admitted;
    m_unfinishedNames += admitted;
}

void PacedRun::askHistory()
{
    if (m_historyBatch.empty())
        return;
    QStringList prepared;
    prepared.reserve(qsizetype(m_historyBatch.size()));
    for (const Name &name : m_historyBatch)
        prepared << name.request.prepared;
    const QHash<QString, LookupResult> kept = m_session.keptVerdicts(prepared, m_context.recheckAfterDays);
    for (Name &name : std::exchange(m_historyBatch, {})) {
        const auto found = kept.constFind(name.request.prepared);
        if (found == kept.constEnd()) {
            askDns(std::move(name));
            continue;
        }
        LookupResult result = *found;
        result.given = name.request.given;
        finish(name.position, result);
    }
}

void PacedRun::askDns(Name name)
{
    // A name that is not a domain name, or whose row cannot be asked, ends
    // at once; DNS may still show a name no registry is known for delegated.
    const bool dnsMayTell = m_dns && name.request.hasAsciiForm() && !name.request.route.badRow;
    if (!dnsMayTell) {
        askRegistry(name);
        return;
    }
    const QString asked = QString::fromLatin1(name.request.ascii);
    m_dnsWaiters[asked].append(std::move(name));
    m_dns->check(asked);
}

void PacedRun::dnsAnswered(const QString &asked, DnsPrecheck::Answer answer)
{
    const QList<Name> names = m_dnsWaiters.take(asked);
    for (const Name &name : names) {
        if (answer != DnsPrecheck::Answer::Delegated) {
            // No delegation does not make a name free: only its registry can say so.
            askRegistry(name);
            continue;
        }
        LookupResult result(0, name.request.prepared, QStringLiteral("dns"), LookupResult::Kind::Registered);
        result.given = name.request.given;
        result.sent = name.request.ascii;
        result.source = LookupResult::Source::Dns;
        result.answeredAt = QDateTime::currentDateTimeUtc();
        result.reason = QStringLiteral("dns:NS");
        ++m_settledByDns;
        finish(name.position, result);
    }
}

void PacedRun::askRegistry(const Name &name)
{
    if (const std::optional<LookupResult> unaskable = name.request.unaskable()) {
        finish(name.position, *unaskable);
        return;
    }
    m_client.submit(name.request, name.position);
}

void PacedRun::registryAnswered(const LookupResult &result, qint64 position)
{
    if (!m_running)
        return;
    if (result.kind == LookupResult::Kind::Timeout)
        m_session.reportUnanswered(result.remoteAddress);
    finish(qint32(position), result);
}

void PacedRun::finish(qint32 position, const LookupResult &result)
{
    const auto word = m_unfinished.find(position);
    if (word != m_unfinished.end() && --word->second == 0) {
        m_unfinished.erase(word);
        ++m_wordsEnded;
    }
    --m_unfinishedNames;
    m_unfiled.insert(position);
    const quint64 generation = m_generation;
    m_session.file(result, m_beside ? m_historySource : QString(), this,
                   [this, generation, position](const LookupResult &filedResult) {
                       if (generation == m_generation)
                           filed(position, filedResult);
                   });
    reportResumePosition();
    schedule();
}

void PacedRun::filed(qint32 position, const LookupResult &result)
{
    const auto at = m_unfiled.find(position);
    if (at != m_unfiled.end())
        m_unfiled.erase(at);
    ++m_ended;
    emit nameEnded(result);
    reportResumePosition();
    schedule();
}

void PacedRun::endRun()
{
    m_running = false;
    m_pumpTimer.stop();
    m_client.cancelAll();
    m_session.commitHistory();
    ++m_generation;
    emit stopped();
}
