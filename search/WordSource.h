#pragma once

#include <QString>

// What reading one position of a word source gave.
struct WordRead
{
    enum class Status { Word, EndOfList, ReadFailed };

    static WordRead found(QString word) { return {Status::Word, std::move(word), {}}; }
    static WordRead endOfList() { return {Status::EndOfList, {}, {}}; }
    static WordRead failed(QString message) { return {Status::ReadFailed, {}, std::move(message)}; }

    Status status = Status::EndOfList;
    QString word;  // with Word
    QString error; // with ReadFailed: says so to the user
};

// Where a search run takes its words from, by 1-based position.
class WordSource
{
public:
    virtual ~WordSource() = default;
    // The word at the position; the end of the list when there is none.
    virtual WordRead readWord(qint32 position) = 0;
};
