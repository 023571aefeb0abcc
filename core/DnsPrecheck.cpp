#include "core/DnsPrecheck.h"

#include <QDnsLookup>
#include <QTimer>

struct DnsPrecheck::Running
{
    QString name;
    QTimer timer;
};

DnsPrecheck::DnsPrecheck(Options options, QObject *parent)
    : QObject(parent)
    , m_options(std::move(options))
{
}

DnsPrecheck::~DnsPrecheck()
{
    cancelAll();
}

void DnsPrecheck::check(const QString &name)
{
    m_queue.enqueue(name);
    if (m_gaveUp) {
        // Answered from the event loop, as a look-up would be.
        QMetaObject::invokeMethod(this, &DnsPrecheck::failEverything, Qt::QueuedConnection);
        return;
    }
    startQueued();
}

void DnsPrecheck::cancelAll()
{
    m_queue.clear();
    auto running = std::move(m_running);
    m_running.clear();
    for (auto &[lookup, state] : running) {
        lookup->disconnect(this);
        lookup->abort();
        lookup->deleteLater();
    }
}

void DnsPrecheck::startQueued()
{
    while (!m_queue.isEmpty() && int(m_running.size()) < qMax(1, m_options.maxInFlight)) {
        auto *lookup = new QDnsLookup(QDnsLookup::NS, m_queue.dequeue(), m_options.server, this);
        auto state = std::make_unique<Running>();
        state->name = lookup->name();
        state->timer.setSingleShot(true);
        connect(&state->timer, &QTimer::timeout, this, [this, lookup] { expire(lookup); });
        connect(lookup, &QDnsLookup::finished, this, [this, lookup] { finish(lookup); });
        state->timer.start(m_options.timeoutMs);
        m_running.emplace(lookup, std::move(state));
        lookup->lookup();
    }
}

void DnsPrecheck::finish(QDnsLookup *lookup)
{
    const auto found = m_running.find(lookup);
    if (found == m_running.end())
        return;
    const QString name = found->second->name;
    m_running.erase(found);
    lookup->deleteLater();

    Answer answer = Answer::Failed;
    QString detail;
    if (lookup->error() == QDnsLookup::NoError)
        answer = lookup->nameServerRecords().isEmpty() ? Answer::NotDelegated : Answer::Delegated;
    else if (lookup->error() == QDnsLookup::NotFoundError)
        answer = Answer::NotDelegated;
    else
        detail = lookup->errorString();
    if (answer != Answer::Failed)
        m_failuresInRow = 0;
    emit answered(name, answer, detail);
    if (answer == Answer::Failed)
        noteFailure(detail);
    startQueued();
}

void DnsPrecheck::noteFailure(const QString &detail)
{
    if (m_gaveUp || ++m_failuresInRow < m_options.failuresToGiveUp)
        return;
    m_gaveUp = true;
    emit gaveUp(tr("DNS gave no answer %1 times in a row (%2); names go straight to their registries.")
                    .arg(m_failuresInRow)
                    .arg(detail));
    failEverything();
}

void DnsPrecheck::failEverything()
{
    QStringList names;
    for (auto &[lookup, state] : m_running) {
        names << state->name;
        lookup->disconnect(this);
        lookup->abort();
        lookup->deleteLater();
    }
    m_running.clear();
    while (!m_queue.isEmpty())
        names << m_queue.dequeue();
    for (const QString &name : std::as_const(names))
        emit answered(name, Answer::Failed, tr("DNS is not answering"));
}

void DnsPrecheck::expire(QDnsLookup *lookup)
{
    const auto found = m_running.find(lookup);
    if (found == m_running.end())
        return;
    const QString name = found->second->name;
    m_running.erase(found);
    // The resolver may still be busy with it; its late answer is ignored.
    lookup->disconnect(this);
    lookup->abort();
    lookup->deleteLater();
    const QString detail = tr("No DNS answer within %1 ms").arg(m_options.timeoutMs);
    emit answered(name, Answer::Failed, detail);
    noteFailure(detail);
    startQueued();
}
