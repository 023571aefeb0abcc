#include "harvest/BrowsedPageExtraction.h"

#include "core/NamePreparation.h"
#include "harvest/RedirectLinks.h"

#include <QFile>
#include <QLocale>

namespace {

const QLatin1String lineBreak("\r\n");

// What is left of a scheme once a cut has gone through it.
const char *const schemeRemnants[] = {"https://", "http://", "ttp://", "tp://", "p://", "://"};

void removeFirst(QString &text, QLatin1String part)
{
    const qsizetype at = text.indexOf(part);
    if (at >= 0)
        text.remove(at, part.size());
}

// Where a bare host's text begins: a character no host name holds.
bool holdsHostBoundary(QStringView window)
{
    for (char16_t boundary : {u'\'', u'=', u'<', u'"', u'>', u' '}) {
        if (window.contains(QChar(boundary)))
            return true;
    }
    return window.contains(u"http://", Qt::CaseInsensitive) || window.contains(u"https://", Qt::CaseInsensitive);
}

QString cutFrameLine(const QString &line)
{
    const qsizetype tagEnd = line.indexOf(u'>');
    const qsizetype space = line.indexOf(u' ');
    if (tagEnd >= 0 && space >= 0 && tagEnd < space)
        return line.left(tagEnd + 1);
    if (space >= 0)
        return line.left(space + 1);
    return line;
}

bool startsFrame(QStringView line)
{
    return line.contains(u"<Frame", Qt::CaseInsensitive) && line.contains(u"src=", Qt::CaseInsensitive);
}

} // namespace

QString browsedNamesPath(const QString &programFolder)
{
    return programFolder + QLatin1String("/BrowsedNames.txt");
}

QString browsedPageTempPath(const QString &programFolder, const QDateTime &moment)
{
    const QLocale locale = QLocale::system();
    const QDateTime local = moment.toLocalTime();
    QString stamp = locale.toString(local.date(), QLocale::ShortFormat) + QLatin1Char(' ') +
                    locale.toString(local.time(), QLocale::LongFormat);
    stamp.removeIf([](QChar c) { return c == u' ' || c == u':' || c == u'/' || c == u'\\'; });
    return programFolder + QLatin1String("/SearchOutput") + stamp.trimmed();
}

namespace {

// 1-based, like tldEndPosition: the end of the earliest enabled TLD in the
// text (the longest one where several start at the same dot); 0 for none.
qsizetype earliestTldEnd(QStringView text, const QStringList &extensions)
{
    qsizetype bestDot = -1;
    qsizetype bestLength = 0;
    for (const QString &extension : extensions) {
        for (qsizetype dot = text.indexOf(u'.'); dot >= 0 && (bestDot < 0 || dot <= bestDot);
             dot = text.indexOf(u'.', dot + 1)) {
            if (!text.mid(dot + 1).startsWith(extension, Qt::CaseInsensitive))
                continue;
            if (bestDot < 0 || dot < bestDot || extension.size() > bestLength) {
                bestDot = dot;
                bestLength = extension.size();
            }
            break;
        }
    }
    return bestDot < 0 ? 0 : bestDot + bestLength + 2;
}

bool bareHostEndingAt(const QString &line, qsizetype end, const QStringList &extensions, QString &candidate)
{
    // 1-based positions: the TLD's label ends at end - 1; the window starts
    // five characters before that end, never before the line.
    qsizetype start = qMax<qsizetype>(1, end - 5);
    while (start > 1 && !holdsHostBoundary(QStringView(line).mid(start - 1, end - start)))
        --start;
    QString host = line.mid(start, qMax<qsizetype>(0, end - 1 - start));

    for (const char *scheme : schemeRemnants)
        removeFirst(host, QLatin1String(scheme));
    host = cutToHost(host);

    // As for links, a candidate that sets no tail of its own is markup rather
    // than a host and is dropped.
    QString tail;
    bool tailSet = false;
    for (char16_t separator : {u'.', u'='}) {
        const qsizetype at = host.indexOf(separator);
        if (at >= 0) {
            tail = host.mid(at + 1);
            tailSet = true;
        }
    }
    if (!tailSet)
        return false;
    const qsizetype at = host.indexOf(u'@');
    if (at >= 0)
        host = host.mid(at + 1);
    const qsizetype colon = host.indexOf(u':');
    if (colon >= 0)
        host = host.mid(colon + 1);
    if (!containsEnabledTld(QString(QLatin1Char('.') + tail), extensions))
        return false;
    candidate = host;
    return true;
}

} // namespace

bool bareHostCandidate(const QString &line, const QStringList &extensions, QString &candidate)
{
    const qsizetype end = tldEndPosition(line, extensions);
    return end != 0 && bareHostEndingAt(line, end, extensions, candidate);
}

QStringList bareHostCandidates(const QString &line, const QStringList &extensions)
{
    QStringList candidates;
    QStringView rest(line);
    for (qsizetype end = earliestTldEnd(rest, extensions); end != 0; end = earliestTldEnd(rest, extensions)) {
        QString candidate;
        if (bareHostEndingAt(rest.toString(), end, extensions, candidate))
            candidates.append(candidate);
        rest = rest.mid(end - 1);
    }
    return candidates;
}

QString frameAddress(const QString &line, const QString &nextLine)
{
    QString address = cutFrameLine(line) + cutFrameLine(nextLine);
    address.remove(u'"');
    address.remove(u'>');
    address.remove(u'<');
    for (const char *scheme : schemeRemnants)
        address.remove(QLatin1String(scheme));
    return address;
}

BrowsedPageExtraction::BrowsedPageExtraction(BrowsedPages &pages)
    : m_pages(pages)
{
}

BrowsedPageExtraction::~BrowsedPageExtraction()
{
    removeTempFile();
}

bool BrowsedPageExtraction::begin(const QString &pageText, const ExtractionSettings &settings, QString *error)
{
    removeTempFile();
    m_settings = settings;
    m_lines.clear();
    m_next = 0;
    m_followingFrame = false;

    QString marked = markLinkStarts(unwrapRedirectLinks(pageText));
    marked.remove(QLatin1String("<wbr>"), Qt::CaseInsensitive);
    marked = splitAtTldBoundaries(marked, m_settings.extensions);

    QFile::remove(m_settings.tempFilePath);
    m_fileInUse = true;
    if (!appendAndReadBackLines(m_settings.tempFilePath, marked, m_lines, error)) {
        m_lines.clear();
        removeTempFile();
        return false;
    }
    return true;
}

BrowsedLine BrowsedPageExtraction::processNextLine()
{
    BrowsedLine result;
    if (!hasNextLine())
        return result;
    const QStringList &extensions = m_settings.extensions;
    const QString line = urlDecode(m_lines.at(m_next++));

    if (m_followingFrame) {
        // The tag's address was split across this line and the next; a tag
        // at the end of the page gives what is there.
        const QString nextLine = hasNextLine() ? m_lines.at(m_next++) : QString();
        m_followingFrame = false;
        result.followsFrame = true;
        result.frameAddress = frameAddress(line, nextLine);
        return result;
    }
    if (startsFrame(line)) {
        m_followingFrame = true;
        return result;
    }

    if (isHarvestableLink(line, extensions, m_settings.filter)) {
        QString candidate = cutToHost(stripLinkPrefix(line, false));
        QString tail;
        if (updateTail(candidate, tail)) {
            candidate = keepThroughColon(candidate);
            if (containsEnabledTld(QString(QLatin1Char('.') + tail), extensions))
                acceptCandidate(cleanCandidate(candidate), true, result);
        }
    } else {
        for (const QString &candidate : bareHostCandidates(line, extensions))
            acceptCandidate(cleanCandidate(candidate), false, result);
    }
    return result;
}

void BrowsedPageExtraction::acceptCandidate(const QString &candidate, bool rejectTargetBlank, BrowsedLine &result)
{
    if (!isAcceptableCandidate(candidate, m_pages.seenList, rejectTargetBlank))
        return;
    m_pages.pageList += candidate + lineBreak;
    m_pages.seenList.append(candidate);
    ++m_pages.counters.totalFound;
    ++m_pages.counters.pageFound;
    result.accepted = true;
}

bool BrowsedPageExtraction::finish(const QString &listPath, QString *error)
{
    m_lines.clear();
    m_next = 0;
    m_followingFrame = false;
    removeTempFile();

    QFile list(listPath);
    const QByteArray bytes = (m_pages.pageList + lineBreak).toLatin1();
    if (!list.open(QIODevice::WriteOnly | QIODevice::Append) || list.write(bytes) != bytes.size() || !list.flush()) {
        if (error)
            *error = QStringLiteral("%1: %2").arg(listPath, list.errorString());
        return false;
    }
    m_pages.pageList.clear();
    return true;
}

void BrowsedPageExtraction::removeTempFile()
{
    if (m_fileInUse) {
        QFile::remove(m_settings.tempFilePath);
        m_fileInUse = false;
    }
}

bool extractBrowsedPage(const QString &pageText, const ExtractionSettings &settings, BrowsedPages &pages,
                        const QString &listPath, QStringList *frames, QString *error)
{
    BrowsedPageExtraction extraction(pages);
    if (!extraction.begin(pageText, settings, error))
        return false;
    while (extraction.hasNextLine()) {
        const BrowsedLine line = extraction.processNextLine();
        if (frames && line.followsFrame)
            frames->append(line.frameAddress);
    }
    return extraction.finish(listPath, error);
}
