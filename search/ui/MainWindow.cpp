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
#include "search/SavedDomains.h"
#include "search/ui/DesktopContext.h"
#include "search/ui/DomainListCommands.h"
#include "search/ui/DomainListView.h"
#include "search/ui/RunProgressBar.h"
#include "search/ui/RunViewUpdates.h"
#include "search/ui/StatusNotice.h"
#include "search/ui/TldChecklist.h"
#include "settings/SettingsStore.h"

#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QComboBox>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QScreen>
#include <QStatusBar>
#include <QStyleOptionComboBox>
#include <QUrl>

#include <algorithm>

namespace {

} // namespace

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
    m_viewUpdates = new RunViewUpdates(lookup.results(), *m_progressBar, this);
    connect(&lookup.results(), &ResultLists::captionChanged, this, [this](ResultList list, const QString &caption) {
        m_viewUpdates->setText(m_listLabels.at(size_t(list)), caption);
    });
    connect(&lookup.results(), &ResultLists::overflowSaved, this, &MainWindow::overflowNoticeRequested);
    connect(&lookup.results(), &ResultLists::writeFailed, this,
            [this](const QString &message) { m_notice->showNotice(message, 10000); });
    connect(&lookup.pool(), &ConnectionPool::lookupConnected, this, [this](int slot, const QString &domain) {
        m_viewUpdates->setText(m_statusPanels[2],
                               QStringLiteral("connecting(%1): - Search String: %2").arg(slot).arg(domain));
    });
    connect(&lookup, &LookupSession::lookupEnded, this, &MainWindow::reportFailedLookup);
    connect(&lookup, &LookupSession::outcomeFiled, this,
            [this](const LookupOutcome &outcome) { m_tally.count(outcome); });
    connect(&m_run, &PacedRun::dnsGaveUp, this, [this](const QString &reason) { m_notice->showNotice(reason, 10000); });
    connect(&m_run, &PacedRun::nameEnded, this, &MainWindow::showRunProgress);
    connect(&m_run, &PacedRun::wordSourceFailed, this, [this](const QString &message) {
        m_context.prompt.showMessage(m_context.branding.productName, message, Prompt::Icon::None, Prompt::Buttons::Ok);
    });
    connect(&m_run, &PacedRun::resumePositionChanged, this, [this](qint32 position) {
        QString error;
        if (m_searchType && !m_rerunning && !ResumePositions(m_context.settings).save(*m_searchType, position, &error))
            m_notice->showNotice(error, 10000);
    });
    connect(&m_run, &PacedRun::stopped, this, &MainWindow::restoreAfterStop);
}

MainWindow::~MainWindow() = default;

LookupSession &MainWindow::session() const
{
    return m_context.session;
}

int MainWindow::twips(int value) const
{
    return qRound(value * logicalDpiX() / 1440.0);
}

void MainWindow::buildControls()
{
    auto *central = new QWidget(this);
    setCentralWidget(central);

    auto makeLabel = [](QWidget *parent, const QString &name, const QString &text) {
        auto *label = new QLabel(text, parent);
        label->setObjectName(name);
        return label;
    };
    auto makeButton = [](QWidget *parent, const QString &name, const QString &text, const QString &tooltip) {
        auto *button = new QPushButton(text, parent);
        button->setObjectName(name);
        button->setToolTip(tooltip);
        return button;
    };
    auto makeEdit = [](QWidget *parent, const QString &name, const QString &text, const QString &tooltip) {
        auto *edit = new QLineEdit(text, parent);
        edit->setObjectName(name);
        edit->setToolTip(tooltip);
        return edit;
    };

    m_searchFrame = new QGroupBox(central);
    m_searchFrame->setObjectName(QStringLiteral("Frame1"));
    auto *searchRow = new QHBoxLayout(m_searchFrame);
    m_searchTypeLabel = makeLabel(m_searchFrame, QStringLiteral("Label6"), QStringLiteral("Search Type:"));
    m_searchTypeBox = new QComboBox(m_searchFrame);
    m_searchTypeBox->setObjectName(QStringLiteral("Combo1"));
    m_searchTypeBox->setToolTip(QStringLiteral("Select the type of search you would like to run"));
    m_searchTypeBox->addItems(SearchTypes::texts());
    m_searchTypeBox->setCurrentIndex(-1);
    m_searchTypeBox->setMinimumContentsLength(16);

    QLabel *wLabel1 = makeLabel(m_searchFrame, QStringLiteral("wLabel1"), QStringLiteral("Start Number:"));
    txtWordNum = makeEdit(m_searchFrame, QStringLiteral("txtWordNum"), QStringLiteral("1"), QString());
    QLabel *wLabel2 = makeLabel(m_searchFrame, QStringLiteral("wLabel2"), QStringLiteral("Of"));
    txtWordMax = makeEdit(m_searchFrame, QStringLiteral("txtWordMax"), QStringLiteral("1"),
                          QStringLiteral("The number of entries on your list."));
    cmdDoSearch = makeButton(m_searchFrame, QStringLiteral("cmdDoSearch"), QStringLiteral("Start"),
                             QStringLiteral("Click here to start searching your list."));
    QLabel *sLblTLD = makeLabel(m_searchFrame, QStringLiteral("sLblTLD"), QStringLiteral("TLD:"));
    cmbTLDs = new QComboBox(m_searchFrame);
    cmbTLDs->setObjectName(QStringLiteral("cmbTLDs"));
    // No extension in TLDs.txt can widen the window: the box's width is fixed
    // and its hints ignore what it lists; long extensions are elided, whole in
    // the tooltip.
    cmbTLDs->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    cmbTLDs->setMinimumContentsLength(1);
    QStyleOptionComboBox boxOption;
    boxOption.initFrom(cmbTLDs);
    const QSize widest(cmbTLDs->fontMetrics().horizontalAdvance(QStringLiteral("com.au")),
                       cmbTLDs->fontMetrics().height());
    cmbTLDs->setFixedWidth(style()->sizeFromContents(QStyle::CT_ComboBox, &boxOption, widest, cmbTLDs).width());
    cmbTLDs->view()->setTextElideMode(Qt::ElideRight);
    m_tldChecklist = new TldChecklist(m_searchFrame);
    cmdDoSearch->setEnabled(false);
    m_wordRangeControls = {txtWordNum, txtWordMax, wLabel1, wLabel2, cmdDoSearch, cmbTLDs, m_tldChecklist, sLblTLD};

    QLabel *SLabel1 = makeLabel(m_searchFrame, QStringLiteral("SLabel1"), QStringLiteral("Search String:"));
    txtsearch =
        makeEdit(m_searchFrame, QStringLiteral("txtsearch"), QString(), QStringLiteral("Enter a search string"));
    QLabel *SLabel2 = makeLabel(m_searchFrame, QStringLiteral("SLabel2"), QStringLiteral("Get"));
    m_amountBox = new QComboBox(m_searchFrame);
    m_amountBox->setObjectName(QStringLiteral("Combo2"));
    m_amountBox->setToolTip(QStringLiteral("The approximate number of domains to find, if available."));
    m_amountBox->setEditable(true);
    m_amountBox->addItems({QStringLiteral("~100 Domains"), QStringLiteral("~200 Domains"),
                           QStringLiteral("~500 Domains"), QStringLiteral("~1000 Domains")});
    cmdCreate = makeButton(m_searchFrame, QStringLiteral("cmdCreate"), QStringLiteral("Search"),
                           QStringLiteral("Click here to start your internet search!"));
    cmdCreate->setEnabled(false);
    m_internetSearchControls = {SLabel1, txtsearch, SLabel2, m_amountBox, cmdCreate};

    m_stopButton = makeButton(m_searchFrame, QStringLiteral("Command3"), QStringLiteral("Stop"),
                              QStringLiteral("Click here to stop searching names"));
    m_stopButton->setEnabled(false);
    cmdSetup = makeButton(m_searchFrame, QStringLiteral("cmdSetup"), QStringLiteral("Setup"), QString());
    cmdWebsite = makeButton(m_searchFrame, QStringLiteral("cmdWebsite"), QString(), QString());

    for (QWidget *widget : {static_cast<QWidget *>(m_searchTypeLabel), static_cast<QWidget *>(m_searchTypeBox)})
        searchRow->addWidget(widget);
    for (QWidget *widget :
         {static_cast<QWidget *>(wLabel1), static_cast<QWidget *>(txtWordNum), static_cast<QWidget *>(wLabel2),
          static_cast<QWidget *>(txtWordMax)})
        searchRow->addWidget(widget);
    // The label, the box and the checklist close together, as one control.
    auto *tldPair = new QHBoxLayout;
    tldPair->setSpacing(0);
    sLblTLD->setContentsMargins(0, 0, 2, 0);
    tldPair->addWidget(sLblTLD);
    tldPair->addWidget(cmbTLDs);
    tldPair->addWidget(m_tldChecklist);
    searchRow->addLayout(tldPair);
    searchRow->addWidget(cmdDoSearch);
    for (QWidget *widget : m_internetSearchControls)
        searchRow->addWidget(widget);
    searchRow->addWidget(m_stopButton);
    searchRow->addStretch();
    searchRow->addWidget(cmdSetup);
    searchRow->addWidget(cmdWebsite);
    txtWordNum->setMaximumWidth(90);
    txtWordMax->setMaximumWidth(90);
    txtWordMax->setReadOnly(true);
    showInternetSearchControls(false);

    m_listsFrame = new QGroupBox(QStringLiteral("Domain Name Manager"), central);
    m_listsFrame->setObjectName(QStringLiteral("Frame2"));
    buildListColumn(ResultList::Low, QStringLiteral("These domains have 8 or more characters."));
    buildListColumn(ResultList::Registered, QStringLiteral("These domain names are already registered."));
    buildListColumn(ResultList::High, QStringLiteral("These domains have less than 5 characters"));
    buildListColumn(ResultList::Mid, QStringLiteral("These domains have 5 to 7 characters"));
    buildListColumn(ResultList::Saved, QStringLiteral("Drag a domain name here to save it."));

    m_bannerPicture = new QLabel(central);
    m_bannerPicture->setObjectName(QStringLiteral("wbPicture"));
    m_banner = new BannerView(central);
    m_banner->hide();
    m_searchSkinLabels = std::make_unique<SkinLabelArray>(QStringLiteral("SkinLabel1"), m_searchFrame);
    m_listSkinLabels = std::make_unique<SkinLabelArray>(QStringLiteral("SkinLabel2"), m_listsFrame);

    auto *status = new QStatusBar(this);
    status->setObjectName(QStringLiteral("StatusBar1"));
    setStatusBar(status);
    const char *const idleTexts[] = {"Entry Status", "Open Connections", "Connection Status"};
    for (size_t panel = 0; panel < m_statusPanels.size(); ++panel) {
        m_statusPanels[panel] = new QLabel(QLatin1String(idleTexts[panel]), status);
        m_statusPanels[panel]->setObjectName(QStringLiteral("StatusBar1Panel%1").arg(panel + 1));
        // Widths follow the stretch alone, so long texts never push the other panels.
        m_statusPanels[panel]->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
        status->addWidget(m_statusPanels[panel], panel == 2 ? 2 : 1);
    }
    m_notice = new StatusNotice(status);
    connect(m_notice, &StatusNotice::detailsRequested, this, [this](const QString &text, const QString &details) {
        m_context.prompt.showMessage(m_context.branding.productName, text + QStringLiteral("\r\n\r\n") + details,
                                     Prompt::Icon::Information, Prompt::Buttons::Ok);
    });
    status->addPermanentWidget(m_notice);
    m_unansweredLabel = new QLabel(status);
    m_unansweredLabel->setObjectName(QStringLiteral("lblUnanswered"));
    m_unansweredLabel->hide();
    status->addPermanentWidget(m_unansweredLabel);
    m_progressBar = new RunProgressBar(status);
    status->addPermanentWidget(m_progressBar);

    connect(m_searchTypeBox, &QComboBox::activated, this, &MainWindow::chooseSearchType);
    connect(cmdDoSearch, &QPushButton::clicked, this, &MainWindow::startSearch);
    connect(m_stopButton, &QPushButton::clicked, this, &MainWindow::stopSearch);
    connect(txtsearch, &QLineEdit::textChanged, this,
            [this](const QString &text) { cmdCreate->setEnabled(!text.isEmpty()); });
    connect(cmdSetup, &QPushButton::clicked, this, &MainWindow::setupRequested);
    connect(cmdCreate, &QPushButton::clicked, this, &MainWindow::listBuilderRequested);
    connect(cmdWebsite, &QPushButton::clicked, this, &MainWindow::websiteRequested);
    connect(cmbTLDs, &QComboBox::currentTextChanged, this, [this](const QString &tld) {
        m_tldChecklist->choices().setBoxTld(tld);
        cmbTLDs->setToolTip(tld);
    });
    TldChoices &tlds = m_tldChecklist->choices();
    tlds.setTickedText(m_context.settings.value(Settings::tickedTlds));
    connect(&tlds, &TldChoices::runTldsChanged, this, [this](const QStringList &run) { session().setChosenTlds(run); });
    connect(&tlds, &TldChoices::tickedChanged, this,
            [this, &tlds] { m_context.settings.setValue(Settings::tickedTlds, tlds.tickedText()); });
    connect(cmbTLDs, &QComboBox::activated, this,
            [this] { m_context.settings.setValue(Settings::lastTld, cmbTLDs->currentText()); });
}

void MainWindow::buildListColumn(ResultList which, const QString &tooltip)
{
    const size_t slot = size_t(which);
    const int number = resultListRow(which).number;
    const bool saved = which == ResultList::Saved;
    auto *label = new SkinLabel(m_listsFrame);
    label->setText(QLatin1String(resultListRow(which).name));
    label->setObjectName(QStringLiteral("Label%1").arg(number));
    m_listLabels[slot] = label;

    auto *view =
        new DomainListView(saved ? DomainListView::Role::DropTarget : DomainListView::Role::DragSource, m_listsFrame);
    view->setObjectName(QStringLiteral("List%1").arg(number));
    view->setToolTip(tooltip);
    view->setModel(saved ? &m_savedModel : session().results().model(which));
    m_lists[slot] = view;

    const struct
    {
        const char *name;
        const char *caption;
        const char *tooltip;
    } buttons[] = {{"cmdCopy", "Copy", "Copy List"},
                   {"cmdClear", "Del", "Delete Selected Item"},
                   {"cmdClear2", "Clear", "Clear List"}};
    for (const auto &button : buttons) {
        auto *widget = new QPushButton(QLatin1String(button.caption), m_listsFrame);
        widget->setObjectName(QStringLiteral("%1(%2)").arg(QLatin1String(button.name)).arg(number));
        widget->setToolTip(QLatin1String(button.tooltip));
        // The skin keeps these narrow: minimumListsWidth() counts on it.
        widget->setProperty("compact", true);
        m_listButtons[slot] << widget;
    }
    connect(m_listButtons[slot][0], &QPushButton::clicked, this, [this, which] { copyList(which); });
    connect(m_listButtons[slot][1], &QPushButton::clicked, this, [this, which] { deleteEntry(which); });
    connect(m_listButtons[slot][2], &QPushButton::clicked, this, [this, which] { clearList(which); });
    connect(view, &DomainListView::deleteRequested, this, [this, which] { deleteEntry(which); });
    connect(view, &DomainListView::clearRequested, this, [this, which] { clearList(which); });
    connect(view, &QAbstractItemView::doubleClicked, this,
            [this, which](const QModelIndex &index) { doubleClicked(which, index); });
    auto *commands = new DomainListCommands(view, !saved);
    connect(commands, &DomainListCommands::saveRequested, this, &MainWindow::saveNames);
    connect(commands, &DomainListCommands::whoisRequested, this, &MainWindow::showWhois);
    connect(commands, &DomainListCommands::purchaseRequested, this, &MainWindow::openPurchasePage);
    if (saved) {
        connect(view, &DomainListView::payloadDropped, this, &MainWindow::dropOnSavedList);
    } else {
        connect(view, &QAbstractItemView::pressed, this, [this, which] { m_dragSourceList = which; });
    }
}

void MainWindow::buildMenus()
{
    auto addItem = [this](QMenu *menu, const QString &objectName, const QString &caption, auto action) {
        QAction *item = menu->addAction(caption);
        item->setObjectName(objectName);
        connect(item, &QAction::triggered, this, action);
        return item;
    };
    QMenu *menuFile = menuBar()->addMenu(QStringLiteral("File"));
    menuFile->setObjectName(QStringLiteral("menuFile"));
    addItem(menuFile, QStringLiteral("mnuFileExport"), QStringLiteral("Export Results..."), &MainWindow::exportResults);
    menuFile->addSeparator();
    addItem(menuFile, QStringLiteral("mnuFileItem(0)"), QStringLiteral("Exit"), [this] { close(); });

    QMenu *mnuEdit = menuBar()->addMenu(QStringLiteral("Edit"));
    mnuEdit->setObjectName(QStringLiteral("mnuEdit"));
    const struct
    {
        const char *caption;
        bool copy;
        QList<ResultList> lists;
    } editItems[] = {
        {"Clear High/Mid/Low", false, {ResultList::Low, ResultList::High, ResultList::Mid}},
        {"Clear High", false, {ResultList::High}},
        {"Clear Mid", false, {ResultList::Mid}},
        {"Clear Low", false, {ResultList::Low}},
        {"Clear Registered", false, {ResultList::Registered}},
        {"Clear Saved", false, {ResultList::Saved}},
        {"Copy High", true, {ResultList::High}},
        {"Copy Mid", true, {ResultList::Mid}},
        {"Copy Low", true, {ResultList::Low}},
        {"Copy Saved", true, {ResultList::Saved}},
    };
    int index = 0;
    for (const auto &entry : editItems) {
        const QList<ResultList> lists = entry.lists;
        const bool copy = entry.copy;
        addItem(mnuEdit, QStringLiteral("mnuEditItem(%1)").arg(index++), QLatin1String(entry.caption),
                [this, lists, copy] {
                    for (ResultList which : lists)
                        copy ? copyList(which) : clearList(which);
                });
    }

    QMenu *mnuTools = menuBar()->addMenu(QStringLiteral("Tools"));
    mnuTools->setObjectName(QStringLiteral("mnuTools"));
    const QStringList types = SearchTypes::texts();
    for (int item = 0; item < types.size(); ++item) {
        addItem(mnuTools, QStringLiteral("mnuToolsItem(%1)").arg(item), types.at(item),
                [this, item] { pickSearchType(item); });
    }
    mnuTools->addSeparator();
    m_rerunAction = addItem(mnuTools, QStringLiteral("mnuToolsRerun"), QStringLiteral("Re-run Unanswered Names"),
                            &MainWindow::rerunUnanswered);
    m_rerunAction->setEnabled(false);
    addItem(mnuTools, QStringLiteral("mnuToolsHistory"), QStringLiteral("History..."),
            [this] { emit historyWindowRequested(); });

    QMenu *mnuOptions = menuBar()->addMenu(QStringLiteral("Options"));
    mnuOptions->setObjectName(QStringLiteral("mnuOptions"));
    addItem(mnuOptions, QStringLiteral("mnuOptionsItem(0)"), QStringLiteral("Setup"),
            [this] { emit setupRequested(); });
    QMenu *mnuHelp = menuBar()->addMenu(QStringLiteral("Help"));
    mnuHelp->setObjectName(QStringLiteral("mnuHelp"));
    addItem(mnuHelp, QStringLiteral("mnuHelpItem(0)"), QStringLiteral("View Help"), [this] { emit helpRequested(); });
    QMenu *mnuAbout = menuBar()->addMenu(QStringLiteral("About"));
    mnuAbout->setObjectName(QStringLiteral("mnuAbout"));
    addItem(mnuAbout, QStringLiteral("mnuAboutItem(0)"), QStringLiteral("About this software"),
            [this] { emit aboutRequested(); });
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
    cmdWebsite->setText(QStringLiteral("Visit ") + branding.comments);
    if (branding.purchaseOnDoubleClick)
        m_listsFrame->setTitle(QStringLiteral("Domain Name Manager - Double Click any domain to purchase"));
    if (branding.useSkin && m_context.skinner) {
        Skinner::skinLabels(this, {m_searchSkinLabels.get(), m_listSkinLabels.get()});
        m_context.skinner->applySkin(this);
    }
    if (branding.showBanner) {
        m_bannerPicture->hide();
        m_banner->show();
        m_banner->navigate(branding.bannerUrl);
        layoutMainWindow();
    }

    // The help file is among the shipped files the session's start-up installs.
    QString error;
    const QFileInfo folder(m_context.programFolder);
    if (!session().prepare(&error) && (!folder.isDir() || !folder.isWritable()))
        m_folderProblem = error;
    else if (!error.isEmpty())
        m_notice->showNotice(error, 10000);
    else if (const QString notice = session().registryNotice() + session().historyNotice(); !notice.isEmpty())
        m_notice->showNotice(notice, 10000);
    // A first start has just written TLDs.txt.
    loadTLDs();
    if (settings.value(Settings::showHelp)) {
        settings.setValue(Settings::showHelp, false);
        emit helpRequested();
    }
    loadSavedDomains();
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
    QStringList wanted{cmbTLDs->currentText(), m_context.settings.value(Settings::lastTld),
                       QString(m_context.settings.value(Settings::defaultExtension)).remove(QLatin1Char('.')),
                       QStringLiteral("com")};
    const QSignalBlocker blocker(cmbTLDs);
    cmbTLDs->clear();
    const QStringList extensions = TldFile(m_context.programFolder).enabledExtensions();
    for (const QString &extension : extensions) {
        cmbTLDs->addItem(extension);
        cmbTLDs->setItemData(cmbTLDs->count() - 1, extension, Qt::ToolTipRole);
    }
    wanted.removeAll(QString());
    for (const QString &tld : std::as_const(wanted)) {
        if (const int index = cmbTLDs->findText(tld, Qt::MatchFixedString); index >= 0) {
            cmbTLDs->setCurrentIndex(index);
            break;
        }
    }
    cmbTLDs->setToolTip(cmbTLDs->currentText());
    m_tldChecklist->choices().setExtensions(extensions, cmbTLDs->currentText());
}

void MainWindow::showWordRangeControls(bool visible)
{
    for (QWidget *widget : std::as_const(m_wordRangeControls))
        widget->setVisible(visible);
}

void MainWindow::showInternetSearchControls(bool visible)
{
    for (QWidget *widget : std::as_const(m_internetSearchControls))
        widget->setVisible(visible);
}

void MainWindow::loadSavedDomains()
{
    m_savedModel.append(SavedDomains::load(savedDomainsPath()));
}

QString MainWindow::savedDomainsPath() const
{
    return QDir(m_context.programFolder)
        .filePath(QLatin1String(resultListRow(ResultList::Saved).fileStem) + QStringLiteral(".txt"));
}

void MainWindow::saveSavedDomains()
{
    QString error;
    if (!SavedDomains::save(savedDomainsPath(), m_savedModel.names(), &error))
        m_context.prompt.showMessage(m_context.branding.productName, error, Prompt::Icon::Warning, Prompt::Buttons::Ok);
}

void MainWindow::chooseSearchType(int index)
{
    const std::optional<SearchType> type = SearchTypes::fromText(m_searchTypeBox->itemText(index));
    if (type)
        applySearchTypeSelection(*type);
}

void MainWindow::applySearchTypeSelection(SearchType type, bool openWindows)
{
    const SearchTypeSelection selection = selectSearchType(type, m_context.programFolder, m_context.settings);
    if (selection.opensBrowseWindow) {
        showWordRangeControls(false);
        showInternetSearchControls(false);
        emit browseWindowRequested();
        return;
    }
    m_searchType = type;
    if (!selection.choosesWordFile && !selection.opensNameCreator)
        m_context.settings.setValue(Settings::lastSearchType, SearchTypes::text(type));
    showInternetSearchControls(selection.showInternetSearch);
    showWordRangeControls(selection.showWordRange);
    if (selection.setsWordFile)
        m_wordFile.setPath(selection.wordFile);
    if (selection.choosesWordFile) {
        m_wordFile.setPath(m_context.prompt.openFileName(
            QString(), QDir(m_context.programFolder).filePath(QStringLiteral("wordlists")), QStringLiteral("*.txt")));
    }
    if (selection.countsEntries)
        txtWordMax->setText(QString::number(countListEntries()));
    if (selection.setsControls) {
        cmdDoSearch->setEnabled(selection.startEnabled && hasListToSearch());
        explainStartButton();
        m_stopButton->setEnabled(selection.stopEnabled);
        txtsearch->setEnabled(selection.internetSearchEnabled);
        m_amountBox->setEnabled(selection.internetSearchEnabled);
        cmdCreate->setEnabled(selection.internetSearchEnabled && !txtsearch->text().isEmpty());
        txtWordNum->setEnabled(selection.wordNumberEnabled);
        // A list searched to its end starts over.
        const bool finished = selection.wordNumberText.toInt() > txtWordMax->text().toInt() && selection.countsEntries;
        txtWordNum->setText(finished ? QStringLiteral("1") : selection.wordNumberText);
    }
    if (selection.opensNameCreator && openWindows)
        emit nameCreatorRequested();
    layoutMainWindow();
}

// The last search type that opens no window or dialog comes back as chosen.
void MainWindow::restoreSearchType()
{
    const std::optional<SearchType> type = SearchTypes::fromText(m_context.settings.value(Settings::lastSearchType));
    if (!type)
        return;
    m_searchTypeBox->setCurrentIndex(m_searchTypeBox->findText(SearchTypes::text(*type)));
    applySearchTypeSelection(*type);
}

void MainWindow::startGeneratedSearch(qint32 wordMax)
{
    m_searchTypeBox->setCurrentIndex(m_searchTypeBox->findText(SearchTypes::text(SearchType::GenerateNames)));
    applySearchTypeSelection(SearchType::GenerateNames, false);
    startListSearch(wordMax);
}

void MainWindow::pickSearchType(int index)
{
    if (m_run.isRunning())
        stopSearch();
    m_searchTypeBox->setCurrentIndex(index);
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
    if (!cmdDoSearch->isEnabled() && !hasListToSearch()) {
        if (!m_folderProblem.isEmpty())
            why = QStringLiteral("Start is off: %1.").arg(m_folderProblem);
        else if (m_wordFile.path().isEmpty())
            why = QStringLiteral("Start is off: choose a search type first.");
        else
            why = QStringLiteral("Start is off: the list %1 does not exist.")
                      .arg(QDir::toNativeSeparators(m_wordFile.path()));
    }
    cmdDoSearch->setToolTip(why.isEmpty() ? QStringLiteral("Click here to start searching your list.") : why);
}

void MainWindow::reportFailedLookup(const LookupOutcome &outcome)
{
    if (outcome.error != LookupOutcome::ErrorKind::NoTldEntry)
        return;
    lookupFault(QStringLiteral("Error"),
                QStringLiteral("An error has occurred.\r\nError #: 1\r\nDescription: ") + outcome.errorString);
}

void MainWindow::setSearchControlsEnabled(bool enabled)
{
    for (QWidget *widget :
         {static_cast<QWidget *>(cmdDoSearch), static_cast<QWidget *>(m_stopButton),
          static_cast<QWidget *>(m_searchTypeBox), static_cast<QWidget *>(txtWordNum),
          static_cast<QWidget *>(m_amountBox), static_cast<QWidget *>(cmdCreate), static_cast<QWidget *>(txtsearch)})
        widget->setEnabled(enabled);
}

void MainWindow::startSearch()
{
    if (!hasListToSearch() || !startNumberFits())
        return;
    setSearchControlsEnabled(false);
    if (m_searchType && SearchTypes::isEngineSearch(*m_searchType))
        txtWordNum->setText(QStringLiteral("1"));
    m_stopButton->setEnabled(true);
    session().setSource(m_searchTypeBox->currentText());
    m_faults.startRun();
    m_notice->clearNotice();
    m_runStart = txtWordNum->text().toInt();
    m_runSize = txtWordMax->text().toInt();
    m_rerunning = false;
    startRun(m_wordFile);
}

void MainWindow::rerunUnanswered()
{
    if (m_run.isRunning() || m_run.unanswered().isEmpty())
        return;
    setSearchControlsEnabled(false);
    m_stopButton->setEnabled(true);
    m_rerunSource = StringListWordSource(m_run.unanswered());
    m_runStart = 1;
    m_runSize = m_rerunSource.size();
    m_rerunning = true;
    startRun(m_rerunSource);
}

void MainWindow::startRun(WordSource &source)
{
    m_rerunAction->setEnabled(false);
    m_tally.start(m_rerunning ? QStringList() : session().chosenTlds());
    m_progressBar->start(m_runStart, m_runSize);
    m_viewUpdates->runStarted();
    m_run.setParallel(m_context.settings.value(Settings::parallelLookups));
    m_run.start(source, m_runStart);
    showUnanswered();
}

void MainWindow::showRunProgress(const LookupOutcome &outcome)
{
    const qint32 ended = m_runStart - 1 + m_run.wordsEnded();
    m_viewUpdates->setText(m_statusPanels[0], QStringLiteral("%1 of %2").arg(ended).arg(m_runSize));
    m_viewUpdates->setText(m_statusPanels[1], QStringLiteral("Open: %1").arg(m_run.running()));
    m_viewUpdates->advanceProgress(ended + 1);
    if (outcome.kind == LookupOutcome::Kind::Timeout || outcome.kind == LookupOutcome::Kind::Error)
        showUnanswered();
}

// Names without a verdict are counted beside the panels until the next run.
void MainWindow::showUnanswered()
{
    const qsizetype count = m_run.unanswered().size();
    m_unansweredLabel->setText(QStringLiteral("%1 unanswered").arg(count));
    m_unansweredLabel->setVisible(count > 0);
}

QString MainWindow::searchText() const
{
    return txtsearch->text();
}

QString MainWindow::searchTypeText() const
{
    return m_searchTypeBox->currentText();
}

int MainWindow::amountIndex() const
{
    return m_amountBox->currentIndex();
}

void MainWindow::setListSize(qint32 wordMax)
{
    txtWordMax->setText(QString::number(wordMax));
    txtWordNum->setText(QStringLiteral("1"));
}

void MainWindow::startListSearch(qint32 wordMax, qint32 startNumber)
{
    txtWordMax->setText(QString::number(wordMax));
    txtWordNum->setText(QString::number(startNumber));
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
    m_progressBar->finish();
    if (m_tally.isCounting()) {
        m_tally.finish(m_run.wordsEnded());
        // The faults of the run stay a click away.
        m_notice->showNotice(runSummary(m_tally), 0,
                             m_faults.count() ? m_faults.summary() + QStringLiteral(". The last: ") + m_faults.lastDetail()
                                              : QString());
    }
    m_rerunAction->setEnabled(!m_run.unanswered().isEmpty());
    m_searchTypeBox->setEnabled(true);
    const std::optional<SearchType> shown = SearchTypes::fromText(m_searchTypeBox->currentText());
    if (!shown || shown == SearchType::CustomList || shown == SearchType::GenerateNames ||
        shown == SearchType::BrowseForNames) {
        cmdDoSearch->setEnabled(hasListToSearch());
        explainStartButton();
        m_stopButton->setEnabled(false);
        txtsearch->setEnabled(false);
        m_amountBox->setEnabled(false);
        cmdCreate->setEnabled(false);
        txtWordNum->setEnabled(true);
        txtWordNum->setText(QString::number(ResumePositions(m_context.settings).stored(SearchType::CustomList)));
    } else {
        applySearchTypeSelection(*shown);
    }
    m_statusPanels[0]->setText(QStringLiteral("Entry Status"));
    m_statusPanels[1]->setText(QStringLiteral("Open Connections"));
    m_statusPanels[2]->setText(QStringLiteral("Connection Status"));
}

// The start number must lie within the list: 1 to its size. It is edited
// freely and checked when a run starts.
bool MainWindow::startNumberFits()
{
    bool startValid = false;
    const qint32 start = txtWordNum->text().trimmed().toInt(&startValid);
    const qint32 size = txtWordMax->text().toInt();
    if (startValid && start >= 1 && start <= qMax(1, size))
        return true;
    m_context.prompt.showMessage(
        m_context.branding.productName,
        QStringLiteral("The Start Number must be a whole number from 1 to %1; \"%2\" is not.")
            .arg(qMax(1, size))
            .arg(txtWordNum->text()),
        Prompt::Icon::Warning, Prompt::Buttons::Ok);
    txtWordNum->setFocus();
    txtWordNum->selectAll();
    return false;
}

const QStringList &MainWindow::namesOf(ResultList which) const
{
    return which == ResultList::Saved ? m_savedModel.names() : session().results().names(which);
}

void MainWindow::deleteEntry(ResultList which)
{
    QList<int> rows;
    const QModelIndexList selected = list(which)->selectionModel()->selectedIndexes();
    for (const QModelIndex &index : selected)
        rows << index.row();
    if (rows.isEmpty())
        return;
    if (which != ResultList::Saved) {
        session().results().removeNames(which, rows);
        return;
    }
    m_savedModel.removeRowList(rows);
    saveSavedDomains();
}

void MainWindow::clearList(ResultList which)
{
    if (which == ResultList::Saved) {
        if (m_savedModel.size() == 0)
            return;
        const Prompt::Answer answer = m_context.prompt.showMessage(
            m_context.branding.productName,
            QStringLiteral("Remove all %1 names from Saved Domains?").arg(m_savedModel.size()), Prompt::Icon::Question,
            Prompt::Buttons::YesNo);
        if (answer == Prompt::Answer::Yes) {
            m_savedModel.clear();
            saveSavedDomains();
        }
        return;
    }
    session().results().clearList(which);
}

void MainWindow::saveNames(const QStringList &names)
{
    m_savedModel.append(names);
    saveSavedDomains();
}

void MainWindow::exportResults()
{
    SettingsStore &settings = m_context.settings;
    const QString folder = settings.value(Settings::lastExportFolder);
    const QString path = csvFileName(m_context.prompt.saveFileName(
        QStringLiteral("Export Results"), folder.isEmpty() ? QDir::homePath() : folder,
        QStringLiteral("CSV files (*.csv)")));
    if (path.isEmpty())
        return;
    QString error;
    if (!m_export.write(path, &error)) {
        m_context.prompt.showMessage(m_context.branding.productName, error, Prompt::Icon::Warning, Prompt::Buttons::Ok);
        return;
    }
    settings.setValue(Settings::lastExportFolder, QFileInfo(path).absolutePath());
    m_notice->showNotice(QStringLiteral("Exported the lists to %1").arg(QDir::toNativeSeparators(path)), 10000);
}

// The first fault of a kind in a run is shown; the rest are counted beside
// the status panels, so a fault on every word cannot hold the window.
void MainWindow::lookupFault(const QString &title, const QString &text)
{
    m_faults.report(title, text);
    m_notice->showNotice(m_faults.summary(), 0, title + QStringLiteral(": ") + text);
}

// "Checked 676 names in 1:34: 130 available, 546 registered, 0 unanswered";
// over three TLDs "Checked 2028 names in 4:41: ... (676 words in com, net, org)".
QString MainWindow::runSummary(const RunTally &tally)
{
    const qint64 seconds = tally.elapsedMs() / 1000;
    const QLatin1Char zero('0');
    const QString took = seconds < 3600 ? QStringLiteral("%1:%2").arg(seconds / 60).arg(seconds % 60, 2, 10, zero)
                                        : QStringLiteral("%1:%2:%3")
                                              .arg(seconds / 3600)
                                              .arg(seconds / 60 % 60, 2, 10, zero)
                                              .arg(seconds % 60, 2, 10, zero);
    // A run over several TLDs says how many words made its names: last, as
    // a narrow panel cuts the end off.
    const QString words = tally.tlds().size() > 1 && tally.checked() > tally.words()
                              ? QStringLiteral(" (%1 words in %2)").arg(tally.words()).arg(tally.tlds().join(u", "))
                              : QString();
    return QStringLiteral("Checked %1 names in %2: %3 available, %4 registered, %5 unanswered")
               .arg(tally.checked())
               .arg(took)
               .arg(tally.available())
               .arg(tally.registered())
               .arg(tally.unanswered()) +
           words;
}

void MainWindow::openPurchasePage(const QString &domain)
{
    QDesktopServices::openUrl(QUrl(m_context.branding.purchaseUrlPrefix + domain));
}

void MainWindow::showWhois(const QString &domain)
{
    m_context.selectedDomain = domain;
    emit whoisWindowRequested(domain);
}

void MainWindow::copyList(ResultList which)
{
    QString text;
    for (const QString &name : namesOf(which))
        text += name + QStringLiteral("\r\n");
    QClipboard *clipboard = QApplication::clipboard();
    clipboard->clear();
    clipboard->setText(text);
}

void MainWindow::dropOnSavedList(const QString &payload)
{
    if (m_dragSourceList) {
        const QStringList &source = namesOf(*m_dragSourceList);
        const QStringList pieces = payload.split(QLatin1Char('|'));
        for (const QString &piece : pieces) {
            bool valid = false;
            const int row = piece.toInt(&valid);
            if (valid && row >= 0 && row < source.size())
                m_savedModel.append(source.at(row));
        }
    }
    saveSavedDomains();
}

void MainWindow::doubleClicked(ResultList which, const QModelIndex &index)
{
    if (which == ResultList::Registered)
        m_dragSourceList = ResultList::Registered;
    if (!index.isValid())
        return;
    m_context.selectedDomain = namesOf(which).value(index.row());
    if (m_context.branding.purchaseOnDoubleClick)
        openPurchasePage(m_context.selectedDomain);
    else
        showWhois(m_context.selectedDomain);
}

void MainWindow::resizeEvent(QResizeEvent *event)
{
    QMainWindow::resizeEvent(event);
    layoutMainWindow();
}

void MainWindow::layoutMainWindow()
{
    if (isMinimized())
        return;
    QWidget *central = centralWidget();
    const int margin = twips(150);
    // Never below 6500 twips, and never so small that a control clips.
    const int inner = twips(120);
    const int labelHeight = m_listLabels[0]->sizeHint().height();
    const int buttonHeight = m_listButtons[0][0]->sizeHint().height();
    const int listsHeight = m_listsFrame->fontMetrics().height() + labelHeight +
                            4 * m_lists[0]->fontMetrics().height() + buttonHeight + 4 * inner;
    const int searchHeight = m_searchFrame->sizeHint().height();
    const int bannerHeight = m_banner->isHidden() ? 0 : m_banner->sizeHint().height() + twips(100);
    setMinimumSize(std::max({twips(6500), m_searchFrame->minimumSizeHint().width() + twips(300), minimumListsWidth()}),
                   qMax(twips(6500), menuBar()->sizeHint().height() + statusBar()->sizeHint().height() + margin +
                                         bannerHeight + searchHeight + listsHeight));
    int top = margin / 2;
    if (!m_banner->isHidden()) {
        m_banner->setGeometry(margin, top, central->width() - 2 * margin, m_banner->sizeHint().height());
        top += m_banner->height() + twips(100);
    }
    m_bannerPicture->setGeometry(0, 0, 0, 0);
    m_searchFrame->setGeometry(margin, top, width() - twips(300), searchHeight);
    top += m_searchFrame->height() + margin / 2;

    const int frameWidth = width() - twips(300);
    const int frameBottom = central->height() - twips(1000) + statusBar()->height() + menuBar()->height();
    m_listsFrame->setGeometry(margin, top, frameWidth, qMax(twips(1500), qMin(frameBottom, central->height()) - top));

    const int columnWidth = (m_listsFrame->width() - 2 * inner) / 5;
    const int listTop = inner + m_listsFrame->fontMetrics().height() + labelHeight;
    const int listHeight = m_listsFrame->height() - listTop - buttonHeight - 2 * inner;
    for (size_t column = 0; column < 5; ++column) {
        const int left = inner + int(column) * columnWidth;
        const int width = columnWidth - inner;
        m_listLabels[column]->setGeometry(left, listTop - labelHeight, width, labelHeight);
        m_lists[column]->setGeometry(left, listTop, width, qMax(0, listHeight));
        const int buttonWidth = width / 3;
        for (int button = 0; button < 3; ++button)
            m_listButtons[column][button]->setGeometry(left + button * buttonWidth, listTop + listHeight + inner / 2,
                                                       buttonWidth - 2, buttonHeight);
    }
    m_notice->setMaximumWidth(frameWidth / 2);
}

// Three list buttons side by side in each of five columns, each as wide as
// its caption needs (the style's own minimum width for buttons is wider).
int MainWindow::minimumListsWidth() const
{
    int button = 0;
    for (QPushButton *widget : m_listButtons[0])
        button = qMax(button, widget->fontMetrics().horizontalAdvance(widget->text()) + twips(180));
    const int inner = twips(120);
    return 5 * (3 * (button + 2) + inner) + 2 * inner + twips(300) + 2;
}

void MainWindow::closeEvent(QCloseEvent *event)
{
    m_run.stop();
    session().stop();
    emit shutDownRequested();
    event->accept();
}
