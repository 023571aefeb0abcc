#pragma once

#include "core/LookupResult.h"

#include <QDateTime>
#include <QHash>
#include <QObject>
#include <QString>

#include <functional>
#include <optional>

class DomainListModel;
class LookupSession;

// The result lists and the saved list as one CSV file: a header, then one
// record per name with the list it is on, the verdict, the server that gave
// it, when (ISO 8601, UTC) and the evidence. The verdicts are noted as the
// session files them; a name that was never looked up in this program run (a
// saved name read from Remembered.txt) carries what the history knows of it,
// if anything. Names whose last lookup ended without a verdict (timeout,
// error) follow on the list "Unanswered", with the reason, until a later
// lookup gives them one.
class ResultsExport : public QObject
{
    Q_OBJECT

public:
    using Clock = std::function<QDateTime()>;

    ResultsExport(LookupSession &session, const DomainListModel &savedList, Clock clock = {},
                  QObject *parent = nullptr);

    QByteArray csv() const;
    // Replaces the file at once or not at all; false with *error.
    bool write(const QString &path, QString *error) const;

    // How many looked-up names are remembered (for tests of the pruning).
    int noted() const { return int(m_records.size()); }

private:
    struct Record
    {
        QString verdict;
        QString server;
        QDateTime checkedAt;
        QString reason;
    };

    void note(const LookupResult &outcome);
    std::optional<Record> recordOf(const QString &name) const;
    void forgetNamesNoLongerListed();
    int listedCount() const;

    LookupSession &m_session;
    const DomainListModel &m_savedList;
    Clock m_clock;
    QHash<QString, Record> m_records;
    QHash<QString, Record> m_unanswered;
};
