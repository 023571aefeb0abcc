#include "harvest/DomainExtraction.h"

#include "core/NamePreparation.h"
#include "harvest/CollectedList.h"
#include "harvest/RedirectLinks.h"

#include <QFile>

#include <algorithm>

namespace {

const QLatin1String lineBreak("\r\n");
const char16_t boundaryDelimiters[] = {u' ', u'/', u'"', u'\'', u':', u'?'};

bool isBoundaryDelimiter(QChar character)
{
    for (char16_t delimiter : boundaryDelimiters) {
        if (character == delimiter)
            return true;
    }
    return false;
}

// Inserting after a delimiter can neither create nor break a later match as
// long as no extension holds a delimiter or a line-end character; then the
// replacements of all extensions can be made in one pass.
bool splitsInOnePass(const QStringList &extensions)
{
    for (const QString &extension : extensions) {
        for (QChar character : extension) {
            if (isBoundaryDelimiter(character) || character == u'\r' || character == u'\n')
                return false;
        }
    }
    return true;
}

QString splitOneReplacementAtATime(QString text, const QStringList &extensions)
{
    const QLatin1String comQuote(".com\"");
    for (const QString &extension : extensions) {
        for (char16_t delimiter : boundaryDelimiters) {
            const QString boundary = extension + QChar(delimiter);
            text.replace(boundary, boundary + lineBreak);
        }
        text.replace(comQuote, comQuote + lineBreak);
    }
    return text;
}

QString splitInOnePass(const QString &text, const QStringList &extensions)
{
    const QStringView source(text);
    QString split;
    qsizetype copied = 0;
    for (qsizetype position = 0; position < source.size(); ++position) {
        const QChar character = source.at(position);
        if (!isBoundaryDelimiter(character))
            continue;
        const QStringView before = source.left(position);
        qsizetype breaks = 0;
        for (const QString &extension : extensions) {
            if (before.endsWith(extension))
                ++breaks;
        }
        if (character == u'"' && before.endsWith(u".com"))
            breaks += extensions.size();
        if (breaks == 0)
            continue;
        if (split.isEmpty())
            split.reserve(text.size() + text.size() / 8);
        split.append(source.mid(copied, position + 1 - copied));
        copied = position + 1;
        for (; breaks > 0; --breaks)
            split.append(lineBreak);
    }
    if (copied == 0)
        return text;
    split.append(source.mid(copied));
    return split;
}

qsizetype indexOfDottedExtension(QStringView text, QStringView extension)
{
    for (qsizetype dot = text.indexOf(u'.'); dot >= 0; dot = text.indexOf(u'.', dot + 1)) {
        if (text.mid(dot + 1).startsWith(extension, Qt::CaseInsensitive))
            return dot;
    }
    return -1;
}

void removeFirst(QString &text, QLatin1String part)
{
    const qsizetype at = text.indexOf(part);
    if (at >= 0)
        text.remove(at, part.size());
}

QStringView trimSpaces(QStringView text)
{
    while (text.startsWith(u' '))
        text = text.mid(1);
    while (text.endsWith(u' '))
        text.chop(1);
    return text;
}

} // namespace

bool containsText(QStringView text, QStringView part, Qt::CaseSensitivity sensitivity)
{
    if (text.isEmpty())
        return false;
    return part.isEmpty() || text.contains(part, sensitivity);
}

QString splitAtTldBoundaries(const QString &text, const QStringList &extensions)
{
    if (extensions.isEmpty())
        return text;
    if (splitsInOnePass(extensions))
        return splitInOnePass(text, extensions);
    return splitOneReplacementAtATime(text, extensions);
}

bool containsEnabledTld(QStringView text, const QStringList &extensions)
{
    for (const QString &extension : extensions) {
        if (indexOfDottedExtension(text, extension) >= 0)
            return true;
    }
    return false;
}

qsizetype tldEndPosition(QStringView text, const QStringList &extensions)
{
    for (const QString &extension : extensions) {
        const qsizetype dot = indexOfDottedExtension(text, extension);
        if (dot >= 0)
            return dot + extension.size() + 2;
    }
    return 0;
}

QString registrableDomain(const QString &hostName)
{
    if (!hostName.contains(u'.'))
        return hostName;
    const QStringList labels = hostName.split(u'.');
    const qsizetype last = labels.size() - 1;
    if (last < 2)
        return hostName;

    const QString &topLabel = labels.at(last);
    const QString &secondLabel = labels.at(last - 1);
    for (const char *generic : {"com", "org", "info", "name", "biz", "coop", "edu", "aero"}) {
        if (topLabel == QLatin1String(generic))
            return secondLabel + QLatin1Char('.') + topLabel;
    }
    if (secondLabel == QLatin1String("co"))
        return labels.at(last - 2) + QLatin1Char('.') + secondLabel + QLatin1Char('.') + topLabel;
    if (topLabel == QLatin1String("us"))
        return secondLabel + QLatin1Char('.') + topLabel;
    return {};
}

QString markLinkStarts(QString pageText)
{
    const QLatin1String wwwLink("http://www.");
    pageText.replace(QLatin1String("=www."), wwwLink, Qt::CaseInsensitive);
    pageText.replace(QLatin1String(">www."), wwwLink, Qt::CaseInsensitive);
    pageText.replace(QLatin1String("http://"), QLatin1String("\r\nhttp://"), Qt::CaseInsensitive);
    pageText.replace(QLatin1String("https://"), QLatin1String("\r\nhttps://"), Qt::CaseInsensitive);
    pageText.replace(QLatin1String("<frame"), QLatin1String("\r\n<Frame"), Qt::CaseInsensitive);
    return pageText;
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

bool appendAndReadBackLines(const QString &path, const QString &text, QStringList &lines, QString *error)
{
    QFile file(path);
    const auto fail = [&] {
        if (error)
            *error = QStringLiteral("%1: %2").arg(path, file.errorString());
        file.close();
        return false;
    };
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append))
        return fail();
    const QByteArray bytes = (text + lineBreak).toLatin1();
    if (file.write(bytes) != bytes.size() || !file.flush())
        return fail();
    file.close();
    if (!file.open(QIODevice::ReadOnly))
        return fail();
    const QByteArray contents = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return fail();
    file.close();
    lines = splitAtLineEnds(QString::fromLatin1(contents));
    return true;
}

bool startsWithWebScheme(QStringView line)
{
    return line.startsWith(u"http://") || line.startsWith(u"https://");
}

bool isHarvestableLink(QStringView line, const QStringList &extensions, const ExtractionFilter &filter)
{
    if (!startsWithWebScheme(line))
        return false;
    for (QStringView unwanted : {QStringView(filter.searchEngineDomain), QStringView(u"@"), QStringView(u"yimg"),
                                 QStringView(filter.marketplaceDomain)}) {
        if (containsText(line, unwanted, Qt::CaseInsensitive))
            return false;
    }
    return containsEnabledTld(line, extensions);
}

QString stripLinkPrefix(QString line, bool removeBoldTags)
{
    if (line.startsWith(QLatin1String("https://")))
        line.remove(0, 8);
    else
        removeFirst(line, QLatin1String("http://"));
    if (removeBoldTags) {
        removeFirst(line, QLatin1String("<b>"));
        removeFirst(line, QLatin1String("<B>"));
    }
    return line;
}

QString cutToHost(QString candidate)
{
    const qsizetype space = candidate.indexOf(u' ');
    if (space >= 0)
        candidate.truncate(space + 1);
    const qsizetype slash = candidate.indexOf(u'/');
    if (slash >= 0)
        candidate.truncate(slash);
    // Script text glues what follows an address to it ("host.com\\x22,1,[").
    const auto notInHost = std::find_if(candidate.cbegin(), candidate.cend(), [](QChar character) {
        return QStringView(u"\\,[]{}()|^`").contains(character);
    });
    candidate.truncate(notInHost - candidate.cbegin());
    // The test assumes a three-letter label after the dot.
    const qsizetype dot = candidate.indexOf(u'.');
    if (dot >= 0 && dot + 1 < candidate.size() - 3)
        candidate.remove(0, dot + 1);
    return candidate;
}

bool updateTail(const QString &candidate, QString &tail)
{
    bool set = false;
    for (char16_t separator : {u'.', u'=', u'@'}) {
        const qsizetype at = candidate.indexOf(separator);
        if (at >= 0) {
            tail = candidate.mid(at + 1);
            set = true;
        }
    }
    return set;
}

QString keepThroughColon(QString candidate)
{
    const qsizetype colon = candidate.indexOf(u':');
    if (colon >= 0)
        candidate.truncate(colon + 1);
    return candidate;
}

QString cleanCandidate(const QString &candidate)
{
    QString cleaned = correctName(registrableDomain(candidate));
    cleaned.remove(u'\'');
    cleaned.remove(u'"');
    return cleaned;
}

bool isAcceptableCandidate(const QString &candidate, const CollectedList &list, bool rejectTargetBlank)
{
    const QStringView trimmed = trimSpaces(candidate);
    if (trimmed.isEmpty() || list.contains(trimmed))
        return false;
    if (candidate.contains(u'<') || candidate.contains(u'>'))
        return false;
    if (candidate == u"ttp:.com" || candidate == u" ttp:.com")
        return false;
    if (containsText(candidate, u"mailto:", Qt::CaseInsensitive))
        return false;
    return !(rejectTargetBlank && containsText(candidate, u"targetblank", Qt::CaseInsensitive));
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

PageExtraction::~PageExtraction()
{
    cancel();
}

bool PageExtraction::begin(const QString &pageText, const ExtractionSettings &settings, QString *error)
{
    cancel();
    m_settings = settings;
    m_counters.pageFound = 0;
    const QString marked = splitAtTldBoundaries(markLinkStarts(unwrapRedirectLinks(pageText)), m_settings.extensions);
    m_fileInUse = true;
    if (!appendAndReadBackLines(m_settings.tempFilePath, marked, m_lines, error)) {
        end();
        return false;
    }
    return true;
}

void PageExtraction::processNextLine()
{
    if (!hasNextLine())
        return;
    const QStringList &extensions = m_settings.extensions;
    const QString line = urlDecode(m_lines.at(m_next++));
    if (isHarvestableLink(line, extensions, m_settings.filter)) {
        QString candidate = cutToHost(stripLinkPrefix(line));
        // A candidate without ".", "=" or "@" (such as "<b>name<" cut from
        // "www.<b>name</b>.com") is markup, not a host: it is dropped rather
        // than judged by the tail an earlier line left.
        QString tail;
        if (updateTail(candidate, tail)) {
            candidate = keepThroughColon(candidate);
            if (containsEnabledTld(QString(QLatin1Char('.') + tail), extensions)) {
                candidate = cleanCandidate(candidate);
                if (isAcceptableCandidate(candidate, m_list)) {
                    m_list.append(candidate);
                    ++m_counters.totalFound;
                    ++m_counters.pageFound;
                }
            }
        }
    }
    if (!hasNextLine())
        end();
}

void PageExtraction::cancel()
{
    end();
}

void PageExtraction::end()
{
    m_lines.clear();
    m_next = 0;
    if (m_fileInUse) {
        QFile::remove(m_settings.tempFilePath);
        m_fileInUse = false;
    }
}

bool extractDomains(const QString &pageText, const ExtractionSettings &settings, CollectedList &list,
                    ExtractionCounters &counters, const std::function<void()> &lineRead, QString *error)
{
    PageExtraction extraction(list, counters);
    if (!extraction.begin(pageText, settings, error))
        return false;
    while (extraction.hasNextLine()) {
        extraction.processNextLine();
        if (lineRead)
            lineRead();
    }
    return true;
}
