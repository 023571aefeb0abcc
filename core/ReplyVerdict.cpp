#include "core/ReplyVerdict.h"

#include <QFile>
#include <QStringDecoder>
#include <QUrl>

#include <algorithm>
#include <bitset>
#include <cctype>
#include <cstring>
#include <memory>

namespace {

bool isAlnum(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z');
}

bool isBlank(char c)
{
    return c == ' ' || c == '\t';
}

// Lower-cases ASCII letters, drops CR and makes every run of spaces and tabs
// one space, so phrases match however a server lays out its columns.
QByteArray foldReply(const QByteArray &reply)
{
    QByteArray folded(reply.size(), Qt::Uninitialized);
    char *out = folded.data();
    const char *const begin = out;
    for (char c : reply) {
        if (c == '\r')
            continue;
        if (isBlank(c)) {
            if (out != begin && out[-1] == ' ')
                continue;
            c = ' ';
        } else if (c >= 'A' && c <= 'Z') {
            c = char(c + ('a' - 'A'));
        }
        *out++ = c;
    }
    folded.truncate(out - begin);
    return folded;
}

// glibc's memmem is several times faster than a generic substring search,
// and every rule is looked for in every reply.
qsizetype find(const QByteArray &text, const QByteArray &needle, qsizetype from)
{
    if (from > text.size())
        return -1;
    const void *hit =
        ::memmem(text.constData() + from, size_t(text.size() - from), needle.constData(), size_t(needle.size()));
    return hit ? static_cast<const char *>(hit) - text.constData() : -1;
}

bool isSentenceEnd(const QByteArray &text, qsizetype at)
{
    const char c = text.at(at);
    if (c == '\n')
        return true;
    return (c == '.' || c == '!' || c == '?') &&
           (at + 1 == text.size() || text.at(at + 1) == ' ' || text.at(at + 1) == '\n');
}

// Which three-byte beginnings occur in a text, so that most rules are ruled
// out without searching the text for them.
class BeginningFilter
{
public:
    explicit BeginningFilter(const QByteArray &text)
    {
        for (qsizetype at = 0; at + 3 <= text.size(); ++at)
            m_seen.set(hash(text.constData() + at));
    }
    bool mayContain(const QByteArray &needle) const
    {
        return needle.size() < 3 || m_seen.test(hash(needle.constData()));
    }

private:
    static size_t hash(const char *bytes)
    {
        return (size_t(uchar(bytes[0])) * 961 + size_t(uchar(bytes[1])) * 31 + size_t(uchar(bytes[2]))) & 0xffff;
    }
    std::bitset<0x10000> m_seen;
};

bool isWordChar(char c)
{
    return std::isalpha(uchar(c)) || c == '\'';
}

// Whether one of the last three words (runs of letters and apostrophes) of
// text[from, to), within its part of the sentence, is in words.
bool lastWordsHold(const QByteArray &text, qsizetype from, qsizetype to, const QList<QByteArray> &words)
{
    qsizetype end = to;
    for (int seen = 0; seen < 3 && end > from; ++seen) {
        while (end > from && !isWordChar(text.at(end - 1))) {
            // A negation does not reach across a colon or a comma.
            if (std::strchr(".;:,", text.at(end - 1)))
                return false;
            --end;
        }
        qsizetype begin = end;
        while (begin > from && isWordChar(text.at(begin - 1)))
            --begin;
        const QByteArrayView word = QByteArrayView(text).sliced(begin, end - begin);
        for (const QByteArray &listed : words) {
            if (QByteArrayView(listed) == word)
                return true;
        }
        end = begin;
    }
    return false;
}

int wordCount(const QByteArray &text, qsizetype from, qsizetype to)
{
    int count = 0;
    bool inToken = false;
    bool tokenHasAlnum = false;
    for (qsizetype at = from; at <= to; ++at) {
        const char c = at < to ? text.at(at) : ' ';
        if (c == ' ' || c == '\n') {
            count += (inToken && tokenHasAlnum) ? 1 : 0;
            inToken = tokenHasAlnum = false;
        } else {
            inToken = true;
            tokenHasAlnum = tokenHasAlnum || isAlnum(c);
        }
    }
    return count;
}

bool startsWithWord(const QByteArray &text, qsizetype at, const QByteArray &word)
{
    if (!QByteArrayView(text).sliced(at).startsWith(word))
        return false;
    const qsizetype after = at + word.size();
    return after == text.size() || !isAlnum(text.at(after));
}

QByteArrayView trimmedLinePart(QByteArrayView part)
{
    part = part.trimmed();
    while (part.endsWith('.') || part.endsWith(' '))
        part.chop(1);
    return part.trimmed();
}

QByteArrayView withoutTrailingDot(QByteArrayView name)
{
    if (name.endsWith('.'))
        name.chop(1);
    return name;
}

bool listHolds(const QList<QByteArray> &list, QByteArrayView text)
{
    for (const QByteArray &item : list) {
        if (QByteArrayView(item) == text)
            return true;
    }
    return false;
}

bool isAscii(QByteArrayView text)
{
    return std::all_of(text.begin(), text.end(), [](char c) { return uchar(c) < 0x80; });
}

// The forms a reply may name the asked name in, lower case: as sent (its
// IDNA form when it is not plain ASCII) and as given (Unicode, in UTF-8 and,
// where it fits, Latin-1).
QList<QByteArray> nameForms(const QString &queriedName)
{
    QString given = queriedName.toLower();
    if (given.endsWith(QLatin1Char('.')))
        given.chop(1);
    QList<QByteArray> forms;
    const auto add = [&forms](const QByteArray &form) {
        if (!form.isEmpty() && !forms.contains(form))
            forms << form;
    };
    if (given.isEmpty())
        return forms;
    const QByteArray ace = QUrl::toAce(given).toLower();
    const QString unicode = ace.isEmpty() ? given : QUrl::fromAce(ace).toLower();
    add(ace);
    for (const QString &text : {given, unicode}) {
        add(text.toUtf8());
        if (std::all_of(text.cbegin(), text.cend(), [](QChar c) { return c.unicode() < 0x100; }))
            add(text.toLatin1());
    }
    return forms;
}

// Whether a record's value (ASCII letters already folded) is one of the
// forms of the asked name; letters outside ASCII are folded here.
bool namesAskedName(QByteArrayView value, const QList<QByteArray> &forms)
{
    value = withoutTrailingDot(value);
    if (listHolds(forms, value))
        return true;
    if (isAscii(value))
        return false;
    const QByteArray bytes = value.toByteArray();
    QStringDecoder utf8(QStringDecoder::Utf8);
    const QString asUtf8 = utf8.decode(bytes);
    return (!utf8.hasError() && listHolds(forms, asUtf8.toLower().toUtf8())) ||
           listHolds(forms, QString::fromLatin1(bytes).toLower().toLatin1());
}

} // namespace

QByteArray ReplyVerdict::decodedReply(const QByteArray &reply)
{
    if (reply.startsWith("\xEF\xBB\xBF"))
        return reply.sliced(3);
    const bool littleEndian = reply.startsWith("\xFF\xFE");
    if (!littleEndian && !reply.startsWith("\xFE\xFF"))
        return reply;
    QStringDecoder decoder(littleEndian ? QStringDecoder::Utf16LE : QStringDecoder::Utf16BE);
    return QString(decoder.decode(QByteArrayView(reply).sliced(2))).toUtf8();
}

ReplyVerdict::ReplyVerdict(const QByteArray &rulesText)
{
    const QList<std::pair<const char *, QList<QByteArray> *>> kinds = {
        {"limit", &m_limits},          {"condition", &m_conditions},
        {"negation", &m_negations},    {"negprefix", &m_negPrefixes},
        {"negsuffix", &m_negSuffixes}, {"recordkey", &m_recordKeys},
        {"field", &m_fields},          {"freevalue", &m_freeValues},
        {"taken", &m_taken},           {"free", &m_free},
        {"refusal", &m_refusals},
    };
    for (const QByteArray &rawLine : rulesText.split('\n')) {
        const QByteArray line = rawLine.trimmed();
        if (line.isEmpty() || line.startsWith('#'))
            continue;
        const qsizetype space = line.indexOf(' ');
        const QByteArray kind = line.left(space);
        const QByteArray text = space < 0 ? QByteArray() : foldReply(line.mid(space + 1).trimmed());
        if (text.isEmpty())
            continue;
        if (kind == "maxwords") {
            m_maxWords = text.toInt();
            continue;
        }
        for (const auto &[name, list] : kinds) {
            if (kind == name)
                list->append(text);
        }
    }
}

const ReplyVerdict &ReplyVerdict::shipped()
{
    static const ReplyVerdict verdict = [] {
        QFile file(QStringLiteral(":/registry/verdict-rules.txt"));
        file.open(QIODevice::ReadOnly);
        return ReplyVerdict(file.readAll());
    }();
    return verdict;
}

bool ReplyVerdict::occursUnreversed(const QByteArray &text, const QByteArray &phrase,
                                    const QList<QByteArray> &negations, const QList<QByteArray> &names) const
{
    const bool singleWord = !phrase.contains(' ');
    for (qsizetype at = find(text, phrase, 0); at >= 0; at = find(text, phrase, at + 1)) {
        const qsizetype end = at + phrase.size();
        qsizetype clauseBegin = at;
        while (clauseBegin > 0 && !isSentenceEnd(text, clauseBegin - 1))
            --clauseBegin;
        qsizetype clauseEnd = end;
        while (clauseEnd < text.size() && !isSentenceEnd(text, clauseEnd))
            ++clauseEnd;
        // Long sentences are terms of use and explanations, not answers.
        if (wordCount(text, clauseBegin, clauseEnd) > m_maxWords)
            continue;

        bool reversed = false;
        for (const QByteArray &prefix : m_negPrefixes) {
            const qsizetype from = at - prefix.size();
            reversed = reversed || (from >= 0 && QByteArrayView(text).sliced(from, prefix.size()) == prefix &&
                                    (from == 0 || !isAlnum(text.at(from - 1))));
        }
        if (reversed || lastWordsHold(text, clauseBegin, at, negations))
            continue;

        qsizetype wordEnd = end;
        while (wordEnd < text.size() && isAlnum(text.at(wordEnd)))
            ++wordEnd;
        if (singleWord) {
            // A bare word such as "available" also describes other things:
            // "made available to", "available at <address>".
            qsizetype next = wordEnd;
            while (next < text.size() && std::strchr(" \n\t%#-*>", text.at(next)) && text.at(next) != '\0')
                ++next;
            bool describesOther = false;
            for (const QByteArray &suffix : m_negSuffixes)
                describesOther = describesOther || startsWithWord(text, next, suffix);
            if (describesOther)
                continue;
        }
        // A field name ("Available: 2012-02-01") says nothing about the name
        // unless the field's value is the name itself ("Not found: x.us").
        qsizetype colon = wordEnd;
        while (colon < text.size() && (std::isalpha(uchar(text.at(colon))) || text.at(colon) == ' '))
            ++colon;
        if (colon < text.size() && text.at(colon) == ':' &&
            !QByteArrayView(text).sliced(clauseBegin, at - clauseBegin).contains(':')) {
            const qsizetype lineEnd = text.indexOf('\n', colon) < 0 ? text.size() : text.indexOf('\n', colon);
            const QByteArray value = text.mid(colon + 1, lineEnd - colon - 1).trimmed();
            const bool namesIt = std::any_of(names.cbegin(), names.cend(),
                                             [&value](const QByteArray &name) { return value.contains(name); });
            if (!value.isEmpty() && !namesIt)
                continue;
        }
        return true;
    }
    return false;
}

QList<ReplyVerdict::Line> ReplyVerdict::keyedLines(const QByteArray &text)
{
    QList<QByteArrayView> rawLines;
    for (qsizetype begin = 0; begin <= text.size();) {
        qsizetype end = text.indexOf('\n', begin);
        if (end < 0)
            end = text.size();
        rawLines.append(QByteArrayView(text).sliced(begin, end - begin));
        begin = end + 1;
    }
    QList<Line> lines;
    for (qsizetype index = 0; index < rawLines.size(); ++index) {
        QByteArrayView line = rawLines.at(index).trimmed();
        while (line.startsWith('%') || line.startsWith('#'))
            line = line.sliced(1);
        line = line.trimmed();
        const qsizetype bracket = line.startsWith('[') ? line.indexOf(']') : -1;
        const qsizetype colon = bracket < 0 ? line.indexOf(':') : -1;
        Line keyed;
        if (bracket > 0) {
            keyed.key = line.sliced(1, bracket - 1);
            keyed.value = line.sliced(bracket + 1);
        } else if (colon >= 0) {
            keyed.key = line.first(colon);
            keyed.value = line.sliced(colon + 1);
        } else {
            continue;
        }
        keyed.key = trimmedLinePart(keyed.key);
        keyed.value = keyed.value.trimmed();
        // Some registries put the value on the next, indented line.
        if (keyed.value.isEmpty() && index + 1 < rawLines.size()) {
            const QByteArrayView next = rawLines.at(index + 1);
            const QByteArrayView nextTrimmed = next.trimmed();
            if (!nextTrimmed.isEmpty() && (next.startsWith(' ') || next.startsWith('\t')) &&
                !nextTrimmed.chopped(1).contains(':'))
                keyed.value = nextTrimmed;
        }
        lines.append(keyed);
    }
    return lines;
}

bool ReplyVerdict::isRegistrationRecord(const QList<Line> &lines, const QList<QByteArray> &names) const
{
    bool named = false;
    for (const Line &line : lines) {
        const bool nameKey = listHolds(m_recordKeys, line.key);
        if ((nameKey || line.key.contains("status")) && listHolds(m_freeValues, line.value))
            return false;
        named = named || (nameKey && namesAskedName(line.value, names));
    }
    if (!named)
        return false;
    QList<qsizetype> kindsSeen;
    for (const Line &line : lines) {
        if (line.value.isEmpty() || listHolds(m_freeValues, line.value))
            continue;
        for (qsizetype field = 0; field < m_fields.size(); ++field) {
            if (line.key.contains(m_fields.at(field)) && !kindsSeen.contains(field))
                kindsSeen.append(field);
        }
        if (kindsSeen.size() >= 2)
            return true;
    }
    return false;
}

ReplyJudgement ReplyVerdict::judge(const QByteArray &reply, const QString &queriedName,
                                   const VerdictRule &phrases) const
{
    const QByteArray text = foldReply(decodedReply(reply));
    const QList<QByteArray> names = nameForms(queriedName);
    const auto filter = std::make_unique<BeginningFilter>(text);
    const auto occurs = [&](const QByteArray &pattern, const QList<QByteArray> &negations) {
        return filter->mayContain(pattern) && occursUnreversed(text, pattern, negations, names);
    };
    // Letters outside ASCII are not folded in the text, so a name written
    // with them is looked for line by line.
    const bool named = std::any_of(names.cbegin(), names.cend(), [&text](const QByteArray &name) {
        return !isAscii(name) || find(text, name, 0) >= 0;
    });

    for (const QByteArray &limit : m_limits) {
        if (occurs(limit, m_conditions))
            return {Verdict::Blocked, QStringLiteral("ratelimit:") + QString::fromLatin1(limit)};
    }
    // A record names the asked name; most replies that are not records do not.
    if (named && isRegistrationRecord(keyedLines(text), names))
        return {Verdict::Registered, QStringLiteral("registered:record")};
    for (const QByteArray &taken : m_taken) {
        if (occurs(taken, m_negations))
            return {Verdict::Registered, QStringLiteral("taken:") + QString::fromLatin1(taken)};
    }
    for (qsizetype index = 0; index < phrases.phrases().size(); ++index) {
        const QByteArray phrase = foldReply(phrases.phrases().at(index).toLatin1());
        // An empty piece of the list matches any reply with text in it.
        if (phrase.isEmpty() ? !text.isEmpty() : occurs(phrase, m_negations))
            return {Verdict::Available, QStringLiteral("phrase:") + phrases.phrases().at(index)};
    }
    for (const QByteArray &form : m_free) {
        if (occurs(form, m_negations))
            return {Verdict::Available, QStringLiteral("notfound:") + QString::fromLatin1(form)};
    }
    for (const QByteArray &word : m_refusals) {
        if (occurs(word, {}))
            return {Verdict::Blocked, QStringLiteral("refusal:") + QString::fromLatin1(word)};
    }
    return {Verdict::Registered, QStringLiteral("nomatch")};
}
