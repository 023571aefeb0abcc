#include "harvest/ui/BrowseWindow.h"

#include "base/ui/SkinLabel.h"
#include "base/ui/Skinner.h"
#include "base/ui/WindowIcons.h"
#include "harvest/Marketplace.h"
#include "search/LookupSession.h"

#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QComboBox>
#include <QDesktopServices>
#include <QElapsedTimer>
#include <QFile>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QStatusBar>
#include <QVBoxLayout>
#include <QWebEngineLoadingInfo>
#include <QWebEnginePage>
#include <QWebEngineScript>
#include <QWebEngineView>

namespace {

// A status bar panel. Not a plain QLabel, so that skinning leaves it alone:
// a skinned twin would not follow its changing text.
class StatusPanel : public QLabel
{
    Q_OBJECT

public:
    using QLabel::QLabel;
};

// The browser opens pages meant for a new window in itself.
class BrowserView : public QWebEngineView
{
public:
    using QWebEngineView::QWebEngineView;

protected:
    QWebEngineView *createWindow(QWebEnginePage::WebWindowType) override { return this; }
};

// The frame browser's page: nobody sees it, so it asks nothing and stays silent.
class SilentPage : public QWebEnginePage
{
public:
    using QWebEnginePage::QWebEnginePage;

protected:
    void javaScriptAlert(const QUrl &, const QString &) override {}
    bool javaScriptConfirm(const QUrl &, const QString &) override { return false; }
    bool javaScriptPrompt(const QUrl &, const QString &, const QString &, QString *) override { return false; }
};

// Lines are read in slices of this length; the event loop runs between slices.
constexpr int extractionSliceMs = 10;
constexpr int documentPollMs = 500;
// The most frame and iframe pages read for one page shown.
constexpr qsizetype framesPerPage = 30;

QPushButton *makeButton(QWidget *parent, const QString &name, const QString &caption, const QString &tooltip = {})
{
    auto *button = new QPushButton(caption, parent);
    button->setObjectName(name);
    button->setToolTip(tooltip);
    button->setAutoDefault(false);
    return button;
}

} // namespace

BrowseWindow::BrowseWindow(LookupSession &session, const Branding &branding, QString &selectedDomain,
                           const Skinner *skinner, QWidget *parent)
    : QMainWindow(parent)
    , m_programFolder(session.programFolder())
    , m_branding(branding)
    , m_session(session)
    , m_selectedDomain(selectedDomain)
    , m_checker(session)
    , m_harvest(HarvestData::shipped())
{
    setObjectName(QStringLiteral("Form5"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("Browse for Domains"));
    setWindowIcon(programIcon(QStringLiteral("AAA")));
    buildControls();
    connectBrowser();

    connect(&m_checker, &BrowsedNameChecker::progressChanged, this, &BrowseWindow::showCheckProgress);
    connect(&m_checker, &BrowsedNameChecker::nameChecked, this, &BrowseWindow::showChecked);
    connect(&m_checker, &BrowsedNameChecker::finished, this, [this] {
        if (!m_extraction && m_pages.counters.pageFound > 0)
            setPageStatus(QStringLiteral("Finished domains on current page"));
    });
    m_sliceTimer.setInterval(0);
    connect(&m_sliceTimer, &QTimer::timeout, this, &BrowseWindow::extractSomeLines);

    // Window load.
    if (skinner && m_branding.useSkin) {
        Skinner::skinLabels(this, {m_skinLabels.get()});
        skinner->applySkin(this);
    }
    setWindowState(windowState() | Qt::WindowMaximized);
    QFile::remove(browsedNamesPath(m_programFolder));
    m_browser->load(QUrl::fromUserInput(m_branding.comments));
}

BrowseWindow::~BrowseWindow()
{
    unload();
    // The pages go first, while everything their pending script callbacks
    // could touch still exists.
    delete m_frameReader;
    delete m_browser;
}

int BrowseWindow::twips(int value) const
{
    return qRound(value * logicalDpiX() / 1440.0);
}

void BrowseWindow::buildControls()
{
    auto *central = new QWidget(this);
    setCentralWidget(central);
    m_browser = new BrowserView(central);
    m_browser->setObjectName(QStringLiteral("WebBrowser1"));
    // Loads the pages of frames; it is never shown.
    m_frameReader = new BrowserView(central);
    m_frameReader->setObjectName(QStringLiteral("WebBrowser2"));
    m_frameReader->setPage(new SilentPage(m_frameReader));
    m_frameReader->page()->setAudioMuted(true);
    m_frameReader->hide();

    auto *body = new QHBoxLayout;
    body->addWidget(m_browser, 1);
    body->addLayout(buildListColumn(central));
    auto *layout = new QVBoxLayout(central);
    layout->addWidget(buildAddressBar(central));
    layout->addWidget(buildMarketBar(central));
    layout->addLayout(body, 1);
    buildStatusBar();
}

QWidget *BrowseWindow::buildAddressBar(QWidget *central)
{
    auto *addressFrame = new QWidget(central);
    addressFrame->setObjectName(QStringLiteral("Frame1"));
    auto *addressRow = new QHBoxLayout(addressFrame);
    addressRow->setContentsMargins(0, 0, 0, 0);
    auto *cmdBack =
        makeButton(addressFrame, QStringLiteral("cmdBack"), QStringLiteral("Back"), QStringLiteral("Go Back"));
    auto *cmdFwd =
        makeButton(addressFrame, QStringLiteral("cmdFwd"), QStringLiteral("Forward"), QStringLiteral("Go Forward"));
    auto *cmdHome = makeButton(addressFrame, QStringLiteral("cmdHome"), QStringLiteral("Home"));
    auto *cmdRefresh = makeButton(addressFrame, QStringLiteral("cmdRefresh"), QStringLiteral("Refresh"));
    auto *cmdStop = makeButton(addressFrame, QStringLiteral("cmdStop"), QStringLiteral("Stop"));
    auto *Label3 = new QLabel(QStringLiteral("URL:"), addressFrame);
    Label3->setObjectName(QStringLiteral("Label3"));
    m_addressBox = new QComboBox(addressFrame);
    m_addressBox->setObjectName(QStringLiteral("text1"));
    m_addressBox->setEditable(true);
    m_addressBox->setInsertPolicy(QComboBox::NoInsert);
    m_addressBox->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    // Typed keys go to the combo box, which hands them to its line edit
    // directly, past the line edit's event filters: Return and keypad Enter
    // are caught on both.
    m_addressBox->installEventFilter(this);
    m_addressBox->lineEdit()->installEventFilter(this);
    auto *goButton = makeButton(addressFrame, QStringLiteral("Command1"), QStringLiteral("GO"),
                                QStringLiteral("Navigate to the current url!"));
    for (QWidget *widget :
         {static_cast<QWidget *>(cmdBack), static_cast<QWidget *>(cmdFwd), static_cast<QWidget *>(cmdHome),
          static_cast<QWidget *>(cmdRefresh), static_cast<QWidget *>(cmdStop), static_cast<QWidget *>(Label3)})
        addressRow->addWidget(widget);
    addressRow->addWidget(m_addressBox, 1);
    addressRow->addWidget(goButton);
    m_skinLabels = std::make_unique<SkinLabelArray>(QStringLiteral("SkinLabel1"), addressFrame);

    connect(goButton, &QPushButton::clicked, this, [this] { navigate(m_addressBox->currentText()); });
    connect(m_addressBox, &QComboBox::activated, this,
            [this](int index) { m_browser->load(QUrl::fromUserInput(m_addressBox->itemText(index))); });
    connect(cmdBack, &QPushButton::clicked, m_browser, &QWebEngineView::back);
    connect(cmdFwd, &QPushButton::clicked, m_browser, &QWebEngineView::forward);
    connect(cmdHome, &QPushButton::clicked, this,
            [this] { m_browser->load(QUrl::fromUserInput(m_branding.comments)); });
    connect(cmdRefresh, &QPushButton::clicked, m_browser, &QWebEngineView::reload);
    connect(cmdStop, &QPushButton::clicked, m_browser, &QWebEngineView::stop);
    return addressFrame;
}

QWidget *BrowseWindow::buildMarketBar(QWidget *central)
{
    auto *Frame2 = new QWidget(central);
    Frame2->setObjectName(QStringLiteral("Frame2"));
    auto *marketRow = new QHBoxLayout(Frame2);
    marketRow->setContentsMargins(0, 0, 0, 0);
    const QStringList captions = marketplaceCaptions();
    for (int index = 0; index < captions.size(); ++index) {
        QPushButton *button = makeButton(Frame2, QStringLiteral("Command2(%1)").arg(index), captions.at(index));
        marketRow->addWidget(button);
        connect(button, &QPushButton::clicked, this, [this, index] { openMarketplace(index); });
    }
    marketRow->addStretch();
    auto *Command3 =
        makeButton(Frame2, QStringLiteral("Command3"), QStringLiteral("Clear Cache"),
                   QStringLiteral("If you notice the program has stopped checking domains, please click here "
                                  "to correct the problem"));
    marketRow->addWidget(Command3);
    connect(Command3, &QPushButton::clicked, this, &BrowseWindow::clearCache);
    return Frame2;
}

QLayout *BrowseWindow::buildListColumn(QWidget *central)
{
    auto *listColumn = new QVBoxLayout;
    const struct
    {
        const char *label;
        const char *tooltip;
        int stretch;
    } lists[] = {{"Unregistered:", "These domain names have not been registered.", 2}, {"Registered:", "", 1}};
    for (int list = 1; list <= 2; ++list) {
        const auto &column = lists[list - 1];
        auto *label = new SkinLabel(central);
        label->setObjectName(QStringLiteral("Label%1").arg(list));
        label->setText(QLatin1String(column.label));
        m_listLabels[size_t(list - 1)] = label;

        auto *view = new QListView(central);
        view->setObjectName(QStringLiteral("List%1").arg(list));
        view->setToolTip(QLatin1String(column.tooltip));
        view->setEditTriggers(QAbstractItemView::NoEditTriggers);
        view->setUniformItemSizes(true);
        view->setModel(list == 1 ? &m_checker.unregisteredList() : &m_checker.registeredList());
        view->installEventFilter(this);
        connect(view, &QAbstractItemView::doubleClicked, this,
                [this, list](const QModelIndex &index) { doubleClicked(list, index); });
        m_lists[size_t(list - 1)] = view;

        auto *buttons = new QHBoxLayout;
        QPushButton *copy = makeButton(central, QStringLiteral("cmdCopy(%1)").arg(list), QStringLiteral("Copy"),
                                       QStringLiteral("Copy List"));
        QPushButton *clear = makeButton(central, QStringLiteral("cmdClear(%1)").arg(list), QStringLiteral("Clear"),
                                        QStringLiteral("Clear List"));
        QPushButton *del = makeButton(central, QStringLiteral("cmdClear2(%1)").arg(list), QStringLiteral("Del"),
                                      QStringLiteral("Delete Selected Item"));
        for (QPushButton *button : {copy, clear, del})
            buttons->addWidget(button);
        connect(copy, &QPushButton::clicked, this, [this, list] { copyList(list); });
        connect(clear, &QPushButton::clicked, this, [this, list] { clearList(list); });
        connect(del, &QPushButton::clicked, this, [this, list] { deleteSelected(list); });

        listColumn->addWidget(label);
        listColumn->addWidget(view, column.stretch);
        listColumn->addLayout(buttons);
    }
    m_stopChecking = makeButton(central, QStringLiteral("cmdStopCheck"), QStringLiteral("Stop Checking"),
                                QStringLiteral("Stop checking the names found so far"));
    m_stopChecking->setEnabled(false);
    connect(m_stopChecking, &QPushButton::clicked, &m_checker, &BrowsedNameChecker::stop);
    listColumn->addWidget(m_stopChecking);
    return listColumn;
}

void BrowseWindow::buildStatusBar()
{
    auto *status = new QStatusBar(this);
    status->setObjectName(QStringLiteral("StatusBar1"));
    status->setSizeGripEnabled(false);
    setStatusBar(status);
    for (size_t panel = 0; panel < m_statusPanels.size(); ++panel) {
        m_statusPanels[panel] = new StatusPanel(status);
        m_statusPanels[panel]->setObjectName(QStringLiteral("StatusBar1Panel%1").arg(panel + 1));
        status->addWidget(m_statusPanels[panel]);
    }
}

void BrowseWindow::connectBrowser()
{
    connect(m_browser, &QWebEngineView::loadStarted, this, [this] {
        setPageStatus(QStringLiteral("Waiting for page to load"));
        m_pages.counters.pageFound = 0;
        m_framesToLoad.clear();
        m_framesFollowed.clear();
        dropLastPage();
    });
    connect(m_browser->page(), &QWebEnginePage::linkHovered, m_statusPanels[2], &QLabel::setText);
    connect(m_browser->page(), &QWebEnginePage::loadingChanged, this, &BrowseWindow::loadingChanged);
    connect(m_browser, &QWebEngineView::titleChanged, this, [this](const QString &title) {
        m_addressBox->setEditText(m_browser->url().toString());
        setWindowTitle(m_branding.productName + QStringLiteral(" - ") + title);
    });
    // A navigation started while another is still loading gets no load
    // signals of its own, so the visible browser's document is also looked
    // at every half second; each document is read once.
    connect(m_browser, &QWebEngineView::loadFinished, this, [this] { readBody(m_browser); });
    m_documentPoll.setInterval(documentPollMs);
    connect(&m_documentPoll, &QTimer::timeout, this, [this] { readBody(m_browser); });
    m_documentPoll.start();
    // The frame browser loads one page at a time; the next one goes once
    // this one's body has been read.
    connect(m_frameReader, &QWebEngineView::loadFinished, this, [this](bool ok) {
        const auto next = [this] {
            m_frameLoading = false;
            loadNextFrame();
        };
        if (ok)
            readBody(m_frameReader, next);
        else
            next();
    });
}

void BrowseWindow::loadingChanged(const QWebEngineLoadingInfo &info)
{
    // The error text is only meaningful on a failed load.
    if (info.status() == QWebEngineLoadingInfo::LoadFailedStatus)
        setPageStatus(QStringLiteral("Page failed to load: ") + info.errorString());
    else if (info.status() == QWebEngineLoadingInfo::LoadStoppedStatus)
        setPageStatus(QStringLiteral("Page load stopped"));
}

void BrowseWindow::readBody(QWebEngineView *view, const std::function<void()> &then)
{
    // The mark lives in the script world of this window only, where the page
    // cannot see or set it; error pages have no web address. Frame sources
    // come resolved against the page's address by the browser.
    static const QString readOnce =
        QStringLiteral("(function () {"
                       "  if (document.readyState !== 'complete' || !document.body || document.vantrelBodyRead"
                       "      || !/^(https?|file|ftp):$/.test(window.location.protocol))"
                       "    return null;"
                       "  document.vantrelBodyRead = true;"
                       "  var frames = Array.prototype.map.call("
                       "      document.querySelectorAll('frame[src], iframe[src]'), function (f) { return f.src; });"
                       "  return [document.body.innerHTML].concat(frames);"
                       "})()");
    view->page()->runJavaScript(readOnce, QWebEngineScript::ApplicationWorld, [this, then](const QVariant &result) {
        if (m_unloaded)
            return;
        QStringList parts = result.toStringList();
        if (!parts.isEmpty()) {
            extractPage(parts.takeFirst());
            for (const QString &frame : std::as_const(parts))
                queueFrame(QUrl(frame));
        }
        if (then)
            then();
    });
}

void BrowseWindow::extractPage(const QString &pageText)
{
    m_pendingPages.append(pageText);
    startNextExtraction();
}

void BrowseWindow::startNextExtraction()
{
    if (m_extraction || m_pendingPages.isEmpty() || m_unloaded)
        return;
    const LookupContext &lookup = m_session.lookup();
    m_extraction.emplace(m_pages);
    m_extraction->begin(m_pendingPages.takeFirst(), NameRules(lookup.tldTable.enabledExtensionSet(),
                                                              m_everyTld ? &lookup.registries : nullptr, m_harvest));
    m_sliceTimer.start();
}

void BrowseWindow::extractSomeLines()
{
    QElapsedTimer slice;
    slice.start();
    QStringList found;
    while (m_extraction && m_extraction->hasNextPiece() && slice.elapsed() < extractionSliceMs) {
        const BrowsedLine line = m_extraction->processNextPiece();
        if (!line.accepted.isEmpty())
            setPageStatus(QStringLiteral("Domains Found, Checking Status"));
        found += line.accepted;
        if (line.followsFrame)
            followFrame(line.frameAddress);
    }
    // Checking starts while the rest of the page is still being read.
    m_checker.check(found);
    if (m_extraction && !m_extraction->hasNextPiece())
        endExtraction();
}

void BrowseWindow::endExtraction()
{
    m_sliceTimer.stop();
    m_extraction->finish(browsedNamesPath(m_programFolder));
    m_extraction.reset();
    if (m_pages.counters.pageFound < 1)
        setPageStatus(QStringLiteral("No Domains Found"));
    else if (m_checker.isChecking())
        setPageStatus(QStringLiteral("Domains Found, Checking Status"));
    else
        setPageStatus(QStringLiteral("Finished domains on current page"));
    startNextExtraction();
}

void BrowseWindow::dropLastPage()
{
    m_checker.stop();
    m_pendingPages.clear();
    if (!m_extraction)
        return;
    // The names read so far stay in the list file and count as seen.
    m_sliceTimer.stop();
    m_extraction->finish(browsedNamesPath(m_programFolder));
    m_extraction.reset();
}

void BrowseWindow::showCheckProgress(int checked, int total)
{
    m_statusPanels[0]->setText(QStringLiteral("checked %1 of %2").arg(checked).arg(total));
    m_stopChecking->setEnabled(checked < total);
}

void BrowseWindow::showChecked(const LookupResult &outcome)
{
    if (outcome.kind == LookupResult::Kind::Available)
        m_listLabels[0]->setText(QStringLiteral("Unregistered: (%1)").arg(m_checker.unregisteredList().size()));
    else if (outcome.kind == LookupResult::Kind::Registered)
        m_listLabels[1]->setText(QStringLiteral("Registered: (%1)").arg(m_checker.registeredList().size()));
}

void BrowseWindow::setEveryTld(bool on)
{
    m_everyTld = on;
}

void BrowseWindow::followFrame(const QString &address)
{
    // The frame itself is loaded from the document's own list of frames
    // (readBody), where a relative source is already resolved.
    setPageStatus(QStringLiteral("Following Frame: ") + address);
}

void BrowseWindow::queueFrame(const QUrl &url)
{
    const QString scheme = url.scheme();
    if (!url.isValid() ||
        (scheme != QLatin1String("http") && scheme != QLatin1String("https") && scheme != QLatin1String("file")))
        return;
    // A frame page naming itself (or a page already followed) is loaded once;
    // pages that keep nesting frames stop at framesPerPage.
    const QString address = url.toString();
    if (m_framesFollowed.contains(address) || m_framesFollowed.size() >= framesPerPage)
        return;
    m_framesFollowed.append(address);
    m_framesToLoad.append(address);
    loadNextFrame();
}

void BrowseWindow::loadNextFrame()
{
    if (m_frameLoading || m_framesToLoad.isEmpty() || m_unloaded)
        return;
    m_frameLoading = true;
    m_frameReader->load(QUrl(m_framesToLoad.takeFirst()));
}

void BrowseWindow::navigate(const QString &address)
{
    m_addressBox->addItem(address);
    // The new entry is the current one, so that the box does not take the
    // end of the editing for the choice of another equal entry.
    m_addressBox->setCurrentIndex(m_addressBox->count() - 1);
    const QUrl url = QUrl::fromUserInput(address);
    if (url.isValid())
        m_browser->load(url);
}

void BrowseWindow::openMarketplace(int index)
{
    const QString caption = marketplaceCaptions().value(index);
    m_browser->load(marketplaceAddress(caption, m_branding.marketplaceHomePages.value(index), m_branding.afternicRefId,
                                       m_branding.sedoPartnerId));
}

void BrowseWindow::clearCache()
{
    const QString searchOutput = searchOutputPath(m_programFolder);
    if (!QFile::exists(searchOutput))
        return;
    QFile::remove(searchOutput);
    m_browser->reload();
}

void BrowseWindow::copyList(int list)
{
    QString text;
    for (const QString &name : (list == 1 ? m_checker.unregisteredList() : m_checker.registeredList()).names())
        text += name + QStringLiteral("\r\n");
    QClipboard *clipboard = QApplication::clipboard();
    clipboard->clear();
    clipboard->setText(text);
}

void BrowseWindow::clearList(int list)
{
    m_checker.stop();
    if (list == 1) {
        m_checker.unregisteredList().clear();
        m_pages.pageList.clear();
        m_pages.seenList.clear();
        m_session.results().resetCounter(ResultList::Low);
        m_listLabels[0]->setText(QStringLiteral("Unregistered"));
    } else {
        m_checker.registeredList().clear();
        m_session.results().resetCounter(ResultList::Registered);
        m_listLabels[1]->setText(QStringLiteral("Registered"));
    }
}

void BrowseWindow::deleteSelected(int list)
{
    DomainListModel &model = list == 1 ? m_checker.unregisteredList() : m_checker.registeredList();
    const int row = m_lists[size_t(list - 1)]->currentIndex().row();
    if (row < 0 || !model.removeRows(row, 1))
        return;
    m_listLabels[size_t(list - 1)]->setText(
        (list == 1 ? QStringLiteral("Unregistered (") : QStringLiteral("Registered (")) +
        QString::number(model.size()) + QLatin1Char(')'));
}

void BrowseWindow::doubleClicked(int list, const QModelIndex &index)
{
    if (!index.isValid())
        return;
    const DomainListModel &model = list == 1 ? m_checker.unregisteredList() : m_checker.registeredList();
    m_selectedDomain = model.name(index.row());
    if (m_branding.purchaseOnDoubleClick)
        QDesktopServices::openUrl(QUrl(m_branding.purchaseUrlPrefix + m_selectedDomain));
    else
        emit whoisWindowRequested(m_selectedDomain);
}

bool BrowseWindow::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::KeyPress) {
        const auto *key = static_cast<QKeyEvent *>(event);
        const bool inAddressBox = watched == m_addressBox || watched == m_addressBox->lineEdit();
        if (inAddressBox && (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter)) {
            navigate(m_addressBox->currentText());
            return true;
        }
        for (int list = 1; list <= 2; ++list) {
            if (watched == m_lists[size_t(list - 1)] && key->key() == Qt::Key_Delete) {
                if (key->modifiers() & Qt::ShiftModifier)
                    clearList(list);
                else
                    deleteSelected(list);
                return true;
            }
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

void BrowseWindow::setPageStatus(const QString &text)
{
    m_statusPanels[1]->setText(text);
}

void BrowseWindow::layoutBrowseWindow()
{
    if (isMinimized())
        return;
    const int minimum = twips(6500);
    setMinimumSize(minimum, minimum);
    for (QLabel *panel : m_statusPanels)
        panel->setFixedWidth(qMax(0, width() / 3 - 4));
}

void BrowseWindow::resizeEvent(QResizeEvent *event)
{
    QMainWindow::resizeEvent(event);
    layoutBrowseWindow();
}

void BrowseWindow::closeEvent(QCloseEvent *event)
{
    unload();
    event->accept();
}

void BrowseWindow::unload()
{
    if (m_unloaded)
        return;
    m_unloaded = true;
    m_checker.stop();
    m_sliceTimer.stop();
    m_documentPoll.stop();
    m_extraction.reset();
    m_pendingPages.clear();
    m_framesToLoad.clear();
    m_browser->stop();
    m_frameReader->stop();
    QFile::remove(browsedNamesPath(m_programFolder));
}

#include "BrowseWindow.moc"
