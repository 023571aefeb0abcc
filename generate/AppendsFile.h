#pragma once

#include <QString>
#include <QStringList>

// Appends.txt in a program folder: the name creator's prefix/suffix words,
// one word a line, CR LF line ends. Words are Latin-1 text; a word with
// letters beyond Latin-1 is written in UTF-8. Every rewrite is atomic.
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

    // Whether every character of the word has a byte in Latin-1.
    static bool fitsFile(const QString &word);

    // Adds the word as a new last line, as typed (an empty word adds an empty
    // line). Creates the file when it is missing.
    bool appendWord(const QString &word, QString *error = nullptr) const;
    // Replaces the file with the words, one a line.
    bool writeWords(const QStringList &words, QString *error = nullptr) const;
    // The same format in a file of the user's.
    static bool writeWordsTo(const QString &path, const QStringList &words, QString *error = nullptr);
    // The usable lines of a word list the user keeps elsewhere, trimmed.
    static bool readWordsFrom(const QString &path, QStringList &words, QString *error = nullptr);

    // Drops every line equal to the word (case-sensitive), folds each pair of
    // line ends left behind into one (a single pass), and ends the file with
    // one more CR LF. False, with the file untouched, when it cannot be read.
    bool removeWord(const QString &word, QString *error = nullptr) const;

private:
    QString m_path;
};
