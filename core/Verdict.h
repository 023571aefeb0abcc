#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

enum class Verdict { Available, Blocked, Registered };

// The verdict on a complete WHOIS reply. successIndicators is split at every
// ","; each piece, trimmed of spaces, is looked for anywhere in the reply
// without regard to ASCII letter case (an empty piece matches any non-empty
// reply). Without a hit, "error", "quota", "blocked" or "exceeded" anywhere
// means the server refused; otherwise the name is registered.
Verdict judgeReplyText(const QByteArray &reply, const QString &successIndicators);

// A verdict that parses the indicator list once, for judging many replies
// against the same TLD entry.
class VerdictRule
{
public:
    explicit VerdictRule(const QString &successIndicators);
    Verdict judge(const QByteArray &reply) const;
    // The trimmed phrases, as the list writes them.
    const QStringList &phrases() const { return m_phrases; }

private:
    qsizetype firstMatch(const QByteArray &foldedReply) const;

    QStringList m_phrases;          // trimmed, as written
    QList<QByteArray> m_indicators; // the same, lower-cased
};
