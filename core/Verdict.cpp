#include "core/Verdict.h"

#include <cstring>

namespace {

// Words of a server that refuses or rations queries.
const char *const refusalWords[] = {"error", "quota", "blocked", "exceeded"};

QByteArray asciiLower(QByteArray text)
{
    for (char &c : text) {
        if (c >= 'A' && c <= 'Z')
            c = char(c + ('a' - 'A'));
    }
    return text;
}

// glibc's memmem is several times faster than a generic substring search
// on replies of a few KiB, and this runs for every phrase of every reply.
bool containsBytes(const QByteArray &haystack, const char *needle, size_t needleSize)
{
    return ::memmem(haystack.constData(), size_t(haystack.size()), needle, needleSize) != nullptr;
}

QString trimSpaces(const QString &piece)
{
    qsizetype begin = 0;
    qsizetype end = piece.size();
    while (begin < end && piece.at(begin) == QLatin1Char(' '))
        ++begin;
    while (end > begin && piece.at(end - 1) == QLatin1Char(' '))
        --end;
    return piece.mid(begin, end - begin);
}

} // namespace

VerdictRule::VerdictRule(const QString &successIndicators)
{
    if (successIndicators.isEmpty())
        return;
    const QStringList pieces = successIndicators.split(QLatin1Char(','));
    for (const QString &piece : pieces) {
        m_phrases.append(trimSpaces(piece));
        m_indicators.append(asciiLower(m_phrases.last().toLatin1()));
    }
}

qsizetype VerdictRule::firstMatch(const QByteArray &foldedReply) const
{
    for (qsizetype index = 0; index < m_indicators.size(); ++index) {
        const QByteArray &indicator = m_indicators.at(index);
        // An empty piece is found in any non-empty reply.
        if (indicator.isEmpty() ? !foldedReply.isEmpty()
                                : containsBytes(foldedReply, indicator.constData(), size_t(indicator.size())))
            return index;
    }
    return -1;
}

Verdict VerdictRule::judge(const QByteArray &reply) const
{
    const QByteArray folded = asciiLower(reply);
    if (firstMatch(folded) >= 0)
        return Verdict::Available;
    for (const char *word : refusalWords) {
        if (containsBytes(folded, word, std::strlen(word)))
            return Verdict::Blocked;
    }
    return Verdict::Registered;
}

Verdict judgeReplyText(const QByteArray &reply, const QString &successIndicators)
{
    return VerdictRule(successIndicators).judge(reply);
}
