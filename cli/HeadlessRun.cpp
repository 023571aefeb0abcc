#include "cli/HeadlessRun.h"

#include "cli/Command.h"
#include "cli/InterruptWatcher.h"

#include <QEventLoop>
#include <QTextStream>

#include <unistd.h>

HeadlessRun::HeadlessRun(CommandContext &context, const QString &programFolder, SettingsStore &settings, int poolSize,
                         const OutputOptions &output, QObject *parent)
    : QObject(parent)
    , m_context(context)
    , m_session(programFolder, settings, poolSize)
    , m_writer(context.out, output.format, lookupColumns())
    , m_quiet(output.quiet)
{
    connect(&m_session, &LookupSession::lookupEnded, this, &HeadlessRun::printOutcome);
    connect(&m_session.blockedNotice(), &RegistrarBlockedNotice::contentsChanged, this, &HeadlessRun::reportBlocked);
    connect(&m_session.results(), &ResultLists::writeFailed, this, &HeadlessRun::reportFailure);
    connect(&m_paced, &PacedRun::dnsGaveUp, this,
            [this](const QString &reason) { m_context.err << "vantrel: " << reason << Qt::endl; });
    // A reply lost to a dropped connection is asked once more before it counts as an error.
    m_session.pool().setEmptyReplyRetries(1);
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
    m_session.setSource(source);
    return true;
}

QStringList HeadlessRun::lookupColumns()
{
    return {QStringLiteral("name"), QStringLiteral("verdict"), QStringLiteral("server"), QStringLiteral("reason")};
}

int HeadlessRun::run(WordSource &source, qint32 startNumber, qint32 wordMax)
{
    m_total = qMax(0, wordMax - startNumber + 1);
    m_showProgress = !m_quiet && ::isatty(STDERR_FILENO) == 1;
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
    if (m_showProgress) {
        showProgress(true);
        m_context.err << Qt::endl;
    }
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
    m_context.err << "vantrel: " << message << Qt::endl;
}

void HeadlessRun::printOutcome(const LookupOutcome &outcome)
{
    if (outcome.error == LookupOutcome::ErrorKind::NoTldEntry)
        m_context.err << "Error: An error has occurred. Error #: 1 Description: " << outcome.errorString << Qt::endl;
    else if (outcome.error == LookupOutcome::ErrorKind::BadName ||
             outcome.error == LookupOutcome::ErrorKind::EmptyReply)
        m_context.err << "vantrel: " << outcome.errorString << Qt::endl;
    m_writer.write({outcome.domain, LookupOutcome::kindText(outcome.kind), outcome.server, outcome.reason});
    if (outcome.kind == LookupOutcome::Kind::Error || outcome.kind == LookupOutcome::Kind::Timeout)
        ++m_unanswered;
    ++m_finished;
    if (m_showProgress)
        showProgress(false);
}

// One line, rewritten in place at most a few times a second: done of total,
// names per second, names settled by DNS, retries waiting and the time left.
void HeadlessRun::showProgress(bool final)
{
    const qint64 elapsedMs = m_runClock.elapsed();
    if (!final && m_progressShownAt >= 0 && elapsedMs - m_progressShownAt < 200)
        return;
    m_progressShownAt = elapsedMs;
    const PacedRun &paced = m_paced;
    const double rate = elapsedMs > 0 ? m_finished * 1000.0 / double(elapsedMs) : 0.0;
    QString eta = QStringLiteral("--:--");
    if (rate > 0 && m_total >= m_finished) {
        const qint64 seconds = qint64((m_total - m_finished) / rate);
        eta = QStringLiteral("%1:%2").arg(seconds / 60).arg(seconds % 60, 2, 10, QLatin1Char('0'));
    }
    m_context.err << "\rchecked " << m_finished << " of " << m_total << ", " << QString::number(rate, 'f', 1)
                  << " names/s, " << paced.settledByDns() << " by DNS, " << paced.retriesWaiting()
                  << " retries waiting, ETA " << eta << "  " << Qt::flush;
}

void HeadlessRun::reportBlocked()
{
    const RegistrarBlockedNotice &notice = m_session.blockedNotice();
    if (notice.registrar().isEmpty())
        return;
    const QString firstLine = notice.response().section(QLatin1Char('\n'), 0, 0).trimmed();
    m_context.err << "vantrel: registrar blocked: " << notice.registrar() << ": " << firstLine << Qt::endl;
}
