#include "harvest/BrowsedNameChecker.h"

#include "core/ConnectionPool.h"
#include "core/LookupRoute.h"
#include "core/NamePreparation.h"
#include "core/ReplyVerdict.h"
#include "core/Verdict.h"
#include "search/LookupSession.h"

#include <QFile>
#include <QHostAddress>

namespace {

// How the history names the verdicts of browsed pages.
const QString historySource = QStringLiteral("browse window");

bool isBareExtension(const QString &name)
{
    return name == QLatin1String(".com") || name == QLatin1String(".net");
}

bool isUsableLine(const QString &line)
{
    return !line.isEmpty() && line != QLatin1String(" ");
}

} // namespace

BrowsedNameChecker::BrowsedNameChecker(QString listPath, LookupSession &session, const ExtractionCounters &counters,
                                       BrowsedCheckTimings timings, QObject *parent)
    : QObject(parent)
    , m_listPath(std::move(listPath))
    , m_session(session)
    , m_counters(counters)
    , m_timings(timings)
{
    Timer1.setObjectName(QStringLiteral("Timer1"));
    timTimeout.setObjectName(QStringLiteral("timTimeout"));
    Timer1.setInterval(m_timings.dispatchMs);
    timTimeout.setInterval(m_timings.timeoutTickMs);
    connect(&m_client, &WhoisClient::answered, this, &BrowsedNameChecker::judgeReply);
    connect(&m_client, &WhoisClient::failed, this, &BrowsedNameChecker::connectionFailed);
    connect(&Timer1, &QTimer::timeout, this, &BrowsedNameChecker::dispatchNextName);
    connect(&timTimeout, &QTimer::timeout, this, &BrowsedNameChecker::onTimeoutTick);
    connect(&m_throttle, &ThrottleState::pauseEnded, this, &BrowsedNameChecker::onPauseEnded);
}

BrowsedNameChecker::~BrowsedNameChecker()
{
    m_client.disconnect(this);
}

void BrowsedNameChecker::start()
{
    m_nextIndex = 0;
    m_timeoutTicks = 0;
    m_state = State::Idle;
    Timer1.start();
}

void BrowsedNameChecker::stop()
{
    Timer1.stop();
    timTimeout.stop();
    m_client.abort();
    m_state = State::Idle;
}

void BrowsedNameChecker::dispatchNextName()
{
    if (m_state != State::Idle || m_nextIndex > m_counters.totalFound)
        return;
    const bool timerWasOn = Timer1.isActive();
    Timer1.stop();
    // A skipped name moves nextIndex on; the next one is tried at once.
    while (m_nextIndex <= m_counters.totalFound) {
        const WordRead entry = readListEntry(m_nextIndex);
        if (entry.status != WordRead::Status::Word) {
            const qint32 checked =
                m_session.results().counter(ResultList::High) + m_session.results().counter(ResultList::Registered) +
                m_session.results().counter(ResultList::Mid) + m_session.results().counter(ResultList::Low);
            emit checkStatusChanged(QStringLiteral("Checked %1 unique domains.").arg(checked));
            if (m_counters.pageFound > 0)
                emit pageStatusChanged(QStringLiteral("Finished domains on current page"));
            break;
        }
        if (checkBrowsedName(entry.word))
            break;
    }
    if (timerWasOn)
        Timer1.start();
}

WordRead BrowsedNameChecker::readListEntry(qint32 index) const
{
    QFile file(m_listPath);
    if (!file.open(QIODevice::ReadOnly))
        return WordRead::failed(file.errorString());
    const QByteArray contents = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return WordRead::failed(file.errorString());
    const QStringList lines = splitAtLineEnds(QString::fromLatin1(contents));
    qint32 usable = 0;
    for (const QString &line : lines) {
        if (!isUsableLine(line))
            continue;
        if (usable == index)
            return WordRead::found(line);
        ++usable;
    }
    return WordRead::endOfList();
}

bool BrowsedNameChecker::checkBrowsedName(const QString &name)
{
    m_currentName = removeControlCharacters(correctName(urlDecode(name)));
    const std::optional<QByteArray> ascii = queryBytes(m_currentName);
    if (!ascii || !containsEnabledTld(m_currentName, m_session.lookup().tldTable.enabledExtensionSet())) {
        skipName();
        return false;
    }
    // This window speaks WHOIS only: a name only an RDAP server answers for,
    // or nobody, is passed over rather than asked of another TLD's server.
    const LookupContext &lookup = m_session.lookup();
    const LookupRoute route = routeLookup(m_currentName, lookup.tldTable, lookup.useProxy, lookup.registries);
    if (!route.error.isEmpty() || route.isRdap()) {
        skipName();
        return false;
    }
    m_queryPort = route.port;
    m_queryServer = route.server;
    m_successText = route.successIndicators;
    m_throttle.setCurrentThrottleMs(route.throttleMs);
    m_timeoutTicks = 0;
    timTimeout.start();
    emit checkStatusChanged(QStringLiteral("Checking status of: ") + m_currentName);
    m_state = State::Querying;
    m_client.ask(m_queryServer, m_queryPort, *ascii);
    return true;
}

void BrowsedNameChecker::skipName()
{
    ++m_nextIndex;
    m_client.abort();
}

// A server that does not resolve or refuses the connection ends the name now.
void BrowsedNameChecker::connectionFailed(WhoisClient::Failure failure, const QString &description)
{
    if (m_state != State::Querying)
        return;
    timTimeout.stop();
    LookupOutcome failed = outcome(LookupOutcome::Kind::Error);
    failed.error = LookupOutcome::ErrorKind::Network;
    failed.errorString = description;
    failed.reason = WhoisClient::reason(failure);
    m_session.file(failed, historySource);
    finishName();
}

void BrowsedNameChecker::judgeReply()
{
    if (m_state != State::Querying)
        return;
    timTimeout.stop();
    const QByteArray &reply = m_client.reply();
    if (reply.isEmpty()) {
        // A connection closed before any byte says nothing about the name.
        LookupOutcome failed = outcome(LookupOutcome::Kind::Error);
        failed.error = LookupOutcome::ErrorKind::EmptyReply;
        m_session.file(failed, historySource);
        finishName();
        return;
    }
    Verdict verdict = ReplyVerdict::shipped().judge(reply, m_currentName, VerdictRule(m_successText)).verdict;
    // Only a name with a dot can be available; otherwise the reply is judged
    // by the refusal words alone.
    if (verdict == Verdict::Available && !m_currentName.contains(u'.'))
        verdict = judgeReplyText(reply, QString());

    switch (verdict) {
    case Verdict::Available:
        if (!isBareExtension(m_currentName) &&
            !m_currentName.contains(QLatin1String("endoffile"), Qt::CaseInsensitive)) {
            m_session.file(outcome(LookupOutcome::Kind::Available), historySource);
            m_List1.append(m_currentName);
            emit unregisteredCaptionChanged(QStringLiteral("Unregistered: (%1)").arg(m_List1.size()));
            emit checkStatusChanged(QStringLiteral("Unregistered: ") + m_currentName);
        }
        break;
    case Verdict::Blocked:
        m_session.file(outcome(LookupOutcome::Kind::Blocked), historySource);
        break;
    case Verdict::Registered:
        if (!isBareExtension(m_currentName)) {
            m_session.file(outcome(LookupOutcome::Kind::Registered), historySource);
            m_List2.append(m_currentName);
            emit registeredCaptionChanged(QStringLiteral("Registered: (%1)").arg(m_List2.size()));
        }
        break;
    }
    finishName();
}

void BrowsedNameChecker::finishName()
{
    ++m_nextIndex;
    m_client.abort();
    m_state = State::Pausing;
    m_throttle.startPause();
    emit checkStatusChanged(
        QStringLiteral("Pausing for %1 milliseconds.").arg(m_throttle.currentThrottleMs()));
}

void BrowsedNameChecker::onPauseEnded()
{
    if (m_state != State::Pausing)
        return;
    m_state = State::Idle;
    dispatchNextName();
}

void BrowsedNameChecker::onTimeoutTick()
{
    if (m_state != State::Querying) {
        timTimeout.stop();
        return;
    }
    if (++m_timeoutTicks < m_timings.timeoutTicks)
        return;
    timTimeout.stop();
    m_session.reportUnanswered(serverAddress());
    m_timeoutTicks = 0;
    m_client.abort();
    ++m_nextIndex;
    m_state = State::Idle;
    dispatchNextName();
}

QString BrowsedNameChecker::serverAddress() const
{
    return m_client.remoteAddress();
}

LookupOutcome BrowsedNameChecker::outcome(LookupOutcome::Kind kind) const
{
    LookupOutcome ended{0, m_currentName, m_queryServer, kind};
    ended.remoteAddress = serverAddress();
    ended.reply = m_client.reply();
    return ended;
}
