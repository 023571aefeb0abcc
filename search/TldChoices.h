#pragma once

#include <QAbstractListModel>
#include <QSet>
#include <QStringList>

// The TLDs a run checks each word in: the one the TLD box shows, then those
// ticked beside it, in the order of the TLD table. A list of the enabled
// extensions, each with a check box; the box's extension is always ticked.
class TldChoices : public QAbstractListModel
{
    Q_OBJECT

public:
    using QAbstractListModel::QAbstractListModel;

    // The enabled extensions in the table's order, and the box's. A tick on
    // an extension not listed is kept for when it is listed again.
    void setExtensions(const QStringList &extensions, const QString &boxTld);
    void setBoxTld(const QString &tld);
    // The extensions ticked besides the box's, as stored between runs:
    // separated by spaces.
    void setTickedText(const QString &text);
    QString tickedText() const;
    // The box's extension first, then the other ticked ones.
    QStringList runTlds() const;

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    bool setData(const QModelIndex &index, const QVariant &value, int role = Qt::EditRole) override;

signals:
    void runTldsChanged(const QStringList &tlds);
    // The user ticked or unticked an extension.
    void tickedChanged();

private:
    bool isTicked(const QString &tld) const;
    // Tells the views and, when they changed, the run's TLDs.
    void ticksChanged(const QStringList &runTldsBefore);

    QStringList m_extensions;
    QString m_boxTld;
    QSet<QString> m_ticked;
};
