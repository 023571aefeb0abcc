#include "core/ui/HistoryWindow.h"

#include "base/Csv.h"
#include "base/Prompt.h"
#include "core/HistoryStore.h"
#include "core/ui/HistoryTableModel.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QDateEdit>
#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QMenu>
#include <QPushButton>
#include <QSaveFile>
#include <QTableView>
#include <QVBoxLayout>

#include <algorithm>

namespace {

enum Column { Name, Tld, Verdict, Server, Reason, CheckedAt, Source };

} // namespace

HistoryWindow::HistoryWindow(HistoryStore &store, Prompt &prompt, QString productName, QWidget *parent)
    : QWidget(parent, Qt::Window)
    , m_store(store)
    , m_prompt(prompt)
    , m_productName(std::move(productName))
{
    setObjectName(QStringLiteral("frmHistory"));
    setWindowTitle(tr("History"));
    store.flush();

    m_model = new HistoryTableModel(store.connectionName(), this);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(buildFilters());
    buildTable();
    layout->addWidget(m_table, 1);
    m_countLabel = new QLabel(this);
    m_countLabel->setObjectName(QStringLiteral("lblCount"));
    m_statusLabel = new QLabel(this);
    m_statusLabel->setObjectName(QStringLiteral("lblStatus"));
    if (!store.isOpen())
        m_statusLabel->setText(tr("The history is not available."));
    auto *footer = new QHBoxLayout;
    footer->addWidget(m_countLabel);
    footer->addWidget(m_statusLabel, 1);
    layout->addLayout(footer);
    resize(900, 520);

    const auto showCount = [this](int rows) {
        m_countLabel->setText(rows == 1 ? tr("1 row") : tr("%1 rows").arg(QLocale().toString(rows)));
    };
    showCount(m_model->totalRows());
    connect(m_model, &HistoryTableModel::totalRowsChanged, this, showCount);
    // Typing is given a moment to settle before the database is asked again.
    m_filterDelay.setSingleShot(true);
    m_filterDelay.setInterval(250);
    connect(&m_filterDelay, &QTimer::timeout, this, &HistoryWindow::applyFilter);
    // During a run rows are written every second or so: the table follows
    // them, asking the database at most once a second.
    m_refreshDelay.setSingleShot(true);
    m_refreshDelay.setInterval(1000);
    connect(&store, &HistoryStore::committed, &m_refreshDelay, [this] {
        if (!m_refreshDelay.isActive())
            m_refreshDelay.start();
    });
    connect(&m_refreshDelay, &QTimer::timeout, m_model, &HistoryTableModel::refresh);
}

QLayout *HistoryWindow::buildFilters()
{
    m_filterEdit = new QLineEdit(this);
    m_filterEdit->setObjectName(QStringLiteral("txtFilter"));
    m_filterEdit->setPlaceholderText(tr("Name contains..."));
    m_filterEdit->setClearButtonEnabled(true);
    m_verdictBox = new QComboBox(this);
    m_verdictBox->setObjectName(QStringLiteral("cmbVerdict"));
    m_verdictBox->addItem(tr("All verdicts"), QString());
    for (const char *verdict : {"available", "registered", "blocked", "timeout", "error"})
        m_verdictBox->addItem(QString::fromLatin1(verdict), QString::fromLatin1(verdict));
    m_sinceBox = new QCheckBox(tr("Since"), this);
    m_sinceBox->setObjectName(QStringLiteral("chkSince"));
    m_sinceDate = new QDateEdit(QDate::currentDate().addDays(-7), this);
    m_sinceDate->setObjectName(QStringLiteral("dtSince"));
    m_sinceDate->setCalendarPopup(true);
    m_sinceDate->setEnabled(false);
    auto *exportButton = new QPushButton(tr("Export..."), this);
    exportButton->setObjectName(QStringLiteral("cmdExport"));

    connect(m_filterEdit, &QLineEdit::textChanged, &m_filterDelay, qOverload<>(&QTimer::start));
    connect(m_verdictBox, &QComboBox::currentIndexChanged, this, &HistoryWindow::applyFilter);
    connect(m_sinceBox, &QCheckBox::toggled, m_sinceDate, &QWidget::setEnabled);
    connect(m_sinceBox, &QCheckBox::toggled, this, &HistoryWindow::applyFilter);
    connect(m_sinceDate, &QDateEdit::dateChanged, this, &HistoryWindow::applyFilter);
    connect(exportButton, &QPushButton::clicked, this, &HistoryWindow::exportRows);

    auto *filters = new QHBoxLayout;
    filters->addWidget(m_filterEdit, 1);
    filters->addWidget(m_verdictBox);
    filters->addWidget(m_sinceBox);
    filters->addWidget(m_sinceDate);
    filters->addWidget(exportButton);
    return filters;
}

void HistoryWindow::buildTable()
{
    m_table = new QTableView(this);
    m_table->setObjectName(QStringLiteral("tblHistory"));
    m_table->setModel(m_model);
    m_table->setSortingEnabled(true);
    m_table->sortByColumn(CheckedAt, Qt::DescendingOrder);
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->setContextMenuPolicy(Qt::CustomContextMenu);
    m_table->verticalHeader()->hide();
    m_table->verticalHeader()->setDefaultSectionSize(m_table->fontMetrics().height() + 6);
    // Every column fits its usual contents; the reason takes what is left.
    QHeaderView *header = m_table->horizontalHeader();
    header->setStretchLastSection(false);
    const QFontMetrics metrics = m_table->fontMetrics();
    const auto widthFor = [&metrics](const char *sample) {
        return metrics.horizontalAdvance(QLatin1String(sample)) + 24;
    };
    m_table->setColumnWidth(Name, widthFor("a-rather-long-name.com"));
    m_table->setColumnWidth(Tld, widthFor("co.uk"));
    m_table->setColumnWidth(Verdict, widthFor("registered"));
    m_table->setColumnWidth(Server, widthFor("whois.nic.example"));
    m_table->setColumnWidth(CheckedAt, widthFor("2026-12-07T12:00:00.000Z"));
    m_table->setColumnWidth(Source, widthFor("Full Word List"));
    header->setSectionResizeMode(Reason, QHeaderView::Stretch);
    connect(m_table, &QWidget::customContextMenuRequested, this, &HistoryWindow::showMenu);
}

void HistoryWindow::applyFilter()
{
    m_filterDelay.stop();
    HistoryFilter filter;
    filter.verdict = m_verdictBox->currentData().toString();
    const QString text = m_filterEdit->text().trimmed();
    if (!text.isEmpty())
        filter.nameLike = QLatin1Char('%') + text + QLatin1Char('%');
    if (m_sinceBox->isChecked())
        filter.since = QDateTime(m_sinceDate->date(), QTime(0, 0)).toUTC();
    m_model->setFilter(filter);
}

QStringList HistoryWindow::selectedNames() const
{
    QModelIndexList rows = m_table->selectionModel()->selectedRows(Name);
    std::sort(rows.begin(), rows.end(),
              [](const QModelIndex &left, const QModelIndex &right) { return left.row() < right.row(); });
    QStringList names;
    for (const QModelIndex &index : std::as_const(rows))
        names << index.data().toString();
    return names;
}

void HistoryWindow::showMenu(const QPoint &position)
{
    const QModelIndex clicked = m_table->indexAt(position);
    if (clicked.isValid() && !m_table->selectionModel()->isRowSelected(clicked.row()))
        m_table->selectRow(clicked.row());
    const QStringList names = selectedNames();

    auto *menu = new QMenu(m_table);
    menu->setObjectName(QStringLiteral("HistoryMenu"));
    menu->setAttribute(Qt::WA_DeleteOnClose);
    QAction *copy = menu->addAction(tr("Copy"));
    copy->setObjectName(QStringLiteral("mnuHistoryCopy"));
    connect(copy, &QAction::triggered, this,
            [names] { QApplication::clipboard()->setText(names.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n")); });
    QAction *whois = menu->addAction(tr("WHOIS"));
    whois->setObjectName(QStringLiteral("mnuHistoryWhois"));
    connect(whois, &QAction::triggered, this, [this, names] { emit whoisRequested(names.first()); });
    QAction *save = menu->addAction(tr("Save to Saved Domains"));
    save->setObjectName(QStringLiteral("mnuHistorySave"));
    connect(save, &QAction::triggered, this, [this, names] { emit saveRequested(names); });
    for (QAction *action : {copy, whois, save})
        action->setEnabled(!names.isEmpty());
    menu->popup(m_table->viewport()->mapToGlobal(position));
}

bool HistoryWindow::exportRows()
{
    applyFilter();
    const QString folder = m_exportFolder.isEmpty() ? QDir::homePath() : m_exportFolder;
    const QString path =
        csvFileName(m_prompt.saveFileName(tr("Export History"), folder, tr("CSV files (*.csv);;All files (*)")));
    if (path.isEmpty())
        return false;

    QSaveFile file(path);
    bool ok = file.open(QIODevice::WriteOnly);
    const auto write = [&](const QStringList &fields) {
        const QByteArray record = csvRecord(fields);
        ok = ok && file.write(record) == record.size();
        return ok;
    };
    write(HistoryStore::columnNames());
    QString error;
    ok = ok && m_store.select(
                   m_model->filter(), m_model->sortColumn(), m_model->sortOrder(),
                   [&](const HistoryEntry &row) {
                       return write({row.name, row.tld, row.verdict, row.server, row.reason,
                                     row.checkedAt.toString(Qt::ISODate), row.source});
                   },
                   &error);
    // An explicit flush: a commit alone does not report a buffer that could not be written.
    ok = ok && file.flush() && file.commit();
    if (!ok) {
        const QString reason = error.isEmpty() ? file.errorString() : error;
        file.cancelWriting();
        m_prompt.showMessage(m_productName, tr("Could not write %1: %2").arg(QDir::toNativeSeparators(path), reason),
                             Prompt::Icon::Critical, Prompt::Buttons::Ok);
        return false;
    }
    m_exportFolder = QFileInfo(path).absolutePath();
    m_statusLabel->setText(tr("Exported to %1").arg(QDir::toNativeSeparators(path)));
    emit exported(path);
    return true;
}
