#include "base/FingerprintSet.h"

namespace {

constexpr qsizetype firstCapacity = 1024;

// The end step of SplitMix64: spreads FNV's weak low bits over the word.
quint64 mix(quint64 value)
{
    value ^= value >> 30;
    value *= 0xbf58476d1ce4e5b9ULL;
    value ^= value >> 27;
    value *= 0x94d049bb133111ebULL;
    return value ^ (value >> 31);
}

} // namespace

quint64 FingerprintSet::fingerprint(QStringView text)
{
    quint64 hash = 0xcbf29ce484222325ULL;
    for (const QChar c : text) {
        hash ^= c.unicode();
        hash *= 0x100000001b3ULL;
    }
    const quint64 key = mix(hash ^ quint64(text.size()));
    return key == 0 ? 1 : key;
}

qsizetype FingerprintSet::find(quint64 key) const
{
    const size_t capacity = m_table.size();
    size_t at = size_t(key % capacity);
    while (m_table[at] != 0 && m_table[at] != key)
        at = at + 1 == capacity ? 0 : at + 1;
    return qsizetype(at);
}

bool FingerprintSet::contains(QStringView text) const
{
    return !m_table.empty() && m_table[size_t(find(fingerprint(text)))] != 0;
}

bool FingerprintSet::insert(QStringView text)
{
    // Between 8/15 and 4/5 full: short probes, and at most 15 bytes a string.
    if ((m_size + 1) * 5 > qsizetype(m_table.size()) * 4)
        grow();
    const quint64 key = fingerprint(text);
    quint64 &cell = m_table[size_t(find(key))];
    if (cell != 0)
        return false;
    cell = key;
    ++m_size;
    return true;
}

void FingerprintSet::grow()
{
    std::vector<quint64> old = std::move(m_table);
    m_table.assign(old.empty() ? size_t(firstCapacity) : old.size() + old.size() / 2, 0);
    for (const quint64 key : old) {
        if (key != 0)
            m_table[size_t(find(key))] = key;
    }
}

void FingerprintSet::clear()
{
    m_table = {};
    m_size = 0;
}
