#pragma once

#include <QString>

// Where a search run takes its words from, by 1-based position.
class WordSource
{
public:
    virtual ~WordSource() = default;
    // The word at the position, or the empty text when there is none.
    virtual QString readWord(qint32 position) = 0;
    // Set when the last readWord() failed because the source could not be
    // read; the text says so to the user.
    virtual QString readFailure() const { return {}; }
};
