#pragma once

#include <QString>
#include <QStringList>

// Which forms a list word makes with the base word.
struct NameForms
{
    bool prefixes = true; // word + base
    bool suffixes = true; // base + word
    bool hyphens = true;  // also word-base and base-word
};

// Builds candidate domain names from a base word, prefix/suffix words and TLDs.
// The order is fixed: first the base word with every TLD (only for a base of
// two or more characters, spaces kept), then for each list word its prefix,
// hyphenated prefix, suffix and hyphenated suffix forms (spaces removed), each
// across every TLD. Only the TLD is lower-cased. A name with an empty label
// or a label that starts or ends with a hyphen is not made. Nothing is sorted
// or deduplicated, and there is no limit on the number of names.
class NameGenerator
{
public:
    // tlds: the TLD texts with their leading dot (".com", ".co.uk"), in order.
    NameGenerator(QString baseWord, const QStringList &tlds, NameForms forms);

    void appendPlainNames(QStringList &names) const;
    void appendWordNames(const QString &listWord, QStringList &names) const;

    // The plain names followed by the names of every list word.
    QStringList generate(const QStringList &listWords) const;

private:
    void appendWithEveryTld(QString word, QStringList &names) const;

    QString m_base;
    QStringList m_tlds;
    NameForms m_forms;
};
