#include "harvest/RedirectLinks.h"

#include <QByteArray>
#include <QStringView>

namespace {

// Where an address inside page text ends on either side.
bool endsAddress(QChar character)
{
    return character == u'"' || character == u'\'' || character == u'<' || character == u'>' || character.isSpace();
}

bool isWebAddress(QStringView text)
{
    if (!text.startsWith(u"http://", Qt::CaseInsensitive) && !text.startsWith(u"https://", Qt::CaseInsensitive))
        return false;
    // A decoded target that would open or close markup is not put back into the page.
    for (QChar character : text) {
        if (endsAddress(character) || character.unicode() < 0x20)
            return false;
    }
    return true;
}

// Page text is 8-bit: every character one byte.
QString percentDecoded(QStringView value)
{
    return QString::fromLatin1(QByteArray::fromPercentEncoding(value.toLatin1()));
}

// The value of a query parameter named at the start of the query or after an
// "&"; empty when there is none.
QStringView queryValue(QStringView address, QStringView name)
{
    for (qsizetype at = address.indexOf(name); at >= 0; at = address.indexOf(name, at + 1)) {
        if (at == 0 || (address.at(at - 1) != u'?' && address.at(at - 1) != u'&'))
            continue;
        if (at + name.size() >= address.size() || address.at(at + name.size()) != u'=')
            continue;
        QStringView value = address.mid(at + name.size() + 1);
        const qsizetype end = value.indexOf(u'&');
        return end >= 0 ? value.left(end) : value;
    }
    return {};
}

QString yahooTarget(QStringView address)
{
    const qsizetype mark = address.indexOf(u"/RU=");
    if (mark < 0)
        return {};
    QStringView value = address.mid(mark + 4);
    const qsizetype end = value.indexOf(u'/');
    return percentDecoded(end >= 0 ? value.left(end) : value);
}

QString googleTarget(QStringView address)
{
    if (!address.contains(u"/url?"))
        return {};
    QStringView value = queryValue(address, u"q");
    if (value.isEmpty())
        value = queryValue(address, u"url");
    return percentDecoded(value);
}

QString bingTarget(QStringView address)
{
    const QStringView value = queryValue(address, u"u");
    if (!value.startsWith(u"a1"))
        return {};
    const auto decoded = QByteArray::fromBase64Encoding(
        value.mid(2).toLatin1(), QByteArray::Base64UrlEncoding | QByteArray::AbortOnBase64DecodingErrors);
    return decoded ? QString::fromLatin1(*decoded) : QString();
}

QString duckDuckGoTarget(QStringView address)
{
    return percentDecoded(queryValue(address, u"uddg"));
}

} // namespace

QString redirectTarget(const QString &address)
{
    QString plain = address;
    plain.replace(QLatin1String("&amp;"), QLatin1String("&"), Qt::CaseInsensitive);
    for (const auto &decode : {yahooTarget, googleTarget, bingTarget, duckDuckGoTarget}) {
        const QString target = decode(plain);
        if (isWebAddress(target))
            return target;
    }
    return {};
}
