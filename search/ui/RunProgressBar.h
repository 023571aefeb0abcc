#pragma once

#include "search/RunProgress.h"

#include <QElapsedTimer>
#include <QProgressBar>

// The status bar's progress of a search run: position of total, names per
// second and the time left. Shown from Start until the run stops.
class RunProgressBar : public QProgressBar
{
    Q_OBJECT

public:
    explicit RunProgressBar(QWidget *parent = nullptr);

    void start(qint32 startNumber, qint32 total);
    void advance(qint32 nextWordNumber);
    void finish();

private:
    void showProgress();

    RunProgress m_progress;
    QElapsedTimer m_clock;
};
