#include "harvest/ui/ListBuilderWindow.h"

#include "base/Prompt.h"

#include <QCloseEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QTimer>
#include <QVBoxLayout>

ListBuilderWindow::ListBuilderWindow(const QString &programFolder, const TldTable &tldTable, ListBuilderRequest request,
                                     Prompt &prompt, QString applicationTitle, ListBuilderConfig config,
                                     QWidget *parent)
    : QWidget(parent, Qt::Window)
    , m_prompt(prompt)
    , m_applicationTitle(std::move(applicationTitle))
    , m_messageLabel(new QLabel(QStringLiteral("Extracting Domains from search results.  Please be patient."), this))
    , m_statusText(new QLineEdit(QStringLiteral("Status..."), this))
    , m_pollTimer(new QTimer(this))
    , m_builder(new ListBuilder(programFolder, tldTable, std::move(request), config, this))
{
    setObjectName(QStringLiteral("Form3"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("List Builder - Finding domain names..."));

    m_messageLabel->setObjectName(QStringLiteral("Label1"));
    m_statusText->setObjectName(QStringLiteral("Text1"));
    m_statusText->setReadOnly(true);
    m_statusText->setToolTip(QStringLiteral("This shows the number of unique .com, .org and .net domain names found."));
    m_pollTimer->setObjectName(QStringLiteral("Timer1"));
    m_builder->setObjectName(QStringLiteral("listBuilder"));

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_messageLabel);
    layout->addWidget(m_statusText);
    setMinimumWidth(360);

    connect(m_builder, &ListBuilder::statusChanged, m_statusText, &QLineEdit::setText);
    connect(m_builder, &ListBuilder::finished, this, &ListBuilderWindow::runFinished);
    connect(m_builder, &ListBuilder::failed, m_statusText, &QLineEdit::setText);
    connect(m_pollTimer, &QTimer::timeout, this, &ListBuilderWindow::pollBuilder);
    m_pollTimer->start(config.startTickMs);
}

void ListBuilderWindow::pollBuilder()
{
    if (++m_tickCount > 2) {
        m_pollTimer->stop();
        m_builder->fetchFirstPage();
    }
}

void ListBuilderWindow::runFinished(qint32 totalFound, qint32 listLineCount)
{
    const QPointer<ListBuilderWindow> alive(this);
    emit listReady(listLineCount);
    if (!alive)
        return;
    m_statusText->setText(QStringLiteral("Finished! Extracted %1 domain names.").arg(totalFound));
    hide();
    m_prompt.showMessage(m_applicationTitle,
                         QStringLiteral("List of %1 unique domains was created successfully!").arg(totalFound),
                         Prompt::Icon::None, Prompt::Buttons::Ok);
    if (!alive)
        return;
    emit startSearchRequested();
    if (alive)
        close();
}

void ListBuilderWindow::closeEvent(QCloseEvent *event)
{
    m_pollTimer->stop();
    m_builder->abort();
    QWidget::closeEvent(event);
}
