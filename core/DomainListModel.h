#pragma once

#include <QAbstractListModel>
#include <QStringList>

// An ordered list of domain names that views show and commands edit.
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

private:
    QStringList m_names;
};
