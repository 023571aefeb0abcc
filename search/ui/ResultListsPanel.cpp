#include "search/ui/ResultListsPanel.h"

#include "base/Prompt.h"
#include "base/ui/SkinLabel.h"
#include "core/DomainListModel.h"
#include "search/LookupSession.h"
#include "search/SavedDomains.h"
#include "search/ui/DesktopContext.h"
#include "search/ui/DomainListCommands.h"
#include "search/ui/DomainListView.h"

#include <QApplication>
#include <QClipboard>
#include <QDesktopServices>
#include <QDir>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QPushButton>
#include <QUrl>

ResultListsPanel::ResultListsPanel(DesktopContext &context, DomainListModel &saved, QWidget *parent)
    : QGroupBox(QStringLiteral("Domain Name Manager"), parent)
    , m_context(context)
    , m_savedModel(saved)
{
    setObjectName(QStringLiteral("Frame2"));
    const int inner = twips(120);
    auto *grid = new QGridLayout(this);
    grid->setContentsMargins(inner, inner / 2, inner, inner);
    grid->setHorizontalSpacing(inner);
    grid->setVerticalSpacing(0);
    grid->setRowStretch(1, 1);
    buildColumn(ResultList::Low, QStringLiteral("These domains have 8 or more characters."));
    buildColumn(ResultList::Registered, QStringLiteral("These domain names are already registered."));
    buildColumn(ResultList::High, QStringLiteral("These domains have less than 5 characters"));
    buildColumn(ResultList::Mid, QStringLiteral("These domains have 5 to 7 characters"));
    buildColumn(ResultList::Saved, QStringLiteral("Drag a domain name here to save it."));
    for (const ResultListRow &row : resultListTable)
        connectColumn(row.list);
}

int ResultListsPanel::twips(int value) const
{
    return qRound(value * logicalDpiX() / 1440.0);
}

QString ResultListsPanel::caption(ResultList which, int rows)
{
    const QString name = QLatin1String(resultListRow(which).name);
    return rows == 0 ? name : name + QStringLiteral(" (%1)").arg(rows);
}

// A column of the grid: the caption, the list, then Copy, Del and Clear side
// by side. Every column is as wide as the others, whatever its caption says.
void ResultListsPanel::buildColumn(ResultList which, const QString &tooltip)
{
    const size_t slot = size_t(which);
    const int number = resultListRow(which).number;
    const bool saved = which == ResultList::Saved;
    auto *label = new SkinLabel(this);
    label->setText(QLatin1String(resultListRow(which).name));
    label->setObjectName(QStringLiteral("Label%1").arg(number));
    label->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    m_labels[slot] = label;

    auto *view = new DomainListView(saved ? DomainListView::Role::DropTarget : DomainListView::Role::DragSource, this);
    view->setObjectName(QStringLiteral("List%1").arg(number));
    view->setToolTip(tooltip);
    view->setModel(saved ? &m_savedModel : m_context.session.results().model(which));
    view->setMinimumHeight(4 * view->fontMetrics().height());
    m_lists[slot] = view;

    const struct
    {
        const char *name;
        const char *caption;
        const char *tooltip;
    } buttons[] = {{"cmdCopy", "Copy", "Copy List"},
                   {"cmdClear", "Del", "Delete Selected Item"},
                   {"cmdClear2", "Clear", "Clear List"}};
    auto *buttonRow = new QHBoxLayout;
    buttonRow->setContentsMargins(0, twips(120) / 2, 0, 0);
    buttonRow->setSpacing(2);
    for (size_t index = 0; index < 3; ++index) {
        auto *widget = new QPushButton(QLatin1String(buttons[index].caption), this);
        widget->setObjectName(QStringLiteral("%1(%2)").arg(QLatin1String(buttons[index].name)).arg(number));
        widget->setToolTip(QLatin1String(buttons[index].tooltip));
        // As wide as the caption needs: the style's own minimum for buttons
        // would make five columns of three wider than a small screen. The
        // skin keeps them narrow too.
        widget->setProperty("compact", true);
        widget->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
        widget->setMinimumWidth(widget->fontMetrics().horizontalAdvance(widget->text()) + twips(180));
        buttonRow->addWidget(widget, 1);
        m_buttons[slot][index] = widget;
    }

    auto *grid = static_cast<QGridLayout *>(layout());
    const int column = int(slot);
    grid->addWidget(label, 0, column);
    grid->addWidget(view, 1, column);
    grid->addLayout(buttonRow, 2, column);
    grid->setColumnStretch(column, 1);
}

void ResultListsPanel::connectColumn(ResultList which)
{
    const size_t slot = size_t(which);
    DomainListView *view = m_lists[slot];
    connect(m_buttons[slot][0], &QPushButton::clicked, this, [this, which] { copyList(which); });
    connect(m_buttons[slot][1], &QPushButton::clicked, this, [this, which] { deleteEntry(which); });
    connect(m_buttons[slot][2], &QPushButton::clicked, this, [this, which] { clearList(which); });
    connect(view, &DomainListView::deleteRequested, this, [this, which] { deleteEntry(which); });
    connect(view, &DomainListView::clearRequested, this, [this, which] { clearList(which); });
    connect(view, &QAbstractItemView::doubleClicked, this,
            [this, which](const QModelIndex &index) { doubleClicked(which, index); });
    auto *commands = new DomainListCommands(view, which != ResultList::Saved);
    connect(commands, &DomainListCommands::saveRequested, this, &ResultListsPanel::saveNames);
    connect(commands, &DomainListCommands::whoisRequested, this, &ResultListsPanel::showWhois);
    connect(commands, &DomainListCommands::purchaseRequested, this, &ResultListsPanel::openPurchasePage);
    if (which == ResultList::Saved)
        connect(view, &DomainListView::payloadDropped, this, &ResultListsPanel::dropOnSavedList);
    else
        connect(view, &QAbstractItemView::pressed, this, [this, which] { m_dragSourceList = which; });
}

const DomainListModel &ResultListsPanel::modelOf(ResultList which) const
{
    return which == ResultList::Saved ? m_savedModel : *m_context.session.results().model(which);
}

void ResultListsPanel::deleteEntry(ResultList which)
{
    QList<int> rows;
    const QModelIndexList selected = list(which)->selectionModel()->selectedIndexes();
    for (const QModelIndex &index : selected)
        rows << index.row();
    if (rows.isEmpty())
        return;
    if (which != ResultList::Saved) {
        m_context.session.results().removeNames(which, rows);
        return;
    }
    m_savedModel.removeRowList(rows);
    saveSavedDomains();
}

void ResultListsPanel::clearList(ResultList which)
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
    m_context.session.results().clearList(which);
}

void ResultListsPanel::copyList(ResultList which)
{
    QString text;
    for (const LookupResult &record : modelOf(which).records())
        text += record.domain + QStringLiteral("\r\n");
    QClipboard *clipboard = QApplication::clipboard();
    clipboard->clear();
    clipboard->setText(text);
}

void ResultListsPanel::saveNames(const QStringList &names)
{
    m_savedModel.append(names);
    saveSavedDomains();
}

void ResultListsPanel::dropOnSavedList(const QString &payload)
{
    if (m_dragSourceList) {
        const DomainListModel &source = modelOf(*m_dragSourceList);
        const QStringList pieces = payload.split(QLatin1Char('|'));
        for (const QString &piece : pieces) {
            bool valid = false;
            const int row = piece.toInt(&valid);
            if (valid && row >= 0 && row < source.size())
                m_savedModel.append(source.name(row));
        }
    }
    saveSavedDomains();
}

void ResultListsPanel::loadSavedDomains()
{
    m_savedModel.append(SavedDomains::load(savedDomainsPath()));
}

QString ResultListsPanel::savedDomainsPath() const
{
    return QDir(m_context.programFolder)
        .filePath(QLatin1String(resultListRow(ResultList::Saved).fileStem) + QStringLiteral(".txt"));
}

void ResultListsPanel::saveSavedDomains()
{
    QString error;
    if (!SavedDomains::save(savedDomainsPath(), m_savedModel.names(), &error))
        m_context.prompt.showMessage(m_context.branding.productName, error, Prompt::Icon::Warning, Prompt::Buttons::Ok);
}

void ResultListsPanel::doubleClicked(ResultList which, const QModelIndex &index)
{
    if (which == ResultList::Registered)
        m_dragSourceList = ResultList::Registered;
    if (!index.isValid())
        return;
    m_context.selectedDomain = modelOf(which).name(index.row());
    if (m_context.branding.purchaseOnDoubleClick)
        openPurchasePage(m_context.selectedDomain);
    else
        showWhois(m_context.selectedDomain);
}

void ResultListsPanel::openPurchasePage(const QString &domain)
{
    QDesktopServices::openUrl(QUrl(m_context.branding.purchaseUrlPrefix + domain));
}

void ResultListsPanel::showWhois(const QString &domain)
{
    m_context.selectedDomain = domain;
    emit whoisRequested(domain);
}
