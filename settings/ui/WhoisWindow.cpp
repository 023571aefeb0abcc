#include "settings/ui/WhoisWindow.h"

#include <QCloseEvent>
#include <QFontDatabase>
#include <QTextEdit>
#include <QVBoxLayout>

WhoisWindow::WhoisWindow(WhoisInfoServer server, QWidget *parent)
    : QWidget(parent, Qt::Window)
    , m_query(std::move(server))
{
    setObjectName(QStringLiteral("frmWhois"));
    setWindowTitle(QStringLiteral("WHOIS Information"));

    m_recordText = new QTextEdit(this);
    m_recordText->setObjectName(QStringLiteral("text1"));
    m_recordText->setReadOnly(true);
    m_recordText->setAcceptRichText(false);
    m_recordText->setLineWrapMode(QTextEdit::NoWrap);
    m_recordText->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    auto *layout = new QVBoxLayout(this);
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
    m_recordText->clear();
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
