#pragma once

#include "core/DomainListModel.h"
#include "core/ResultList.h"
#include "search/PacedRun.h"
#include "search/RepeatedFaults.h"
#include "search/ResultsExport.h"
#include "search/RunTally.h"
#include "search/SearchType.h"
#include "search/StringListWordSource.h"
#include "search/WordFile.h"
#include "search/ui/ResultListsPanel.h"

#include <QMainWindow>

#include <memory>
#include <optional>

class BannerView;
class DomainListView;
class SkinLabelArray;
class QAction;
class QLabel;
class LookupSession;
class MainStatusBar;
class RunViewUpdates;
class SearchControls;
struct DesktopContext;
struct LookupResult;

// The program's main window: the search row, the five domain lists, the
// menus and the status bar, each a class of its own, wired here to the
// runs. Its searches run on the program's lookup session.
class MainWindow : public QMainWindow
{
    Q_OBJECT

public:
    explicit MainWindow(DesktopContext &context, QWidget *parent = nullptr);
    ~MainWindow() override;

    // The start-up sequence; a failure of the lookup session's start-up shows
    // in the status bar and the window goes on without it.
    void startUp();

    DomainListView *list(ResultList which) const { return m_listsPanel->list(which); }
    LookupSession &session() const;
    // The paced run behind Start and Stop.
    PacedRun &searchRun() { return m_run; }
    QString wordFile() const { return m_wordFile.path(); }
    // What the list builder reads: the search string, the search type's text
    // and the selected entry of the amount box.
    QString searchText() const;
    QString searchTypeText() const;
    int amountIndex() const;

    // Fills cmbTLDs from TLDs.txt.
    void loadTLDs();
    qint32 countListEntries() { return m_wordFile.countListEntries(); }
    void loadSavedDomains() { m_listsPanel->loadSavedDomains(); }
    void saveSavedDomains() { m_listsPanel->saveSavedDomains(); }

    // A drop on the saved list: the payload's row numbers of the list last
    // clicked (one of the lookup lists) are appended; the saved-domains file is rewritten.
    void dropOnSavedList(const QString &payload) { m_listsPanel->dropOnSavedList(payload); }

    // A list made by another window is ready: its size goes into the "Of"
    // box, the start number into "Start Number:", and Start is pressed.
    void startListSearch(qint32 wordMax, qint32 startNumber = 1);
    // The name creator's list is ready: it is searched from its first name,
    // whatever search type the box showed.
    void startGeneratedSearch(qint32 wordMax);
    // A list made by another window is ready: its size goes into the "Of"
    // box and the start number becomes "1".
    void setListSize(qint32 wordMax);

    // Start and Stop, as the buttons run them. Start does nothing while
    // there is no list to search.
    void startSearch();
    void stopSearch();
    // Tools > "Re-run Unanswered Names": a run over exactly the names the
    // last run left without a verdict.
    void rerunUnanswered();

    // Appends names to the saved list and rewrites the saved-domains file.
    void saveNames(const QStringList &names) { m_listsPanel->saveNames(names); }
    // File > "Export Results...": every list into a CSV file the user names.
    void exportResults();

signals:
    // Secondary windows the main window asks for; the program wires them.
    void setupRequested();
    void listBuilderRequested();
    void browseWindowRequested();
    void nameCreatorRequested();
    void aboutRequested();
    void helpRequested();
    void websiteRequested();
    void whoisWindowRequested(const QString &domain);
    void overflowNoticeRequested();
    void historyWindowRequested();
    void shutDownRequested();

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void buildControls();
    void connectSearchControls();
    void buildMenus();
    void chooseSearchType(int index);
    // Tools menu: a run in progress stops first, as Stop stops it.
    void pickSearchType(int index);
    bool hasListToSearch() const;
    void explainFolderProblem();
    void explainStartButton();
    // A fault goes to the notice panel, its text a click away: a run is never held.
    void lookupFault(const QString &title, const QString &text);
    // openWindows: false keeps the windows a type opens (name creator) shut.
    void applySearchTypeSelection(SearchType type, bool openWindows = true);
    void restoreSearchType();
    void reportFailedLookup(const LookupResult &outcome);
    void restoreAfterStop();
    bool startNumberFits();
    void startRun(WordSource &source);
    void showRunProgress();

    DesktopContext &m_context;
    DomainListModel m_savedModel;
    ResultsExport m_export;
    RepeatedFaults m_faults;
    RunTally m_tally;
    WordFile m_wordFile;
    PacedRun m_run;
    StringListWordSource m_rerunSource{QStringList()};
    bool m_rerunning = false;
    qint32 m_runStart = 1;
    qint32 m_runSize = 0;
    std::optional<SearchType> m_searchType;
    // Why the program folder cannot be used, or empty.
    QString m_folderProblem;

    SearchControls *m_search = nullptr;
    ResultListsPanel *m_listsPanel = nullptr;
    MainStatusBar *m_status = nullptr;
    RunViewUpdates *m_viewUpdates = nullptr;
    QAction *m_rerunAction = nullptr;
    std::unique_ptr<SkinLabelArray> m_searchSkinLabels;
    std::unique_ptr<SkinLabelArray> m_listSkinLabels;
    BannerView *m_banner = nullptr;
    QLabel *m_bannerPicture = nullptr;
};
