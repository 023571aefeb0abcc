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

SearchEngine searchEngineForType(const QString &searchType)
{
    if (searchType == QLatin1String("Yahoo Search"))
        return SearchEngine::Yahoo;
    if (searchType == QLatin1String("Google Search"))
        return SearchEngine::Google;
    return SearchEngine::None;
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
    if (engine == SearchEngine::None)
        return {};
    const bool yahoo = engine == SearchEngine::Yahoo;
    const SearchEngineAddress &address = yahoo ? hosts.yahoo : hosts.google;
    const QByteArray query =
        yahoo ? "h=s&xargs=0&p=" + encodedPhrase + "&b=" + QByteArray::number(resultOffset)
              : "num=100&hl=en&lr=&ie=UTF-8&oe=UTF-8&safe=off&filter=0&start=" + QByteArray::number(resultOffset - 1) +
                    "&sa=N&q=" + encodedPhrase;
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
    const QLatin1String prefix(engine == SearchEngine::Yahoo ? "Yahoo " : "Google ");
    return prefix + name + QLatin1String(".txt");
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
    connect(&m_download, &PageDownload::progress, this,
            [this](qint64 bytes) { setStatus(QStringLiteral("Downloaded %1 bytes.").arg(bytes)); });
    connect(&m_download, &PageDownload::finished, this, &ListBuilder::pageDownloaded);
    connect(&m_sliceTimer, &QTimer::timeout, this, &ListBuilder::extractSomeLines);
    connect(&m_pauseTimer, &QTimer::timeout, this, &ListBuilder::pauseEnded);
    m_pageTimeout.setSingleShot(true);
    m_pageTimeout.setInterval(m_config.pageTimeoutMs);
    connect(&m_pageTimeout, &QTimer::timeout, this, &ListBuilder::pageTimedOut);
}

ListBuilder::~ListBuilder()
{
    abort();
}

void ListBuilder::fetchFirstPage()
{
    if (m_phase != Phase::Idle)
        return;
    downloadPage(resultPageUrl(m_engine, m_config.engines, m_searchPhrase, m_resultOffset));
}

int ListBuilder::expectedPageCount() const
{
    const int perPage = m_engine == SearchEngine::Yahoo ? 20 : 100;
    return qMax(1, (m_targetCount + perPage - 1) / perPage);
}

void ListBuilder::cancel()
{
    if (m_phase == Phase::Done)
        return;
    stopPage();
    setStatus(QStringLiteral("Cancelled"));
    finish();
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
    m_sliceTimer.stop();
    m_pauseTimer.stop();
    m_pageTimeout.stop();
}

void ListBuilder::fetchNextPage()
{
    downloadPage(resultPageUrl(m_engine, m_config.engines, m_searchPhrase, m_resultOffset));
}

void ListBuilder::downloadPage(const QUrl &url)
{
    m_phase = Phase::Downloading;
    m_pageHost = url.host();
    m_pageTimeout.start();
    m_download.start(url);
}

void ListBuilder::pageTimedOut()
{
    if (m_phase != Phase::Downloading)
        return;
    stopPage();
    m_timedOut = true;
    setStatus(QStringLiteral("Timed out waiting for %1").arg(m_pageHost));
    finish();
}

void ListBuilder::pageDownloaded(const QByteArray &body)
{
    m_pageTimeout.stop();
    ++m_pagesFetched;
    emit pageFetched(m_pagesFetched);
    if (m_phase != Phase::Downloading)
        return; // stopped by a slot of pageFetched()
    m_phase = Phase::Extracting;
    const ExtractionSettings settings{m_tldTable.enabledExtensionSet(), searchOutputPath(m_programFolder),
                                      m_config.filter};
    // A temporary file that cannot be used leaves the page without names,
    // which ends the run with what was gathered so far.
    if (!m_extraction.begin(QString::fromLatin1(body), settings)) {
        pageDone();
        return;
    }
    m_sliceTimer.start();
}

void ListBuilder::extractSomeLines()
{
    QElapsedTimer slice;
    slice.start();
    while (m_extraction.hasNextLine()) {
        m_extraction.processNextLine();
        setStatus(QStringLiteral("Extracted %1 unique domain names").arg(m_counters.totalFound));
        if (m_phase != Phase::Extracting)
            return; // aborted by a slot of statusChanged()
        if (m_extraction.hasNextLine() && slice.hasExpired(extractionSliceMs)) {
            m_sliceTimer.start();
            return;
        }
    }
    pageDone();
}

void ListBuilder::pageDone()
{
    m_phase = Phase::Pausing;
    m_pauseTimer.start();
}

void ListBuilder::pauseEnded()
{
    if (m_counters.totalFound < m_targetCount && m_counters.pageFound > 0) {
        m_resultOffset += m_engine == SearchEngine::Yahoo ? 20 : 100;
        fetchNextPage();
        return;
    }
    finish();
}

void ListBuilder::finish()
{
    m_phase = Phase::Done;
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
