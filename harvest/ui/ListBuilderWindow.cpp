#include "harvest/ui/ListBuilderWindow.h"

#include "base/Prompt.h"

#include <QCloseEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
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
    , m_pagesBar(new QProgressBar(this))
    , m_cancelButton(new QPushButton(QStringLiteral("Cancel"), this))
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
    m_pagesBar->setObjectName(QStringLiteral("pagesBar"));
    m_pagesBar->setRange(0, m_builder->expectedPageCount());
    m_pagesBar->setValue(0);
    m_pagesBar->setFormat(QStringLiteral("%v pages fetched"));
    m_cancelButton->setObjectName(QStringLiteral("cmdCancel"));
    m_cancelButton->setToolTip(QStringLiteral("Stop and search the names found so far."));

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_messageLabel);
    layout->addWidget(m_statusText);
    layout->addWidget(m_pagesBar);
    layout->addWidget(m_cancelButton, 0, Qt::AlignRight);
    setMinimumWidth(360);

    connect(m_builder, &ListBuilder::statusChanged, m_statusText, &QLineEdit::setText);
    connect(m_builder, &ListBuilder::finished, this, &ListBuilderWindow::runFinished);
    connect(m_builder, &ListBuilder::failed, m_statusText, &QLineEdit::setText);
    connect(m_builder, &ListBuilder::pageFetched, this, [this](int pages) {
        m_pagesBar->setMaximum(qMax(m_pagesBar->maximum(), pages));
        m_pagesBar->setValue(pages);
    });
    connect(m_cancelButton, &QPushButton::clicked, this, &ListBuilderWindow::cancelRun);
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

void ListBuilderWindow::cancelRun()
{
    m_cancelButton->setEnabled(false);
    m_pollTimer->stop();
    m_builder->cancel();
}

void ListBuilderWindow::runFinished(qint32 totalFound, qint32 listLineCount)
{
    const QPointer<ListBuilderWindow> alive(this);
    m_cancelButton->setEnabled(false);
    emit listReady(listLineCount);
    if (!alive)
        return;
    // A time-out keeps its status: it says why the list is short.
    if (!m_builder->timedOut())
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
