#pragma once

#include "harvest/CollectedList.h"
#include "harvest/DomainExtraction.h"
#include "harvest/NameRules.h"
#include "harvest/PageDownload.h"

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QTimer>
#include <QUrl>

#include <functional>
#include <optional>
#include <utility>

class RegistryDirectory;
class TldTable;

enum class SearchEngine { None, Yahoo, Google, Bing, DuckDuckGo };

// Where an engine's result pages are requested. Scheme, host, port and path
// are configurable; the query keys are fixed.
struct SearchEngineAddress
{
    QString scheme;
    QString host;
    int port = -1; // -1: the scheme's default
    QString path;
};

struct SearchEngineHosts
{
    SearchEngineAddress yahoo{QStringLiteral("http"), QStringLiteral("search.yahoo.com"), -1,
                              QStringLiteral("/search/dir")};
    SearchEngineAddress google{QStringLiteral("http"), QStringLiteral("www.google.com"), -1, QStringLiteral("/search")};
    SearchEngineAddress bing{QStringLiteral("https"), QStringLiteral("www.bing.com"), -1, QStringLiteral("/search")};
    SearchEngineAddress duckDuckGo{QStringLiteral("https"), QStringLiteral("html.duckduckgo.com"), -1,
                                   QStringLiteral("/html/")};

    const SearchEngineAddress &of(SearchEngine engine) const;
};

// The configurable parts of a list builder run; the defaults are the real ones.
struct ListBuilderConfig
{
    SearchEngineHosts engines;
    HarvestData harvest;
    // Not null: names under every TLD this directory has a registry for are
    // taken too, not only the enabled rows. It must outlive the run.
    const RegistryDirectory *everyTld = nullptr;
    int startTickMs = 1000;     // one tick of the window's start timer (three ticks before the first page)
    int pauseMs = 500;          // between two pages
    int stallTimeoutMs = 30000; // a page from which no byte arrives for this long ends the run
};

// How a run ended. Everything but Complete is a failure the user is told
// about; the names gathered before it are kept.
enum class ListBuilderEnd {
    Complete,    // enough names, or a page that added none
    Cancelled,   // the user's Cancel
    Stalled,     // no byte of a page for stallTimeoutMs
    Unreachable, // the page could not be fetched (endDetail: the network's error)
    HttpError,   // the engine answered with an HTTP error (endDetail: code and reason)
    Blocked,     // a captcha or consent page stood in for the results
    NotAPage,    // what arrived is not a web page
};

// What the list builder takes from the main window.
struct ListBuilderRequest
{
    // The search text as typed; read when the run starts and again when the
    // finished list is copied into the searches folder.
    std::function<QString()> searchText;
    QString searchType; // "Yahoo Search", "Google Search", "Bing Search" or "DuckDuckGo Search"
    int sizeIndex = -1; // selected entry of "~100 Domains", "~200 Domains", "~500 Domains", "~1000 Domains!"
};

SearchEngine searchEngineForType(const QString &searchType);
// 100, 200, 500 or 1000; 100 for no selection.
qint32 targetCountForSizeIndex(int sizeIndex);
// Results a page of the engine holds, the step of resultOffset.
qint32 resultsPerPage(SearchEngine engine);
// UTF-8; spaces become "+", everything outside the unreserved characters
// (letters, digits, "-", ".", "_", "~") is percent-encoded.
QByteArray encodeSearchPhrase(const QString &phrase);
// The result page holding results from resultOffset (1-based) on; an empty
// URL for SearchEngine::None.
QUrl resultPageUrl(SearchEngine engine, const SearchEngineHosts &hosts, const QByteArray &encodedPhrase,
                   qint32 resultOffset);
// The gathered list as written to BrowserSearch.txt (before its final CR LF):
// doubled line breaks collapsed seven times over, and the two "target=_blank"
// leftovers removed.
QString finishedListText(QString foundList);
// "<Engine> <phrase>.txt" ("Yahoo", "Google", "Bing", "DuckDuckGo"); "/",
// "\", NUL and other control characters of the phrase become "_" so the name
// stays one file name.
QString searchCopyName(SearchEngine engine, const QString &phrase);
// Lines of the file (ending at CR or CR LF) that are not empty.
qint32 countListLines(const QString &path);
// Whether downloaded bytes are a web page at all: markup, and hardly any
// control bytes.
bool looksLikeWebPage(const QByteArray &body);

// One run of the search-engine list builder: downloads result pages one after
// another, extracts the domain names of each, and when enough names are
// gathered or a page adds none, writes BrowserSearch.txt and its copy in the
// searches folder. Status is reported after every downloaded chunk and every
// piece read; the event loop gets a turn while a page arrives, at least every
// 10 ms while a page is read, and during the pause between pages (a timer), so
// the program stays responsive without a nested event loop.
//
// A run that fails (see ListBuilderEnd) keeps the names of the pages before
// the failure. A run that ends with no name at all writes nothing and emits
// endedEmpty() instead of finished(): there is nothing to search.
class ListBuilder : public QObject
{
    Q_OBJECT

public:
    ListBuilder(QString programFolder, const TldTable &tldTable, ListBuilderRequest request,
                ListBuilderConfig config = {}, QObject *parent = nullptr);
    ~ListBuilder() override;

    SearchEngine engine() const { return m_engine; }
    qint32 targetCount() const { return m_targetCount; }
    qint32 resultOffset() const { return m_resultOffset; }
    qint32 totalFound() const { return m_counters.totalFound; }
    const QString &foundList() const { return m_foundList.text(); }
    // BrowserSearch.txt once the run has finished with names, else empty.
    const QString &listFile() const { return m_listFile; }
    bool isRunning() const { return m_phase != Phase::Idle && m_phase != Phase::Done; }
    // Result pages downloaded so far, and how many the target would take if
    // every result gave a new name.
    int pagesFetched() const { return m_pagesFetched; }
    int expectedPageCount() const;
    // Once ended: why, the failure's detail, and the page (1-based) and host
    // it happened on.
    ListBuilderEnd endReason() const { return m_endReason; }
    const QString &endDetail() const { return m_endDetail; }
    int endPage() const { return m_endPage; }
    const QString &pageHost() const { return m_pageHost; }
    int stallSeconds() const { return m_config.stallTimeoutMs / 1000; }

    // Fetches the first result page; the run then goes on by itself.
    void fetchFirstPage();
    // The user's stop (also before the first page): the page in hand is
    // dropped and the run ends as Cancelled with the names gathered so far.
    void cancel();
    // Ends a run at once: the download is dropped; nothing is written and
    // neither finished() nor endedEmpty() is emitted.
    void abort();

signals:
    // "Downloaded N bytes." while a page arrives, "Extracted N unique domain
    // names" while it is read.
    void statusChanged(const QString &text);
    // A result page has arrived (or given up on): pagesFetched() grew.
    void pageFetched(int pagesFetched);
    // BrowserSearch.txt and its copy are written.
    void finished(qint32 totalFound, qint32 listLineCount);
    // The run ended without a single name; nothing was written.
    void endedEmpty();
    // BrowserSearch.txt could not be written; the run has ended.
    void failed(const QString &error);

private:
    enum class Phase { Idle, Downloading, Extracting, Pausing, Done };

    void downloadPage();
    void pageDownloaded(const PageReply &reply);
    void pageStalled();
    void stopPage();
    void extractSomePieces();
    void pageDone();
    void pauseEnded();
    void end(ListBuilderEnd reason, const QString &detail = {});
    void setStatus(const QString &text);

    QString m_programFolder;
    const TldTable &m_tldTable;
    ListBuilderRequest m_request;
    ListBuilderConfig m_config;
    SearchEngine m_engine;
    QByteArray m_searchPhrase;
    qint32 m_targetCount;
    qint32 m_resultOffset = 1;
    ExtractionCounters m_counters;
    CollectedList m_foundList;
    QString m_listFile;
    Phase m_phase = Phase::Idle;
    QString m_status;
    PageDownload m_download;
    PageExtraction m_extraction;
    QByteArray m_page;
    QTimer m_sliceTimer;
    QTimer m_pauseTimer;
    QTimer m_stallTimer;
    QString m_pageHost;
    int m_pagesFetched = 0;
    // A failure found on arrival that still lets the page's names count.
    std::optional<std::pair<ListBuilderEnd, QString>> m_endAfterPage;
    ListBuilderEnd m_endReason = ListBuilderEnd::Complete;
    QString m_endDetail;
    int m_endPage = 0;
};
