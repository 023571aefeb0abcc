#include "search/ui/RunProgressBar.h"

RunProgressBar::RunProgressBar(QWidget *parent)
    : QProgressBar(parent)
{
    setObjectName(QStringLiteral("RunProgress"));
    setTextVisible(true);
    // Room for the longest text: "456976 of 456976 · 9999.9 names/s · ETA 99:59:59".
    setMinimumWidth(
        fontMetrics().horizontalAdvance(QStringLiteral("456976 of 456976 · 9999.9 names/s · ETA 99:59:59")) + 24);
    hide();
}

void RunProgressBar::start(qint32 startNumber, qint32 total)
{
    m_clock.start();
    m_progress.start(startNumber, total, 0);
    setRange(0, qMax(1, total));
    showProgress();
    show();
}

void RunProgressBar::advance(qint32 nextWordNumber)
{
    if (isHidden())
        return;
    m_progress.advance(nextWordNumber, m_clock.elapsed());
    showProgress();
}

void RunProgressBar::finish()
{
    hide();
}

void RunProgressBar::showProgress()
{
    setValue(qBound(0, m_progress.position(), maximum()));
    // The text is ours; "%" signs in it would be read as placeholders.
    setFormat(m_progress.text().replace(QLatin1Char('%'), QStringLiteral("%%")));
}
