#include "search/ui/MainWindow.h"

#include "base/Csv.h"
#include "base/Prompt.h"
#include "base/ui/BannerView.h"
#include "base/ui/SkinLabel.h"
#include "base/ui/Skinner.h"
#include "base/ui/WindowIcons.h"
#include "core/TldFile.h"
#include "search/LookupSession.h"
#include "search/ResumePositions.h"
#include "search/ui/DesktopContext.h"
#include "search/ui/MainMenus.h"
#include "search/ui/MainStatusBar.h"
#include "search/ui/ResultListsPanel.h"
#include "search/ui/RunProgressBar.h"
#include "search/ui/RunViewUpdates.h"
#include "search/ui/SearchControls.h"
#include "search/ui/StatusNotice.h"
#include "search/ui/TldChecklist.h"
#include "settings/SettingsStore.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

MainWindow::MainWindow(DesktopContext &context, QWidget *parent)
    : QMainWindow(parent)
    , m_context(context)
    , m_export(context.session, m_savedModel)
    , m_run(context.session)
{
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("Vantrel - Domain Name Manager"));
    buildControls();
    buildMenus();

    LookupSession &lookup = session();
    m_viewUpdates = new RunViewUpdates(lookup.results(), *m_status->progressBar(), this);
    connect(&lookup.results(), &ResultLists::countChanged, this, [this](ResultList list, int rows) {
        m_viewUpdates->setText(m_listsPanel->captionLabel(list), ResultListsPanel::caption(list, rows));
    });
    connect(&lookup.results(), &ResultLists::overflowSaved, this, &MainWindow::overflowNoticeRequested);
    connect(&lookup.results(), &ResultLists::unansweredCountChanged, m_status, &MainStatusBar::showUnanswered);
    connect(&lookup.results(), &ResultLists::writeFailed, this,
            [this](const QString &message) { m_status->notice()->showNotice(message, 10000); });
    connect(&m_run, &PacedRun::nameConnected, this, [this](const QString &domain) {
        m_viewUpdates->setText(m_status->panel(2), QStringLiteral("connecting: - Search String: %1").arg(domain));
    });
    connect(&m_run, &PacedRun::dnsGaveUp, this,
            [this](const QString &reason) { m_status->notice()->showNotice(reason, 10000); });
    connect(&m_run, &PacedRun::nameEnded, this, [this](const LookupResult &result) {
        m_tally.count(result);
        reportFailedLookup(result);
        showRunProgress();
    });
    connect(&m_run, &PacedRun::wordSourceFailed, this, [this](const QString &message) {
        m_context.prompt.showMessage(m_context.branding.productName, message, Prompt::Icon::None, Prompt::Buttons::Ok);
    });
    connect(&m_run, &PacedRun::resumePositionChanged, this, [this](qint32 position) {
        QString error;
        if (m_searchType && !m_rerunning && !ResumePositions(m_context.settings).save(*m_searchType, position, &error))
            m_status->notice()->showNotice(error, 10000);
    });
    connect(&m_run, &PacedRun::stopped, this, &MainWindow::restoreAfterStop);
}

MainWindow::~MainWindow() = default;

// The banner (while the product shows one), the search row and the five
// lists, one above the other; the lists take the height left.
void MainWindow::buildControls()
{
    auto *central = new QWidget(this);
    setCentralWidget(central);
    m_search = new SearchControls(central);
    m_listsPanel = new ResultListsPanel(m_context, m_savedModel, central);
    connect(m_listsPanel, &ResultListsPanel::whoisRequested, this, &MainWindow::whoisWindowRequested);
    m_bannerPicture = new QLabel(central);
    m_bannerPicture->setObjectName(QStringLiteral("wbPicture"));
    m_bannerPicture->setGeometry(0, 0, 0, 0);
    m_banner = new BannerView(central);
    // The strip is as wide as the window, whatever width its page asks for.
    m_banner->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
    m_banner->hide();
    m_searchSkinLabels = std::make_unique<SkinLabelArray>(QStringLiteral("SkinLabel1"), m_search);
    m_listSkinLabels = std::make_unique<SkinLabelArray>(QStringLiteral("SkinLabel2"), m_listsPanel);

    const int margin = qRound(150 * logicalDpiX() / 1440.0);
    auto *column = new QVBoxLayout(central);
    column->setContentsMargins(margin, margin / 2, margin, 2 * margin);
    column->setSpacing(margin / 2);
    column->addWidget(m_banner);
    column->addWidget(m_search);
    column->addWidget(m_listsPanel, 1);

    m_status = new MainStatusBar(this);
    setStatusBar(m_status);
    connect(
        m_status->notice(), &StatusNotice::detailsRequested, this, [this](const QString &text, const QString &details) {
            m_context.prompt.showMessage(m_context.branding.productName, text + QStringLiteral("\r\n\r\n") + details,
                                         Prompt::Icon::Information, Prompt::Buttons::Ok);
        });
    connectSearchControls();
}

void MainWindow::connectSearchControls()
{
    connect(m_search->searchTypeBox, &QComboBox::activated, this, &MainWindow::chooseSearchType);
    connect(m_search->cmdDoSearch, &QPushButton::clicked, this, &MainWindow::startSearch);
    connect(m_search->stopButton, &QPushButton::clicked, this, &MainWindow::stopSearch);
    connect(m_search->cmdSetup, &QPushButton::clicked, this, &MainWindow::setupRequested);
    connect(m_search->cmdCreate, &QPushButton::clicked, this, &MainWindow::listBuilderRequested);
    connect(m_search->cmdWebsite, &QPushButton::clicked, this, &MainWindow::websiteRequested);
    connect(m_search->cmbTLDs, &QComboBox::currentTextChanged, this, [this](const QString &tld) {
        m_search->tldChecklist->choices().setBoxTld(tld);
        m_search->cmbTLDs->setToolTip(tld);
    });
    connect(m_search->cmbTLDs, &QComboBox::activated, this,
            [this] { m_context.settings.setValue(Settings::lastTld, m_search->cmbTLDs->currentText()); });
    TldChoices &tlds = m_search->tldChecklist->choices();
    tlds.setTickedText(m_context.settings.value(Settings::tickedTlds));
    connect(&tlds, &TldChoices::runTldsChanged, this, [this](const QStringList &run) { session().setChosenTlds(run); });
    connect(&tlds, &TldChoices::tickedChanged, this,
            [this, &tlds] { m_context.settings.setValue(Settings::tickedTlds, tlds.tickedText()); });
}

void MainWindow::buildMenus()
{
    auto *menus = new MainMenus(menuBar());
    m_rerunAction = menus->rerunAction();
    connect(menus, &MainMenus::exportRequested, this, &MainWindow::exportResults);
    connect(menus, &MainMenus::exitRequested, this, &MainWindow::close);
    connect(menus, &MainMenus::clearRequested, m_listsPanel, &ResultListsPanel::clearList);
    connect(menus, &MainMenus::copyRequested, m_listsPanel, &ResultListsPanel::copyList);
    connect(menus, &MainMenus::searchTypePicked, this, &MainWindow::pickSearchType);
    connect(menus, &MainMenus::rerunRequested, this, &MainWindow::rerunUnanswered);
    connect(menus, &MainMenus::historyRequested, this, &MainWindow::historyWindowRequested);
    connect(menus, &MainMenus::setupRequested, this, &MainWindow::setupRequested);
    connect(menus, &MainMenus::helpRequested, this, &MainWindow::helpRequested);
    connect(menus, &MainMenus::aboutRequested, this, &MainWindow::aboutRequested);
}

LookupSession &MainWindow::session() const
{
    return m_context.session;
}

void MainWindow::startUp()
{
    const Branding &branding = m_context.branding;
    SettingsStore &settings = m_context.settings;
    const QString product = branding.productName;

    loadTLDs();
    if (branding.useSplashIcon)
        setWindowIcon(programIcon(QStringLiteral("AAA")));
    setWindowIcons(this, QStringLiteral("AAA"), true);
    setWindowTitle(product + QStringLiteral(" by ") + branding.companyName);
    m_search->cmdWebsite->setText(QStringLiteral("Visit ") + branding.comments);
    if (branding.purchaseOnDoubleClick)
        m_listsPanel->setTitle(QStringLiteral("Domain Name Manager - Double Click any domain to purchase"));
    if (branding.useSkin && m_context.skinner) {
        Skinner::skinLabels(this, {m_searchSkinLabels.get(), m_listSkinLabels.get()});
        m_context.skinner->applySkin(this);
    }
    if (branding.showBanner) {
        m_bannerPicture->hide();
        m_banner->show();
        m_banner->navigate(branding.bannerUrl);
    }

    // The help file is among the shipped files the session's start-up installs.
    QString error;
    const QFileInfo folder(m_context.programFolder);
    if (!session().prepare(&error) && (!folder.isDir() || !folder.isWritable()))
        m_folderProblem = error;
    else if (!error.isEmpty())
        m_status->notice()->showNotice(error, 10000);
    else if (const QString notice = session().registryNotice() + session().historyNotice(); !notice.isEmpty())
        m_status->notice()->showNotice(notice, 10000);
    // A first start has just written TLDs.txt.
    loadTLDs();
    if (settings.value(Settings::showHelp)) {
        settings.setValue(Settings::showHelp, false);
        emit helpRequested();
    }
    m_listsPanel->loadSavedDomains();
    restoreSearchType();
    explainStartButton();
    // Without a window manager "maximised" means nothing: take the screen.
    if (screen())
        setGeometry(screen()->availableGeometry());
    showMaximized();

    if (!m_folderProblem.isEmpty())
        explainFolderProblem();
    if (settings.value(Settings::firstUse).isEmpty()) {
        settings.setValue(Settings::firstUse, QStringLiteral("NO"));
        m_context.prompt.showMessage(
            product,
            QStringLiteral("Since this is your first time using this program you should visit the Setup area to enable "
                           "any Top Level Domains (TLDs) that you want to work with.\r\n\r\nBy default, only .COM and "
                           ".NET domains are enabled, but you can configure this program to work with any TLD."),
            Prompt::Icon::None, Prompt::Buttons::Ok);
    }
}

void MainWindow::loadTLDs()
{
    QComboBox *tlds = m_search->cmbTLDs;
    QStringList wanted{tlds->currentText(), m_context.settings.value(Settings::lastTld),
                       QString(m_context.settings.value(Settings::defaultExtension)).remove(QLatin1Char('.')),
                       QStringLiteral("com")};
    const QSignalBlocker blocker(tlds);
    tlds->clear();
    const QStringList extensions = TldFile(m_context.programFolder).enabledExtensions();
    for (const QString &extension : extensions) {
        tlds->addItem(extension);
        tlds->setItemData(tlds->count() - 1, extension, Qt::ToolTipRole);
    }
    wanted.removeAll(QString());
    for (const QString &tld : std::as_const(wanted)) {
        if (const int index = tlds->findText(tld, Qt::MatchFixedString); index >= 0) {
            tlds->setCurrentIndex(index);
            break;
        }
    }
    tlds->setToolTip(tlds->currentText());
    m_search->tldChecklist->choices().setExtensions(extensions, tlds->currentText());
}

void MainWindow::chooseSearchType(int index)
{
    const std::optional<SearchType> type = SearchTypes::fromText(m_search->searchTypeBox->itemText(index));
    if (type)
        applySearchTypeSelection(*type);
}

void MainWindow::applySearchTypeSelection(SearchType type, bool openWindows)
{
    const SearchTypeSelection selection = selectSearchType(type, m_context.programFolder, m_context.settings);
    if (selection.opensBrowseWindow) {
        m_search->showWordRangeControls(false);
        m_search->showInternetSearchControls(false);
        emit browseWindowRequested();
        return;
    }
    m_searchType = type;
    if (!selection.choosesWordFile && !selection.opensNameCreator)
        m_context.settings.setValue(Settings::lastSearchType, SearchTypes::text(type));
    m_search->showInternetSearchControls(selection.showInternetSearch);
    m_search->showWordRangeControls(selection.showWordRange);
    if (selection.setsWordFile)
        m_wordFile.setPath(selection.wordFile);
    if (selection.choosesWordFile) {
        m_wordFile.setPath(m_context.prompt.openFileName(
            QString(), QDir(m_context.programFolder).filePath(QStringLiteral("wordlists")), QStringLiteral("*.txt")));
    }
    if (selection.countsEntries)
        m_search->txtWordMax->setText(QString::number(countListEntries()));
    if (selection.setsControls) {
        m_search->cmdDoSearch->setEnabled(selection.startEnabled && hasListToSearch());
        explainStartButton();
        m_search->stopButton->setEnabled(selection.stopEnabled);
        m_search->txtsearch->setEnabled(selection.internetSearchEnabled);
        m_search->amountBox->setEnabled(selection.internetSearchEnabled);
        m_search->cmdCreate->setEnabled(selection.internetSearchEnabled && !m_search->txtsearch->text().isEmpty());
        m_search->txtWordNum->setEnabled(selection.wordNumberEnabled);
        // A list searched to its end starts over.
        const bool finished =
            selection.wordNumberText.toInt() > m_search->txtWordMax->text().toInt() && selection.countsEntries;
        m_search->txtWordNum->setText(finished ? QStringLiteral("1") : selection.wordNumberText);
    }
    if (selection.opensNameCreator && openWindows)
        emit nameCreatorRequested();
}

// The last search type that opens no window or dialog comes back as chosen.
void MainWindow::restoreSearchType()
{
    const std::optional<SearchType> type = SearchTypes::fromText(m_context.settings.value(Settings::lastSearchType));
    if (!type)
        return;
    m_search->searchTypeBox->setCurrentIndex(m_search->searchTypeBox->findText(SearchTypes::text(*type)));
    applySearchTypeSelection(*type);
}

void MainWindow::startGeneratedSearch(qint32 wordMax)
{
    m_search->searchTypeBox->setCurrentIndex(
        m_search->searchTypeBox->findText(SearchTypes::text(SearchType::GenerateNames)));
    applySearchTypeSelection(SearchType::GenerateNames, false);
    startListSearch(wordMax);
}

void MainWindow::pickSearchType(int index)
{
    if (m_run.isRunning())
        stopSearch();
    m_search->searchTypeBox->setCurrentIndex(index);
    chooseSearchType(index);
}

bool MainWindow::hasListToSearch() const
{
    return !m_wordFile.path().isEmpty() && QFileInfo(m_wordFile.path()).isFile();
}

void MainWindow::explainFolderProblem()
{
    m_context.prompt.showMessage(
        m_context.branding.productName,
        QStringLiteral("%1 cannot use its program folder: %2.\r\n\r\nWithout it there are no word lists to "
                       "search, results, saved domains and TLD changes are not kept, and Setup cannot save. Make %3 "
                       "writable, or start the program with --home and a folder of your own.")
            .arg(m_context.branding.productName, m_folderProblem, QDir::toNativeSeparators(m_context.programFolder)),
        Prompt::Icon::Warning, Prompt::Buttons::Ok);
}

// Start's tooltip says why it is off when there is nothing to search.
void MainWindow::explainStartButton()
{
    QString why;
    if (!m_search->cmdDoSearch->isEnabled() && !hasListToSearch()) {
        if (!m_folderProblem.isEmpty())
            why = QStringLiteral("Start is off: %1.").arg(m_folderProblem);
        else if (m_wordFile.path().isEmpty())
            why = QStringLiteral("Start is off: choose a search type first.");
        else
            why = QStringLiteral("Start is off: the list %1 does not exist.")
                      .arg(QDir::toNativeSeparators(m_wordFile.path()));
    }
    m_search->cmdDoSearch->setToolTip(why.isEmpty() ? QStringLiteral("Click here to start searching your list.") : why);
}

void MainWindow::reportFailedLookup(const LookupResult &outcome)
{
    if (outcome.error != LookupResult::ErrorKind::NoTldEntry)
        return;
    lookupFault(QStringLiteral("Error"),
                QStringLiteral("An error has occurred.\r\nError #: 1\r\nDescription: ") + outcome.errorString);
}

void MainWindow::startSearch()
{
    if (!hasListToSearch() || !startNumberFits())
        return;
    m_search->setSearchControlsEnabled(false);
    if (m_searchType && SearchTypes::isEngineSearch(*m_searchType))
        m_search->txtWordNum->setText(QStringLiteral("1"));
    m_search->stopButton->setEnabled(true);
    session().setSource(m_search->searchTypeBox->currentText());
    m_faults.startRun();
    m_status->notice()->clearNotice();
    m_runStart = m_search->txtWordNum->text().toInt();
    m_runSize = m_search->txtWordMax->text().toInt();
    m_rerunning = false;
    startRun(m_wordFile);
}

void MainWindow::rerunUnanswered()
{
    if (m_run.isRunning() || session().results().unanswered().size() == 0)
        return;
    m_search->setSearchControlsEnabled(false);
    m_search->stopButton->setEnabled(true);
    // Taken before the run starts: its start empties the list.
    m_rerunSource = StringListWordSource(session().results().unanswered().names());
    m_runStart = 1;
    m_runSize = m_rerunSource.size();
    m_rerunning = true;
    startRun(m_rerunSource);
}

void MainWindow::startRun(WordSource &source)
{
    m_rerunAction->setEnabled(false);
    m_tally.start(m_rerunning ? QStringList() : session().chosenTlds());
    m_status->progressBar()->start(m_runStart, m_runSize);
    m_viewUpdates->runStarted();
    m_run.setParallel(m_context.settings.value(Settings::parallelLookups));
    m_run.start(source, m_runStart);
}

void MainWindow::showRunProgress()
{
    const qint32 ended = m_runStart - 1 + m_run.wordsEnded();
    m_viewUpdates->setText(m_status->panel(0), QStringLiteral("%1 of %2").arg(ended).arg(m_runSize));
    m_viewUpdates->setText(m_status->panel(1), QStringLiteral("Open: %1").arg(m_run.running()));
    m_viewUpdates->advanceProgress(ended + 1);
}

QString MainWindow::searchText() const
{
    return m_search->txtsearch->text();
}

QString MainWindow::searchTypeText() const
{
    return m_search->searchTypeBox->currentText();
}

int MainWindow::amountIndex() const
{
    return m_search->amountBox->currentIndex();
}

void MainWindow::setListSize(qint32 wordMax)
{
    m_search->txtWordMax->setText(QString::number(wordMax));
    m_search->txtWordNum->setText(QStringLiteral("1"));
}

void MainWindow::startListSearch(qint32 wordMax, qint32 startNumber)
{
    m_search->txtWordMax->setText(QString::number(wordMax));
    m_search->txtWordNum->setText(QString::number(startNumber));
    startSearch();
}

void MainWindow::stopSearch()
{
    if (m_run.isRunning())
        m_run.stop(); // restoreAfterStop() follows from stopped()
    else
        restoreAfterStop();
}

void MainWindow::restoreAfterStop()
{
    m_viewUpdates->runStopped();
    m_status->progressBar()->finish();
    if (m_tally.isCounting()) {
        m_tally.finish(m_run.wordsEnded());
        // The faults of the run stay a click away.
        m_status->notice()->showNotice(
            MainStatusBar::runSummary(m_tally), 0,
            m_faults.count() ? m_faults.summary() + QStringLiteral(". The last: ") + m_faults.lastDetail() : QString());
    }
    m_rerunAction->setEnabled(session().results().unanswered().size() > 0);
    m_search->searchTypeBox->setEnabled(true);
    const std::optional<SearchType> shown = SearchTypes::fromText(m_search->searchTypeBox->currentText());
    if (!shown || shown == SearchType::CustomList || shown == SearchType::GenerateNames ||
        shown == SearchType::BrowseForNames) {
        m_search->cmdDoSearch->setEnabled(hasListToSearch());
        explainStartButton();
        m_search->stopButton->setEnabled(false);
        m_search->txtsearch->setEnabled(false);
        m_search->amountBox->setEnabled(false);
        m_search->cmdCreate->setEnabled(false);
        m_search->txtWordNum->setEnabled(true);
        m_search->txtWordNum->setText(
            QString::number(ResumePositions(m_context.settings).stored(SearchType::CustomList)));
    } else {
        applySearchTypeSelection(*shown);
    }
    m_status->showIdlePanels();
}

// The start number must lie within the list: 1 to its size. It is edited
// freely and checked when a run starts.
bool MainWindow::startNumberFits()
{
    bool startValid = false;
    const qint32 start = m_search->txtWordNum->text().trimmed().toInt(&startValid);
    const qint32 size = m_search->txtWordMax->text().toInt();
    if (startValid && start >= 1 && start <= qMax(1, size))
        return true;
    m_context.prompt.showMessage(m_context.branding.productName,
                                 QStringLiteral("The Start Number must be a whole number from 1 to %1; \"%2\" is not.")
                                     .arg(qMax(1, size))
                                     .arg(m_search->txtWordNum->text()),
                                 Prompt::Icon::Warning, Prompt::Buttons::Ok);
    m_search->txtWordNum->setFocus();
    m_search->txtWordNum->selectAll();
    return false;
}

void MainWindow::exportResults()
{
    SettingsStore &settings = m_context.settings;
    const QString folder = settings.value(Settings::lastExportFolder);
    const QString path = csvFileName(m_context.prompt.saveFileName(QStringLiteral("Export Results"),
                                                                   folder.isEmpty() ? QDir::homePath() : folder,
                                                                   QStringLiteral("CSV files (*.csv)")));
    if (path.isEmpty())
        return;
    QString error;
    if (!m_export.write(path, &error)) {
        m_context.prompt.showMessage(m_context.branding.productName, error, Prompt::Icon::Warning, Prompt::Buttons::Ok);
        return;
    }
    settings.setValue(Settings::lastExportFolder, QFileInfo(path).absolutePath());
    m_status->notice()->showNotice(QStringLiteral("Exported the lists to %1").arg(QDir::toNativeSeparators(path)),
                                   10000);
}

// The first fault of a kind in a run is shown; the rest are counted beside
// the status panels, so a fault on every word cannot hold the window.
void MainWindow::lookupFault(const QString &title, const QString &text)
{
    m_faults.report(title, text);
    m_status->notice()->showNotice(m_faults.summary(), 0, title + QStringLiteral(": ") + text);
}

void MainWindow::closeEvent(QCloseEvent *event)
{
    m_run.stop();
    emit shutDownRequested();
    event->accept();
}
