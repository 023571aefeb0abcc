#pragma once

#include "search/WordSource.h"

#include <QStringList>

// Words held in memory, e.g. the names given on the command line.
class StringListWordSource : public WordSource
{
public:
    explicit StringListWordSource(QStringList words);

    WordRead readWord(qint32 position) override;
    qint32 size() const { return qint32(m_words.size()); }

private:
    QStringList m_words;
};
