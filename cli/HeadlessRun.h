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
                const OutputOptions &output, PoolTimings timings = {}, QObject *parent = nullptr);

    // The row's columns; with showReply, a last column "reply" (CSV, JSON).
    static QStringList lookupColumns(bool showReply = false);

    // The session's start-up; a command cannot run without it.
    // source names the run's verdicts in the history ("check", a search type).
    // A history that cannot be used is reported on stderr; the run goes on.
    bool prepare(const QString &source, QString *error);

    LookupSession &session() { return m_session; }
    PacedRun &pacedRun() { return m_paced; }

    // Runs until the loop stops: at the end of the source or on SIGINT.
    // Returns the command's exit code: ExitInterrupted after SIGINT,
    // ExitBrokenPipe when standard output was closed (the run stops at the
    // first row it cannot print), ExitFailure after a reported failure (a
    // file not written, the word list unreadable), ExitIncomplete when a
    // name ended blocked, in error or timeout.
    int run(WordSource &source, qint32 startNumber, qint32 wordMax);

    // A failure the user must hear of: printed once on stderr (unless
    // prepare() said it already), and the run exits with ExitFailure.
    void reportFailure(const QString &message);

private:
    void printOutcome(const LookupResult &outcome);
    void sayOnce(const QString &message);
    void writeRow(const LookupResult &outcome);
    void outputFailed();
    void reportBlocked();
    void showProgress(bool now);
    void clearProgress();

    CommandContext &m_context;
    LookupSession m_session;
    PacedRun m_paced{m_session};
    ResultWriter m_writer;
    OutputOptions m_output;
    bool m_interrupted = false;
    bool m_outputClosed = false; // no more rows can be printed
    bool m_pipeClosed = false;   // because their reader has gone
    QStringList m_failures;
    QStringList m_said; // notices printed once: by prepare(), unreachable registries
    qint32 m_unanswered = 0;
    qint32 m_finished = 0;
    qint32 m_total = 0;
    bool m_showProgress = false;
    bool m_rowsOnTerminal = false; // rows and progress share the terminal
    bool m_progressShown = false;
    QElapsedTimer m_runClock;
    qint64 m_progressShownAt = -1;
};
