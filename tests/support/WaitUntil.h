#pragma once

#include <QEventLoop>
#include <QTimer>

#include <functional>

// Runs a real event loop until done() holds or the time is up, and returns
// done(). QTRY_ polls with sleeps in between, which would stretch every 1 ms
// throttle tick (and starve the embedded browser) for the length of a sleep.
inline bool waitUntil(const std::function<bool()> &done, int timeoutMs = 15000)
{
    QEventLoop loop;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        if (done())
            loop.quit();
    });
    QTimer::singleShot(timeoutMs, &loop, &QEventLoop::quit);
    poll.start(1);
    loop.exec();
    return done();
}
