#pragma once

#include <QString>
#include <QStringList>

// Appends.txt in a program folder: the name creator's prefix/suffix words,
// 8-bit text, one word a line, CR LF line ends. Every rewrite is atomic.
class AppendsFile
{
public:
    explicit AppendsFile(const QString &programFolder);

    QString path() const { return m_path; }

    // Lines that are empty or a single space are not words.
    static bool isUsableLine(const QString &line);

    // The usable lines in file order, unchanged. False with *error when the
    // file cannot be read.
    bool readWords(QStringList &words, QString *error = nullptr) const;

    // Whether every character of the word has a byte in the file's 8-bit
    // code (Latin-1).
    static bool fitsFile(const QString &word);

    // Adds the word as a new last line, as typed (an empty word adds an empty
    // line). Creates the file when it is missing. A word that does not fit
    // the file is refused (false, the file untouched).
    bool appendWord(const QString &word, QString *error = nullptr) const;

    // Drops every line equal to the word (case-sensitive), folds each pair of
    // line ends left behind into one (a single pass), and ends the file with
    // one more CR LF. False, with the file untouched, when it cannot be read.
    bool removeWord(const QString &word, QString *error = nullptr) const;

private:
    QString m_path;
};
