#include "generate/NameGenerator.h"

#include <algorithm>

NameGenerator::NameGenerator(QString baseWord, const QStringList &tlds, NameForms forms)
    : m_base(std::move(baseWord))
    , m_forms(forms)
{
    m_tlds.reserve(tlds.size());
    for (const QString &tld : tlds)
        m_tlds << tld.toLower();
}

namespace {

// No label of the name is empty or starts or ends with a hyphen.
bool isWellFormed(const QString &name)
{
    const QList<QStringView> labels = QStringView(name).split(QLatin1Char('.'));
    return std::all_of(labels.cbegin(), labels.cend(), [](QStringView label) {
        return !label.isEmpty() && !label.startsWith(QLatin1Char('-')) && !label.endsWith(QLatin1Char('-'));
    });
}

} // namespace

void NameGenerator::appendPlainNames(QStringList &names) const
{
    if (m_base.size() <= 1)
        return;
    for (const QString &tld : m_tlds) {
        if (isWellFormed(m_base + tld))
            names << m_base + tld;
    }
}

void NameGenerator::appendWordNames(const QString &listWord, QStringList &names) const
{
    const QLatin1Char hyphen('-');
    if (m_forms.prefixes) {
        appendWithEveryTld(listWord + m_base, names);
        if (m_forms.hyphens)
            appendWithEveryTld(listWord + hyphen + m_base, names);
    }
    if (m_forms.suffixes) {
        appendWithEveryTld(m_base + listWord, names);
        if (m_forms.hyphens)
            appendWithEveryTld(m_base + hyphen + listWord, names);
    }
}

QStringList NameGenerator::generate(const QStringList &listWords) const
{
    const qsizetype formsPerWord = (m_forms.prefixes ? 1 : 0) + (m_forms.suffixes ? 1 : 0);
    QStringList names;
    names.reserve(m_tlds.size() * (1 + listWords.size() * formsPerWord * (m_forms.hyphens ? 2 : 1)));
    appendPlainNames(names);
    for (const QString &word : listWords)
        appendWordNames(word, names);
    return names;
}

void NameGenerator::appendWithEveryTld(QString word, QStringList &names) const
{
    word.remove(QLatin1Char(' '));
    for (const QString &tld : m_tlds) {
        if (isWellFormed(word + tld))
            names << word + tld;
    }
}
