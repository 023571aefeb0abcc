#pragma once

#include <QObject>

class QSocketNotifier;

// Turns SIGINT into a signal delivered by the event loop, so a headless run
// can stop cleanly. One instance at a time; the default handling comes back
// when it is destroyed.
class InterruptWatcher : public QObject
{
    Q_OBJECT

public:
    explicit InterruptWatcher(QObject *parent = nullptr);
    ~InterruptWatcher() override;

signals:
    void interrupted();

private:
    static void handleSignal(int signalNumber);
    void readSignal();

    QSocketNotifier *m_notifier = nullptr;
};
