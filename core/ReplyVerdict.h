#pragma once

#include "core/Verdict.h"

#include <QByteArray>
#include <QList>
#include <QString>

// The verdict on a whole reply and the evidence that decided it, for example
// "phrase:No match", "registered:record" or "ratelimit:too many requests".
struct ReplyJudgement
{
    Verdict verdict = Verdict::Registered;
    QString reason;
};

// Reads a WHOIS reply the way a person would: a rate-limit notice means the
// server did not answer; a registration record for the asked name means it
// is taken, whatever a phrase says; a phrase or a registry's not-found form
// counts only where the sentence around it does not reverse it ("not
// available", "unavailable", "available at"). What the registries say is
// data: the rules file (see data/registry/verdict-rules.txt for its format).
class ReplyVerdict
{
public:
    // Parses a rules file; unknown kinds and comment lines are skipped.
    explicit ReplyVerdict(const QByteArray &rulesText);

    // The rules shipped inside the program.
    static const ReplyVerdict &shipped();

    // phrases are the TLD row's own "this means free" phrases; queriedName
    // is the name that was asked for, as given (a record may name it so or
    // in its IDNA form). The reply is decoded by decodedReply() first.
    ReplyJudgement judge(const QByteArray &reply, const QString &queriedName, const VerdictRule &phrases) const;

    // A reply that begins with a byte-order mark, as UTF-8 without it: UTF-16
    // (either byte order) is converted, a UTF-8 mark dropped. Anything else
    // is returned as it came.
    static QByteArray decodedReply(const QByteArray &reply);

private:
    struct Line
    {
        QByteArrayView key;
        QByteArrayView value;
    };

    bool occursUnreversed(const QByteArray &text, const QByteArray &phrase, const QList<QByteArray> &negations,
                          const QList<QByteArray> &names) const;
    bool isRegistrationRecord(const QList<Line> &lines, const QList<QByteArray> &names) const;
    static QList<Line> keyedLines(const QByteArray &text);

    int m_maxWords = 20;
    QList<QByteArray> m_limits;
    QList<QByteArray> m_conditions;
    QList<QByteArray> m_negations;
    QList<QByteArray> m_negPrefixes;
    QList<QByteArray> m_negSuffixes;
    QList<QByteArray> m_recordKeys;
    QList<QByteArray> m_fields;
    QList<QByteArray> m_freeValues;
    QList<QByteArray> m_taken;
    QList<QByteArray> m_free;
    QList<QByteArray> m_refusals;
};
