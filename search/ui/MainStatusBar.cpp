#include "search/ui/MainStatusBar.h"

#include "search/RunProgress.h"
#include "search/RunTally.h"
#include "search/ui/RunProgressBar.h"
#include "search/ui/StatusNotice.h"

#include <QLabel>
#include <QResizeEvent>

namespace {

const char *const idleTexts[] = {"Entry Status", "Open Connections", "Connection Status"};

} // namespace

MainStatusBar::MainStatusBar(QWidget *parent)
    : QStatusBar(parent)
{
    setObjectName(QStringLiteral("StatusBar1"));
    for (size_t panel = 0; panel < m_panels.size(); ++panel) {
        m_panels[panel] = new QLabel(QLatin1String(idleTexts[panel]), this);
        m_panels[panel]->setObjectName(QStringLiteral("StatusBar1Panel%1").arg(panel + 1));
        // Widths follow the stretch alone, so long texts never push the other panels.
        m_panels[panel]->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
        addWidget(m_panels[panel], panel == 2 ? 2 : 1);
    }
    m_notice = new StatusNotice(this);
    // A long notice never widens the window: it gives way to the window's
    // width, and takes at most half of it (see resizeEvent()).
    m_notice->setMinimumWidth(1);
    addPermanentWidget(m_notice);
    m_unansweredLabel = new QLabel(this);
    m_unansweredLabel->setObjectName(QStringLiteral("lblUnanswered"));
    m_unansweredLabel->hide();
    addPermanentWidget(m_unansweredLabel);
    m_progressBar = new RunProgressBar(this);
    addPermanentWidget(m_progressBar);
}

void MainStatusBar::showIdlePanels()
{
    for (size_t panel = 0; panel < m_panels.size(); ++panel)
        m_panels[panel]->setText(QLatin1String(idleTexts[panel]));
}

void MainStatusBar::showUnanswered(qsizetype count)
{
    m_unansweredLabel->setText(QStringLiteral("%1 unanswered").arg(count));
    m_unansweredLabel->setVisible(count > 0);
}

QString MainStatusBar::runSummary(const RunTally &tally)
{
    const QString took = RunProgress::durationText(tally.elapsedMs() / 1000);
    // A run over several TLDs says how many words made its names: last, as
    // a narrow panel cuts the end off.
    const QString words = tally.tlds().size() > 1 && tally.checked() > tally.words()
                              ? QStringLiteral(" (%1 words in %2)").arg(tally.words()).arg(tally.tlds().join(u", "))
                              : QString();
    return QStringLiteral("Checked %1 names in %2: %3 available, %4 registered, %5 unanswered")
               .arg(tally.checked())
               .arg(took)
               .arg(tally.available())
               .arg(tally.registered())
               .arg(tally.unanswered()) +
           words;
}

// A long notice takes at most half the width the window's frames have.
void MainStatusBar::resizeEvent(QResizeEvent *event)
{
    const int frameMargins = qRound(300 * logicalDpiX() / 1440.0);
    m_notice->setMaximumWidth((event->size().width() - frameMargins) / 2);
    QStatusBar::resizeEvent(event);
}
