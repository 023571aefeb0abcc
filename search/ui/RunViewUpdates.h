#pragma once

#include <QHash>
#include <QObject>
#include <QString>
#include <QTimer>

#include <optional>

class QLabel;
class ResultLists;
class RunProgressBar;

// The main window's view updates while a search runs: label texts, the
// progress bar and the names filed into the result lists show at most once
// per period (the first at once, then the newest state at the end of each
// busy period), so a busy run repaints the window a few times a second
// rather than several times for every name. Outside a run every update
// shows at once.
class RunViewUpdates : public QObject
{
    Q_OBJECT

public:
    static constexpr int periodMs = 50;

    RunViewUpdates(ResultLists &results, RunProgressBar &progress, QObject *parent = nullptr);

    void runStarted();
    // Shows everything still waiting; from now on updates show at once.
    void runStopped();

    void setText(QLabel *label, const QString &text);
    void advanceProgress(qint32 nextWordNumber);

private:
    void request();
    void showWaiting();

    ResultLists &m_results;
    RunProgressBar &m_progress;
    QHash<QLabel *, QString> m_texts;
    std::optional<qint32> m_nextWordNumber;
    QTimer m_period;
    bool m_running = false;
    bool m_waiting = false;
};
