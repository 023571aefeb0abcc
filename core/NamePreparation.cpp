#include "core/NamePreparation.h"

#include <QUrl>

#include <algorithm>

namespace {

struct PercentCode
{
    const char *code;
    char16_t character;
};

// "%25" comes first so that doubly encoded text decodes all the way.
constexpr PercentCode percentCodes[] = {
    {"%25", u'%'}, {"%20", u' '}, {"%3C", u'<'},  {"%3E", u'>'}, {"%23", u'#'},  {"%7B", u'{'},
    {"%7D", u'}'}, {"%7C", u'|'}, {"%5C", u'\\'}, {"%5E", u'^'}, {"%7E", u'~'},  {"%5B", u'['},
    {"%5D", u']'}, {"%60", u'`'}, {"%3B", u';'},  {"%2F", u'/'}, {"%3F", u'?'},  {"%3A", u':'},
    {"%40", u'@'}, {"%3D", u'='}, {"%26", u'&'},  {"%24", u'$'}, {"%0A", u'\n'}, {"%0D", u'\r'},
};

// Removed from the label one after the other, case-sensitive, in this order.
const char16_t *const junk[] = {
    u"&nbsp;", u"related:", u"site:", u"<b>",    u" ",      u"/",      u".",      u"%",      u"!", u"/",  u"~",
    u"#",      u"'",        u"\"",    u"$",      u"%",      u"^",      u"&",      u"*",      u"(", u")",  u"=",
    u"\\",     u"|",        u"+",     u"`",      u"?",      u">",      u"<",      u",",      u"'", u"\"", u".",
    u"nbsp;",  u";",        u":",     u"\u00AB", u"\u00B4", u"\u00AF", u"\u00BA", u"\u00B8", u"_",
};

} // namespace

QString urlDecode(const QString &text)
{
    QString decoded = text;
    for (const PercentCode &entry : percentCodes) {
        const QLatin1String code(entry.code);
        const QChar character(entry.character);
        while (decoded.contains(code, Qt::CaseInsensitive))
            decoded.replace(code, QString(character), Qt::CaseInsensitive);
    }
    return decoded;
}

QString correctName(const QString &name)
{
    const qsizetype firstDot = name.indexOf(QLatin1Char('.'));
    const QString suffix = firstDot >= 0 ? name.mid(firstDot) : QString();

    QString label = name;
    if (!suffix.isEmpty())
        label.remove(suffix, Qt::CaseInsensitive);
    for (const char16_t *piece : junk)
        label.remove(QString::fromUtf16(piece), Qt::CaseSensitive);

    QString corrected = label + suffix;
    corrected.remove(QLatin1Char('?'));
    return corrected;
}

QString removeControlCharacters(QString text)
{
    text.removeIf([](QChar c) { return c.unicode() < 0x20 || c.unicode() == 0x7F; });
    return text;
}

QString prepareLookupName(const QString &name, const QString &chosenTld, const QString &defaultExtension)
{
    const qsizetype colon = name.indexOf(QLatin1Char(':'));
    QString prepared = correctName(urlDecode(colon >= 0 ? name.mid(colon + 1) : name));
    // "example.com." names the same domain as "example.com".
    if (prepared.endsWith(QLatin1Char('.')))
        prepared.chop(1);
    if (!prepared.contains(QLatin1Char('.')))
        prepared += chosenTld.isEmpty() ? defaultExtension : QLatin1Char('.') + chosenTld;
    // Domain names are case-insensitive; one spelling keeps one name in the
    // history and the lists. Letters outside ASCII are left to IDNA.
    for (QChar &c : prepared) {
        if (c >= QLatin1Char('A') && c <= QLatin1Char('Z'))
            c = QChar(c.unicode() + ('a' - 'A'));
    }
    return removeControlCharacters(std::move(prepared));
}

bool isHostNameLabel(QByteArrayView label)
{
    constexpr qsizetype maxLabel = 63;
    if (label.isEmpty() || label.size() > maxLabel || label.startsWith('-') || label.endsWith('-'))
        return false;
    return std::all_of(label.cbegin(), label.cend(), [](char c) {
        return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-';
    });
}

std::optional<QByteArray> queryBytes(const QString &name)
{
    constexpr qsizetype maxLabel = 63;
    constexpr qsizetype maxName = 253;
    if (name.isEmpty() || name.size() > 4 * maxName)
        return std::nullopt;
    const bool ascii = std::all_of(name.cbegin(), name.cend(), [](QChar c) { return c.unicode() < 0x80; });
    const QByteArray bytes = ascii ? name.toLatin1() : QUrl::toAce(name);
    if (bytes.isEmpty() || bytes.size() > maxName)
        return std::nullopt;
    for (const QByteArray &label : bytes.split('.')) {
        if (label.size() > maxLabel)
            return std::nullopt;
    }
    return bytes;
}

std::optional<QByteArray> domainQueryBytes(const QString &name)
{
    std::optional<QByteArray> bytes = queryBytes(name);
    if (!bytes)
        return std::nullopt;
    for (const QByteArray &label : bytes->split('.')) {
        if (!isHostNameLabel(label))
            return std::nullopt;
    }
    return bytes;
}
