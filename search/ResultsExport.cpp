#include "search/ResultsExport.h"

#include "base/Csv.h"
#include "base/FileUtils.h"
#include "core/DomainListModel.h"
#include "core/HistoryStore.h"
#include "core/ResultLists.h"
#include "search/LookupSession.h"

#include <QSet>

#include <algorithm>

namespace {

constexpr ResultList resultListOrder[] = {ResultList::High, ResultList::Mid, ResultList::Low, ResultList::Registered};

// A record filed by the lists carries the time of its answer; one put on a
// list some other way is a bare name.
bool isAnswer(const LookupResult &record)
{
    return record.answeredAt.isValid();
}

QByteArray csvLine(const QString &name, const QString &listName, const QString &verdict, const QString &server,
                   const QDateTime &checkedAt, const QString &reason)
{
    return csvRecord({name, listName, verdict, server, checkedAt.toString(Qt::ISODate), reason});
}

} // namespace

ResultsExport::ResultsExport(LookupSession &session, const DomainListModel &savedList)
    : m_session(session)
    , m_savedList(savedList)
{
}

QByteArray ResultsExport::csv() const
{
    QByteArray text = csvRecord({QStringLiteral("name"), QStringLiteral("list"), QStringLiteral("verdict"),
                                 QStringLiteral("server"), QStringLiteral("checked-at"), QStringLiteral("reason")});
    const auto append = [&text](const QString &name, const QString &listName, const std::optional<Answer> &answer,
                                const QString &verdict) {
        if (answer)
            text += csvLine(name, listName, answer->verdict, answer->server, answer->checkedAt, answer->reason);
        else
            text += csvLine(name, listName, verdict, QString(), QDateTime(), QString());
    };
    const ResultLists &lists = m_session.results();
    for (ResultList list : resultListOrder) {
        const QString verdict = LookupResult::kindText(list == ResultList::Registered ? LookupResult::Kind::Registered
                                                                                      : LookupResult::Kind::Available);
        for (const LookupResult &record : lists.model(list)->records())
            append(record.domain, ResultLists::listName(list), knownAnswer(record), verdict);
    }
    const QHash<QString, Answer> saved = answersForSavedNames();
    for (const LookupResult &record : m_savedList.records()) {
        const auto found = saved.constFind(record.domain);
        append(record.domain, QStringLiteral("Saved Domains"),
               found != saved.cend() ? std::optional<Answer>(*found) : knownAnswer(record), QString());
    }
    QList<LookupResult> unanswered = lists.unanswered().records();
    std::sort(unanswered.begin(), unanswered.end(),
              [](const LookupResult &left, const LookupResult &right) { return left.domain < right.domain; });
    for (const LookupResult &record : std::as_const(unanswered))
        text += csvLine(record.domain, QStringLiteral("Unanswered"), LookupResult::kindText(record.kind), record.server,
                        record.answeredAt, record.reason);
    return text;
}

// What a result list holds for each saved name; of two, the later answer.
QHash<QString, ResultsExport::Answer> ResultsExport::answersForSavedNames() const
{
    QHash<QString, Answer> answers;
    if (m_savedList.size() == 0)
        return answers;
    const QStringList savedNames = m_savedList.names();
    const QSet<QString> wanted(savedNames.cbegin(), savedNames.cend());
    for (ResultList list : resultListOrder) {
        for (const LookupResult &record : m_session.results().model(list)->records()) {
            if (!isAnswer(record) || !wanted.contains(record.domain))
                continue;
            const auto found = answers.constFind(record.domain);
            if (found == answers.cend() || found->checkedAt < record.answeredAt)
                answers.insert(record.domain, *knownAnswer(record));
        }
    }
    return answers;
}

// The record's own answer, else the newest verdict the history keeps.
std::optional<ResultsExport::Answer> ResultsExport::knownAnswer(const LookupResult &record) const
{
    if (isAnswer(record))
        return Answer{LookupResult::kindText(record.kind), record.server, record.answeredAt, record.reason};
    HistoryStore *history = m_session.history();
    if (!history)
        return std::nullopt;
    constexpr int anyAge = 365 * 100;
    const std::optional<HistoryEntry> entry = history->recentVerdict(record.domain, anyAge);
    if (!entry)
        return std::nullopt;
    return Answer{entry->verdict, entry->server, entry->checkedAt, entry->reason};
}

bool ResultsExport::write(const QString &path, QString *error) const
{
    return writeFileAtomically(path, csv(), error);
}
