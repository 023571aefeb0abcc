#include "core/ui/RegistrarBlockedWindow.h"

#include "core/RegistrarBlockedNotice.h"

#include <QCloseEvent>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>

RegistrarBlockedWindow::RegistrarBlockedWindow(RegistrarBlockedNotice &notice, QWidget *parent)
    : QWidget(parent, Qt::Dialog)
    , m_notice(notice)
    , txtRegistrar(new QLineEdit(this))
    , txtResponse(new QPlainTextEdit(this))
{
    setObjectName(QStringLiteral("frmBlocked"));
    setWindowTitle(QStringLiteral("Registrar blocked"));

    auto *explanation = new QLabel(
        QStringLiteral("Your connections may be blocked by the following registar, or the registrar might be timing "
                       "out and causing slow searching.  Consider using throttling to lower the amount of queries "
                       "through the Setup menu or disable the TLD using this registrar."),
        this);
    explanation->setObjectName(QStringLiteral("Label1"));
    explanation->setWordWrap(true);
    auto *registrarLabel = new QLabel(QStringLiteral("Registrar"), this);
    registrarLabel->setObjectName(QStringLiteral("Label2"));
    registrarLabel->setBuddy(txtRegistrar);
    auto *responseLabel = new QLabel(QStringLiteral("Response:"), this);
    responseLabel->setObjectName(QStringLiteral("Label3"));
    responseLabel->setBuddy(txtResponse);

    txtRegistrar->setObjectName(QStringLiteral("txtRegistrar"));
    txtRegistrar->setReadOnly(true);
    txtResponse->setObjectName(QStringLiteral("txtResponse"));
    txtResponse->setReadOnly(true);

    auto *grid = new QGridLayout(this);
    grid->setContentsMargins(14, 14, 14, 14);
    grid->setVerticalSpacing(8);
    grid->addWidget(explanation, 0, 0, 1, 2);
    grid->addWidget(registrarLabel, 1, 0);
    grid->addWidget(txtRegistrar, 1, 1);
    grid->addWidget(responseLabel, 2, 0, Qt::AlignTop);
    grid->addWidget(txtResponse, 2, 1);
    grid->setColumnStretch(1, 1);
    grid->setRowStretch(2, 1);
    resize(480, 300);

    connect(&m_notice, &RegistrarBlockedNotice::contentsChanged, this, &RegistrarBlockedWindow::refresh);
    connect(&m_notice, &RegistrarBlockedNotice::showRequested, this, &RegistrarBlockedWindow::showNotice);
    refresh();
}

void RegistrarBlockedWindow::showNotice()
{
    show();
    raise();
}

void RegistrarBlockedWindow::closeEvent(QCloseEvent *event)
{
    m_notice.clear();
    QWidget::closeEvent(event);
}

void RegistrarBlockedWindow::refresh()
{
    txtRegistrar->setText(m_notice.registrar());
    txtResponse->setPlainText(m_notice.response());
}
