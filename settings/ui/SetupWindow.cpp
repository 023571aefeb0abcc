#include "settings/ui/SetupWindow.h"

#include "base/Branding.h"
#include "base/FileUtils.h"
#include "base/Prompt.h"
#include "base/ui/ListViewSort.h"
#include "core/DefaultTldTable.h"
#include "core/LookupContext.h"
#include "core/LookupRoute.h"
#include "settings/SettingsStore.h"
#include "settings/SetupFields.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QDir>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {

enum Column { Extension, Server, Port, Status, Throttle, Success, ColumnCount };

// Rows sort by their text without regard to letter case, so "List" and
// "list" stand together.
// A row whose server is an RDAP base URL shows port 443, the port it is
// asked on; the stored field is kept for saving.
class TldRowItem : public QTreeWidgetItem
{
public:
    explicit TldRowItem(const QStringList &fields)
        : QTreeWidgetItem(fields)
        , m_fields(fields)
    {
        if (LookupRoute::isRdapServer(fields.value(Server)))
            setText(Port, QStringLiteral("443"));
    }

    // The field as TLDs.txt holds it.
    static QString field(const QTreeWidgetItem *row, int column)
    {
        return static_cast<const TldRowItem *>(row)->m_fields.value(column);
    }

    bool operator<(const QTreeWidgetItem &other) const override
    {
        const int column = treeWidget() ? treeWidget()->sortColumn() : 0;
        return text(column).compare(other.text(column), Qt::CaseInsensitive) < 0;
    }

private:
    QStringList m_fields;
};

QLineEdit *lineEdit(const char *name, const QString &text, QWidget *parent)
{
    auto *edit = new QLineEdit(text, parent);
    edit->setObjectName(QLatin1String(name));
    return edit;
}

QPushButton *button(const char *name, const QString &caption, QWidget *parent)
{
    auto *push = new QPushButton(caption, parent);
    push->setObjectName(QLatin1String(name));
    push->setAutoDefault(false);
    return push;
}

// Marks a box whose value is refused, with the reason as its tooltip;
// true when the value is accepted.
bool markProblem(QLineEdit *edit, const QString &problem)
{
    edit->setProperty("invalid", !problem.isEmpty());
    edit->setStyleSheet(problem.isEmpty() ? QString() : QStringLiteral("QLineEdit { background: #ffd8d8; }"));
    edit->setToolTip(problem);
    return problem.isEmpty();
}

QLabel *label(const QString &text, QWidget *buddy, QWidget *parent)
{
    auto *caption = new QLabel(text, parent);
    caption->setBuddy(buddy);
    return caption;
}

// A name made from an empty test label, or from a label ending in a double quote.
bool isOddName(const QString &testDomain)
{
    for (const QString &tld : {QStringLiteral(".com"), QStringLiteral(".net")}) {
        if (testDomain.compare(tld, Qt::CaseInsensitive) == 0 ||
            testDomain.contains(QLatin1Char('"') + tld, Qt::CaseInsensitive))
            return true;
    }
    return false;
}

// The message for a test's verdict, or empty when the name's guards keep it
// quiet: AVAILABLE for an odd name and for a name holding "endoffile",
// Registered for an odd name; Error/Blocked always shows.
QString verdictMessage(const TldTestResult &result)
{
    const QString details = QStringLiteral("Domain: ") + result.testDomain + QStringLiteral("\r\n") +
                            result.remoteHost + QLatin1Char(':') + QString::number(result.remotePort) +
                            QStringLiteral("\r\n\r\n") + result.reply;
    const bool odd = isOddName(result.testDomain);
    switch (result.verdict) {
    case Verdict::Available:
        if (odd || result.testDomain.contains(QLatin1String("endoffile"), Qt::CaseInsensitive))
            return {};
        return QStringLiteral("Appears to be: AVAILABLE\r\nSuccess word: ") + result.successWord +
               QStringLiteral("\r\n") + details;
    case Verdict::Blocked:
        return QStringLiteral("Appears to be: Error/Blocked\r\n") + details;
    case Verdict::Registered:
        break;
    }
    return odd ? QString() : QStringLiteral("Appears to be: Registered\r\n") + details;
}

QString firstOf(std::initializer_list<QString> problems)
{
    for (const QString &problem : problems) {
        if (!problem.isEmpty())
            return problem;
    }
    return {};
}

} // namespace

SetupWindow::SetupWindow(LookupContext &context, SettingsStore &settings, const Branding &branding,
                         QString programFolder, Prompt &prompt, LookupService &service, QWidget *parent)
    : QWidget(parent, Qt::Window)
    , m_context(context)
    , m_settings(settings)
    , m_productName(branding.productName)
    , m_programFolder(std::move(programFolder))
    , m_prompt(prompt)
    , m_tldFile(m_programFolder)
    , m_tester(service, context, [this] { return txtSuccess->text(); })
{
    setObjectName(QStringLiteral("frmSettings"));
    setWindowTitle(QStringLiteral("Settings"));
    buildControls();

    connect(lstDomains, &QTreeWidget::itemSelectionChanged, this, [this] { copyRowToEditor(selectedRow()); });
    connect(lstDomains, &QTreeWidget::itemClicked, this, [this](QTreeWidgetItem *row) { copyRowToEditor(row); });
    sortOnHeaderClicks(*lstDomains, false, m_prompt);
    connect(cmdSave, &QPushButton::clicked, this, &SetupWindow::cmdSave_Click);
    connect(cmdToggle, &QPushButton::clicked, this, &SetupWindow::cmdToggle_Click);
    connect(m_newExtensionButton, &QPushButton::clicked, this, &SetupWindow::Command1_Click);
    connect(m_deleteButton, &QPushButton::clicked, this, &SetupWindow::Command2_Click);
    connect(m_restoreDefaultsButton, &QPushButton::clicked, this, &SetupWindow::Command3_Click);
    connect(cmdTest, &QPushButton::clicked, this, &SetupWindow::cmdTest_Click);
    connect(m_debugButton, &QPushButton::clicked, this, &SetupWindow::Command4_Click);
    connect(chkProxy, &QCheckBox::toggled, this, &SetupWindow::chkProxy_Click);
    connect(txtDefault, &QLineEdit::textChanged, this, &SetupWindow::txtDefault_Change);
    connect(txtsearch, &QLineEdit::textChanged, this, &SetupWindow::txtsearch_Change);
    connect(txtthrot, &QLineEdit::textChanged, this, &SetupWindow::txtthrot_Change);
    connect(chkDnsFirst, &QCheckBox::toggled, this, &SetupWindow::chkDnsFirst_Click);
    connect(txtDnsServer, &QLineEdit::textChanged, this, &SetupWindow::txtDnsServer_Change);
    connect(spnRecheckAfterDays, &QSpinBox::valueChanged, this, &SetupWindow::spnRecheckAfterDays_Change);
    connect(txtExt, &QLineEdit::textChanged, this,
            [this](const QString &text) { markProblem(txtExt, SetupFields::extensionProblem(text, true)); });
    connect(txtServer, &QLineEdit::textChanged, this, [this](const QString &text) {
        markProblem(txtServer, text.isEmpty() ? QString() : SetupFields::serverProblem(text));
    });
    connect(txtPort, &QLineEdit::textChanged, this, [this](const QString &text) {
        markProblem(txtPort, text.isEmpty() ? QString() : SetupFields::portProblem(text));
    });
    connect(txtThrottle, &QLineEdit::textChanged, this,
            [this](const QString &text) { markProblem(txtThrottle, SetupFields::pauseProblem(text, true)); });
    connect(spnParallelLookups, &QSpinBox::valueChanged, this,
            [this](int lookups) { m_settings.setValue(Settings::parallelLookups, lookups); });
    connect(chkHarvestEveryTld, &QCheckBox::toggled, this,
            [this](bool checked) { m_settings.setValue(Settings::harvestEveryTld, checked); });
    connect(chkReviewHarvest, &QCheckBox::toggled, this,
            [this](bool checked) { m_settings.setValue(Settings::reviewHarvest, checked); });
    // Stored once the user is done typing: a half-typed URL is no setting.
    connect(txtHistoryDatabase, &QLineEdit::editingFinished, this, [this] {
        m_settings.setValue(Settings::historyDatabase, txtHistoryDatabase->text().trimmed());
    });
    txtDefault->installEventFilter(this);
    connect(&m_tester, &TldTester::finished, this, &SetupWindow::testFinished);

    loadValues();
}

void SetupWindow::buildControls()
{
    auto *proxy = new QGroupBox(QStringLiteral("Proxy WHOIS server:"), this);
    chkProxy = new QCheckBox(
        QStringLiteral("Use the server entered under the extension \"proxy\" for all whois lookups"), proxy);
    chkProxy->setObjectName(QStringLiteral("chkProxy"));
    (new QVBoxLayout(proxy))->addWidget(chkProxy);

    lblRunGoing = new QLabel(QStringLiteral("A search is running: changes apply to the next run."), this);
    lblRunGoing->setObjectName(QStringLiteral("lblRunGoing"));
    lblRunGoing->setHidden(true);

    // Only the list grows with the window.
    auto *window = new QVBoxLayout(this);
    window->addWidget(lblRunGoing);
    window->addWidget(buildDefaults());
    window->addWidget(proxy);
    window->addWidget(buildHarvestGroup());
    window->addWidget(buildEditor());
    buildTldList();
    window->addWidget(label(QStringLiteral("List of Top Level Domains:"), lstDomains, this));
    window->addWidget(lstDomains, 1);
    lstDomains->setFocus();
    resize(900, 720);
}

// Defaults, with the texts the boxes have before the stored values are
// loaded into them.
QGroupBox *SetupWindow::buildDefaults()
{
    auto *defaults = new QGroupBox(QStringLiteral("Defaults:"), this);
    txtDefault = lineEdit("txtDefault", QStringLiteral("com"), defaults);
    txtsearch = lineEdit("txtsearch", QStringLiteral("Google"), defaults);
    txtthrot = lineEdit("txtthrot", QStringLiteral("100"), defaults);
    for (QLineEdit *edit : {txtDefault, txtsearch, txtthrot})
        edit->setFixedWidth(140);
    auto *defaultsGrid = new QGridLayout(defaults);
    defaultsGrid->addWidget(
        label(QStringLiteral("Use the following TLD as the default (generally com)"), txtDefault, defaults), 0, 0);
    defaultsGrid->addWidget(txtDefault, 0, 1);
    defaultsGrid->addWidget(
        label(QStringLiteral("Use this domain when testing registrars in the list below:"), txtsearch, defaults), 1, 0);
    defaultsGrid->addWidget(txtsearch, 1, 1);
    defaultsGrid->addWidget(label(QStringLiteral("Pause for this many milliseconds after each domain is scanned in "
                                                 "Browse for Domains mode:"),
                                  txtthrot, defaults),
                            2, 0);
    defaultsGrid->addWidget(txtthrot, 2, 1);
    defaultsGrid->addWidget(
        new QLabel(QStringLiteral("(Note: Other areas of the program use the individual throttle settings below)"),
                   defaults),
        3, 0, 1, 2);
    chkDnsFirst =
        new QCheckBox(QStringLiteral("Check DNS first (skips WHOIS for names that are already in use)"), defaults);
    chkDnsFirst->setObjectName(QStringLiteral("chkDnsFirst"));
    defaultsGrid->addWidget(chkDnsFirst, 4, 0, 1, 2);
    txtDnsServer = lineEdit("txtDnsServer", QString(), defaults);
    txtDnsServer->setFixedWidth(140);
    txtDnsServer->setPlaceholderText(QStringLiteral("the system's"));
    defaultsGrid->addWidget(
        label(QStringLiteral("Ask this DNS server (empty: the system's resolver):"), txtDnsServer, defaults), 5, 0);
    defaultsGrid->addWidget(txtDnsServer, 5, 1);
    spnRecheckAfterDays = new QSpinBox(defaults);
    spnRecheckAfterDays->setObjectName(QStringLiteral("spnRecheckAfterDays"));
    spnRecheckAfterDays->setRange(0, 3650);
    spnRecheckAfterDays->setSpecialValueText(QStringLiteral("always ask"));
    spnRecheckAfterDays->setFixedWidth(140);
    defaultsGrid->addWidget(label(QStringLiteral("Take a name's verdict from the history when it is younger than "
                                                 "this many days (0: always ask the registry):"),
                                  spnRecheckAfterDays, defaults),
                            6, 0);
    defaultsGrid->addWidget(spnRecheckAfterDays, 6, 1);
    txtHistoryDatabase = lineEdit("txtHistoryDatabase", QString(), defaults);
    txtHistoryDatabase->setMinimumWidth(280);
    txtHistoryDatabase->setPlaceholderText(QStringLiteral("history.sqlite in the program folder"));
    defaultsGrid->addWidget(label(QStringLiteral("History database: the local file, or a postgresql://user@host/db "
                                                 "URL that several machines share (from the next start on):"),
                                  txtHistoryDatabase, defaults),
                            7, 0);
    defaultsGrid->addWidget(txtHistoryDatabase, 7, 1);
    spnParallelLookups = new QSpinBox(defaults);
    spnParallelLookups->setObjectName(QStringLiteral("spnParallelLookups"));
    spnParallelLookups->setRange(1, 32);
    spnParallelLookups->setFixedWidth(140);
    defaultsGrid->addWidget(label(QStringLiteral("Parallel lookups (each registry keeps its own pause):"),
                                  spnParallelLookups, defaults),
                            8, 0);
    defaultsGrid->addWidget(spnParallelLookups, 8, 1);
    defaultsGrid->setColumnStretch(0, 1);
    return defaults;
}

QGroupBox *SetupWindow::buildHarvestGroup()
{
    auto *harvest = new QGroupBox(QStringLiteral("Names from web pages:"), this);
    chkHarvestEveryTld = new QCheckBox(
        QStringLiteral("Take names under every TLD that has a registry, not only the enabled extensions"), harvest);
    chkHarvestEveryTld->setObjectName(QStringLiteral("chkHarvestEveryTld"));
    chkReviewHarvest =
        new QCheckBox(QStringLiteral("Show the list builder's names for review before they are checked"), harvest);
    chkReviewHarvest->setObjectName(QStringLiteral("chkReviewHarvest"));
    auto *harvestColumn = new QVBoxLayout(harvest);
    harvestColumn->addWidget(chkHarvestEveryTld);
    harvestColumn->addWidget(chkReviewHarvest);
    return harvest;
}

// The entry editor and the table buttons.
QGroupBox *SetupWindow::buildEditor()
{
    auto *editor = new QGroupBox(this);
    txtExt = lineEdit("txtExt", QString(), editor);
    txtServer = lineEdit("txtServer", QString(), editor);
    txtPort = lineEdit("txtPort", QString(), editor);
    txtThrottle = lineEdit("txtThrottle", QString(), editor);
    txtSuccess = lineEdit("txtSuccess", QString(), editor);
    txtExt->setMaximumWidth(110);
    txtPort->setMaximumWidth(70);
    txtThrottle->setMaximumWidth(70);
    auto *editorGrid = new QGridLayout(editor);
    editorGrid->addWidget(label(QStringLiteral("Extension:"), txtExt, editor), 0, 0);
    editorGrid->addWidget(txtExt, 0, 1);
    editorGrid->addWidget(label(QStringLiteral("Whois Server:"), txtServer, editor), 0, 2);
    editorGrid->addWidget(txtServer, 0, 3);
    editorGrid->addWidget(label(QStringLiteral("Port:"), txtPort, editor), 0, 4);
    editorGrid->addWidget(txtPort, 0, 5);
    editorGrid->addWidget(label(QStringLiteral("Throttle (ms):"), txtThrottle, editor), 0, 6);
    editorGrid->addWidget(txtThrottle, 0, 7);
    editorGrid->addWidget(label(QStringLiteral("Success Indicators:"), txtSuccess, editor), 1, 0, 1, 2);
    editorGrid->addWidget(txtSuccess, 1, 2, 1, 6);
    editorGrid->setColumnStretch(3, 1);

    cmdSave = button("cmdSave", QStringLiteral("Add/Save"), editor);
    cmdToggle = button("cmdToggle", QStringLiteral("Enable/Disable"), editor);
    m_newExtensionButton = button("Command1", QStringLiteral("New Extension"), editor);
    m_deleteButton = button("Command2", QStringLiteral("Delete Selected"), editor);
    m_restoreDefaultsButton = button("Command3", QStringLiteral("Restore Defaults"), editor);
    cmdTest = button("cmdTest", QStringLiteral("Test Selected"), editor);
    m_debugButton = button("Command4", QStringLiteral("DEBUG"), editor);
    m_debugButton->setVisible(false);
    auto *buttons = new QHBoxLayout;
    for (QPushButton *push :
         {cmdSave, cmdToggle, m_newExtensionButton, m_deleteButton, m_restoreDefaultsButton, cmdTest})
        buttons->addWidget(push);
    buttons->addStretch(1);
    editorGrid->addLayout(buttons, 2, 0, 1, 8);
    return editor;
}

void SetupWindow::buildTldList()
{
    lstDomains = new QTreeWidget(this);
    lstDomains->setObjectName(QStringLiteral("lstDomains"));
    lstDomains->setRootIsDecorated(false);
    lstDomains->setUniformRowHeights(true);
    lstDomains->setAlternatingRowColors(true);
    lstDomains->setSelectionMode(QAbstractItemView::SingleSelection);
    lstDomains->setHeaderLabels({QStringLiteral("Extension"), QStringLiteral("Server"), QStringLiteral("Port"),
                                 QStringLiteral("Status"), QStringLiteral("Throttle"), QStringLiteral("Success")});
    // Before the first header click the list counts as sorted descending, so
    // that click sorts ascending.
    lstDomains->header()->setSortIndicator(Extension, Qt::DescendingOrder);
    lstDomains->setColumnWidth(Extension, 100);
    lstDomains->setColumnWidth(Server, 210);
    lstDomains->setColumnWidth(Port, 55);
    lstDomains->setColumnWidth(Status, 75);
    lstDomains->setColumnWidth(Throttle, 70);
}

void SetupWindow::loadValues()
{
    fillTldListView();
    m_editorEnabled = true;

    // Each value that differs from the box's initial one runs the box's
    // change reaction, which writes it back.
    MachineSettingError error;
    const bool proxyOn = m_settings.value(Settings::proxy, &error);
    if (error.code == MachineSettingError::Code::None)
        chkProxy->setChecked(proxyOn);
    txtDefault->setText(m_context.defaultExtension);
    txtthrot->setText(m_settings.text(Settings::throttle.key, QString::number(Settings::throttleShownBySetup)));
    txtsearch->setText(m_settings.value(Settings::testLabel));
    // These are only written when the user changes them.
    const QSignalBlocker dnsBlocker(chkDnsFirst);
    const QSignalBlocker serverBlocker(txtDnsServer);
    const QSignalBlocker recheckBlocker(spnRecheckAfterDays);
    const QSignalBlocker parallelBlocker(spnParallelLookups);
    chkDnsFirst->setChecked(m_settings.value(Settings::checkDnsFirst));
    txtDnsServer->setText(m_settings.value(Settings::dnsServer));
    spnRecheckAfterDays->setValue(m_settings.value(Settings::recheckAfterDays));
    spnParallelLookups->setValue(m_settings.value(Settings::parallelLookups));
    const QSignalBlocker everyTldBlocker(chkHarvestEveryTld);
    const QSignalBlocker reviewBlocker(chkReviewHarvest);
    chkHarvestEveryTld->setChecked(m_settings.value(Settings::harvestEveryTld));
    chkReviewHarvest->setChecked(m_settings.value(Settings::reviewHarvest));
    txtHistoryDatabase->setText(m_settings.value(Settings::historyDatabase));
}

void SetupWindow::fillTldListView()
{
    lstDomains->clear();
    QList<QTreeWidgetItem *> rows;
    const QList<QStringList> fileRows = m_tldFile.rows();
    for (const QStringList &fields : fileRows)
        rows << new TldRowItem(fields);
    lstDomains->addTopLevelItems(rows);
    if (lstDomains->isSortingEnabled())
        lstDomains->sortItems(lstDomains->sortColumn(), lstDomains->header()->sortIndicatorOrder());
}

void SetupWindow::reloadTldTable()
{
    m_tldFile.loadTldTable(m_context.tldTable);
}

QTreeWidgetItem *SetupWindow::selectedRow() const
{
    const QList<QTreeWidgetItem *> selected = lstDomains->selectedItems();
    return selected.isEmpty() ? nullptr : selected.first();
}

void SetupWindow::selectRow(const QString &extension)
{
    const QList<QTreeWidgetItem *> matches =
        lstDomains->findItems(extension, Qt::MatchExactly | Qt::MatchCaseSensitive);
    if (matches.isEmpty())
        return;
    const QSignalBlocker blocker(lstDomains);
    lstDomains->setCurrentItem(matches.first());
    lstDomains->scrollToItem(matches.first());
}

void SetupWindow::copyRowToEditor(const QTreeWidgetItem *row)
{
    if (!row)
        return;
    txtExt->setText(row->text(Extension));
    txtServer->setText(row->text(Server));
    txtPort->setText(TldRowItem::field(row, Port));
    txtThrottle->setText(row->text(Throttle));
    txtSuccess->setText(row->text(Success));
    m_editorEnabled = row->text(Status) == QLatin1String("Enabled");
}

QList<QStringList> SetupWindow::rowsInDisplayOrder() const
{
    QList<QStringList> rows;
    for (int index = 0; index < lstDomains->topLevelItemCount(); ++index) {
        const QTreeWidgetItem *row = lstDomains->topLevelItem(index);
        QStringList fields;
        for (int column = 0; column < ColumnCount; ++column)
            fields << TldRowItem::field(row, column);
        rows << fields;
    }
    return rows;
}

void SetupWindow::cmdSave_Click()
{
    if (txtExt->text().isEmpty() || txtServer->text().isEmpty() || txtPort->text().isEmpty()) {
        showMessage(QStringLiteral("Please enter valid information for all fields."));
        return;
    }
    const QString problem = firstOf({SetupFields::extensionProblem(txtExt->text(), false),
                                     SetupFields::serverProblem(txtServer->text()),
                                     SetupFields::portProblem(txtPort->text()),
                                     SetupFields::pauseProblem(txtThrottle->text(), true),
                                     txtSuccess->text().contains(QLatin1Char('|'))
                                         ? QStringLiteral("Success indicators hold no \"|\".")
                                         : QString()});
    if (!problem.isEmpty()) {
        showMessage(problem + QStringLiteral(" The entry was not saved."));
        return;
    }
    if (txtThrottle->text().isEmpty())
        txtThrottle->setText(QStringLiteral("25"));
    if (txtSuccess->text().isEmpty())
        txtSuccess->setText(QString::fromLatin1(DefaultTldTable::standardIndicators));

    QString error;
    if (!m_tldFile.saveTldEntry(txtExt->text(), txtServer->text(), txtPort->text(), m_editorEnabled,
                                txtThrottle->text(), txtSuccess->text(), &error)) {
        reportWriteFailure(error);
        return;
    }
    fillTldListView();
    selectRow(txtExt->text().toLower());
    reloadTldTable();
}

void SetupWindow::cmdToggle_Click()
{
    const QTreeWidgetItem *row = selectedRow();
    if (!row)
        return;
    const QString extension = row->text(Extension);
    const bool enable = row->text(Status) != QLatin1String("Enabled");
    QString error;
    if (!m_tldFile.saveTldEntry(extension, row->text(Server), TldRowItem::field(row, Port), enable,
                                row->text(Throttle), row->text(Success), &error)) {
        reportWriteFailure(error);
        return;
    }
    fillTldListView();
    selectRow(extension.toLower());
    reloadTldTable();
}

void SetupWindow::Command1_Click()
{
    txtExt->clear();
    txtServer->clear();
    txtPort->clear();
    txtExt->setFocus();
    m_editorEnabled = true;
}

void SetupWindow::Command2_Click()
{
    QTreeWidgetItem *row = selectedRow();
    if (!row)
        return;
    const QString question = QStringLiteral("Really delete .%1 (%2) from the list?")
                                 .arg(row->text(Extension), row->text(Server));
    if (m_prompt.showMessage(QStringLiteral("Delete?"), question, Prompt::Icon::Question, Prompt::Buttons::OkCancel) !=
        Prompt::Answer::Ok)
        return;

    QList<QStringList> rows = rowsInDisplayOrder();
    rows.removeAt(lstDomains->indexOfTopLevelItem(row));
    QString error;
    if (!m_tldFile.writeRows(rows, &error)) {
        reportWriteFailure(error);
        return;
    }
    delete row;
    reloadTldTable();
    txtExt->clear();
    txtServer->clear();
    txtPort->clear();
}

void SetupWindow::Command3_Click()
{
    if (m_prompt.showMessage(m_productName,
                             QStringLiteral("Replace every entry of the TLD table with the built-in defaults? "
                                            "Your own entries and changes are lost."),
                             Prompt::Icon::Question, Prompt::Buttons::OkCancel) != Prompt::Answer::Ok)
        return;
    QString error;
    if (!m_tldFile.writeDefaultTldTable(true, &error)) {
        reportWriteFailure(error);
        return;
    }
    fillTldListView();
    reloadTldTable();
}

void SetupWindow::cmdTest_Click()
{
    const QTreeWidgetItem *row = selectedRow();
    if (!row)
        return;
    m_tester.startRegistrarTest(TldTester::testDomainFor(txtsearch->text(), row->text(Extension)));
}

void SetupWindow::testFinished(const TldTestResult &result)
{
    switch (result.ending) {
    case TldTestResult::Ending::TimedOut:
        showMessage(QStringLiteral("Connection timed out"));
        return;
    case TldTestResult::Ending::ConnectionFailed:
        showMessage(QStringLiteral("Connection failed: ") + result.errorDescription);
        return;
    case TldTestResult::Ending::Answered:
        break;
    }
    if (!result.rdap) {
        const auto kind = result.verdict == Verdict::Available ? LookupResult::Kind::Available
                          : result.verdict == Verdict::Blocked ? LookupResult::Kind::Blocked
                                                               : LookupResult::Kind::Registered;
        emit tested(LookupResult(0, result.testDomain, result.remoteHost, kind));
    }
    const QString message = verdictMessage(result);
    if (!message.isEmpty())
        showMessage(message);
}

// Writes the listed table as program text that rebuilds it.
void SetupWindow::Command4_Click()
{
    QByteArray contents;
    const QList<QStringList> rows = rowsInDisplayOrder();
    for (const QStringList &row : rows)
        contents += "strTemp = strTemp & \"" + row.join(QLatin1Char('|')).toLatin1() + "\" & vbcrlf\r\n";
    QString error;
    if (!writeFileAtomically(QDir(m_programFolder).filePath(QStringLiteral("debug.txt")), contents, &error))
        showMessage(error);
}

void SetupWindow::chkProxy_Click(bool checked)
{
    m_context.useProxy = checked;
    m_settings.setValue(Settings::proxy, checked);
}

void SetupWindow::txtDefault_Change(const QString &text)
{
    if (!markProblem(txtDefault, SetupFields::extensionProblem(text, true)))
        return;
    m_settings.setValue(Settings::defaultExtension, text);
    m_context.defaultExtension = text;
}

void SetupWindow::applyDefaultExtensionRule()
{
    const QString text = txtDefault->text();
    if (txtDefault->property("invalid").toBool())
        return;
    if (text.isEmpty())
        txtDefault->setText(QStringLiteral(".com"));
    else if (!text.contains(QLatin1Char('.')))
        txtDefault->setText(QLatin1Char('.') + text);
    m_context.defaultExtension = txtDefault->text();
}

void SetupWindow::txtsearch_Change(const QString &text)
{
    m_settings.setValue(Settings::testLabel, text);
}

void SetupWindow::txtthrot_Change(const QString &text)
{
    if (!markProblem(txtthrot, SetupFields::pauseProblem(text, false)))
        return;
    m_settings.setText(Settings::throttle.key, text);
}

void SetupWindow::chkDnsFirst_Click(bool checked)
{
    m_context.checkDnsFirst = checked;
    m_settings.setValue(Settings::checkDnsFirst, checked);
}

void SetupWindow::txtDnsServer_Change(const QString &text)
{
    if (!markProblem(txtDnsServer, SetupFields::dnsServerProblem(text)))
        return;
    m_context.dnsServer = text.trimmed();
    m_settings.setValue(Settings::dnsServer, text.trimmed());
}

void SetupWindow::spnRecheckAfterDays_Change(int days)
{
    m_context.recheckAfterDays = days;
    m_settings.setValue(Settings::recheckAfterDays, days);
}

void SetupWindow::setRunGoing(bool going)
{
    lblRunGoing->setHidden(!going);
}

bool SetupWindow::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == txtDefault && event->type() == QEvent::FocusOut)
        applyDefaultExtensionRule();
    return QWidget::eventFilter(watched, event);
}

void SetupWindow::closeEvent(QCloseEvent *event)
{
    m_tester.stop();
    // Closing need not take the focus from the box first.
    applyDefaultExtensionRule();
    QWidget::closeEvent(event);
    emit closed();
}

void SetupWindow::reportWriteFailure(const QString &error)
{
    showMessage(QStringLiteral("The TLD table was not changed: %1").arg(error));
}

void SetupWindow::showMessage(const QString &text)
{
    m_prompt.showMessage(m_productName, text, Prompt::Icon::None, Prompt::Buttons::Ok);
}
