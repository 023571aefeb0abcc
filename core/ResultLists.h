#pragma once

#include "core/DomainListModel.h"
#include "core/ResultList.h"

#include <QDateTime>
#include <QFileInfo>
#include <QObject>
#include <QString>

#include <array>
#include <functional>

// The four lists a lookup files its records into (Low, Registered, High,
// Mid) with their counters, and the profile, overflow and backup files
// written from them; and the names whose last lookup got no verdict. The
// saved list is not one of them.
//
// A listed record keeps everything of the result but the raw reply: a full
// list holds tens of thousands of records, and the reply is in the history.
class ResultLists : public QObject
{
    Q_OBJECT

public:
    static constexpr int overflowSize = 20000;
    static constexpr int registeredCap = 100;

    explicit ResultLists(const QString &programFolder, QObject *parent = nullptr);

    // Clock used for the list stamp and for records filed without the time
    // of their answer; tests set a fixed one.
    void setClock(std::function<QDateTime()> clock);

    // Files an ended lookup by its kind. An available name goes into its
    // profile list and to the end of its profile file (one write per name), a
    // registered one into the registered list; either leaves the unanswered
    // names. A timeout or error is kept among the unanswered names; a refusal
    // is not filed. A name already on the list is counted and carries the
    // new record in its row, but is not listed or written again. The files
    // are written whole only on the first name of a run, after Del, Clear or
    // an overflow, and after a failed write. A record without the time of
    // its answer is stamped with the clock's.
    void file(const LookupResult &result);
    // Writes the three profile files; false (and writeFailed) on a file error.
    // The first save keeps the files an earlier run left in the backups folder.
    bool saveResultLists();
    // After every verdict: when a profile list holds overflowSize names, all
    // three are saved into the overflow folder, every list is emptied and
    // overflowSaved() is emitted.
    void checkListSizes();
    bool dumpOverflowLists();
    void clearResultLists();
    bool startBackupSet();
    // The start of a run: zeroes the counters and forgets the unanswered
    // names; the lists keep their names.
    void resetCounters();

    // The main window's "Del": removes the names at the given rows, counts
    // them off and rewrites the profile files; false when no row was there
    // (nothing changes then).
    bool removeNames(ResultList list, const QList<int> &rows);
    // The main window's "Clear": empties the list, zeroes its counter and
    // rewrites the profile files.
    void clearList(ResultList list);
    // Zeroes one counter; the list stays as it is.
    void resetCounter(ResultList list) { slot(list).counter = 0; }
    // "Low Profile", "Registered", "High Profile", "Mid Profile".
    static QString listName(ResultList list) { return QLatin1String(resultListRow(list).name); }

    DomainListModel *model(ResultList list);
    const DomainListModel *model(ResultList list) const;
    // The names in row order, made on each call.
    QStringList names(ResultList list) const { return model(list)->names(); }
    // The names whose last lookup ended in a timeout or an error, each once
    // with its last record, in the order they were first left unanswered.
    const DomainListModel &unanswered() const { return m_unanswered; }
    qint32 counter(ResultList list) const;
    QString listStamp() const { return m_listStamp; }
    // "LowProfile" + stamp + ".txt" etc., in the given folder.
    QString profileFilePath(const QString &folder, ResultList list) const;

signals:
    // Follows every change of a list's rows, whatever changed them: rows is
    // how many names the list shows now.
    void countChanged(ResultList list, int rows);
    // Follows every change of the unanswered names: count is how many there are now.
    void unansweredCountChanged(int count);
    void overflowSaved();
    void writeFailed(const QString &message);

private:
    struct Slot
    {
        DomainListModel model;
        qint32 counter = 0;
    };

    Slot &slot(ResultList list);
    const Slot &slot(ResultList list) const;
    bool writeProfileFiles(const QString &folder);
    bool keepPreviousProfileFiles();
    bool keepCopy(const QFileInfo &previous);
    void fileAvailable(const LookupResult &result);
    void fileRegistered(const LookupResult &result);
    bool appendToProfileFile(ResultList list, const QString &name);
    bool writeFile(const QString &path, const QByteArray &contents);
    bool appendBackupPlaceholder(const QString &path);

    QString m_programFolder;
    std::function<QDateTime()> m_clock;
    std::array<Slot, 4> m_slots;
    DomainListModel m_unanswered;
    QString m_listStamp;
    bool m_previousFilesKept = false;
    std::array<bool, 4> m_keptFiles{}; // by list: the earlier file is in backups (or there was none)
    bool m_keepFailureReported = false;
    // The profile files hold exactly the lists, so a new name is appended.
    bool m_filesMatchLists = false;
};
