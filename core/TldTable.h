#pragma once

#include "core/TldEntry.h"

#include <QStringList>
#include <QVector>

// The in-memory TLD table: one slot per non-empty line of TLDs.txt, in file
// order, duplicates included. A tldIndex is a slot number; -1 means none.
class TldTable
{
public:
    int size() const { return int(m_entries.size()); }
    bool isEmpty() const { return m_entries.isEmpty(); }
    const TldEntry &entry(int tldIndex) const { return m_entries.at(tldIndex); }
    const QVector<TldEntry> &entries() const { return m_entries; }
    // problems: per slot, why the row cannot be asked ("<file> line 3: ..."),
    // empty for a usable row; names of a slot with a problem end in error
    // without a query.
    void setEntries(QVector<TldEntry> entries, QStringList problems = {})
    {
        m_entries = std::move(entries);
        m_problems = std::move(problems);
    }
    QString problem(int tldIndex) const { return m_problems.value(tldIndex); }

    // The slot whose server answers for the domain, or -1: the last label,
    // then (for names of three or more labels) the last two labels; a
    // two-label name in no row falls back to the latest "com" slot (slot 0
    // without one). With useProxy the key is "proxy" instead of the last label.
    int findTldIndex(const QString &domain, bool useProxy) const;

    // The first enabled slot whose extension is the domain's last label, else
    // the first enabled slot of its last two labels; -1 when neither exists.
    // Unlike findTldIndex there is no fall-back to the "com" slot.
    int findEnabledRow(const QString &domain) const;
    // The first enabled slot of exactly this extension, or -1.
    int findEnabledExtension(const QString &extension) const;

    // Extensions of the enabled, non-proxy slots in table order (the page
    // scanner's extension set).
    QStringList enabledExtensionSet() const;

    // The problems of the rows that cannot be asked, in table order.
    QStringList problems() const;

private:
    QVector<TldEntry> m_entries;
    QStringList m_problems;
};
