#include "search/ui/DomainListCommands.h"

#include "search/ui/DomainListView.h"

#include <QApplication>
#include <QClipboard>
#include <QMenu>

#include <algorithm>

DomainListCommands::DomainListCommands(DomainListView *view, bool offersSave)
    : QObject(view)
    , m_view(view)
    , m_offersSave(offersSave)
{
    view->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(view, &QWidget::customContextMenuRequested, this, &DomainListCommands::showMenu);
    connect(view, &DomainListView::copyRequested, this, &DomainListCommands::copySelected);
    if (offersSave)
        connect(view, &DomainListView::saveRequested, this, &DomainListCommands::save);
}

QStringList DomainListCommands::selectedNames() const
{
    QModelIndexList selected = m_view->selectionModel()->selectedIndexes();
    std::sort(selected.begin(), selected.end(),
              [](const QModelIndex &left, const QModelIndex &right) { return left.row() < right.row(); });
    QStringList names;
    for (const QModelIndex &index : std::as_const(selected))
        names << index.data().toString();
    return names;
}

void DomainListCommands::copySelected() const
{
    QString text;
    for (const QString &name : selectedNames())
        text += name + QStringLiteral("\r\n");
    QApplication::clipboard()->setText(text);
}

void DomainListCommands::save()
{
    const QStringList names = selectedNames();
    if (!names.isEmpty())
        emit saveRequested(names);
}

void DomainListCommands::showMenu(const QPoint &position)
{
    // The name under the pointer; a right-click on an unselected name selects it first.
    const QModelIndex clicked = m_view->indexAt(position);
    if (clicked.isValid() && !m_view->selectionModel()->isSelected(clicked))
        m_view->setCurrentIndex(clicked);
    const QString name = clicked.isValid() ? clicked.data().toString() : m_view->currentIndex().data().toString();
    const bool anySelected = m_view->selectionModel()->hasSelection();

    auto *menu = new QMenu(m_view);
    menu->setObjectName(QStringLiteral("ListMenu"));
    menu->setAttribute(Qt::WA_DeleteOnClose);
    const auto addItem = [menu](const QString &objectName, const QString &caption, bool enabled) {
        QAction *action = menu->addAction(caption);
        action->setObjectName(objectName);
        action->setEnabled(enabled);
        return action;
    };
    // The keys are handled by the list itself; the menu only names them.
    connect(addItem(QStringLiteral("mnuListCopy"), QStringLiteral("Copy\tCtrl+C"), anySelected), &QAction::triggered,
            this, &DomainListCommands::copySelected);
    if (m_offersSave) {
        connect(addItem(QStringLiteral("mnuListSave"), QStringLiteral("Save to Saved Domains\tIns"), anySelected),
                &QAction::triggered, this, &DomainListCommands::save);
    } else {
        connect(addItem(QStringLiteral("mnuListRemove"), QStringLiteral("Remove\tDel"), anySelected),
                &QAction::triggered, m_view, &DomainListView::deleteRequested);
    }
    menu->addSeparator();
    connect(addItem(QStringLiteral("mnuListWhois"), QStringLiteral("WHOIS"), !name.isEmpty()), &QAction::triggered,
            this, [this, name] { emit whoisRequested(name); });
    connect(addItem(QStringLiteral("mnuListPurchase"), QStringLiteral("Purchase"), !name.isEmpty()),
            &QAction::triggered, this, [this, name] { emit purchaseRequested(name); });
    menu->popup(m_view->viewport()->mapToGlobal(position));
}
