#include "harvest/ListBuilder.h"

#include "base/FileUtils.h"
#include "core/TldTable.h"

#include <QElapsedTimer>
#include <QFile>

#include <utility>

namespace {

const QLatin1String lineBreak("\r\n");

// How long one run of extraction goes on before the event loop gets a turn.
constexpr qint64 extractionSliceMs = 10;

} // namespace

namespace {

struct EngineInfo
{
    SearchEngine engine;
    const char *searchType;
    const char *name; // of the copies in the searches folder
    qint32 perPage;
};

constexpr EngineInfo engines[] = {
    {SearchEngine::Yahoo, "Yahoo Search", "Yahoo", 20},
    {SearchEngine::Google, "Google Search", "Google", 100},
    {SearchEngine::Bing, "Bing Search", "Bing", 50},
    {SearchEngine::DuckDuckGo, "DuckDuckGo Search", "DuckDuckGo", 30},
};

const EngineInfo *infoOf(SearchEngine engine)
{
    for (const EngineInfo &info : engines) {
        if (info.engine == engine)
            return &info;
    }
    return nullptr;
}

} // namespace

const SearchEngineAddress &SearchEngineHosts::of(SearchEngine engine) const
{
    switch (engine) {
    case SearchEngine::Yahoo:
        return yahoo;
    case SearchEngine::Bing:
        return bing;
    case SearchEngine::DuckDuckGo:
        return duckDuckGo;
    case SearchEngine::Google:
    case SearchEngine::None:
        break;
    }
    return google;
}

SearchEngine searchEngineForType(const QString &searchType)
{
    for (const EngineInfo &info : engines) {
        if (searchType == QLatin1String(info.searchType))
            return info.engine;
    }
    return SearchEngine::None;
}

qint32 resultsPerPage(SearchEngine engine)
{
    const EngineInfo *info = infoOf(engine);
    return info ? info->perPage : 100;
}

qint32 targetCountForSizeIndex(int sizeIndex)
{
    switch (sizeIndex) {
    case 1:
        return 200;
    case 2:
        return 500;
    case 3:
        return 1000;
    default:
        return 100;
    }
}

QByteArray encodeSearchPhrase(const QString &phrase)
{
    // A literal "%" is sent as "%25", so every "%20" here stands for a space.
    return QUrl::toPercentEncoding(phrase).replace("%20", "+");
}

QUrl resultPageUrl(SearchEngine engine, const SearchEngineHosts &hosts, const QByteArray &encodedPhrase,
                   qint32 resultOffset)
{
    QByteArray query;
    switch (engine) {
    case SearchEngine::None:
        return {};
    case SearchEngine::Yahoo:
        query = "h=s&xargs=0&p=" + encodedPhrase + "&b=" + QByteArray::number(resultOffset);
        break;
    case SearchEngine::Google:
        query = "num=100&hl=en&lr=&ie=UTF-8&oe=UTF-8&safe=off&filter=0&start=" + QByteArray::number(resultOffset - 1) +
                "&sa=N&q=" + encodedPhrase;
        break;
    case SearchEngine::Bing:
        query = "q=" + encodedPhrase + "&count=50&first=" + QByteArray::number(resultOffset);
        break;
    case SearchEngine::DuckDuckGo:
        query = "q=" + encodedPhrase + "&s=" + QByteArray::number(resultOffset - 1);
        break;
    }
    const SearchEngineAddress &address = hosts.of(engine);
    QUrl url;
    url.setScheme(address.scheme);
    url.setHost(address.host);
    url.setPort(address.port);
    url.setPath(address.path);
    url.setQuery(QString::fromLatin1(query), QUrl::StrictMode);
    return url;
}

QString finishedListText(QString foundList)
{
    const QLatin1String doubleBreak("\r\n\r\n");
    for (int round = 0; round < 7; ++round)
        foundList.replace(doubleBreak, lineBreak);
    foundList.remove(QLatin1String("comtarget=_blank\r\n"));
    foundList.remove(QLatin1String("orgtarget=_blank\r\n"));
    return foundList;
}

QString searchCopyName(SearchEngine engine, const QString &phrase)
{
    QString name = phrase;
    for (QChar &character : name) {
        if (character == u'/' || character == u'\\' || character.unicode() < 0x20 || character.unicode() == 0x7F)
            character = u'_';
    }
    const EngineInfo *info = infoOf(engine);
    return QLatin1String(info ? info->name : "Google") + QLatin1Char(' ') + name + QLatin1String(".txt");
}

qint32 countListLines(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return 0;
    qint32 count = 0;
    const QStringList lines = splitAtLineEnds(QString::fromLatin1(file.readAll()));
    for (const QString &line : lines) {
        if (!line.isEmpty())
            ++count;
    }
    return count;
}

bool looksLikeWebPage(const QByteArray &body)
{
    qsizetype controls = 0;
    for (char byte : body) {
        const auto value = static_cast<unsigned char>(byte);
        if ((value < 0x20 && value != '\t' && value != '\n' && value != '\r' && value != '\f') || value == 0x7F)
            ++controls;
    }
    if (controls * 100 > body.size())
        return false;
    const QByteArray lower = body.toLower();
    for (const char *tag : {"<html", "<body", "<head", "<!doctype", "<a ", "<div", "<p>", "<title"}) {
        if (lower.contains(tag))
            return true;
    }
    return false;
}

ListBuilder::ListBuilder(QString programFolder, const TldTable &tldTable, ListBuilderRequest request,
                         ListBuilderConfig config, QObject *parent)
    : QObject(parent)
    , m_programFolder(std::move(programFolder))
    , m_tldTable(tldTable)
    , m_request(std::move(request))
    , m_config(std::move(config))
    , m_engine(searchEngineForType(m_request.searchType))
    , m_searchPhrase(encodeSearchPhrase(m_request.searchText ? m_request.searchText() : QString()))
    , m_targetCount(targetCountForSizeIndex(m_request.sizeIndex))
    , m_extraction(m_foundList, m_counters)
{
    m_sliceTimer.setSingleShot(true);
    m_sliceTimer.setInterval(0);
    m_pauseTimer.setSingleShot(true);
    m_pauseTimer.setInterval(m_config.pauseMs);
    m_stallTimer.setSingleShot(true);
    m_stallTimer.setInterval(m_config.stallTimeoutMs);
    connect(&m_download, &PageDownload::progress, this,
            [this](qint64 bytes) { setStatus(QStringLiteral("Downloaded %1 bytes.").arg(bytes)); });
    connect(&m_download, &PageDownload::arrived, this, [this] {
        if (m_phase == Phase::Downloading)
            m_stallTimer.start();
    });
    connect(&m_download, &PageDownload::finished, this, &ListBuilder::pageDownloaded);
    connect(&m_sliceTimer, &QTimer::timeout, this, &ListBuilder::extractSomePieces);
    connect(&m_pauseTimer, &QTimer::timeout, this, &ListBuilder::pauseEnded);
    connect(&m_stallTimer, &QTimer::timeout, this, &ListBuilder::pageStalled);
}

ListBuilder::~ListBuilder()
{
    abort();
}

void ListBuilder::fetchFirstPage()
{
    if (m_phase != Phase::Idle)
        return;
    downloadPage();
}

int ListBuilder::expectedPageCount() const
{
    const int perPage = resultsPerPage(m_engine);
    return qMax(1, (m_targetCount + perPage - 1) / perPage);
}

void ListBuilder::cancel()
{
    if (m_phase == Phase::Done)
        return;
    stopPage();
    end(ListBuilderEnd::Cancelled);
}

void ListBuilder::abort()
{
    if (!isRunning())
        return;
    m_phase = Phase::Done;
    stopPage();
}

void ListBuilder::stopPage()
{
    m_download.abort();
    m_extraction.cancel();
    m_page.clear();
    m_sliceTimer.stop();
    m_pauseTimer.stop();
    m_stallTimer.stop();
}

void ListBuilder::downloadPage()
{
    const QUrl url = resultPageUrl(m_engine, m_config.engines, m_searchPhrase, m_resultOffset);
    m_phase = Phase::Downloading;
    m_pageHost = url.host();
    m_stallTimer.start();
    m_download.start(url);
}

void ListBuilder::pageStalled()
{
    if (m_phase != Phase::Downloading)
        return;
    stopPage();
    ++m_pagesFetched;
    emit pageFetched(m_pagesFetched);
    if (m_phase == Phase::Downloading)
        end(ListBuilderEnd::Stalled);
}

void ListBuilder::pageDownloaded(const PageReply &reply)
{
    m_stallTimer.stop();
    ++m_pagesFetched;
    emit pageFetched(m_pagesFetched);
    if (m_phase != Phase::Downloading)
        return; // stopped by a slot of pageFetched()
    if (reply.unanswered() && reply.body.isEmpty()) {
        end(ListBuilderEnd::Unreachable, reply.errorText);
        return;
    }
    if (reply.httpFailed()) {
        end(ListBuilderEnd::HttpError, QStringLiteral("%1 %2").arg(reply.httpStatus).arg(reply.httpReason).trimmed());
        return;
    }
    // An empty page holds no results; bytes that are not a page are a failure.
    if (!reply.body.isEmpty() && !looksLikeWebPage(reply.body)) {
        end(ListBuilderEnd::NotAPage);
        return;
    }
    // A page broken off half-way still gives the names that arrived.
    m_endAfterPage.reset();
    if (reply.error != QNetworkReply::NoError)
        m_endAfterPage.emplace(ListBuilderEnd::Unreachable, reply.errorText);
    m_phase = Phase::Extracting;
    m_page = reply.body;
    const QStringList extensions = m_tldTable.enabledExtensionSet();
    m_extraction.begin(QString::fromLatin1(m_page), NameRules(extensions, m_config.everyTld, m_config.harvest));
    m_sliceTimer.start();
}

void ListBuilder::extractSomePieces()
{
    QElapsedTimer slice;
    slice.start();
    while (m_extraction.hasNextPiece()) {
        m_extraction.processNextPiece();
        setStatus(QStringLiteral("Extracted %1 unique domain names").arg(m_counters.totalFound));
        if (m_phase != Phase::Extracting)
            return; // aborted by a slot of statusChanged()
        if (m_extraction.hasNextPiece() && slice.hasExpired(extractionSliceMs)) {
            m_sliceTimer.start();
            return;
        }
    }
    setStatus(QStringLiteral("Extracted %1 unique domain names").arg(m_counters.totalFound));
    pageDone();
}

void ListBuilder::pageDone()
{
    if (m_endAfterPage) {
        const auto [reason, detail] = *std::exchange(m_endAfterPage, std::nullopt);
        end(reason, detail);
        return;
    }
    // A page that stands in for the results is a failure, not their end.
    if (m_counters.pageFound == 0 && m_config.harvest.isBlockedPage(QString::fromLatin1(m_page))) {
        end(ListBuilderEnd::Blocked);
        return;
    }
    m_page.clear();
    m_phase = Phase::Pausing;
    m_pauseTimer.start();
}

void ListBuilder::pauseEnded()
{
    if (m_counters.totalFound < m_targetCount && m_counters.pageFound > 0) {
        m_resultOffset += resultsPerPage(m_engine);
        downloadPage();
        return;
    }
    end(ListBuilderEnd::Complete);
}

void ListBuilder::end(ListBuilderEnd reason, const QString &detail)
{
    m_phase = Phase::Done;
    m_page.clear();
    m_endReason = reason;
    m_endDetail = detail;
    m_endPage = qMax(1, m_pagesFetched);
    if (m_counters.totalFound == 0) {
        emit endedEmpty();
        return;
    }
    const QString listPath = m_programFolder + QLatin1String("/BrowserSearch.txt");
    const QByteArray contents = (finishedListText(m_foundList.text()) + lineBreak).toLatin1();
    QString error;
    if (!writeFileAtomically(listPath, contents, &error)) {
        emit failed(error);
        return;
    }
    const QString phrase = m_request.searchText ? m_request.searchText() : QString();
    copyFile(listPath, m_programFolder + QLatin1String("/searches/") + searchCopyName(m_engine, phrase));
    m_listFile = listPath;
    emit finished(m_counters.totalFound, countListLines(m_listFile));
}

void ListBuilder::setStatus(const QString &text)
{
    if (text == m_status)
        return;
    m_status = text;
    emit statusChanged(m_status);
}
