#pragma once

#include "base/Branding.h"
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
// search loop. Each ended lookup prints "<name>\t<verdict>\t<server>\t<reason>".
class HeadlessRun : public QObject
{
    Q_OBJECT

public:
    HeadlessRun(CommandContext &context, const QString &programFolder, int poolSize, QObject *parent = nullptr);

    // Creates the start-up files and folders and the default TLD table when
    // missing, loads the table and the lookup settings. False with *error
    // when the program folder cannot be used.
    bool prepare(SettingsStore &settings, QString *error);

    void setChosenTld(const QString &tld) { m_pool.setChosenTld(tld); }
    SearchLoop &loop() { return m_loop; }

    // Runs until the loop stops: at the end of the source or on SIGINT.
    void run(WordSource &source, qint32 startNumber, qint32 wordMax);

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
    qint32 m_finished = 0;
    qint32 m_total = 0;
    bool m_showProgress = false;
};
