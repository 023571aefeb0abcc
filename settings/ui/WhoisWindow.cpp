#include "settings/ui/WhoisWindow.h"

#include "base/FileUtils.h"
#include "core/LookupContext.h"
#include "core/LookupResult.h"
#include "core/LookupRequest.h"

#include <QCloseEvent>
#include <QFontDatabase>
#include <QLabel>
#include <QTextEdit>
#include <QVBoxLayout>

WhoisWindow::WhoisWindow(LookupService &service, const LookupContext &context, QWidget *parent)
    : QWidget(parent, Qt::Window)
    , m_context(context)
    , m_client(service)
{
    m_client.setPriority(LookupService::Priority::Interactive);
    m_client.setParallel(1);
    // The user waits, and a refusal is worth showing as it came.
    m_client.setMaxTries(1);
    setObjectName(QStringLiteral("frmWhois"));
    setWindowTitle(QStringLiteral("WHOIS Information"));

    m_recordText = new QTextEdit(this);
    m_recordText->setObjectName(QStringLiteral("text1"));
    m_recordText->setReadOnly(true);
    m_recordText->setAcceptRichText(false);
    m_recordText->setLineWrapMode(QTextEdit::NoWrap);
    m_recordText->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    m_domainLabel = new QLabel(this);
    m_domainLabel->setObjectName(QStringLiteral("lblDomain"));
    m_domainLabel->setTextInteractionFlags(Qt::TextSelectableByMouse);
    QFont bold = m_domainLabel->font();
    bold.setBold(true);
    m_domainLabel->setFont(bold);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_domainLabel);
    layout->addWidget(m_recordText);
    resize(640, 520);

    connect(&m_client, &LookupClient::ended, this, &WhoisWindow::showOutcome);
}

void WhoisWindow::openFor(const QString &selectedDomain)
{
    m_client.cancelAll();
    m_domainLabel->setText(selectedDomain);
    m_recordText->clear();
    const LookupRequest request = admitLookup(selectedDomain, QString(), m_context);
    // Shown while the box is empty: until the lookup ends.
    m_recordText->setPlaceholderText(QStringLiteral("Querying %1...").arg(request.route.server));
    if (const std::optional<LookupResult> unaskable = request.unaskable())
        showOutcome(*unaskable);
    else
        m_client.submit(request);
    show();
    raise();
    activateWindow();
}

void WhoisWindow::showOutcome(const LookupResult &outcome)
{
    QString heading = QStringLiteral("Verdict: %1").arg(LookupResult::kindText(outcome.kind));
    if (!outcome.reason.isEmpty())
        heading += QStringLiteral(" (%1)").arg(outcome.reason);
    if (!outcome.server.isEmpty())
        heading += QStringLiteral(" from %1").arg(outcome.remoteAddress);
    if (!outcome.errorString.isEmpty())
        heading += QStringLiteral("\r\n") + outcome.errorString;
    const QString reply = decodeTextInput(outcome.reply);
    m_recordText->setPlainText(reply.isEmpty() ? heading : heading + QStringLiteral("\r\n\r\n") + reply);
}

void WhoisWindow::closeEvent(QCloseEvent *event)
{
    m_client.cancelAll();
    QWidget::closeEvent(event);
}
