#pragma once

#include "core/LookupResult.h"

#include <QByteArray>
#include <QDateTime>
#include <QHash>
#include <QString>

#include <optional>

class DomainListModel;
class LookupSession;

// The result lists and the saved list as one CSV file: a header, then one
// record per name with the list it is on, the verdict, the server that gave
// it, when (ISO 8601, UTC) and the evidence, all read from the lists'
// records. A saved name carries the record a result list holds for it, else
// what the history knows of it, if anything. The names whose last lookup
// ended without a verdict (timeout, error) follow on the list "Unanswered".
class ResultsExport
{
public:
    ResultsExport(LookupSession &session, const DomainListModel &savedList);

    QByteArray csv() const;
    // Replaces the file at once or not at all; false with *error.
    bool write(const QString &path, QString *error) const;

private:
    struct Answer
    {
        QString verdict;
        QString server;
        QDateTime checkedAt;
        QString reason;
    };

    QHash<QString, Answer> answersForSavedNames() const;
    std::optional<Answer> knownAnswer(const LookupResult &record) const;

    LookupSession &m_session;
    const DomainListModel &m_savedList;
};
