#include "cli/HeadlessRun.h"

#include "cli/Command.h"
#include "cli/InterruptWatcher.h"

#include <QEventLoop>
#include <QTextStream>

#include <unistd.h>

HeadlessRun::HeadlessRun(CommandContext &context, const QString &programFolder, SettingsStore &settings, int poolSize,
                         QObject *parent)
    : QObject(parent)
    , m_context(context)
    , m_session(programFolder, settings, poolSize)
{
    connect(&m_session, &LookupSession::lookupEnded, this, &HeadlessRun::printOutcome);
    connect(&m_session.blockedNotice(), &RegistrarBlockedNotice::contentsChanged, this, &HeadlessRun::reportBlocked);
    connect(&m_session.results(), &ResultLists::writeFailed, this,
            [this](const QString &message) { m_context.err << "vantrel: " << message << Qt::endl; });
    connect(&m_session.results(), &ResultLists::overflowSaved, this, [this] {
        m_context.err << "vantrel: a list reached " << ResultLists::overflowSize
                      << " names; the lists were saved in the overflow folder and cleared" << Qt::endl;
    });
}

void HeadlessRun::run(WordSource &source, qint32 startNumber, qint32 wordMax)
{
    m_total = qMax(0, wordMax - startNumber + 1);
    m_showProgress = ::isatty(STDERR_FILENO) == 1;

    QEventLoop eventLoop;
    InterruptWatcher interrupts;
    SearchLoop &loop = m_session.loop();
    connect(&interrupts, &InterruptWatcher::interrupted, &loop, &SearchLoop::stop);
    connect(&loop, &SearchLoop::stopped, &eventLoop, &QEventLoop::quit);
    loop.start(source, startNumber, wordMax);
    if (loop.isRunning())
        eventLoop.exec();
    if (m_showProgress)
        m_context.err << Qt::endl;
}

void HeadlessRun::printOutcome(const LookupOutcome &outcome)
{
    if (outcome.error == LookupOutcome::ErrorKind::NoTldEntry)
        m_context.err << "Error: An error has occurred. Error #: 1 Description: " << outcome.errorString << Qt::endl;
    m_context.out << outcome.domain << '\t' << LookupOutcome::kindText(outcome.kind) << '\t' << outcome.server << '\n';
    m_context.out.flush();
    ++m_finished;
    if (m_showProgress)
        m_context.err << "\rchecked " << m_finished << " of " << m_total << Qt::flush;
}

void HeadlessRun::reportBlocked()
{
    const RegistrarBlockedNotice &notice = m_session.blockedNotice();
    if (notice.registrar().isEmpty())
        return;
    const QString firstLine = notice.response().section(QLatin1Char('\n'), 0, 0).trimmed();
    m_context.err << "vantrel: registrar blocked: " << notice.registrar() << ": " << firstLine << Qt::endl;
}
