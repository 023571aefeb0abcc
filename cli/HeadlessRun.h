#pragma once

#include "cli/ResultWriter.h"
#include "search/LookupSession.h"

#include <QElapsedTimer>
#include <QObject>

struct CommandContext;
class SettingsStore;
class WordSource;

// A headless search or check run: a lookup session on the program folder,
// reported on the command's streams. Each ended lookup is written as a row of
// lookupColumns().
class HeadlessRun : public QObject
{
    Q_OBJECT

public:
    HeadlessRun(CommandContext &context, const QString &programFolder, SettingsStore &settings, int poolSize,
                const OutputOptions &output, QObject *parent = nullptr);

    static QStringList lookupColumns();

    // The session's start-up; a command cannot run without it.
    bool prepare(QString *error) { return m_session.prepare(error); }

    LookupSession &session() { return m_session; }

    // Runs until the loop stops: at the end of the source or on SIGINT.
    // Returns the command's exit code: ExitIncomplete when a name ended in
    // error or timeout, ExitInterrupted after SIGINT.
    int run(WordSource &source, qint32 startNumber, qint32 wordMax);

private:
    void printOutcome(const LookupOutcome &outcome);
    void reportBlocked();
    void showProgress(bool final);

    CommandContext &m_context;
    LookupSession m_session;
    ResultWriter m_writer;
    bool m_quiet = false;
    bool m_interrupted = false;
    qint32 m_unanswered = 0;
    qint32 m_finished = 0;
    qint32 m_total = 0;
    bool m_showProgress = false;
    QElapsedTimer m_runClock;
    qint64 m_progressShownAt = -1;
};
