#pragma once

#include "harvest/SubstringIndex.h"

#include <QString>

// Names gathered from web pages: one text holding every accepted name
// followed by CR LF. Whether a name was already gathered is a case-insensitive
// substring test against that whole text (so "example.com" counts as gathered
// once "myexample.com" is), answered from an index instead of a scan.
class CollectedList
{
public:
    const QString &text() const { return m_text; }
    bool isEmpty() const { return m_text.isEmpty(); }

    // The substring test, with the rules for empty texts: nothing occurs in
    // an empty list, and the empty text occurs in any non-empty one.
    bool contains(QStringView text) const { return m_index.contains(text); }

    // Appends the name and CR LF.
    void append(const QString &name);
    void clear();

private:
    QString m_text;
    SubstringIndex m_index;
};
