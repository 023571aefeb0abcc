#pragma once

#include "harvest/NameRules.h"
#include "harvest/PageReading.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <functional>

class CollectedList;

// Finding the domain names of a web page: the hosts its links go to (through
// the search engines' redirect addresses to their targets) and the host names
// written in its visible text, taken by one set of NameRules. Page text is
// 8-bit: each QChar holds one byte of the page (QString::fromLatin1).

// Whether "." + some extension occurs in the text, ignoring case.
bool containsEnabledTld(QStringView text, const QStringList &extensions);

// Lines end at a CR or a CR LF; a lone LF stays inside its line. Text after
// the last line end is one more line.
QStringList splitAtLineEnds(QStringView text);

// Names accepted since the caller's run began, and from the current page.
struct ExtractionCounters
{
    qint32 totalFound = 0;
    qint32 pageFound = 0;
};

// SearchOutput.txt in the program folder: where earlier versions passed each
// page through; "Clear Cache" still removes one left behind.
QString searchOutputPath(const QString &programFolder);

// One page's extraction, a piece at a time, so that a window can report
// progress after every piece and return to its event loop between pieces.
class PageExtraction
{
public:
    PageExtraction(CollectedList &list, ExtractionCounters &counters);

    // Zeroes pageFound and reads the page into its pieces.
    void begin(const QString &pageText, const NameRules &rules);

    bool hasNextPiece() const { return m_next < m_pieces.size(); }
    // Appends the piece's names that are not in the list yet.
    void processNextPiece();
    // Abandons the page: no more pieces.
    void cancel();

private:
    CollectedList &m_list;
    ExtractionCounters &m_counters;
    NameRules m_rules;
    QList<PagePiece> m_pieces;
    qsizetype m_next = 0;
};

// The whole page at once, with pieceRead called after each piece.
void extractDomains(const QString &pageText, const NameRules &rules, CollectedList &list, ExtractionCounters &counters,
                    const std::function<void()> &pieceRead = {});
