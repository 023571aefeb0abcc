#pragma once

#include <QString>
#include <QStringList>

#include <functional>

class CollectedList;

// Finding domain names in the raw text of a web page with plain substring
// heuristics (no HTML parsing). Page text is 8-bit: each QChar holds one byte
// of the page (QString::fromLatin1), and temporary files are written back with
// toLatin1().
//
// `extensions` is always the list of TLD entries taking part, in table order
// with duplicates kept: TldTable::enabledExtensionSet() (enabled rows, the
// proxy row left out).
//
// Substring tests follow one rule for empty texts: nothing occurs in an empty
// text (not even the empty text), and the empty text occurs in any other.

// containsText with that rule.
bool containsText(QStringView text, QStringView part, Qt::CaseSensitivity sensitivity);

// For each extension L in table order, every L followed by one of space, "/",
// double quote, "'", ":", "?" (exact) gets a CR LF after the delimiter; after
// each extension's six delimiters, every ".com" followed by a double quote gets
// one more CR LF. Unchanged when no extension takes part.
QString splitAtTldBoundaries(const QString &text, const QStringList &extensions);

// Whether "." + some extension occurs in the text, ignoring case.
bool containsEnabledTld(QStringView text, const QStringList &extensions);

// For the first extension (table order) whose "." + extension occurs in the
// text (ignoring case): the 1-based position of the character right after the
// first such occurrence; 0 when none occurs.
qsizetype tldEndPosition(QStringView text, const QStringList &extensions);

// The part of a host name a registrar sells: "www.shop.example.com" gives
// "example.com", "www.example.co.uk" "example.co.uk", "www.example.us"
// "example.us"; names with at most one dot come back unchanged; any other
// host of three or more labels gives the empty text. Labels compare exactly.
QString registrableDomain(const QString &hostName);

// The steps of one page, usable one by one by windows that run variants.

// Rewrites "=www." and ">www." as "http://www." and starts a new line (CR LF)
// before every "http://" and "https://" (written lower case) and every
// "<Frame" (so written), all ignoring case.
QString markLinkStarts(QString pageText);

// Lines end at a CR or a CR LF; a lone LF stays inside its line. Text after
// the last line end is one more line.
QStringList splitAtLineEnds(QStringView text);

// Appends text and CR LF to the file (creating it; whatever an interrupted
// run left there is kept), then reads the whole file back as lines. The caller
// deletes the file when done with the lines.
bool appendAndReadBackLines(const QString &path, const QString &text, QStringList &lines, QString *error = nullptr);

// The two domains whose lines never yield names (the search engine's own
// pages and a domain marketplace).
struct ExtractionFilter
{
    QString searchEngineDomain = QStringLiteral("yahoo.com");
    QString marketplaceDomain = QStringLiteral("afternic.com");
};

// Whether the line starts with "http://" or "https://" exactly.
bool startsWithWebScheme(QStringView line);

// A line worth cutting: it starts with "http://" or "https://" exactly, holds
// none of the two filtered domains, "@" and "yimg" (ignoring case) and names
// an enabled TLD.
bool isHarvestableLink(QStringView line, const QStringList &extensions, const ExtractionFilter &filter);

// Removes a leading "https://", else the first "http://"; then (with removeBoldTags) the first "<b>" and
// the first "<B>".
QString stripLinkPrefix(QString line, bool removeBoldTags = true);

// Keeps everything up to and including the first space, then everything before
// the first "/", then everything before the first character no host name or
// link text holds (one of \ , [ ] { } ( ) | ^ `), then drops the first label
// when the first "." lies more than four characters before the end
// ("www.example.com" gives "example.com").
QString cutToHost(QString candidate);

// The tail becomes the text after the candidate's first "." (when it has one),
// then after its first "=", then after its first "@". False, with the tail
// left as it was, for a candidate with none of these.
bool updateTail(const QString &candidate, QString &tail);

// Keeps everything up to and including the first ":".
QString keepThroughColon(QString candidate);

// registrableDomain, then correctName, then every "'" and double quote removed.
QString cleanCandidate(const QString &candidate);

// Whether a cleaned candidate joins the list: not empty once its spaces at
// both ends are trimmed, that trimmed text not already in the list (substring
// test, ignoring case), no "<" or ">", not "ttp:.com" or " ttp:.com", and no
// "mailto:" or (with rejectTargetBlank) "targetblank", ignoring case.
bool isAcceptableCandidate(const QString &candidate, const CollectedList &list, bool rejectTargetBlank = true);

// Names accepted since the caller's run began, and from the current page.
struct ExtractionCounters
{
    qint32 totalFound = 0;
    qint32 pageFound = 0;
};

struct ExtractionSettings
{
    QStringList extensions;
    // Where the page is split into lines; searchOutputPath() for the list builder.
    QString tempFilePath;
    ExtractionFilter filter;
};

// SearchOutput.txt in the program folder.
QString searchOutputPath(const QString &programFolder);

// One page's extraction, a line at a time, so that a window can report
// progress after every line and return to its event loop between lines.
class PageExtraction
{
public:
    PageExtraction(CollectedList &list, ExtractionCounters &counters);
    ~PageExtraction();
    PageExtraction(const PageExtraction &) = delete;
    PageExtraction &operator=(const PageExtraction &) = delete;

    // Zeroes pageFound, replaces redirect links by their targets, marks the
    // link starts, splits at the TLD boundaries and passes the text through
    // the temporary file. False (and no line to process) when the file cannot
    // be written or read back.
    bool begin(const QString &pageText, const ExtractionSettings &settings, QString *error = nullptr);

    bool hasNextLine() const { return m_next < m_lines.size(); }
    // Cuts the next line down to a candidate and appends it to the list when
    // acceptable. After the last line the temporary file is deleted.
    void processNextLine();
    // Abandons the page: no more lines, the temporary file is deleted.
    void cancel();

private:
    void end();

    CollectedList &m_list;
    ExtractionCounters &m_counters;
    ExtractionSettings m_settings;
    QStringList m_lines;
    qsizetype m_next = 0;
    bool m_fileInUse = false;
};

// The whole page at once: every line of PageExtraction, with lineRead called
// after each. False (with *error) when the temporary file fails.
bool extractDomains(const QString &pageText, const ExtractionSettings &settings, CollectedList &list,
                    ExtractionCounters &counters, const std::function<void()> &lineRead = {}, QString *error = nullptr);
