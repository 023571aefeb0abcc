#pragma once

#include <QStringView>

#include <vector>

// Answers "does this text occur anywhere in everything appended so far?",
// ignoring letter case, in time proportional to the needle's length. The
// appended text only grows (or is cleared), so a suffix automaton over the
// case-folded text is kept up to date character by character.
class SubstringIndex
{
public:
    SubstringIndex();

    void append(QStringView text);
    void clear();

    // Case-insensitive substring test with the program's rules for empty
    // texts: nothing occurs in an empty text, and the empty needle occurs in
    // every non-empty one.
    bool contains(QStringView needle) const;

    qsizetype indexedLength() const { return m_length; }

private:
    struct State
    {
        qint32 length;
        qint32 link;
        qint32 firstEdge;
    };
    struct Edge
    {
        char16_t character;
        qint32 target;
        qint32 next;
    };

    void extend(char16_t character);
    qint32 findEdge(qint32 state, char16_t character) const;
    void addEdge(qint32 state, char16_t character, qint32 target);
    qint32 addState(qint32 length, qint32 link);

    std::vector<State> m_states;
    std::vector<Edge> m_edges;
    qint32 m_last = 0;
    qsizetype m_length = 0;
};
