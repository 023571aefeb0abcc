#include "search/StringListWordSource.h"

StringListWordSource::StringListWordSource(QStringList words)
    : m_words(std::move(words))
{
}

QString StringListWordSource::readWord(qint32 position)
{
    if (position < 1 || position > m_words.size())
        return {};
    return m_words.at(position - 1);
}
