#pragma once

#include "base/Branding.h"
#include "harvest/BrowsedNameChecker.h"
#include "harvest/BrowsedPageExtraction.h"

#include <QMainWindow>
#include <QStringList>
#include <QTimer>

#include <array>
#include <functional>
#include <memory>
#include <optional>

class QComboBox;
class QLayout;
class QLabel;
class QListView;
class QPushButton;
class QWebEngineLoadingInfo;
class QWebEngineView;
class LookupSession;
class SkinLabel;
class SkinLabelArray;
class Skinner;

// The "Browse for Domains" window: a web browser that takes the domain names
// out of every page it shows (and out of the pages of that page's frames and
// iframes, which the hidden second browser loads), appends the new ones to its
// own list file (browsedNamesPath) and has them checked through the lookup
// session as they are found. The list builder's BrowserSearch.txt is left
// alone, so a list-builder run while the window is open does not disturb it.
// A new page, "Clear" and "Stop Checking" drop the names not yet checked.
// Available names land in "Unregistered:" and the program's profile lists,
// registered ones in "Registered:" and the program's registered list.
//
// The window deletes itself when closed; its list file is deleted when it
// opens and when it closes.
class BrowseWindow : public QMainWindow
{
    Q_OBJECT

public:
    // session: the program's lookup session, whose program folder, TLD table,
    // lookups and result lists the window uses; selectedDomain is the
    // program's name last double-clicked. With a skinner (the skin is on) the
    // window's labels are skinned and the skin is applied.
    BrowseWindow(LookupSession &session, const Branding &branding, QString &selectedDomain,
                 const Skinner *skinner = nullptr, QWidget *parent = nullptr);
    ~BrowseWindow() override;

    // Whether pages yield names under every TLD that has a registry (on), or
    // only under the enabled rows of the TLD table (off, the default).
    void setEveryTld(bool on);

    // The address box's "GO": the text joins the history, the browser goes there.
    void navigate(const QString &address);
    void layoutBrowseWindow();

    QWebEngineView *browser() const { return m_browser; }
    BrowsedNameChecker &checker() { return m_checker; }
    const BrowsedPages &pages() const { return m_pages; }

signals:
    // A double-click while double-click does not purchase: the WHOIS
    // information window is to show the name.
    void whoisWindowRequested(const QString &domain);

protected:
    void closeEvent(QCloseEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void buildControls();
    QWidget *buildAddressBar(QWidget *central);
    QWidget *buildMarketBar(QWidget *central);
    QLayout *buildListColumn(QWidget *central);
    void buildStatusBar();
    void connectBrowser();
    // Extracts the body HTML of the view's document once it is complete (each
    // document once), then runs then.
    void readBody(QWebEngineView *view, const std::function<void()> &then = {});
    void extractPage(const QString &pageText);
    // A new page: what is left of the last one is neither read nor checked.
    void dropLastPage();
    void showCheckProgress(int checked, int total);
    void showChecked(const LookupResult &outcome);
    void startNextExtraction();
    void extractSomeLines();
    void endExtraction();
    void followFrame(const QString &address);
    void queueFrame(const QUrl &url);
    void loadingChanged(const QWebEngineLoadingInfo &info);
    void loadNextFrame();
    void openMarketplace(int index);
    void clearCache();
    void copyList(int list);
    void clearList(int list);
    void deleteSelected(int list);
    void doubleClicked(int list, const QModelIndex &index);
    void unload();
    void setPageStatus(const QString &text);
    int twips(int value) const;

    QString m_programFolder;
    Branding m_branding;
    LookupSession &m_session;
    QString &m_selectedDomain;

    BrowsedPages m_pages;
    BrowsedNameChecker m_checker;
    HarvestData m_harvest;
    bool m_everyTld = false;
    std::optional<BrowsedPageExtraction> m_extraction;
    QStringList m_pendingPages;
    QTimer m_sliceTimer;
    QTimer m_documentPoll;
    QStringList m_framesToLoad;
    QStringList m_framesFollowed;
    bool m_frameLoading = false;
    bool m_unloaded = false;

    QComboBox *m_addressBox = nullptr;
    QWebEngineView *m_browser = nullptr;
    QWebEngineView *m_frameReader = nullptr;
    std::array<SkinLabel *, 2> m_listLabels{};
    std::array<QListView *, 2> m_lists{};
    std::array<QLabel *, 3> m_statusPanels{};
    QPushButton *m_stopChecking = nullptr;
    std::unique_ptr<SkinLabelArray> m_skinLabels;
};
