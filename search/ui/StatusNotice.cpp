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
    setToolTip(details.isEmpty() ? text : text + QLatin1Char('\n') + details);
    show();
    if (timeoutMs > 0)
        m_expiry.start(timeoutMs);
    else
        m_expiry.stop();
}

void StatusNotice::clearNotice()
{
    m_expiry.stop();
    clear();
    hide();
}
