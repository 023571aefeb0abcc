#pragma once

#include "harvest/CollectedList.h"
#include "harvest/DomainExtraction.h"

#include <QList>
#include <QString>
#include <QStringList>

// The browse window's extraction: the names of the body the browser shows,
// found as the list builder finds them (NameRules over the links and the
// visible text), unique against everything seen since the window opened, and
// appended page by page to the window's list file, where the checking reads
// them. Frame and iframe sources are reported so the window can follow them.

// What the browse window keeps across pages.
struct BrowsedPages
{
    // Every name accepted since the window opened (or since its list of
    // available names was last cleared).
    CollectedList seenList;
    // Names accepted from the page being processed, each followed by CR LF.
    QString pageList;
    // totalFound: names accepted since the window opened; pageFound: since
    // the browser last began a download (the window zeroes it then).
    ExtractionCounters counters;
};

// BrowsedNames.txt in the program folder: the browse window's own list of the
// names to check. (The list builder writes BrowserSearch.txt, which a search
// run may be reading meanwhile.)
QString browsedNamesPath(const QString &programFolder);

// What one piece gave.
struct BrowsedLine
{
    QStringList accepted;      // the new names that joined the page's list
    bool followsFrame = false; // a frame source: frameAddress holds it
    QString frameAddress;
};

// One page's extraction, a piece at a time, so that the window can report
// progress and return to its event loop between pieces.
class BrowsedPageExtraction
{
public:
    explicit BrowsedPageExtraction(BrowsedPages &pages);

    // bodyHtml: what the browser holds in the page's body element.
    void begin(const QString &bodyHtml, const NameRules &rules);

    bool hasNextPiece() const { return m_next < m_pieces.size(); }
    BrowsedLine processNextPiece();

    // After the last piece (or to give up on the rest): appends the page's
    // names and one CR LF to the list file and empties pageList. False
    // (pageList kept) when the list file cannot be written.
    bool finish(const QString &listPath, QString *error = nullptr);

private:
    BrowsedPages &m_pages;
    NameRules m_rules;
    QList<PagePiece> m_pieces;
    qsizetype m_next = 0;
};

// A whole body at once: every piece, then finish(). Frame addresses found are
// appended to *frames.
bool extractBrowsedPage(const QString &bodyHtml, const NameRules &rules, BrowsedPages &pages, const QString &listPath,
                        QStringList *frames = nullptr, QString *error = nullptr);
