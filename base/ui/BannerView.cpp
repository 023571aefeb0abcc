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

BannerView::~BannerView()
{
    // The view goes first, with its window, which the container only watches.
    delete m_view;
}

void BannerView::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (m_view)
        return;
    // The web view draws through the graphics stack. As a child widget it
    // would make the whole main window composite through it on every
    // repaint of a list or the status bar; in a window of its own, embedded
    // here, only its own frames do.
    m_view = new QWebEngineView;
    m_view->setObjectName(QStringLiteral("wbBannerView"));
    m_view->setContextMenuPolicy(Qt::NoContextMenu);
    // The first load gives the view the widget its pages draw on, and Qt then
    // replaces the view's window with one of the graphics stack's kind. Load
    // before the window exists, so that the window embedded is the one that
    // stays: an embedded window that Qt replaces leaves the strip blank.
    m_view->load(QUrl(m_address.isEmpty() ? QStringLiteral("about:blank") : m_address, QUrl::TolerantMode));
    m_view->resize(size());
    m_view->winId();
    QWidget *container = QWidget::createWindowContainer(m_view->windowHandle(), this);
    container->setObjectName(QStringLiteral("wbBannerWindow"));
    layout()->addWidget(container);
}
