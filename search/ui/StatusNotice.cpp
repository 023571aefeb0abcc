#include "search/ui/StatusNotice.h"

StatusNotice::StatusNotice(QWidget *parent)
    : QLabel(parent)
{
    setObjectName(QStringLiteral("StatusNotice"));
    m_expiry.setSingleShot(true);
    connect(&m_expiry, &QTimer::timeout, this, &StatusNotice::clearNotice);
    hide();
}

void StatusNotice::showNotice(const QString &text, int timeoutMs, const QString &details)
{
    setText(text);
    m_details = details;
    setToolTip(details.isEmpty() ? text : text + QLatin1Char('\n') + details + QStringLiteral("\n(click for details)"));
    setCursor(details.isEmpty() ? Qt::ArrowCursor : Qt::PointingHandCursor);
    show();
    if (timeoutMs > 0)
        m_expiry.start(timeoutMs);
    else
        m_expiry.stop();
}

void StatusNotice::clearNotice()
{
    m_expiry.stop();
    m_details.clear();
    clear();
    hide();
}

void StatusNotice::mousePressEvent(QMouseEvent *event)
{
    QLabel::mousePressEvent(event);
    if (!m_details.isEmpty())
        emit detailsRequested(text(), m_details);
}
