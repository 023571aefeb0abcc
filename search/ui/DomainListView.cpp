#include "search/ui/DomainListView.h"

#include <QDrag>
#include <QDragEnterEvent>
#include <QKeyEvent>
#include <QMimeData>
#include <QScrollBar>

#include <algorithm>

DomainListView::DomainListView(Role role, QWidget *parent)
    : QListView(parent)
{
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setUniformItemSizes(true);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    if (role == Role::DragSource) {
        setDragEnabled(true);
        setDragDropMode(QAbstractItemView::DragOnly);
    } else {
        setAcceptDrops(true);
        setDragDropMode(QAbstractItemView::DropOnly);
    }
}

QString DomainListView::selectedRowsPayload() const
{
    QList<int> rows;
    const QModelIndexList selected = selectionModel() ? selectionModel()->selectedIndexes() : QModelIndexList();
    for (const QModelIndex &index : selected)
        rows << index.row();
    std::sort(rows.begin(), rows.end());
    QStringList pieces;
    for (int row : rows)
        pieces << QString::number(row);
    return pieces.join(QLatin1Char('|'));
}

void DomainListView::keyPressEvent(QKeyEvent *event)
{
    if (event->matches(QKeySequence::Copy)) {
        emit copyRequested();
        return;
    }
    if (event->key() == Qt::Key_Insert && event->modifiers() == Qt::NoModifier) {
        emit saveRequested();
        return;
    }
    if (event->key() != Qt::Key_Delete) {
        QListView::keyPressEvent(event);
        return;
    }
    if (event->modifiers() == Qt::ShiftModifier)
        emit clearRequested();
    else
        emit deleteRequested();
}

void DomainListView::rowsInserted(const QModelIndex &parent, int start, int end)
{
    // The scroll range still reflects the rows before the insertion here.
    const QScrollBar *bar = verticalScrollBar();
    const bool atEnd = bar->value() >= bar->maximum();
    QListView::rowsInserted(parent, start, end);
    if (atEnd && end == model()->rowCount(parent) - 1)
        scrollToBottom();
}

void DomainListView::startDrag(Qt::DropActions)
{
    const QString payload = selectedRowsPayload();
    if (payload.isEmpty())
        return;
    auto *mimeData = new QMimeData;
    mimeData->setText(payload);
    auto *drag = new QDrag(this);
    drag->setMimeData(mimeData);
    drag->exec(Qt::CopyAction);
}

bool DomainListView::acceptsDrop(const QDropEvent *event) const
{
    // Text from other programs is not a list of our row numbers.
    return acceptDrops() && event->mimeData()->hasText() && qobject_cast<DomainListView *>(event->source()) &&
           event->source() != this;
}

void DomainListView::dragEnterEvent(QDragEnterEvent *event)
{
    if (acceptsDrop(event))
        event->acceptProposedAction();
    else
        event->ignore();
}

void DomainListView::dragMoveEvent(QDragMoveEvent *event)
{
    if (acceptsDrop(event))
        event->acceptProposedAction();
    else
        event->ignore();
}

void DomainListView::dropEvent(QDropEvent *event)
{
    if (!acceptsDrop(event)) {
        event->ignore();
        return;
    }
    event->acceptProposedAction();
    emit payloadDropped(event->mimeData()->text());
}
