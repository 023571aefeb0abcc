#include "cli/HeadlessRun.h"

#include "base/FileUtils.h"
#include "cli/Command.h"
#include "cli/InterruptWatcher.h"

#include <QEventLoop>
#include <QTextStream>

#include <poll.h>
#include <unistd.h>

namespace {

// True when standard output is a pipe or socket whose reader has gone.
bool standardOutputClosed()
{
    pollfd output{STDOUT_FILENO, POLLOUT, 0};
    return ::poll(&output, 1, 0) == 1 && (output.revents & POLLERR) != 0;
}

} // namespace

HeadlessRun::HeadlessRun(CommandContext &context, const QString &programFolder, SettingsStore &settings, int poolSize,
                         const OutputOptions &output, PoolTimings timings, QObject *parent)
    : QObject(parent)
    , m_context(context)
    , m_session(programFolder, settings, poolSize, timings)
    , m_writer(context.out, output.format, lookupColumns(output.showReply && output.format != OutputFormat::Tsv))
    , m_output(output)
{
    connect(&m_paced, &PacedRun::nameEnded, this, &HeadlessRun::printOutcome);
    connect(&m_session.blockedNotice(), &RegistrarBlockedNotice::contentsChanged, this, &HeadlessRun::reportBlocked);
    connect(&m_session.results(), &ResultLists::writeFailed, this, &HeadlessRun::reportFailure);
    connect(&m_paced, &PacedRun::dnsGaveUp, this,
            [this](const QString &reason) { m_context.err << "vantrel: " << reason << Qt::endl; });
    // A reply lost to a dropped connection is asked once more before it counts as an error.
    m_session.service().setEmptyReplyRetries(1);
    connect(&m_session.results(), &ResultLists::overflowSaved, this, [this] {
        m_context.err << "vantrel: a list reached " << ResultLists::overflowSize
                      << " names; the lists were saved in the overflow folder and cleared" << Qt::endl;
    });
}

bool HeadlessRun::prepare(const QString &source, QString *error)
{
    if (!m_session.prepare(error))
        return false;
    for (const QString &notice : {m_session.registryNotice(), m_session.historyNotice()}) {
        if (!notice.isEmpty())
            m_context.err << "vantrel: " << notice << Qt::endl;
    }
    // Rows that cannot be asked are named once, now; a name that needs one
    // makes the run fail.
    for (const QString &problem : m_session.lookup().tldTable.problems()) {
        m_context.err << "vantrel: " << problem << Qt::endl;
        m_said << problem;
    }
    if (HistoryStore *history = m_session.history())
        connect(history, &HistoryStore::writeFailed, this, &HeadlessRun::reportFailure);
    m_session.setSource(source);
    return true;
}

QStringList HeadlessRun::lookupColumns(bool showReply)
{
    QStringList columns{QStringLiteral("name"), QStringLiteral("verdict"), QStringLiteral("server"),
                        QStringLiteral("reason")};
    if (showReply)
        columns << QStringLiteral("reply");
    return columns;
}

int HeadlessRun::run(WordSource &source, qint32 startNumber, qint32 wordMax)
{
    // Each word is a name in every chosen TLD.
    m_total = qMax(0, wordMax - startNumber + 1) * qMax<qint32>(1, qint32(m_session.chosenTlds().size()));
    m_showProgress = !m_output.quiet && ::isatty(STDERR_FILENO) == 1;
    m_rowsOnTerminal = m_showProgress && ::isatty(STDOUT_FILENO) == 1;
    m_runClock.start();

    QEventLoop eventLoop;
    InterruptWatcher interrupts;
    PacedRun &paced = m_paced;
    connect(&interrupts, &InterruptWatcher::interrupted, &paced, [this, &paced] {
        m_interrupted = true;
        paced.stop();
    });
    connect(&paced, &PacedRun::stopped, &eventLoop, &QEventLoop::quit);
    connect(&paced, &PacedRun::wordSourceFailed, this, &HeadlessRun::reportFailure);
    paced.start(source, startNumber);
    if (paced.isRunning())
        eventLoop.exec();
    if (m_showProgress && !m_outputClosed) {
        showProgress(true);
        m_context.err << Qt::endl;
    }
    if (m_pipeClosed)
        return ExitBrokenPipe;
    if (m_interrupted)
        return ExitInterrupted;
    if (!m_failures.isEmpty())
        return ExitFailure;
    return m_unanswered > 0 ? ExitIncomplete : ExitSuccess;
}

void HeadlessRun::reportFailure(const QString &message)
{
    // The same failure repeats with every name (a folder gone); say it once.
    if (m_failures.contains(message))
        return;
    m_failures << message;
    if (!m_said.contains(message))
        m_context.err << "vantrel: " << message << Qt::endl;
}

// A registry that cannot be reached is named once, not once per name.
void HeadlessRun::sayOnce(const QString &message)
{
    if (m_said.contains(message))
        return;
    m_said << message;
    m_context.err << "vantrel: " << message << Qt::endl;
}

void HeadlessRun::printOutcome(const LookupResult &outcome)
{
    if (m_outputClosed)
        return;
    if (outcome.error == LookupResult::ErrorKind::NoTldEntry)
        m_context.err << "vantrel: " << outcome.domain << ": " << outcome.errorString << Qt::endl;
    else if (outcome.error == LookupResult::ErrorKind::BadName ||
             outcome.error == LookupResult::ErrorKind::EmptyReply)
        m_context.err << "vantrel: " << outcome.errorString << Qt::endl;
    else if (outcome.error == LookupResult::ErrorKind::BadRow)
        reportFailure(outcome.errorString);
    else if (outcome.error == LookupResult::ErrorKind::Network)
        sayOnce(outcome.server + QStringLiteral(": ") + outcome.errorString);
    if (outcome.kind != LookupResult::Kind::Available && outcome.kind != LookupResult::Kind::Registered)
        ++m_unanswered;
    ++m_finished;
    if (!m_output.availableOnly || outcome.kind == LookupResult::Kind::Available)
        writeRow(outcome);
    if (m_context.out.status() != QTextStream::Ok) {
        outputFailed();
        return;
    }
    if (m_showProgress)
        showProgress(m_rowsOnTerminal);
}

void HeadlessRun::writeRow(const LookupResult &outcome)
{
    if (m_rowsOnTerminal)
        clearProgress();
    QStringList row{outcome.domain, LookupResult::kindText(outcome.kind), outcome.server, outcome.reason};
    if (!m_output.showReply) {
        m_writer.write(row);
        return;
    }
    QString reply = decodeTextInput(outcome.reply);
    reply.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    if (m_output.format != OutputFormat::Tsv) {
        m_writer.write(row << reply);
        return;
    }
    m_writer.write(row);
    const QStringList lines = reply.split(QLatin1Char('\n'));
    for (const QString &line : lines) {
        if (!line.trimmed().isEmpty())
            m_context.out << '\t' << line << '\n';
    }
    m_context.out.flush();
}

// Nobody reads the rows any more: the run stops at once. A closed pipe ends
// the process without a word, as the shell's tools do; any other failure
// (a full disk) is reported.
void HeadlessRun::outputFailed()
{
    m_outputClosed = true;
    m_pipeClosed = standardOutputClosed();
    if (!m_pipeClosed)
        reportFailure(QStringLiteral("cannot write the results to standard output"));
    m_paced.stop();
}

void HeadlessRun::clearProgress()
{
    if (!m_progressShown)
        return;
    m_context.err << "\r\x1b[K" << Qt::flush;
    m_progressShown = false;
}

// One line, rewritten in place at most a few times a second: done of total,
// names per second, names settled by DNS, retries waiting and the time left.
void HeadlessRun::showProgress(bool now)
{
    const qint64 elapsedMs = m_runClock.elapsed();
    if (!now && m_progressShownAt >= 0 && elapsedMs - m_progressShownAt < 200)
        return;
    m_progressShownAt = elapsedMs;
    const PacedRun &paced = m_paced;
    const double rate = elapsedMs > 0 ? m_finished * 1000.0 / double(elapsedMs) : 0.0;
    // A name asked before in the run is not asked again.
    const qint32 total = m_total - paced.repeated();
    QString eta = QStringLiteral("--:--");
    if (rate > 0 && total >= m_finished) {
        const qint64 seconds = qint64((total - m_finished) / rate);
        eta = QStringLiteral("%1:%2").arg(seconds / 60).arg(seconds % 60, 2, 10, QLatin1Char('0'));
    }
    m_context.err << "\rchecked " << m_finished << " of " << total << ", " << QString::number(rate, 'f', 1)
                  << " names/s, " << paced.settledByDns() << " by DNS, " << paced.retriesWaiting()
                  << " retries waiting, ETA " << eta << "  " << Qt::flush;
    m_progressShown = true;
}

void HeadlessRun::reportBlocked()
{
    const RegistrarBlockedNotice &notice = m_session.blockedNotice();
    if (notice.registrar().isEmpty())
        return;
    const QString firstLine = notice.response().section(QLatin1Char('\n'), 0, 0).trimmed();
    m_context.err << "vantrel: registrar blocked: " << notice.registrar() << ": " << firstLine << Qt::endl;
}
