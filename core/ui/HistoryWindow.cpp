#include "core/ui/HistoryWindow.h"

#include "base/Csv.h"
#include "base/Prompt.h"
#include "core/HistoryStore.h"
#include "core/ui/HistoryTableModel.h"

#include <QComboBox>
#include <QDir>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSaveFile>
#include <QTableView>
#include <QVBoxLayout>

HistoryWindow::HistoryWindow(HistoryStore &store, Prompt &prompt, QString productName, QWidget *parent)
    : QWidget(parent, Qt::Window)
    , m_store(store)
    , m_prompt(prompt)
    , m_productName(std::move(productName))
{
    setObjectName(QStringLiteral("frmHistory"));
    setWindowTitle(tr("History"));
    store.flush();

    m_filterEdit = new QLineEdit(this);
    m_filterEdit->setObjectName(QStringLiteral("txtFilter"));
    m_filterEdit->setPlaceholderText(tr("Name contains..."));
    m_filterEdit->setClearButtonEnabled(true);
    m_verdictBox = new QComboBox(this);
    m_verdictBox->setObjectName(QStringLiteral("cmbVerdict"));
    m_verdictBox->addItem(tr("All verdicts"), QString());
    for (const char *verdict : {"available", "registered", "blocked", "timeout", "error"})
        m_verdictBox->addItem(QString::fromLatin1(verdict), QString::fromLatin1(verdict));
    auto *exportButton = new QPushButton(tr("Export..."), this);
    exportButton->setObjectName(QStringLiteral("cmdExport"));

    m_model = new HistoryTableModel(store.connectionName(), this);
    m_table = new QTableView(this);
    m_table->setObjectName(QStringLiteral("tblHistory"));
    m_table->setModel(m_model);
    m_table->setSortingEnabled(true);
    m_table->sortByColumn(5, Qt::DescendingOrder);
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->verticalHeader()->hide();
    m_table->horizontalHeader()->setStretchLastSection(true);
    m_table->verticalHeader()->setDefaultSectionSize(m_table->fontMetrics().height() + 6);
    m_table->setColumnWidth(5,
                            m_table->fontMetrics().horizontalAdvance(QStringLiteral("2026-12-07T12:00:00.000Z")) + 16);
    m_statusLabel = new QLabel(this);
    m_statusLabel->setObjectName(QStringLiteral("lblStatus"));
    if (!store.isOpen())
        m_statusLabel->setText(tr("The history is not available."));

    auto *filters = new QHBoxLayout;
    filters->addWidget(m_filterEdit, 1);
    filters->addWidget(m_verdictBox);
    filters->addWidget(exportButton);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(filters);
    layout->addWidget(m_table, 1);
    layout->addWidget(m_statusLabel);
    resize(760, 480);

    // Typing is given a moment to settle before the database is asked again.
    m_filterDelay.setSingleShot(true);
    m_filterDelay.setInterval(250);
    connect(&m_filterDelay, &QTimer::timeout, this, &HistoryWindow::applyFilter);
    connect(m_filterEdit, &QLineEdit::textChanged, &m_filterDelay, qOverload<>(&QTimer::start));
    connect(m_verdictBox, &QComboBox::currentIndexChanged, this, &HistoryWindow::applyFilter);
    connect(exportButton, &QPushButton::clicked, this, &HistoryWindow::exportRows);
}

void HistoryWindow::applyFilter()
{
    m_filterDelay.stop();
    HistoryFilter filter;
    filter.verdict = m_verdictBox->currentData().toString();
    const QString text = m_filterEdit->text().trimmed();
    if (!text.isEmpty())
        filter.nameLike = QLatin1Char('%') + text + QLatin1Char('%');
    m_model->setFilter(filter);
}

bool HistoryWindow::exportRows()
{
    applyFilter();
    const QString path =
        m_prompt.saveFileName(tr("Export History"), QDir::homePath(), tr("CSV files (*.csv);;All files (*)"));
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
                   m_model->filter(),
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
    m_statusLabel->setText(tr("Exported to %1").arg(QDir::toNativeSeparators(path)));
    return true;
}
