#include "settings/ui/WhoisWindow.h"

#include <QCloseEvent>
#include <QFontDatabase>
#include <QLabel>
#include <QTextEdit>
#include <QVBoxLayout>

WhoisWindow::WhoisWindow(WhoisInfoServer server, QWidget *parent)
    : QWidget(parent, Qt::Window)
    , m_query(server)
    , m_serverHost(server.host)
{
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

    connect(&m_query, &WhoisInfoQuery::answered, m_recordText, &QTextEdit::setPlainText);
    connect(&m_query, &WhoisInfoQuery::gaveUp, this, [this](const QString &explanation, const QString &partial) {
        m_recordText->setPlainText(partial.isEmpty() ? explanation
                                                     : explanation + QStringLiteral("\r\n\r\n") + partial);
    });
}

void WhoisWindow::openFor(const QString &selectedDomain)
{
    m_domainLabel->setText(selectedDomain);
    m_recordText->clear();
    // Shown while the box is empty: until the answer or the give-up note.
    m_recordText->setPlaceholderText(QStringLiteral("Querying %1...").arg(m_serverHost));
    m_query.query(selectedDomain);
    show();
    raise();
    activateWindow();
}

void WhoisWindow::closeEvent(QCloseEvent *event)
{
    m_query.cancel();
    QWidget::closeEvent(event);
}
