#pragma once

#include "cli/ResultWriter.h"
#include "search/LookupSession.h"
#include "search/PacedRun.h"

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
    // source names the run's verdicts in the history ("check", a search type).
    // A history that cannot be used is reported on stderr; the run goes on.
    bool prepare(const QString &source, QString *error);

    LookupSession &session() { return m_session; }
    PacedRun &pacedRun() { return m_paced; }

    // Runs until the loop stops: at the end of the source or on SIGINT.
    // Returns the command's exit code: ExitInterrupted after SIGINT,
    // ExitFailure after a reported failure (a file not written, the word
    // list unreadable), ExitIncomplete when a name ended in error or timeout.
    int run(WordSource &source, qint32 startNumber, qint32 wordMax);

    // A failure the user must hear of: printed once on stderr, and the run
    // exits with ExitFailure.
    void reportFailure(const QString &message);

private:
    void printOutcome(const LookupOutcome &outcome);
    void reportBlocked();
    void showProgress(bool final);

    CommandContext &m_context;
    LookupSession m_session;
    PacedRun m_paced{m_session};
    ResultWriter m_writer;
    bool m_quiet = false;
    bool m_interrupted = false;
    QStringList m_failures;
    qint32 m_unanswered = 0;
    qint32 m_finished = 0;
    qint32 m_total = 0;
    bool m_showProgress = false;
    QElapsedTimer m_runClock;
    qint64 m_progressShownAt = -1;
};
