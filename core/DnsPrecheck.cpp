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
    emit answered(name, answer, detail);
    startQueued();
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
    emit answered(name, Answer::Failed, tr("No DNS answer within %1 ms").arg(m_options.timeoutMs));
    startQueued();
}
