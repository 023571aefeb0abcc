#include "search/ResultsExport.h"

#include "base/Csv.h"
#include "base/FileUtils.h"
#include "core/DomainListModel.h"
#include "core/HistoryStore.h"
#include "core/ResultLists.h"
#include "search/LookupSession.h"

#include <QSet>

namespace {

constexpr ResultList resultListOrder[] = {ResultList::High, ResultList::Mid, ResultList::Low,
                                                 ResultList::Registered};

} // namespace

ResultsExport::ResultsExport(LookupSession &session, const DomainListModel &savedList, Clock clock, QObject *parent)
    : QObject(parent)
    , m_session(session)
    , m_savedList(savedList)
    , m_clock(clock ? std::move(clock) : Clock([] { return QDateTime::currentDateTimeUtc(); }))
{
    connect(&session, &LookupSession::outcomeFiled, this, &ResultsExport::note);
}

void ResultsExport::note(const LookupResult &outcome)
{
    const Record record{LookupResult::kindText(outcome.kind), outcome.server, m_clock(), outcome.reason};
    if (outcome.kind == LookupResult::Kind::Timeout || outcome.kind == LookupResult::Kind::Error) {
        m_unanswered.insert(outcome.domain, record);
        return;
    }
    if (outcome.kind == LookupResult::Kind::Blocked)
        return;
    m_unanswered.remove(outcome.domain);
    m_records.insert(outcome.domain, record);
    // The registered list keeps only its newest names and full lists are
    // emptied into the overflow folder: drop what no list shows any more,
    // seldom enough that noting stays cheap.
    if (m_records.size() > 2 * qsizetype(listedCount()) + 1024)
        forgetNamesNoLongerListed();
}

int ResultsExport::listedCount() const
{
    int count = m_savedList.size();
    for (ResultList list : resultListOrder)
        count += m_session.results().names(list).size();
    return count;
}

void ResultsExport::forgetNamesNoLongerListed()
{
    QSet<QString> listed(m_savedList.names().cbegin(), m_savedList.names().cend());
    for (ResultList list : resultListOrder) {
        const QStringList &names = m_session.results().names(list);
        listed.unite(QSet<QString>(names.cbegin(), names.cend()));
    }
    for (auto it = m_records.begin(); it != m_records.end();) {
        if (listed.contains(it.key()))
            ++it;
        else
            it = m_records.erase(it);
    }
}

QByteArray ResultsExport::csv() const
{
    QByteArray text = csvRecord({QStringLiteral("name"), QStringLiteral("list"), QStringLiteral("verdict"),
                                 QStringLiteral("server"), QStringLiteral("checked-at"), QStringLiteral("reason")});
    const auto append = [this, &text](const QString &listName, const QStringList &names, const QString &verdict) {
        for (const QString &name : names) {
            const std::optional<Record> found = recordOf(name);
            if (!found) {
                text += csvRecord({name, listName, verdict, QString(), QString(), QString()});
                continue;
            }
            text += csvRecord({name, listName, found->verdict, found->server, found->checkedAt.toString(Qt::ISODate),
                               found->reason});
        }
    };
    for (ResultList list : resultListOrder) {
        const bool registered = list == ResultList::Registered;
        append(ResultLists::listName(list), m_session.results().names(list),
               LookupResult::kindText(registered ? LookupResult::Kind::Registered : LookupResult::Kind::Available));
    }
    append(QStringLiteral("Saved Domains"), m_savedList.names(), QString());
    QStringList unanswered = m_unanswered.keys();
    unanswered.sort();
    for (const QString &name : std::as_const(unanswered)) {
        const Record &record = m_unanswered[name];
        text += csvRecord({name, QStringLiteral("Unanswered"), record.verdict, record.server,
                           record.checkedAt.toString(Qt::ISODate), record.reason});
    }
    return text;
}

// What this run noted, else the newest verdict the history keeps.
std::optional<ResultsExport::Record> ResultsExport::recordOf(const QString &name) const
{
    if (const auto found = m_records.constFind(name); found != m_records.cend())
        return *found;
    HistoryStore *history = m_session.history();
    if (!history)
        return std::nullopt;
    constexpr int anyAge = 365 * 100;
    const std::optional<HistoryEntry> entry = history->recentVerdict(name, anyAge);
    if (!entry)
        return std::nullopt;
    return Record{entry->verdict, entry->server, entry->checkedAt, entry->reason};
}

bool ResultsExport::write(const QString &path, QString *error) const
{
    return writeFileAtomically(path, csv(), error);
}
