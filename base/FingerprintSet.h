#pragma once

#include <QStringView>

#include <vector>

// The strings met so far, each kept as a 64-bit fingerprint: 8 to 16 bytes
// a string however long it is, so a run over millions of names can tell a
// name it asked before. Two strings share a fingerprint about once in 2^64
// pairs; the set is for skipping repeats, never for telling names apart.
class FingerprintSet
{
public:
    // True when text was not in the set; it is in it afterwards.
    bool insert(QStringView text);
    bool contains(QStringView text) const;
    qsizetype size() const { return m_size; }
    void clear();

    static quint64 fingerprint(QStringView text);

private:
    qsizetype find(quint64 key) const;
    void grow();

    std::vector<quint64> m_table; // open addressing; 0 is an empty cell
    qsizetype m_size = 0;
};
