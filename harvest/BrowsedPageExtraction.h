#pragma once

#include "harvest/CollectedList.h"
#include "harvest/DomainExtraction.h"

#include <QDateTime>
#include <QString>
#include <QStringList>

// The browse window's variant of page extraction. It differs from
// extractDomains in these ways: every call has its own temporary file, "<wbr>"
// tags are dropped before the text is split, frame tags name addresses to
// follow instead of names, lines that are not links but name an enabled TLD
// (bare host names, mail addresses) are cut around that TLD, names are unique
// against everything seen since the window opened, and the names of each page
// are appended to the browse window's list file, where the checking reads them.

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

// "SearchOutput" + the local date and time in the system's short date and
// long time format, with spaces, ":", "/" and "\" removed; in the program folder.
QString browsedPageTempPath(const QString &programFolder, const QDateTime &moment = QDateTime::currentDateTime());

// The candidate a line yields that is not a harvestable link but names an
// enabled TLD: the text before the first enabled TLD's end, widened to the
// left up to a quote, "=", "<", ">", a space or "http://" (the window's first
// character dropped), with scheme remnants, path and first label cut away; a
// mail address gives its domain. False (candidate untouched) when the cut text
// has neither "." nor "=", or what follows them names no enabled TLD.
bool bareHostCandidate(const QString &line, const QStringList &extensions, QString &candidate);

// Every such candidate of the line, from left to right: after each enabled TLD
// the rest of the line is searched again.
QStringList bareHostCandidates(const QString &line, const QStringList &extensions);

// The address a frame tag names, from the line after the tag and the one after
// that (empty when the tag is on the last line): each is cut after its first ">"
// when that comes before its first space, else after its first space; joined,
// without quotes, "<", ">" and scheme remnants.
QString frameAddress(const QString &line, const QString &nextLine);

// What one line gave.
struct BrowsedLine
{
    bool accepted = false;     // a new name joined the page's list
    bool followsFrame = false; // the line ended a frame tag: frameAddress holds its address
    QString frameAddress;
};

// One page's extraction, a line at a time, so that the window can report
// progress and return to its event loop between lines.
class BrowsedPageExtraction
{
public:
    explicit BrowsedPageExtraction(BrowsedPages &pages);
    ~BrowsedPageExtraction();
    BrowsedPageExtraction(const BrowsedPageExtraction &) = delete;
    BrowsedPageExtraction &operator=(const BrowsedPageExtraction &) = delete;

    // Replaces redirect links by their targets, marks the link starts, drops
    // "<wbr>", splits at the TLD boundaries and passes the text through
    // settings.tempFilePath (deleted first). False, with no line to process,
    // when the file cannot be written or read back.
    bool begin(const QString &pageText, const ExtractionSettings &settings, QString *error = nullptr);

    bool hasNextLine() const { return m_next < m_lines.size(); }
    BrowsedLine processNextLine();

    // After the last line (or to give up on the rest): appends the page's names
    // and one CR LF to the list file, empties pageList, deletes the temporary
    // file. False (pageList kept) when the list file cannot be written.
    bool finish(const QString &listPath, QString *error = nullptr);

private:
    void acceptCandidate(const QString &candidate, bool rejectTargetBlank, BrowsedLine &result);
    void removeTempFile();

    BrowsedPages &m_pages;
    ExtractionSettings m_settings;
    QStringList m_lines;
    qsizetype m_next = 0;
    bool m_followingFrame = false;
    bool m_fileInUse = false;
};

// A whole page at once: every line, then finish(). Frame addresses found are
// appended to *frames.
bool extractBrowsedPage(const QString &pageText, const ExtractionSettings &settings, BrowsedPages &pages,
                        const QString &listPath, QStringList *frames = nullptr, QString *error = nullptr);
