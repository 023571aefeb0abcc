#include "harvest/SubstringIndex.h"

#include <QChar>

namespace {

// The folding QString uses for Qt::CaseInsensitive, one UTF-16 unit at a time.
char16_t folded(QChar character)
{
    return char16_t(QChar::toCaseFolded(character.unicode()));
}

} // namespace

SubstringIndex::SubstringIndex()
{
    clear();
}

void SubstringIndex::clear()
{
    m_states.clear();
    m_edges.clear();
    addState(0, -1);
    m_last = 0;
    m_length = 0;
}

void SubstringIndex::append(QStringView text)
{
    for (QChar character : text)
        extend(folded(character));
    m_length += text.size();
}

bool SubstringIndex::contains(QStringView needle) const
{
    if (m_length == 0)
        return false;
    qint32 state = 0;
    for (QChar character : needle) {
        const qint32 edge = findEdge(state, folded(character));
        if (edge < 0)
            return false;
        state = m_edges[size_t(edge)].target;
    }
    return true;
}

qint32 SubstringIndex::addState(qint32 length, qint32 link)
{
    m_states.push_back({length, link, -1});
    return qint32(m_states.size() - 1);
}

qint32 SubstringIndex::findEdge(qint32 state, char16_t character) const
{
    for (qint32 edge = m_states[size_t(state)].firstEdge; edge >= 0; edge = m_edges[size_t(edge)].next) {
        if (m_edges[size_t(edge)].character == character)
            return edge;
    }
    return -1;
}

void SubstringIndex::addEdge(qint32 state, char16_t character, qint32 target)
{
    m_edges.push_back({character, target, m_states[size_t(state)].firstEdge});
    m_states[size_t(state)].firstEdge = qint32(m_edges.size() - 1);
}

void SubstringIndex::extend(char16_t character)
{
    const qint32 current = addState(m_states[size_t(m_last)].length + 1, -1);
    qint32 state = m_last;
    while (state >= 0 && findEdge(state, character) < 0) {
        addEdge(state, character, current);
        state = m_states[size_t(state)].link;
    }
    if (state < 0) {
        m_states[size_t(current)].link = 0;
    } else {
        const qint32 next = m_edges[size_t(findEdge(state, character))].target;
        if (m_states[size_t(state)].length + 1 == m_states[size_t(next)].length) {
            m_states[size_t(current)].link = next;
        } else {
            const qint32 clone = addState(m_states[size_t(state)].length + 1, m_states[size_t(next)].link);
            for (qint32 edge = m_states[size_t(next)].firstEdge; edge >= 0; edge = m_edges[size_t(edge)].next)
                addEdge(clone, m_edges[size_t(edge)].character, m_edges[size_t(edge)].target);
            for (; state >= 0; state = m_states[size_t(state)].link) {
                const qint32 edge = findEdge(state, character);
                if (m_edges[size_t(edge)].target != next)
                    break;
                m_edges[size_t(edge)].target = clone;
            }
            m_states[size_t(next)].link = clone;
            m_states[size_t(current)].link = clone;
        }
    }
    m_last = current;
}
