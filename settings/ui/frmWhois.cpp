#include "frmWhois.h"

#include <QCloseEvent>
#include <QFontDatabase>
#include <QTextEdit>
#include <QVBoxLayout>

frmWhois::frmWhois(WhoisInfoServer server, QWidget *parent)
    : QWidget(parent, Qt::Window)
    , m_query(std::move(server))
{
    setObjectName(QStringLiteral("frmWhois"));
    setWindowTitle(QStringLiteral("WHOIS Information"));

    text1 = new QTextEdit(this);
    text1->setObjectName(QStringLiteral("text1"));
    text1->setReadOnly(true);
    text1->setAcceptRichText(false);
    text1->setLineWrapMode(QTextEdit::NoWrap);
    text1->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(text1);
    resize(640, 520);

    connect(&m_query, &WhoisInfoQuery::answered, text1, &QTextEdit::setPlainText);
    connect(&m_query, &WhoisInfoQuery::gaveUp, this, [this](const QString &explanation, const QString &partial) {
        text1->setPlainText(partial.isEmpty() ? explanation : explanation + QStringLiteral("\r\n\r\n") + partial);
    });
}

void frmWhois::openFor(const QString &selectedDomain)
{
    text1->clear();
    m_query.query(selectedDomain);
    show();
    raise();
    activateWindow();
}

void frmWhois::closeEvent(QCloseEvent *event)
{
    m_query.cancel();
    QWidget::closeEvent(event);
}
