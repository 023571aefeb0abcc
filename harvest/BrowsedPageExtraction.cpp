#include "harvest/BrowsedPageExtraction.h"

#include <QFile>

QString browsedNamesPath(const QString &programFolder)
{
    return programFolder + QLatin1String("/BrowsedNames.txt");
}

BrowsedPageExtraction::BrowsedPageExtraction(BrowsedPages &pages)
    : m_pages(pages)
{
}

void BrowsedPageExtraction::begin(const QString &bodyHtml, const NameRules &rules)
{
    m_rules = rules;
    m_pieces = readPagePieces(bodyHtml);
    m_next = 0;
}

BrowsedLine BrowsedPageExtraction::processNextPiece()
{
    BrowsedLine result;
    if (!hasNextPiece())
        return result;
    const PagePiece &piece = m_pieces.at(m_next++);
    if (piece.kind == PagePiece::Kind::Frame) {
        result.followsFrame = true;
        result.frameAddress = piece.text;
        return result;
    }
    for (const QString &name : m_rules.namesOf(piece)) {
        if (m_pages.seenList.contains(name))
            continue;
        m_pages.pageList += name + QLatin1String("\r\n");
        m_pages.seenList.append(name);
        ++m_pages.counters.totalFound;
        ++m_pages.counters.pageFound;
        result.accepted << name;
    }
    return result;
}

bool BrowsedPageExtraction::finish(const QString &listPath, QString *error)
{
    m_pieces.clear();
    m_next = 0;
    QFile list(listPath);
    const QByteArray bytes = (m_pages.pageList + QLatin1String("\r\n")).toLatin1();
    if (!list.open(QIODevice::WriteOnly | QIODevice::Append) || list.write(bytes) != bytes.size() || !list.flush()) {
        if (error)
            *error = QStringLiteral("%1: %2").arg(listPath, list.errorString());
        return false;
    }
    m_pages.pageList.clear();
    return true;
}

bool extractBrowsedPage(const QString &bodyHtml, const NameRules &rules, BrowsedPages &pages, const QString &listPath,
                        QStringList *frames, QString *error)
{
    BrowsedPageExtraction extraction(pages);
    extraction.begin(bodyHtml, rules);
    while (extraction.hasNextPiece()) {
        const BrowsedLine line = extraction.processNextPiece();
        if (frames && line.followsFrame)
            frames->append(line.frameAddress);
    }
    return extraction.finish(listPath, error);
}
