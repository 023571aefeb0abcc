#pragma once

#include <QString>
#include <QWidget>

class QWebEngineView;

// The web banner strip of the main window. The web view, and with it the web
// engine, is created only when the strip is first shown, so a window that
// never shows its banner never starts the engine.
class BannerView : public QWidget
{
    Q_OBJECT

public:
    static constexpr int bannerHeight = 60;

    explicit BannerView(QWidget *parent = nullptr);
    ~BannerView() override;

    // Loads the address now when the view exists, else when it is first shown.
    void navigate(const QString &address);
    QString address() const { return m_address; }
    // Null until the strip has been shown.
    QWebEngineView *view() const { return m_view; }

protected:
    void showEvent(QShowEvent *event) override;

private:
    QString m_address;
    QWebEngineView *m_view = nullptr;
};
