#pragma once

#include <QHostAddress>
#include <QObject>
#include <QQueue>
#include <QString>

#include <memory>
#include <unordered_map>

class QDnsLookup;
class QTimer;

// Asks DNS whether names are delegated (have NS records), many at a time and
// ahead of the registry queries. A delegated name is registered; a name
// without delegation may still be registered, so only the registry can call
// it available. A failed or slow lookup says nothing either way.
class DnsPrecheck : public QObject
{
    Q_OBJECT

public:
    enum class Answer { Delegated, NotDelegated, Failed };

    struct Options
    {
        QHostAddress server; // null: the system's resolver
        int maxInFlight = 64;
        int timeoutMs = 2000;
        // After this many failed look-ups in a row, with no answer between
        // them, DNS is taken to be unreachable: every look-up still running or
        // asked later fails at once.
        int failuresToGiveUp = 16;
    };

    explicit DnsPrecheck(Options options, QObject *parent = nullptr);
    ~DnsPrecheck() override;

    // Queues name (its ASCII form); answered() follows, exactly once per call.
    void check(const QString &name);
    // Drops every queued and running lookup without an answer.
    void cancelAll();
    const Options &options() const { return m_options; }
    int inFlight() const { return int(m_running.size()); }
    int queued() const { return int(m_queue.size()); }
    bool hasGivenUp() const { return m_gaveUp; }

signals:
    // detail: the error text when the lookup failed.
    void answered(const QString &name, DnsPrecheck::Answer answer, const QString &detail);
    // DNS did not answer failuresToGiveUp look-ups in a row; reason is for the user.
    void gaveUp(const QString &reason);

private:
    struct Running;
    void startQueued();
    void finish(QDnsLookup *lookup);
    void expire(QDnsLookup *lookup);
    void noteFailure(const QString &detail);
    void failEverything();

    Options m_options;
    QQueue<QString> m_queue;
    std::unordered_map<QDnsLookup *, std::unique_ptr<Running>> m_running;
    int m_failuresInRow = 0;
    bool m_gaveUp = false;
};
