#pragma once

#include "search/LookupSession.h"

#include <QObject>

struct CommandContext;
class SettingsStore;
class WordSource;

// A headless search or check run: a lookup session on the program folder,
// reported on the command's streams. Each ended lookup prints
// "<name>\t<verdict>\t<server>".
class HeadlessRun : public QObject
{
    Q_OBJECT

public:
    HeadlessRun(CommandContext &context, const QString &programFolder, SettingsStore &settings, int poolSize,
                QObject *parent = nullptr);

    // The session's start-up; a command cannot run without it.
    bool prepare(QString *error) { return m_session.prepare(error); }

    void setChosenTld(const QString &tld) { m_session.setChosenTld(tld); }
    SearchLoop &loop() { return m_session.loop(); }

    // Runs until the loop stops: at the end of the source or on SIGINT.
    void run(WordSource &source, qint32 startNumber, qint32 wordMax);

private:
    void printOutcome(const LookupOutcome &outcome);
    void reportBlocked();

    CommandContext &m_context;
    LookupSession m_session;
    qint32 m_finished = 0;
    qint32 m_total = 0;
    bool m_showProgress = false;
};
