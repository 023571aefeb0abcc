#pragma once

#include <QObject>
#include <QString>
#include <QTimer>

struct Branding;

// The invisible web-site launcher. A load opens the maker's web site in the
// user's browser; the launcher then stays loaded for m_unloadTimer's interval, and
// loads during that time do nothing.
class WebsiteLauncher : public QObject
{
    Q_OBJECT

public:
    // branding: refreshed from shippedDataDir (applyBranding) at every load.
    // unloadAfterMs: m_unloadTimer's interval; 10000 in the program, shorter in tests.
    WebsiteLauncher(Branding &branding, const QString &shippedDataDir, int unloadAfterMs = 10000,
                    QObject *parent = nullptr);

    // websiteTarget "Website" opens Branding::comments ("http://" put in front
    // when it names no http or https scheme); any other target opens nothing.
    // Returns false when the launcher was still loaded and nothing ran.
    bool load(const QString &websiteTarget);
    bool isLoaded() const { return m_unloadTimer.isActive(); }

signals:
    void unloaded();

private:
    Branding &m_branding;
    QString m_shippedDataDir;
    QTimer m_unloadTimer;
};
