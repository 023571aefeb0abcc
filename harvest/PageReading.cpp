#include "harvest/PageReading.h"

#include <algorithm>
#include <iterator>

namespace {

// Elements whose content is text the page does not show (or, for an iframe,
// shows only to browsers without frames).
constexpr const char16_t *hiddenContentTags[] = {u"script",   u"style",  u"noscript", u"template", u"title",
                                                 u"textarea", u"iframe", u"noembed",  u"noframes", u"xmp"};

// Elements that flow with the text around them.
constexpr const char16_t *inlineTags[] = {u"a",    u"abbr", u"b",    u"bdi",  u"bdo",   u"cite", u"code",   u"data",
                                          u"del",  u"dfn",  u"em",   u"font", u"i",     u"ins",  u"kbd",    u"mark",
                                          u"nobr", u"q",    u"s",    u"samp", u"small", u"span", u"strike", u"strong",
                                          u"sub",  u"sup",  u"time", u"tt",   u"u",     u"var",  u"wbr",    u"label"};

template <typename List>
bool listed(const List &list, QStringView name)
{
    return std::any_of(std::begin(list), std::end(list), [name](const char16_t *entry) { return name == entry; });
}

bool isAsciiLetter(QChar c)
{
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z');
}

bool isHexDigit(QChar c)
{
    return (c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'f') || (c >= u'A' && c <= u'F');
}

bool isSpace(QChar c)
{
    return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r' || c == u'\f';
}

QChar namedEntity(QStringView name)
{
    static const struct
    {
        const char16_t *name;
        char16_t character;
    } entities[] = {{u"amp", u'&'},   {u"lt", u'<'},     {u"gt", u'>'},     {u"quot", u'"'},
                    {u"apos", u'\''}, {u"nbsp", u' '},   {u"period", u'.'}, {u"sol", u'/'},
                    {u"colon", u':'}, {u"commat", u'@'}, {u"hyphen", u'-'}, {u"dash", u'-'}};
    for (const auto &entity : entities) {
        if (name == entity.name)
            return QChar(entity.character);
    }
    // Arrows, quotes, dashes and the like: none of them belongs in a host name.
    return QChar(u' ');
}

// Decodes the character reference at text[at] == '&'; *length is how much it
// took (1 for a lone "&", which stays).
QChar decodeEntity(QStringView text, qsizetype at, qsizetype *length)
{
    *length = 1;
    qsizetype end = at + 1;
    if (end < text.size() && text.at(end) == u'#') {
        const bool hex = end + 1 < text.size() && (text.at(end + 1) == u'x' || text.at(end + 1) == u'X');
        qsizetype digits = end + (hex ? 2 : 1);
        qsizetype stop = digits;
        while (stop < text.size() && stop - digits < 8 && (hex ? isHexDigit(text.at(stop)) : text.at(stop).isDigit()))
            ++stop;
        if (stop == digits)
            return QChar(u'&');
        bool ok = false;
        const uint code = text.mid(digits, stop - digits).toUInt(&ok, hex ? 16 : 10);
        *length = stop - at + (stop < text.size() && text.at(stop) == u';' ? 1 : 0);
        return ok && code > 0 && code < 0xD800 ? QChar(char16_t(code)) : QChar(u' ');
    }
    while (end < text.size() && end - at <= 32 && (isAsciiLetter(text.at(end)) || text.at(end).isDigit()))
        ++end;
    if (end == at + 1 || end >= text.size() || text.at(end) != u';') {
        // "&amp" without its ";" is still common in addresses.
        if (text.mid(at + 1, end - at - 1) == u"amp") {
            *length = 4;
            return QChar(u'&');
        }
        return QChar(u'&');
    }
    *length = end + 1 - at;
    return namedEntity(text.mid(at + 1, end - at - 1));
}

QString decodeEntities(QStringView text)
{
    if (!text.contains(u'&'))
        return text.toString();
    QString decoded;
    decoded.reserve(text.size());
    for (qsizetype at = 0; at < text.size();) {
        if (text.at(at) != u'&') {
            decoded.append(text.at(at++));
            continue;
        }
        qsizetype length = 1;
        decoded.append(decodeEntity(text, at, &length));
        at += length;
    }
    return decoded;
}

class PageReader
{
public:
    explicit PageReader(QStringView html)
        : m_html(html)
    {
    }

    QList<PagePiece> read()
    {
        while (m_at < m_html.size()) {
            const QChar c = m_html.at(m_at);
            if (c == u'<' && readMarkup())
                continue;
            if (c == u'&') {
                qsizetype length = 1;
                appendText(decodeEntity(m_html, m_at, &length));
                m_at += length;
                continue;
            }
            appendText(c);
            ++m_at;
        }
        endRun();
        return m_pieces;
    }

private:
    void appendText(QChar c)
    {
        if (isSpace(c) || c.unicode() < 0x20) {
            m_pendingSpace = !m_run.isEmpty();
            return;
        }
        if (m_pendingSpace)
            m_run.append(u' ');
        m_pendingSpace = false;
        m_run.append(c);
    }

    void endRun()
    {
        // A run without a dot names no host.
        if (m_run.contains(u'.'))
            m_pieces.append({PagePiece::Kind::Text, m_run});
        m_run.clear();
        m_pendingSpace = false;
    }

    qsizetype find(QStringView part, qsizetype from) const
    {
        const qsizetype at = m_html.indexOf(part, from, Qt::CaseInsensitive);
        return at < 0 ? m_html.size() : at;
    }

    // At a "<": a comment, a declaration, an end tag or a start tag. False
    // when the "<" is plain text ("a < b").
    bool readMarkup()
    {
        const QStringView rest = m_html.mid(m_at);
        if (rest.startsWith(u"<!--")) {
            m_at = qMin(m_html.size(), find(u"-->", m_at + 4) + 3);
            return true;
        }
        if (rest.startsWith(u"<!") || rest.startsWith(u"<?")) {
            m_at = qMin(m_html.size(), find(u">", m_at) + 1);
            return true;
        }
        const bool endTag = rest.startsWith(u"</");
        const qsizetype nameStart = m_at + (endTag ? 2 : 1);
        if (nameStart >= m_html.size() || !isAsciiLetter(m_html.at(nameStart)))
            return false;
        qsizetype nameEnd = nameStart;
        while (nameEnd < m_html.size() && !isSpace(m_html.at(nameEnd)) && m_html.at(nameEnd) != u'>' &&
               m_html.at(nameEnd) != u'/')
            ++nameEnd;
        const QString name = m_html.mid(nameStart, nameEnd - nameStart).toString().toLower();
        m_at = nameEnd;
        if (!listed(inlineTags, name))
            endRun();
        if (endTag) {
            m_at = qMin(m_html.size(), find(u">", m_at) + 1);
            return true;
        }
        readAttributes(name);
        if (listed(hiddenContentTags, name)) {
            const QString close = QStringLiteral("</") + name;
            m_at = qMin(m_html.size(), find(u">", find(close, m_at)) + 1);
        }
        return true;
    }

    void readAttributes(const QString &tag)
    {
        const bool link = tag == u"a" || tag == u"area";
        const bool frame = tag == u"frame" || tag == u"iframe";
        while (m_at < m_html.size()) {
            while (m_at < m_html.size() && (isSpace(m_html.at(m_at)) || m_html.at(m_at) == u'/'))
                ++m_at;
            if (m_at >= m_html.size())
                return;
            if (m_html.at(m_at) == u'>') {
                ++m_at;
                return;
            }
            const qsizetype nameStart = m_at;
            while (m_at < m_html.size() && !isSpace(m_html.at(m_at)) && m_html.at(m_at) != u'=' &&
                   m_html.at(m_at) != u'>' && (m_at == nameStart || m_html.at(m_at) != u'/'))
                ++m_at;
            const QStringView name = m_html.mid(nameStart, m_at - nameStart);
            while (m_at < m_html.size() && isSpace(m_html.at(m_at)))
                ++m_at;
            if (m_at >= m_html.size() || m_html.at(m_at) != u'=')
                continue;
            ++m_at;
            while (m_at < m_html.size() && isSpace(m_html.at(m_at)))
                ++m_at;
            const QStringView value = readValue();
            if (link && name.compare(u"href", Qt::CaseInsensitive) == 0)
                m_pieces.append({PagePiece::Kind::Link, decodeEntities(value).trimmed()});
            else if (frame && name.compare(u"src", Qt::CaseInsensitive) == 0)
                m_pieces.append({PagePiece::Kind::Frame, decodeEntities(value).trimmed()});
        }
    }

    QStringView readValue()
    {
        if (m_at >= m_html.size())
            return {};
        const QChar quote = m_html.at(m_at);
        if (quote == u'"' || quote == u'\'') {
            const qsizetype start = m_at + 1;
            qsizetype end = m_html.indexOf(quote, start);
            if (end < 0)
                end = m_html.size();
            m_at = qMin(m_html.size(), end + 1);
            return m_html.mid(start, end - start);
        }
        const qsizetype start = m_at;
        while (m_at < m_html.size() && !isSpace(m_html.at(m_at)) && m_html.at(m_at) != u'>')
            ++m_at;
        return m_html.mid(start, m_at - start);
    }

    QStringView m_html;
    qsizetype m_at = 0;
    QString m_run;
    bool m_pendingSpace = false;
    QList<PagePiece> m_pieces;
};

} // namespace

QList<PagePiece> readPagePieces(QStringView html)
{
    return PageReader(html).read();
}

QString bodyOfPage(const QString &html)
{
    qsizetype open = -1;
    for (qsizetype at = html.indexOf(u"<body", 0, Qt::CaseInsensitive); at >= 0;
         at = html.indexOf(u"<body", at + 1, Qt::CaseInsensitive)) {
        const qsizetype after = at + 5;
        if (after < html.size() && (isSpace(html.at(after)) || html.at(after) == u'>')) {
            open = at;
            break;
        }
    }
    if (open < 0)
        return html;
    const qsizetype start = html.indexOf(u'>', open);
    if (start < 0)
        return {};
    const qsizetype close = html.lastIndexOf(u"</body", -1, Qt::CaseInsensitive);
    return html.mid(start + 1, (close > start ? close : html.size()) - start - 1);
}
