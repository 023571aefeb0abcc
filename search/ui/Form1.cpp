#include "Form1.h"

#include "BannerView.h"
#include "DesktopContext.h"
#include "DomainListView.h"
#include "LookupSettings.h"
#include "ProgramFolder.h"
#include "Prompt.h"
#include "ResumePositions.h"
#include "SavedDomains.h"
#include "SettingsStore.h"
#include "SkinLabel.h"
#include "Skinner.h"
#include "TldFile.h"
#include "WindowIcons.h"

#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QComboBox>
#include <QDesktopServices>
#include <QDir>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QScreen>
#include <QStatusBar>
#include <QUrl>

namespace {

const QString settingsSection = QStringLiteral("Settings");

// The list number of each result list.
ResultLists::List resultList(int number)
{
    return ResultLists::List(number);
}

} // namespace

Form1::Form1(DesktopContext &context, QWidget *parent)
    : QMainWindow(parent)
    , m_context(context)
    , m_results(context.programFolder)
    , m_pool(1, context.lookup, context.throttle, m_results, m_blockedNotice, context.poolTimings)
    , m_loop(m_pool, context.throttle, m_results)
{
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("Vantrel - Domain Name Manager"));
    buildControls();
    buildMenus();

    connect(&m_results, &ResultLists::captionChanged, this,
            [this](ResultLists::List list, const QString &caption) { m_listLabels.at(size_t(list - 1))->setText(caption); });
    connect(&m_results, &ResultLists::overflowSaved, this, &Form1::overflowNoticeRequested);
    connect(&m_results, &ResultLists::writeFailed, this, [this](const QString &message) {
        statusBar()->showMessage(message, 10000);
    });
    connect(&m_pool, &ConnectionPool::connectionStatusChanged, m_statusPanels[2], &QLabel::setText);
    connect(&m_pool, &ConnectionPool::messageRequested, this, [this](const QString &title, const QString &text) {
        m_context.prompt.showMessage(title, text, Prompt::Icon::Warning, Prompt::Buttons::Ok);
    });
    connect(&m_loop, &SearchLoop::entryStatusChanged, m_statusPanels[0], &QLabel::setText);
    connect(&m_loop, &SearchLoop::openConnectionsChanged, m_statusPanels[1], &QLabel::setText);
    connect(&m_loop, &SearchLoop::wordSourceFailed, this, [this](const QString &message) {
        m_context.prompt.showMessage(QString(), message, Prompt::Icon::None, Prompt::Buttons::Ok);
    });
    connect(&m_loop, &SearchLoop::wordTaken, this, [this](qint32 next) {
        if (m_searchType)
            ResumePositions(m_context.settings).save(*m_searchType, next);
    });
    connect(&m_loop, &SearchLoop::stopped, this, &Form1::restoreAfterStop);
}

Form1::~Form1() = default;

int Form1::twips(int value) const
{
    return qRound(value * logicalDpiX() / 1440.0);
}

void Form1::buildControls()
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

    Frame1 = new QGroupBox(central);
    Frame1->setObjectName(QStringLiteral("Frame1"));
    auto *searchRow = new QHBoxLayout(Frame1);
    Label6 = makeLabel(Frame1, QStringLiteral("Label6"), QStringLiteral("Search Type:"));
    Combo1 = new QComboBox(Frame1);
    Combo1->setObjectName(QStringLiteral("Combo1"));
    Combo1->setToolTip(QStringLiteral("Select the type of search you would like to run"));
    Combo1->addItems(SearchTypes::texts());
    Combo1->setCurrentIndex(-1);
    Combo1->setMinimumContentsLength(16);

    QLabel *wLabel1 = makeLabel(Frame1, QStringLiteral("wLabel1"), QStringLiteral("Start Number:"));
    txtWordNum = makeEdit(Frame1, QStringLiteral("txtWordNum"), QStringLiteral("1"), QString());
    QLabel *wLabel2 = makeLabel(Frame1, QStringLiteral("wLabel2"), QStringLiteral("Of"));
    txtWordMax = makeEdit(Frame1, QStringLiteral("txtWordMax"), QStringLiteral("1"),
                          QStringLiteral("The number of entries on your list."));
    cmdDoSearch = makeButton(Frame1, QStringLiteral("cmdDoSearch"), QStringLiteral("Start"),
                             QStringLiteral("Click here to start searching your list."));
    QLabel *sLblTLD = makeLabel(Frame1, QStringLiteral("sLblTLD"), QStringLiteral("TLD:"));
    cmbTLDs = new QComboBox(Frame1);
    cmbTLDs->setObjectName(QStringLiteral("cmbTLDs"));
    m_wordRangeControls = {txtWordNum, txtWordMax, wLabel1, wLabel2, cmdDoSearch, cmbTLDs, sLblTLD};

    QLabel *SLabel1 = makeLabel(Frame1, QStringLiteral("SLabel1"), QStringLiteral("Search String:"));
    txtsearch = makeEdit(Frame1, QStringLiteral("txtsearch"), QString(), QStringLiteral("Enter a search string"));
    QLabel *SLabel2 = makeLabel(Frame1, QStringLiteral("SLabel2"), QStringLiteral("Get"));
    Combo2 = new QComboBox(Frame1);
    Combo2->setObjectName(QStringLiteral("Combo2"));
    Combo2->setToolTip(QStringLiteral("The approximate number of domains to find, if available."));
    Combo2->setEditable(true);
    Combo2->addItems({QStringLiteral("~100 Domains"), QStringLiteral("~200 Domains"), QStringLiteral("~500 Domains"),
                      QStringLiteral("~1000 Domains")});
    cmdCreate = makeButton(Frame1, QStringLiteral("cmdCreate"), QStringLiteral("Search"),
                           QStringLiteral("Click here to start your internet search!"));
    cmdCreate->setEnabled(false);
    m_internetSearchControls = {SLabel1, SLabel2, txtsearch, Combo2, cmdCreate};

    Command3 = makeButton(Frame1, QStringLiteral("Command3"), QStringLiteral("Stop"),
                          QStringLiteral("Click here to stop searching names"));
    Command3->setEnabled(false);
    cmdSetup = makeButton(Frame1, QStringLiteral("cmdSetup"), QStringLiteral("Setup"), QString());
    cmdWebsite = makeButton(Frame1, QStringLiteral("cmdWebsite"), QString(), QString());

    for (QWidget *widget : {static_cast<QWidget *>(Label6), static_cast<QWidget *>(Combo1)})
        searchRow->addWidget(widget);
    for (QWidget *widget : {static_cast<QWidget *>(wLabel1), static_cast<QWidget *>(txtWordNum),
                            static_cast<QWidget *>(wLabel2), static_cast<QWidget *>(txtWordMax),
                            static_cast<QWidget *>(sLblTLD), static_cast<QWidget *>(cmbTLDs),
                            static_cast<QWidget *>(cmdDoSearch)})
        searchRow->addWidget(widget);
    for (QWidget *widget : m_internetSearchControls)
        searchRow->addWidget(widget);
    searchRow->addWidget(Command3);
    searchRow->addStretch();
    searchRow->addWidget(cmdSetup);
    searchRow->addWidget(cmdWebsite);
    txtWordNum->setMaximumWidth(90);
    txtWordMax->setMaximumWidth(90);
    txtWordMax->setReadOnly(true);
    showInternetSearchControls(false);

    Frame2 = new QGroupBox(QStringLiteral("Domain Name Manager"), central);
    Frame2->setObjectName(QStringLiteral("Frame2"));
    buildListColumn(1, ResultLists::listName(ResultLists::Low), QStringLiteral("These domains have 8 or more characters."));
    buildListColumn(2, ResultLists::listName(ResultLists::Registered),
                    QStringLiteral("These domain names are already registered."));
    buildListColumn(3, ResultLists::listName(ResultLists::High), QStringLiteral("These domains have less than 5 characters"));
    buildListColumn(4, ResultLists::listName(ResultLists::Mid), QStringLiteral("These domains have 5 to 7 characters"));
    buildListColumn(5, QStringLiteral("Saved Domains"), QStringLiteral("Drag a domain name here to save it."));

    wbPicture = new QLabel(central);
    wbPicture->setObjectName(QStringLiteral("wbPicture"));
    wbBanner = new BannerView(central);
    wbBanner->hide();
    SkinLabel1 = std::make_unique<SkinLabelArray>(QStringLiteral("SkinLabel1"), Frame1);
    SkinLabel2 = std::make_unique<SkinLabelArray>(QStringLiteral("SkinLabel2"), Frame2);

    auto *status = new QStatusBar(this);
    status->setObjectName(QStringLiteral("StatusBar1"));
    setStatusBar(status);
    const char *const idleTexts[] = {"Entry Status", "Open Connections", "Connection Status"};
    for (size_t panel = 0; panel < m_statusPanels.size(); ++panel) {
        m_statusPanels[panel] = new QLabel(QLatin1String(idleTexts[panel]), status);
        m_statusPanels[panel]->setObjectName(QStringLiteral("StatusBar1Panel%1").arg(panel + 1));
        status->addWidget(m_statusPanels[panel], panel == 2 ? 2 : 1);
    }

    connect(Combo1, &QComboBox::activated, this, &Form1::chooseSearchType);
    connect(cmdDoSearch, &QPushButton::clicked, this, &Form1::startSearch);
    connect(Command3, &QPushButton::clicked, this, &Form1::stopSearch);
    connect(txtWordNum, &QLineEdit::textChanged, this, &Form1::guardWordNumber);
    connect(txtsearch, &QLineEdit::textChanged, this,
            [this](const QString &text) { cmdCreate->setEnabled(!text.isEmpty()); });
    connect(cmdSetup, &QPushButton::clicked, this, &Form1::setupRequested);
    connect(cmdCreate, &QPushButton::clicked, this, &Form1::listBuilderRequested);
    connect(cmdWebsite, &QPushButton::clicked, this, &Form1::websiteRequested);
    connect(cmbTLDs, &QComboBox::currentTextChanged, &m_pool, &ConnectionPool::setChosenTld);
}

void Form1::buildListColumn(int number, const QString &title, const QString &tooltip)
{
    const size_t slot = size_t(number - 1);
    auto *label = new SkinLabel(Frame2);
    label->setText(title);
    label->setObjectName(QStringLiteral("Label%1").arg(number));
    m_listLabels[slot] = label;

    auto *view = new DomainListView(number == 5 ? DomainListView::Role::DropTarget : DomainListView::Role::DragSource,
                                    Frame2);
    view->setObjectName(QStringLiteral("List%1").arg(number));
    view->setToolTip(tooltip);
    view->setModel(number == 5 ? &m_savedModel : m_results.model(resultList(number)));
    m_lists[slot] = view;

    const struct
    {
        const char *name;
        const char *caption;
        const char *tooltip;
    } buttons[] = {{"cmdCopy", "Copy", "Copy List"}, {"cmdClear", "Del", "Delete Selected Item"}, {"cmdClear2", "Clear", "Clear List"}};
    for (const auto &button : buttons) {
        auto *widget = new QPushButton(QLatin1String(button.caption), Frame2);
        widget->setObjectName(QStringLiteral("%1(%2)").arg(QLatin1String(button.name)).arg(number));
        widget->setToolTip(QLatin1String(button.tooltip));
        m_listButtons[slot] << widget;
    }
    connect(m_listButtons[slot][0], &QPushButton::clicked, this, [this, number] { copyList(number); });
    connect(m_listButtons[slot][1], &QPushButton::clicked, this, [this, number] { deleteEntry(number); });
    connect(m_listButtons[slot][2], &QPushButton::clicked, this, [this, number] { clearList(number); });
    connect(view, &DomainListView::deleteRequested, this, [this, number] { deleteEntry(number); });
    connect(view, &DomainListView::clearRequested, this, [this, number] { clearList(number); });
    connect(view, &QAbstractItemView::doubleClicked, this,
            [this, number](const QModelIndex &index) { doubleClicked(number, index); });
    if (number == 5) {
        connect(view, &DomainListView::payloadDropped, this, &Form1::dropOnSavedList);
    } else {
        connect(view, &QAbstractItemView::pressed, this, [this, number] { m_dragSourceList = number; });
    }
}

void Form1::buildMenus()
{
    auto addItem = [this](QMenu *menu, const QString &objectName, const QString &caption, auto action) {
        QAction *item = menu->addAction(caption);
        item->setObjectName(objectName);
        connect(item, &QAction::triggered, this, action);
        return item;
    };
    QMenu *menuFile = menuBar()->addMenu(QStringLiteral("File"));
    menuFile->setObjectName(QStringLiteral("menuFile"));
    addItem(menuFile, QStringLiteral("mnuFileItem(0)"), QStringLiteral("Exit"), [this] { close(); });

    QMenu *mnuEdit = menuBar()->addMenu(QStringLiteral("Edit"));
    mnuEdit->setObjectName(QStringLiteral("mnuEdit"));
    const struct
    {
        const char *caption;
        bool copy;
        QList<int> lists;
    } editItems[] = {
        {"Clear High/Mid/Low", false, {1, 3, 4}}, {"Clear High", false, {3}}, {"Clear Mid", false, {4}},
        {"Clear Low", false, {1}}, {"Clear Registered", false, {2}}, {"Clear Saved", false, {5}},
        {"Copy High", true, {3}}, {"Copy Mid", true, {4}}, {"Copy Low", true, {1}}, {"Copy Saved", true, {5}},
    };
    int index = 0;
    for (const auto &entry : editItems) {
        const QList<int> lists = entry.lists;
        const bool copy = entry.copy;
        addItem(mnuEdit, QStringLiteral("mnuEditItem(%1)").arg(index++), QLatin1String(entry.caption), [this, lists, copy] {
            for (int number : lists)
                copy ? copyList(number) : clearList(number);
        });
    }

    QMenu *mnuTools = menuBar()->addMenu(QStringLiteral("Tools"));
    mnuTools->setObjectName(QStringLiteral("mnuTools"));
    const QStringList types = SearchTypes::texts();
    for (int item = 0; item < types.size(); ++item) {
        addItem(mnuTools, QStringLiteral("mnuToolsItem(%1)").arg(item), types.at(item), [this, item] {
            Combo1->setCurrentIndex(item);
            chooseSearchType(item);
        });
    }

    QMenu *mnuOptions = menuBar()->addMenu(QStringLiteral("Options"));
    mnuOptions->setObjectName(QStringLiteral("mnuOptions"));
    addItem(mnuOptions, QStringLiteral("mnuOptionsItem(0)"), QStringLiteral("Setup"), [this] { emit setupRequested(); });
    QMenu *mnuHelp = menuBar()->addMenu(QStringLiteral("Help"));
    mnuHelp->setObjectName(QStringLiteral("mnuHelp"));
    addItem(mnuHelp, QStringLiteral("mnuHelpItem(0)"), QStringLiteral("View Help"), [this] { emit helpRequested(); });
    QMenu *mnuAbout = menuBar()->addMenu(QStringLiteral("About"));
    mnuAbout->setObjectName(QStringLiteral("mnuAbout"));
    addItem(mnuAbout, QStringLiteral("mnuAboutItem(0)"), QStringLiteral("About this software"),
            [this] { emit aboutRequested(); });
}

void Form1::startUp()
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
        Frame2->setTitle(QStringLiteral("Domain Name Manager - Double Click any domain to purchase"));
    if (branding.useSkin && m_context.skinner) {
        Skinner::skinLabels(this, {SkinLabel1.get(), SkinLabel2.get()});
        m_context.skinner->applySkin(this);
    }
    if (branding.showBanner) {
        wbPicture->hide();
        wbBanner->show();
        wbBanner->navigate(branding.bannerUrl);
        layoutMainWindow();
    }

    if (settings.getUserSetting(product, settingsSection, QStringLiteral("showHelp"), QStringLiteral("1"))
        == QLatin1String("1")) {
        settings.saveUserSetting(product, settingsSection, QStringLiteral("showHelp"), QStringLiteral("0"));
        emit helpRequested();
    }
    ProgramFolder::createStartupFilesAndFolders(m_context.programFolder);
    ProgramFolder::installShippedFiles(m_context.programFolder, ProgramFolder::shippedDataDir());
    loadSavedDomains();
    // Without a window manager "maximised" means nothing: take the screen.
    if (screen())
        setGeometry(screen()->availableGeometry());
    showMaximized();
    m_loop.setCurrentWordNumber(ResumePositions(settings).wordNumber());

    const TldFile tldFile(m_context.programFolder);
    tldFile.writeDefaultTldTable(false);
    tldFile.loadTldTable(m_context.lookup.tldTable);
    LookupSettings::load(settings, product, m_context.lookup, m_context.throttle);

    if (settings.getUserSetting(product, settingsSection, QStringLiteral("FirstUse"), QString()).isEmpty()) {
        settings.saveUserSetting(product, settingsSection, QStringLiteral("FirstUse"), QStringLiteral("NO"));
        m_context.prompt.showMessage(
            QString(),
            QStringLiteral("Since this is your first time using this program you should visit the Setup area to enable "
                           "any Top Level Domains (TLDs) that you want to work with.\r\n\r\nBy default, only .COM and "
                           ".NET domains are enabled, but you can configure this program to work with any TLD."),
            Prompt::Icon::None, Prompt::Buttons::Ok);
    }
}

void Form1::loadTLDs()
{
    const QString current = cmbTLDs->currentText();
    cmbTLDs->clear();
    cmbTLDs->addItems(TldFile(m_context.programFolder).enabledExtensions());
    const int index = cmbTLDs->findText(current);
    if (index >= 0)
        cmbTLDs->setCurrentIndex(index);
    m_pool.setChosenTld(cmbTLDs->currentText());
}

void Form1::showWordRangeControls(bool visible)
{
    for (QWidget *widget : std::as_const(m_wordRangeControls))
        widget->setVisible(visible);
}

void Form1::showInternetSearchControls(bool visible)
{
    for (QWidget *widget : std::as_const(m_internetSearchControls))
        widget->setVisible(visible);
}

void Form1::loadSavedDomains()
{
    m_savedModel.append(SavedDomains::load(QDir(m_context.programFolder).filePath(QStringLiteral("Remembered.txt"))));
}

void Form1::saveSavedDomains()
{
    QString error;
    if (!SavedDomains::save(QDir(m_context.programFolder).filePath(QStringLiteral("Remembered.txt")),
                            m_savedModel.names(), &error))
        m_context.prompt.showMessage(QStringLiteral("Saved Domains"), error, Prompt::Icon::Warning, Prompt::Buttons::Ok);
}

void Form1::chooseSearchType(int index)
{
    const std::optional<SearchType> type = SearchTypes::fromText(Combo1->itemText(index));
    if (type)
        applySearchTypeSelection(*type);
}

void Form1::applySearchTypeSelection(SearchType type)
{
    const SearchTypeSelection selection = selectSearchType(type, m_context.programFolder, m_context.settings);
    if (selection.opensBrowseWindow) {
        showWordRangeControls(false);
        showInternetSearchControls(false);
        emit browseWindowRequested();
        return;
    }
    m_searchType = type;
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
        cmdDoSearch->setEnabled(selection.startEnabled);
        Command3->setEnabled(selection.stopEnabled);
        txtsearch->setEnabled(selection.internetSearchEnabled);
        Combo2->setEnabled(selection.internetSearchEnabled);
        cmdCreate->setEnabled(selection.internetSearchEnabled && !txtsearch->text().isEmpty());
        txtWordNum->setEnabled(selection.wordNumberEnabled);
        txtWordNum->setText(selection.wordNumberText);
    }
    if (selection.opensNameCreator)
        emit nameCreatorRequested();
}

void Form1::setSearchControlsEnabled(bool enabled)
{
    for (QWidget *widget : {static_cast<QWidget *>(cmdDoSearch), static_cast<QWidget *>(Command3),
                            static_cast<QWidget *>(Combo1), static_cast<QWidget *>(txtWordNum),
                            static_cast<QWidget *>(Combo2), static_cast<QWidget *>(cmdCreate),
                            static_cast<QWidget *>(txtsearch)})
        widget->setEnabled(enabled);
}

void Form1::startSearch()
{
    setSearchControlsEnabled(false);
    if (m_searchType == SearchType::YahooSearch || m_searchType == SearchType::GoogleSearch)
        txtWordNum->setText(QStringLiteral("1"));
    Command3->setEnabled(true);
    m_loop.start(m_wordFile, txtWordNum->text().toInt(), txtWordMax->text().toInt());
}

QString Form1::searchText() const
{
    return txtsearch->text();
}

QString Form1::searchTypeText() const
{
    return Combo1->currentText();
}

int Form1::amountIndex() const
{
    return Combo2->currentIndex();
}

void Form1::setListSize(qint32 wordMax)
{
    txtWordMax->setText(QString::number(wordMax));
    txtWordNum->setText(QStringLiteral("1"));
}

void Form1::startListSearch(qint32 wordMax, qint32 startNumber)
{
    txtWordMax->setText(QString::number(wordMax));
    txtWordNum->setText(QString::number(startNumber));
    startSearch();
}

void Form1::stopSearch()
{
    if (m_loop.isRunning())
        m_loop.stop(); // restoreAfterStop() follows from stopped()
    else
        restoreAfterStop();
}

void Form1::restoreAfterStop()
{
    Combo1->setEnabled(true);
    const std::optional<SearchType> shown = SearchTypes::fromText(Combo1->currentText());
    if (!shown || shown == SearchType::CustomList || shown == SearchType::GenerateNames
        || shown == SearchType::BrowseForNames) {
        cmdDoSearch->setEnabled(true);
        Command3->setEnabled(false);
        txtsearch->setEnabled(false);
        Combo2->setEnabled(false);
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

// The start number must lie within the list: 1 to its size.
void Form1::guardWordNumber()
{
    bool startValid = false;
    bool sizeValid = false;
    const qint32 start = txtWordNum->text().toInt(&startValid);
    const qint32 size = txtWordMax->text().toInt(&sizeValid);
    if (!startValid || !sizeValid || start > size || start < 1)
        txtWordNum->setText(QStringLiteral("1"));
}

const QStringList &Form1::namesOf(int number) const
{
    return number == 5 ? m_savedModel.names() : m_results.names(resultList(number));
}

void Form1::deleteEntry(int number)
{
    const int row = list(number)->currentIndex().row();
    if (row < 0)
        return;
    if (number == 5)
        m_savedModel.removeRows(row, 1);
    else
        m_results.removeName(resultList(number), row);
}

void Form1::clearList(int number)
{
    if (number == 5)
        m_savedModel.clear();
    else
        m_results.clearList(resultList(number));
}

void Form1::copyList(int number)
{
    QString text;
    for (const QString &name : namesOf(number))
        text += name + QStringLiteral("\r\n");
    QClipboard *clipboard = QApplication::clipboard();
    clipboard->clear();
    clipboard->setText(text);
}

void Form1::dropOnSavedList(const QString &payload)
{
    if (m_dragSourceList >= 1 && m_dragSourceList <= 4) {
        const QStringList &source = namesOf(m_dragSourceList);
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

void Form1::doubleClicked(int number, const QModelIndex &index)
{
    if (number == 2)
        m_dragSourceList = 2;
    if (!index.isValid())
        return;
    m_context.selectedDomain = namesOf(number).value(index.row());
    if (m_context.branding.purchaseOnDoubleClick)
        QDesktopServices::openUrl(QUrl(m_context.branding.purchaseUrlPrefix + m_context.selectedDomain));
    else
        emit whoisWindowRequested(m_context.selectedDomain);
}

void Form1::resizeEvent(QResizeEvent *event)
{
    QMainWindow::resizeEvent(event);
    layoutMainWindow();
}

void Form1::layoutMainWindow()
{
    if (isMinimized())
        return;
    const int minimum = twips(6500);
    setMinimumSize(minimum, minimum);
    QWidget *central = centralWidget();
    const int margin = twips(150);
    int top = margin / 2;
    if (!wbBanner->isHidden()) {
        wbBanner->setGeometry(margin, top, central->width() - 2 * margin, wbBanner->sizeHint().height());
        top += wbBanner->height() + twips(100);
    }
    wbPicture->setGeometry(0, 0, 0, 0);
    Frame1->setGeometry(margin, top, width() - twips(300), Frame1->sizeHint().height());
    top += Frame1->height() + margin / 2;

    const int frameWidth = width() - twips(300);
    const int frameBottom = central->height() - twips(1000) + statusBar()->height() + menuBar()->height();
    Frame2->setGeometry(margin, top, frameWidth, qMax(twips(1500), qMin(frameBottom, central->height()) - top));

    const int inner = twips(120);
    const int labelHeight = m_listLabels[0]->sizeHint().height();
    const int buttonHeight = m_listButtons[0][0]->sizeHint().height();
    const int columnWidth = (Frame2->width() - 2 * inner) / 5;
    const int listTop = inner + Frame2->fontMetrics().height() + labelHeight;
    const int listHeight = Frame2->height() - listTop - buttonHeight - 2 * inner;
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
    m_statusPanels[0]->setFixedWidth(frameWidth / 4);
    m_statusPanels[1]->setFixedWidth(frameWidth / 4);
    m_statusPanels[2]->setFixedWidth(frameWidth / 2);
}

void Form1::closeEvent(QCloseEvent *event)
{
    m_loop.stop();
    m_pool.closeAll();
    emit shutDownRequested();
    event->accept();
}
