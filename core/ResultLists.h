#pragma once

#include "core/DomainListModel.h"
#include "core/ResultList.h"

#include <QDateTime>
#include <QFileInfo>
#include <QObject>
#include <QString>

#include <array>
#include <functional>

// The four lists a lookup files names into (Low, Registered, High, Mid) with
// their counters and captions, and the profile, overflow and backup files
// written from them. The saved list is not one of them.
class ResultLists : public QObject
{
    Q_OBJECT

public:
    static constexpr int overflowSize = 20000;
    static constexpr int registeredCap = 100;

    explicit ResultLists(const QString &programFolder, QObject *parent = nullptr);

    // Clock used for the list stamp; tests set a fixed one.
    void setClock(std::function<QDateTime()> clock);

    // Files the name and adds it to the end of its profile file: one write
    // per name. A name already listed is counted but not listed again. The files are written whole only on the first name of a run,
    // after Del, Clear or an overflow, and after a failed write.
    void fileAvailable(const QString &name);
    void fileRegistered(const QString &name);
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
    // Start zeroes the counters; the lists keep their names.
    void resetCounters();

    // The main window's "Del": removes the names at the given rows, counts
    // them off and rewrites the profile files; false when no row was there
    // (nothing changes then).
    bool removeNames(ResultList list, const QList<int> &rows);
    // The main window's "Clear": empties the list, zeroes its counter and
    // rewrites the profile files.
    void clearList(ResultList list);
    // Zeroes one counter; the list and its caption stay as they are.
    void resetCounter(ResultList list) { slot(list).counter = 0; }
    // "Low Profile", "Registered", "High Profile", "Mid Profile".
    static QString listName(ResultList list) { return QLatin1String(resultListRow(list).name); }

    DomainListModel *model(ResultList list);
    const QStringList &names(ResultList list) const;
    qint32 counter(ResultList list) const;
    // "High Profile (N)", "Mid Profile (N)", "Low Profile (N)", "Registered
    // (N)" with N the names listed; the bare list name when there are none.
    // captionChanged() follows every change of the rows.
    QString caption(ResultList list) const;
    QString listStamp() const { return m_listStamp; }
    // "LowProfile" + stamp + ".txt" etc., in the given folder.
    QString profileFilePath(const QString &folder, ResultList list) const;

signals:
    void captionChanged(ResultList list, const QString &caption);
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
    bool appendToProfileFile(ResultList list, const QString &name);
    bool writeFile(const QString &path, const QByteArray &contents);
    bool appendBackupPlaceholder(const QString &path);

    QString m_programFolder;
    std::function<QDateTime()> m_clock;
    std::array<Slot, 4> m_slots;
    QString m_listStamp;
    bool m_previousFilesKept = false;
    std::array<bool, 4> m_keptFiles{}; // by list: the earlier file is in backups (or there was none)
    bool m_keepFailureReported = false;
    // The profile files hold exactly the lists, so a new name is appended.
    bool m_filesMatchLists = false;
};
