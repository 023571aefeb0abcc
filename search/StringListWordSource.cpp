#include "search/StringListWordSource.h"

StringListWordSource::StringListWordSource(QStringList words)
    : m_words(std::move(words))
{
}

WordRead StringListWordSource::readWord(qint32 position)
{
    if (position < 1 || position > m_words.size())
        return WordRead::endOfList();
    return WordRead::found(m_words.at(position - 1));
}
