#include "harvest/DomainExtraction.h"

#include "harvest/CollectedList.h"

bool containsEnabledTld(QStringView text, const QStringList &extensions)
{
    for (const QString &extension : extensions) {
        for (qsizetype dot = text.indexOf(u'.'); dot >= 0; dot = text.indexOf(u'.', dot + 1)) {
            if (text.mid(dot + 1).startsWith(extension, Qt::CaseInsensitive))
                return true;
        }
    }
    return false;
}

QStringList splitAtLineEnds(QStringView text)
{
    QStringList lines;
    qsizetype start = 0;
    for (qsizetype end = text.indexOf(u'\r'); end >= 0; end = text.indexOf(u'\r', start)) {
        lines.append(text.mid(start, end - start).toString());
        start = end + 1;
        if (start < text.size() && text.at(start) == u'\n')
            ++start;
    }
    if (start < text.size())
        lines.append(text.mid(start).toString());
    return lines;
}

QString searchOutputPath(const QString &programFolder)
{
    return programFolder + QLatin1String("/SearchOutput.txt");
}

PageExtraction::PageExtraction(CollectedList &list, ExtractionCounters &counters)
    : m_list(list)
    , m_counters(counters)
{
}

void PageExtraction::begin(const QString &pageText, const NameRules &rules)
{
    m_rules = rules;
    m_counters.pageFound = 0;
    m_pieces = readPagePieces(pageText);
    m_next = 0;
}

void PageExtraction::processNextPiece()
{
    if (!hasNextPiece())
        return;
    for (const QString &name : m_rules.namesOf(m_pieces.at(m_next++))) {
        if (m_list.contains(name))
            continue;
        m_list.append(name);
        ++m_counters.totalFound;
        ++m_counters.pageFound;
    }
}

void PageExtraction::cancel()
{
    m_pieces.clear();
    m_next = 0;
}

void extractDomains(const QString &pageText, const NameRules &rules, CollectedList &list, ExtractionCounters &counters,
                    const std::function<void()> &pieceRead)
{
    PageExtraction extraction(list, counters);
    extraction.begin(pageText, rules);
    while (extraction.hasNextPiece()) {
        extraction.processNextPiece();
        if (pieceRead)
            pieceRead();
    }
}
