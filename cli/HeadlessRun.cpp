#include "cli/HeadlessRun.h"

#include "cli/Command.h"
#include "cli/InterruptWatcher.h"
#include "core/TldFile.h"
#include "search/LookupSettings.h"
#include "settings/ProgramFolder.h"
#include "settings/SettingsStore.h"

#include <QEventLoop>
#include <QTextStream>

#include <unistd.h>

HeadlessRun::HeadlessRun(CommandContext &context, const QString &programFolder, int poolSize, QObject *parent)
    : QObject(parent)
    , m_context(context)
    , m_programFolder(programFolder)
    , m_results(programFolder)
    , m_pool(poolSize, m_lookupContext, m_throttle, m_results, m_blockedNotice)
    , m_loop(m_pool, m_throttle, m_results)
{
    connect(&m_pool, &ConnectionPool::lookupEnded, this, &HeadlessRun::printOutcome);
    connect(&m_pool, &ConnectionPool::messageRequested, this, [this](const QString &title, const QString &text) {
        QString flat = text;
        m_context.err << title << ": " << flat.replace(QStringLiteral("\r\n"), QStringLiteral(" ")) << Qt::endl;
    });
    connect(&m_blockedNotice, &RegistrarBlockedNotice::contentsChanged, this, &HeadlessRun::reportBlocked);
    connect(&m_results, &ResultLists::writeFailed, this,
            [this](const QString &message) { m_context.err << "vantrel: " << message << Qt::endl; });
    connect(&m_results, &ResultLists::overflowSaved, this, [this] {
        m_context.err << "vantrel: a list reached " << ResultLists::overflowSize
                      << " names; the lists were saved in the overflow folder and cleared" << Qt::endl;
    });
}

bool HeadlessRun::prepare(SettingsStore &settings, QString *error)
{
    if (!ProgramFolder::createStartupFilesAndFolders(m_programFolder)) {
        *error = QStringLiteral("the program folder %1 is not usable (missing or read-only)").arg(m_programFolder);
        return false;
    }
    ProgramFolder::installShippedFiles(m_programFolder, ProgramFolder::shippedDataDir());
    const TldFile tldFile(m_programFolder);
    if (!tldFile.writeDefaultTldTable(false, error) || !tldFile.loadTldTable(m_lookupContext.tldTable, error))
        return false;

    QString registryError;
    if (!m_lookupContext.registries.loadFolder(ProgramFolder::shippedDataDir() + QLatin1String("/registry"),
                                               &registryError))
        m_context.err << "vantrel: " << registryError << Qt::endl;
    LookupSettings::load(settings, m_branding.productName, m_lookupContext, m_throttle);
    return true;
}

void HeadlessRun::run(WordSource &source, qint32 startNumber, qint32 wordMax)
{
    m_total = qMax(0, wordMax - startNumber + 1);
    m_showProgress = ::isatty(STDERR_FILENO) == 1;

    QEventLoop eventLoop;
    InterruptWatcher interrupts;
    connect(&interrupts, &InterruptWatcher::interrupted, &m_loop, &SearchLoop::stop);
    connect(&m_loop, &SearchLoop::stopped, &eventLoop, &QEventLoop::quit);
    m_loop.start(source, startNumber, wordMax);
    if (m_loop.isRunning())
        eventLoop.exec();
    if (m_showProgress)
        m_context.err << Qt::endl;
}

void HeadlessRun::printOutcome(const LookupOutcome &outcome)
{
    m_context.out << outcome.domain << '\t' << LookupOutcome::kindText(outcome.kind) << '\t' << outcome.server << '\t'
                  << outcome.reason << '\n';
    m_context.out.flush();
    ++m_finished;
    if (m_showProgress)
        m_context.err << "\rchecked " << m_finished << " of " << m_total << Qt::flush;
}

void HeadlessRun::reportBlocked()
{
    if (m_blockedNotice.registrar().isEmpty())
        return;
    const QString firstLine = m_blockedNotice.response().section(QLatin1Char('\n'), 0, 0).trimmed();
    m_context.err << "vantrel: registrar blocked: " << m_blockedNotice.registrar() << ": " << firstLine << Qt::endl;
}
