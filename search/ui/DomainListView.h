#pragma once

#include <QListView>

// One of the main window's domain lists. Result lists are drag sources whose
// payload is the selected row numbers joined by "|"; the saved list accepts
// such drops from the other lists only. A list scrolled to its end follows
// the names appended to it; one the user has scrolled up stays put.
class DomainListView : public QListView
{
    Q_OBJECT

public:
    enum class Role { DragSource, DropTarget };

    DomainListView(Role role, QWidget *parent = nullptr);

    // "0|3|4": the selected rows in ascending order.
    QString selectedRowsPayload() const;

signals:
    void deleteRequested();
    void clearRequested();
    // Ctrl+C and Insert.
    void copyRequested();
    void saveRequested();
    void payloadDropped(const QString &payload);

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void rowsInserted(const QModelIndex &parent, int start, int end) override;
    void startDrag(Qt::DropActions supportedActions) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dragMoveEvent(QDragMoveEvent *event) override;
    void dropEvent(QDropEvent *event) override;

private:
    bool acceptsDrop(const QDropEvent *event) const;
};
