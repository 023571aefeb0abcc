#pragma once

#include "base/Branding.h"
#include "cli/ResultWriter.h"
#include "core/ConnectionPool.h"
#include "core/LookupContext.h"
#include "core/RegistrarBlockedNotice.h"
#include "core/ResultLists.h"
#include "core/ThrottleState.h"
#include "search/SearchLoop.h"

#include <QObject>

struct CommandContext;
class SettingsStore;
class WordSource;

// Everything a headless search or check run needs, assembled on a program
// folder: the TLD table, the settings, the pool, the result lists and the
// search loop. Each ended lookup is written as a row of lookupColumns().
class HeadlessRun : public QObject
{
    Q_OBJECT

public:
    HeadlessRun(CommandContext &context, const QString &programFolder, int poolSize, const OutputOptions &output,
                QObject *parent = nullptr);

    static QStringList lookupColumns();

    // Creates the start-up files and folders and the default TLD table when
    // missing, loads the table and the lookup settings. False with *error
    // when the program folder cannot be used.
    bool prepare(SettingsStore &settings, QString *error);

    void setChosenTld(const QString &tld) { m_pool.setChosenTld(tld); }
    SearchLoop &loop() { return m_loop; }

    // Runs until the loop stops: at the end of the source or on SIGINT.
    // Returns the command's exit code: ExitIncomplete when a name ended in
    // error or timeout, ExitInterrupted after SIGINT.
    int run(WordSource &source, qint32 startNumber, qint32 wordMax);

private:
    void printOutcome(const LookupOutcome &outcome);
    void reportBlocked();

    CommandContext &m_context;
    QString m_programFolder;
    Branding m_branding;
    LookupContext m_lookupContext;
    ThrottleState m_throttle;
    ResultLists m_results;
    RegistrarBlockedNotice m_blockedNotice;
    ConnectionPool m_pool;
    SearchLoop m_loop;
    ResultWriter m_writer;
    bool m_quiet = false;
    bool m_interrupted = false;
    qint32 m_unanswered = 0;
    qint32 m_finished = 0;
    qint32 m_total = 0;
    bool m_showProgress = false;
};
