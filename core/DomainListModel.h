#pragma once

#include <QAbstractListModel>
#include <QStringList>

// An ordered list of domain names that views show and commands edit. While
// appended names are held, they are in the list (names(), size()) but views
// learn of them only when they are shown: a busy run updates its views in
// batches.
class DomainListModel : public QAbstractListModel
{
    Q_OBJECT

public:
    explicit DomainListModel(QObject *parent = nullptr);

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    // Names can be dragged: views start a drag only on drag-enabled items.
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    bool removeRows(int row, int count, const QModelIndex &parent = QModelIndex()) override;

    const QStringList &names() const { return m_names; }
    int size() const { return int(m_names.size()); }
    void append(const QString &name);
    void append(const QStringList &names);
    void clear();

    // Ending the hold shows the names held.
    void setHoldAppended(bool hold);
    void showHeldNames();

signals:
    // A name was appended while none was held.
    void namesHeld();

private:
    QStringList m_names;
    int m_shown = 0;
    bool m_holdAppended = false;
};
