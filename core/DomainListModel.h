#pragma once

#include "core/LookupResult.h"

#include <QAbstractTableModel>
#include <QList>
#include <QSet>
#include <QStringList>

// An ordered list of domain names with what is known of each: one record
// per name, as views show and commands edit it. A name the user gave (a
// saved name, a dropped one) is a record with only its domain set. A name is
// listed once: appending one that is listed already does nothing. While
// appended records are held, they are in the list (records(), size()) but
// views learn of them only when they are shown: a busy run updates its views
// in batches.
//
// Column 0 is the name, the column every list view shows; the columns after
// it are what the record says (columnHeader() names them), empty where it
// says nothing.
class DomainListModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    static constexpr int nameColumn = 0;

    explicit DomainListModel(QObject *parent = nullptr);

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    // Text for names, verdicts and the like; a QDateTime (UTC) for times.
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    // Names can be dragged: views start a drag only on drag-enabled items.
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    bool removeRows(int row, int count, const QModelIndex &parent = QModelIndex()) override;

    // "Name", "Verdict", ...; empty past the last column.
    static QString columnHeader(int column);

    const QList<LookupResult> &records() const { return m_records; }
    const LookupResult &record(int row) const { return m_records.at(row); }
    // Empty for a row that is not there.
    QString name(int row) const;
    // The names in row order, made on each call.
    QStringList names() const;
    int size() const { return int(m_records.size()); }
    bool contains(const QString &name) const { return m_listed.contains(name); }
    // The row of a listed name, -1 when it is not listed; goes through the rows.
    int rowOf(const QString &name) const;

    // False when the name was listed already.
    bool append(const LookupResult &record);
    bool append(const QString &name);
    void append(const QStringList &names);
    // Lists the record, or puts it in the place of the one listed under its
    // name: a name keeps its row and carries its last record.
    void put(const LookupResult &record);
    // Removes the given rows, whatever their order; rows out of range are skipped.
    void removeRowList(QList<int> rows);
    // False when the name was not listed.
    bool remove(const QString &name);
    void clear();

    // Ending the hold shows the records held.
    void setHoldAppended(bool hold);
    void showHeldNames();

signals:
    // A record was appended while none was held.
    void namesHeld();

private:
    void appendListed(const QList<LookupResult> &fresh);

    QList<LookupResult> m_records;
    QSet<QString> m_listed;
    int m_shown = 0;
    bool m_holdAppended = false;
};
