#pragma once

#include <QLabel>
#include <QTimer>

// A status bar panel for notices beside the window's own panels: a write
// that failed, the faults of a run. Unlike QStatusBar::showMessage() it
// never covers the other panels. A notice with details shows them on a click.
class StatusNotice : public QLabel
{
    Q_OBJECT

public:
    explicit StatusNotice(QWidget *parent = nullptr);

    // Shows text for timeoutMs, or until replaced when timeoutMs is 0. The
    // tooltip adds details to the text.
    void showNotice(const QString &text, int timeoutMs = 0, const QString &details = QString());
    void clearNotice();

signals:
    // A click on a notice that has details.
    void detailsRequested(const QString &text, const QString &details);

protected:
    void mousePressEvent(QMouseEvent *event) override;

private:
    QTimer m_expiry;
    QString m_details;
};
