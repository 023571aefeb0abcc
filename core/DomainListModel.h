#pragma once

#include <QAbstractListModel>
#include <QSet>
#include <QStringList>

// An ordered list of domain names that views show and commands edit. A name
// is listed once: adding one that is listed already does nothing. While
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
    bool contains(const QString &name) const { return m_listed.contains(name); }
    // False when the name was listed already.
    bool append(const QString &name);
    void append(const QStringList &names);
    // Removes the given rows, whatever their order; rows out of range are skipped.
    void removeRowList(QList<int> rows);
    void clear();

    // Ending the hold shows the names held.
    void setHoldAppended(bool hold);
    void showHeldNames();

signals:
    // A name was appended while none was held.
    void namesHeld();

private:
    QStringList m_names;
    QSet<QString> m_listed;
    int m_shown = 0;
    bool m_holdAppended = false;
};
