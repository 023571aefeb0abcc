#include "base/ui/BannerView.h"

#include <QUrl>
#include <QVBoxLayout>
#include <QWebEngineView>

BannerView::BannerView(QWidget *parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("wbBanner"));
    setFixedHeight(bannerHeight);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
}

void BannerView::navigate(const QString &address)
{
    m_address = address;
    if (m_view && !address.isEmpty())
        m_view->load(QUrl(address, QUrl::TolerantMode));
}

void BannerView::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (m_view)
        return;
    m_view = new QWebEngineView(this);
    m_view->setObjectName(QStringLiteral("wbBannerView"));
    m_view->setContextMenuPolicy(Qt::NoContextMenu);
    layout()->addWidget(m_view);
    if (!m_address.isEmpty())
        m_view->load(QUrl(m_address, QUrl::TolerantMode));
}
