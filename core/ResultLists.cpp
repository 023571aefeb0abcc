#include "core/ResultLists.h"

#include "base/FileUtils.h"
#include "core/NamePreparation.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace {

// A TLD handed over without a label is dropped; only these two are known to
// come through that way.
bool isBareExtension(const QString &name)
{
    return name == u".com"_s || name == u".net"_s;
}

ResultList profileOf(const QString &name)
{
    const qsizetype dot = name.indexOf(QLatin1Char('.'));
    const qsizetype labelLength = dot < 0 ? name.size() : dot;
    if (labelLength < 5)
        return ResultList::High;
    if (labelLength <= 7)
        return ResultList::Mid;
    return ResultList::Low;
}

// Drops the time-zone field ("t", also written "(t)" or "[t]") from a
// QLocale time format, leaving quoted literals alone.
QString withoutTimeZone(const QString &format)
{
    QString result;
    const qsizetype n = format.size();
    qsizetype i = 0;
    while (i < n) {
        const QChar c = format.at(i);
        if (c == QLatin1Char('\'')) {
            qsizetype end = format.indexOf(QLatin1Char('\''), i + 1);
            if (end < 0)
                end = n - 1;
            result += format.mid(i, end - i + 1);
            i = end + 1;
            continue;
        }
        if (c == QLatin1Char('t')) {
            while (i < n && format.at(i) == QLatin1Char('t'))
                ++i;
            continue;
        }
        if (c == QLatin1Char('(') || c == QLatin1Char('[')) {
            const QChar close = c == QLatin1Char('(') ? QLatin1Char(')') : QLatin1Char(']');
            qsizetype j = i + 1;
            while (j < n && format.at(j) == QLatin1Char('t'))
                ++j;
            if (j > i + 1 && j < n && format.at(j) == close) {
                i = j + 1;
                continue;
            }
        }
        result += c;
        ++i;
    }
    return result.trimmed();
}

// Local date and time in the system's short date and seconds-precise time
// format, with every "/", ":" and space taken out so it fits a file name.
QString stampFor(const QDateTime &moment)
{
    const QLocale locale = QLocale::system();
    const QDateTime local = moment.toLocalTime();
    QString text = locale.toString(local.date(), locale.dateFormat(QLocale::ShortFormat)) + QLatin1Char(' ') +
                   locale.toString(local.time(), withoutTimeZone(locale.timeFormat(QLocale::LongFormat)));
    text.removeIf([](QChar c) { return c == QLatin1Char('/') || c == QLatin1Char(':') || c.isSpace(); });
    return text;
}

// One line of a list file, which is 8-bit text: a name with letters beyond
// Latin-1 is written in its IDNA form rather than with "?" in their place.
QByteArray listFileLine(const QString &name)
{
    const bool latin1 = std::all_of(name.cbegin(), name.cend(), [](QChar c) { return c.unicode() <= 0xFF; });
    return (latin1 ? name.toLatin1() : queryBytes(name).value_or(name.toUtf8())) + "\r\n";
}

QByteArray listFileContents(const QList<LookupResult> &records)
{
    QByteArray contents;
    for (const LookupResult &record : records)
        contents += listFileLine(record.domain);
    return contents;
}

} // namespace

ResultLists::ResultLists(const QString &programFolder, QObject *parent)
    : QObject(parent)
    , m_programFolder(programFolder)
    , m_clock(&QDateTime::currentDateTime)
{
    for (const ResultList list : {ResultList::Low, ResultList::Registered, ResultList::High, ResultList::Mid}) {
        DomainListModel *rows = &slot(list).model;
        const auto follow = [this, list] { emit countChanged(list, slot(list).model.size()); };
        connect(rows, &QAbstractItemModel::rowsInserted, this, follow);
        connect(rows, &QAbstractItemModel::rowsRemoved, this, follow);
        connect(rows, &QAbstractItemModel::modelReset, this, follow);
    }
    const auto followUnanswered = [this] { emit unansweredCountChanged(m_unanswered.size()); };
    connect(&m_unanswered, &QAbstractItemModel::rowsInserted, this, followUnanswered);
    connect(&m_unanswered, &QAbstractItemModel::rowsRemoved, this, followUnanswered);
    connect(&m_unanswered, &QAbstractItemModel::modelReset, this, followUnanswered);
}

void ResultLists::setClock(std::function<QDateTime()> clock)
{
    m_clock = std::move(clock);
}

void ResultLists::file(const LookupResult &result)
{
    if (isBareExtension(result.domain))
        return;
    LookupResult listed = result;
    listed.reply.clear();
    if (!listed.answeredAt.isValid())
        listed.answeredAt = m_clock().toUTC();
    switch (listed.kind) {
    case LookupResult::Kind::Available:
        m_unanswered.remove(listed.domain);
        fileAvailable(listed);
        break;
    case LookupResult::Kind::Registered:
        m_unanswered.remove(listed.domain);
        fileRegistered(listed);
        break;
    case LookupResult::Kind::Timeout:
    case LookupResult::Kind::Error:
        m_unanswered.put(listed);
        break;
    case LookupResult::Kind::Blocked:
        break;
    }
}

void ResultLists::fileAvailable(const LookupResult &result)
{
    const ResultList list = profileOf(result.domain);
    Slot &target = slot(list);
    ++target.counter;
    // A name found again is listed and written once.
    if (target.model.contains(result.domain)) {
        target.model.put(result);
        return;
    }
    target.model.append(result);
    if (!m_filesMatchLists || !appendToProfileFile(list, result.domain))
        saveResultLists();
}

void ResultLists::fileRegistered(const LookupResult &result)
{
    Slot &target = slot(ResultList::Registered);
    if (target.model.size() > registeredCap)
        target.model.clear();
    ++target.counter;
    target.model.put(result);
}

bool ResultLists::saveResultLists()
{
    // What an earlier run found is overwritten only once it is kept; until
    // then every save tries again, and the lists stay in memory.
    if (!m_previousFilesKept && !(m_previousFilesKept = keepPreviousProfileFiles())) {
        m_filesMatchLists = false;
        return false;
    }
    m_filesMatchLists = writeProfileFiles(m_programFolder);
    return m_filesMatchLists;
}

// A line that cannot be added whole is taken back, so the file never ends
// in half a name.
bool ResultLists::appendToProfileFile(ResultList list, const QString &name)
{
    const QString path = profileFilePath(m_programFolder, list);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Unbuffered)) {
        m_filesMatchLists = false;
        return false;
    }
    const qint64 oldSize = file.size();
    const QByteArray line = listFileLine(name);
    // Unbuffered: nothing is left in a buffer to be written after the take-back.
    if (file.write(line) == line.size())
        return true;
    file.resize(oldSize);
    m_filesMatchLists = false;
    return false;
}

// The profile files mirror this run's lists only, so the first save of a run
// would overwrite what an earlier run found. Those files are copied into the
// backups folder first, as "Previous" + file name + date and time.
// The copy's name carries the time to the millisecond and, should that name
// be taken already (two runs in one millisecond), a counter.
bool ResultLists::keepPreviousProfileFiles()
{
    bool allKept = true;
    for (const ResultList list : {ResultList::Low, ResultList::Mid, ResultList::High}) {
        if (m_keptFiles.at(size_t(list)))
            continue;
        const QFileInfo previous(profileFilePath(m_programFolder, list));
        if (!previous.isFile() || previous.size() == 0 || keepCopy(previous)) {
            m_keptFiles.at(size_t(list)) = true;
            continue;
        }
        allKept = false;
        if (!m_keepFailureReported)
            emit writeFailed(u"Could not keep the earlier %1 in the backups folder; it is not overwritten until it is"_s
                                 .arg(previous.fileName()));
    }
    m_keepFailureReported = !allKept;
    return allKept;
}

bool ResultLists::keepCopy(const QFileInfo &previous)
{
    QFile source(previous.filePath());
    if (!source.open(QIODevice::ReadOnly))
        return false;
    const QByteArray contents = source.readAll();
    if (source.error() != QFileDevice::NoError || contents.isEmpty())
        return false;
    const QDateTime now = m_clock();
    const QString stem = m_programFolder + u"/backups/Previous"_s + previous.completeBaseName() + stampFor(now) +
                         u"%1"_s.arg(now.time().msec(), 3, 10, QLatin1Char('0'));
    QString copy = stem + u".txt"_s;
    for (int counter = 2; QFileInfo::exists(copy); ++counter)
        copy = stem + u"-%1.txt"_s.arg(counter);
    return writeFile(copy, contents);
}

void ResultLists::checkListSizes()
{
    if (slot(ResultList::Low).model.size() < overflowSize && slot(ResultList::High).model.size() < overflowSize &&
        slot(ResultList::Mid).model.size() < overflowSize)
        return;
    // Without a copy in the overflow folder the lists stay as they are, so a
    // failed dump loses no names; the next check tries again.
    if (!dumpOverflowLists())
        return;
    clearResultLists();
    emit overflowSaved();
}

bool ResultLists::dumpOverflowLists()
{
    return writeProfileFiles(m_programFolder + u"/overflow"_s);
}

void ResultLists::clearResultLists()
{
    for (Slot &each : m_slots) {
        each.model.clear();
        each.counter = 0;
    }
    m_filesMatchLists = false;
    startBackupSet();
}

bool ResultLists::startBackupSet()
{
    m_listStamp = stampFor(m_clock());
    const QString folder = m_programFolder + u"/backups/"_s;
    bool ok = true;
    for (const ResultList list : {ResultList::High, ResultList::Mid, ResultList::Low})
        ok =
            appendBackupPlaceholder(folder + QLatin1String(resultListRow(list).backupStem) + m_listStamp + u".txt"_s) &&
            ok;
    return ok;
}

void ResultLists::resetCounters()
{
    for (Slot &each : m_slots)
        each.counter = 0;
    if (m_unanswered.size() > 0)
        m_unanswered.clear();
}

DomainListModel *ResultLists::model(ResultList list)
{
    return &slot(list).model;
}

const DomainListModel *ResultLists::model(ResultList list) const
{
    return &slot(list).model;
}

qint32 ResultLists::counter(ResultList list) const
{
    return slot(list).counter;
}

bool ResultLists::removeNames(ResultList list, const QList<int> &rows)
{
    const int before = slot(list).model.size();
    slot(list).model.removeRowList(rows);
    const int removed = before - slot(list).model.size();
    if (removed == 0)
        return false;
    slot(list).counter = qMax(0, slot(list).counter - removed);
    if (list != ResultList::Registered)
        saveResultLists();
    return true;
}

void ResultLists::clearList(ResultList list)
{
    slot(list).model.clear();
    slot(list).counter = 0;
    if (list != ResultList::Registered)
        saveResultLists();
}

QString ResultLists::profileFilePath(const QString &folder, ResultList list) const
{
    const char *stem = resultListRow(list).fileStem;
    if (list == ResultList::Saved || !stem)
        return {};
    return folder + QLatin1Char('/') + QLatin1String(stem) + m_listStamp + u".txt"_s;
}

ResultLists::Slot &ResultLists::slot(ResultList list)
{
    Q_ASSERT(list != ResultList::Saved);
    return m_slots[static_cast<size_t>(list)];
}

const ResultLists::Slot &ResultLists::slot(ResultList list) const
{
    Q_ASSERT(list != ResultList::Saved);
    return m_slots[static_cast<size_t>(list)];
}

bool ResultLists::writeProfileFiles(const QString &folder)
{
    bool ok = true;
    for (const ResultList list : {ResultList::Low, ResultList::Mid, ResultList::High})
        ok = writeFile(profileFilePath(folder, list), listFileContents(slot(list).model.records())) && ok;
    return ok;
}

bool ResultLists::writeFile(const QString &path, const QByteArray &contents)
{
    QString error;
    if (writeFileAtomically(path, contents, &error))
        return true;
    // A missing folder is the usual cause (overflow or backups removed while
    // running); name it, as the save file's own reason is often unhelpful.
    const QString folder = QFileInfo(path).absolutePath();
    if (!QFileInfo(folder).isDir())
        error = u"Could not write %1: the folder %2 does not exist"_s.arg(QDir::toNativeSeparators(path),
                                                                          QDir::toNativeSeparators(folder));
    emit writeFailed(error);
    return false;
}

bool ResultLists::appendBackupPlaceholder(const QString &path)
{
    QByteArray contents;
    // Anything at the path that is not a file is left to the write to report.
    if (QFileInfo(path).isFile()) {
        QFile old(path);
        if (old.open(QIODevice::ReadOnly))
            contents = old.readAll();
        if (old.error() != QFileDevice::NoError) {
            emit writeFailed(u"Could not read %1: %2"_s.arg(QDir::toNativeSeparators(path), old.errorString()));
            return false;
        }
    }
    contents += " \r\n";
    return writeFile(path, contents);
}
