#pragma once

#include <QStatusBar>

#include <array>

class QLabel;
class RunProgressBar;
class RunTally;
class StatusNotice;

// The main window's status bar: three panels (entry, open connections,
// connection status), the notice panel, the count of unanswered names and
// the run's progress bar.
class MainStatusBar : public QStatusBar
{
    Q_OBJECT

public:
    explicit MainStatusBar(QWidget *parent = nullptr);

    // 0 to 2: "StatusBar1Panel1" to "StatusBar1Panel3".
    QLabel *panel(int index) const { return m_panels.at(size_t(index)); }
    StatusNotice *notice() const { return m_notice; }
    RunProgressBar *progressBar() const { return m_progressBar; }

    // The panels' texts while no run goes on.
    void showIdlePanels();
    // Names without a verdict are counted beside the panels until the next run.
    void showUnanswered(qsizetype count);
    // "Checked 676 names in 1:34: 130 available, 546 registered, 0 unanswered";
    // over three TLDs "Checked 2028 names in 4:41: ... (676 words in com, net, org)".
    static QString runSummary(const RunTally &tally);

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    std::array<QLabel *, 3> m_panels{};
    StatusNotice *m_notice = nullptr;
    QLabel *m_unansweredLabel = nullptr;
    RunProgressBar *m_progressBar = nullptr;
};
