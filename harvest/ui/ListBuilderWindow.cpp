#include "harvest/ui/ListBuilderWindow.h"

#include "base/FileUtils.h"
#include "base/Prompt.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

ListBuilderWindow::ListBuilderWindow(const QString &programFolder, const TldTable &tldTable, ListBuilderRequest request,
                                     Prompt &prompt, QString applicationTitle, ListBuilderConfig config,
                                     bool reviewNames, QWidget *parent)
    : QWidget(parent, Qt::Window)
    , m_prompt(prompt)
    , m_applicationTitle(std::move(applicationTitle))
    , m_searchText(request.searchText)
    , m_reviewNames(reviewNames)
    , m_messageLabel(new QLabel(QStringLiteral("Extracting Domains from search results.  Please be patient."), this))
    , m_statusText(new QLineEdit(QStringLiteral("Status..."), this))
    , m_pagesBar(new QProgressBar(this))
    , m_cancelButton(new QPushButton(QStringLiteral("Cancel"), this))
    , m_reviewList(new QListWidget(this))
    , m_removeButton(new QPushButton(QStringLiteral("Remove"), this))
    , m_checkButton(new QPushButton(QStringLiteral("Check these names"), this))
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
    m_reviewList->setObjectName(QStringLiteral("reviewList"));
    m_reviewList->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_reviewList->setToolTip(QStringLiteral("Select the names not worth checking and press Remove (or Delete)."));
    m_removeButton->setObjectName(QStringLiteral("cmdRemove"));
    m_removeButton->setShortcut(QKeySequence::Delete);
    m_checkButton->setObjectName(QStringLiteral("cmdCheck"));
    for (QWidget *review : {static_cast<QWidget *>(m_reviewList), static_cast<QWidget *>(m_removeButton),
                            static_cast<QWidget *>(m_checkButton)})
        review->hide();

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_messageLabel);
    layout->addWidget(m_statusText);
    layout->addWidget(m_pagesBar);
    layout->addWidget(m_reviewList, 1);
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(m_removeButton);
    buttons->addStretch();
    buttons->addWidget(m_checkButton);
    buttons->addWidget(m_cancelButton);
    layout->addLayout(buttons);
    setMinimumWidth(360);

    connect(m_builder, &ListBuilder::statusChanged, m_statusText, &QLineEdit::setText);
    connect(m_builder, &ListBuilder::finished, this, &ListBuilderWindow::runFinished);
    connect(m_builder, &ListBuilder::endedEmpty, this, &ListBuilderWindow::runEndedEmpty);
    connect(m_builder, &ListBuilder::failed, m_statusText, &QLineEdit::setText);
    connect(m_builder, &ListBuilder::pageFetched, this, [this](int pages) {
        m_pagesBar->setMaximum(qMax(m_pagesBar->maximum(), pages));
        m_pagesBar->setValue(pages);
    });
    connect(m_cancelButton, &QPushButton::clicked, this, &ListBuilderWindow::cancelRun);
    connect(m_removeButton, &QPushButton::clicked, this, &ListBuilderWindow::removeSelectedNames);
    connect(m_checkButton, &QPushButton::clicked, this, &ListBuilderWindow::checkReviewedNames);
    connect(m_pollTimer, &QTimer::timeout, this, &ListBuilderWindow::pollBuilder);
    m_pollTimer->start(config.startTickMs);
}

QString ListBuilderWindow::endMessage(const ListBuilder &builder, const QString &phrase)
{
    const int page = builder.endPage();
    const QString &host = builder.pageHost();
    QString why;
    switch (builder.endReason()) {
    case ListBuilderEnd::Complete:
        if (builder.totalFound() > 0)
            return QStringLiteral("List of %1 unique domains was created successfully!").arg(builder.totalFound());
        return QStringLiteral("No domain names were found in the results for \"%1\".").arg(phrase);
    case ListBuilderEnd::Cancelled:
        why = QStringLiteral("The search was cancelled.");
        break;
    case ListBuilderEnd::Stalled:
        why = QStringLiteral("%1 sent nothing for %2 seconds while page %3 was loading; the page was given up.")
                  .arg(host)
                  .arg(builder.stallSeconds())
                  .arg(page);
        break;
    case ListBuilderEnd::Unreachable:
        why = QStringLiteral("Page %1 could not be fetched from %2: %3.").arg(page).arg(host, builder.endDetail());
        break;
    case ListBuilderEnd::HttpError:
        why =
            QStringLiteral("%1 answered page %2 with the error HTTP %3.").arg(host).arg(page).arg(builder.endDetail());
        break;
    case ListBuilderEnd::Blocked:
        why = QStringLiteral("%1 showed a captcha or consent page instead of the results of page %2.")
                  .arg(host)
                  .arg(page);
        break;
    case ListBuilderEnd::NotAPage:
        why = QStringLiteral("What %1 sent for page %2 is not a web page.").arg(host).arg(page);
        break;
    }
    if (builder.totalFound() == 0)
        return why + QStringLiteral(" No domain names were found, so no search was started.");
    return why + QStringLiteral(" The %1 unique domains found before were kept and will be checked.")
                     .arg(builder.totalFound());
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
    if (m_reviewList->isVisible()) {
        close();
        return;
    }
    m_builder->cancel();
}

void ListBuilderWindow::runFinished(qint32 totalFound, qint32 listLineCount)
{
    if (m_builder->endReason() == ListBuilderEnd::Complete)
        m_statusText->setText(QStringLiteral("Finished! Extracted %1 domain names.").arg(totalFound));
    else
        m_statusText->setText(endMessage(*m_builder, m_searchText ? m_searchText() : QString()));
    if (m_reviewNames) {
        showReview();
        return;
    }
    handOver(totalFound, listLineCount);
}

void ListBuilderWindow::runEndedEmpty()
{
    const QPointer<ListBuilderWindow> alive(this);
    const QString message = endMessage(*m_builder, m_searchText ? m_searchText() : QString());
    m_cancelButton->setEnabled(false);
    m_statusText->setText(message);
    hide();
    m_prompt.showMessage(m_applicationTitle, message, Prompt::Icon::Warning, Prompt::Buttons::Ok);
    if (alive)
        close();
}

void ListBuilderWindow::showReview()
{
    const QStringList names = m_builder->foundList().split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
    m_reviewList->addItems(names);
    // The status line, not the label: a skinned label does not follow a new text.
    m_statusText->setText(QStringLiteral("Remove any of the %1 names, then check them.").arg(names.size()));
    m_statusText->setCursorPosition(0);
    m_pagesBar->hide();
    m_cancelButton->setEnabled(true);
    m_cancelButton->setToolTip(QStringLiteral("Close without searching."));
    for (QWidget *review : {static_cast<QWidget *>(m_reviewList), static_cast<QWidget *>(m_removeButton),
                            static_cast<QWidget *>(m_checkButton)})
        review->show();
    m_checkButton->setDefault(true);
    resize(qMax(width(), 480), qMax(height(), 420));
}

void ListBuilderWindow::removeSelectedNames()
{
    qDeleteAll(m_reviewList->selectedItems());
    m_checkButton->setEnabled(m_reviewList->count() > 0);
}

void ListBuilderWindow::checkReviewedNames()
{
    QByteArray list;
    for (int row = 0; row < m_reviewList->count(); ++row)
        list += m_reviewList->item(row)->text().toLatin1() + "\r\n";
    const QString listPath = m_builder->listFile();
    QString error;
    if (!writeFileAtomically(listPath, list + "\r\n", &error)) {
        m_statusText->setText(error);
        return;
    }
    handOver(m_reviewList->count(), countListLines(listPath));
}

void ListBuilderWindow::handOver(qint32 totalFound, qint32 listLineCount)
{
    const QPointer<ListBuilderWindow> alive(this);
    m_cancelButton->setEnabled(false);
    emit listReady(listLineCount);
    if (!alive)
        return;
    hide();
    const bool complete = m_builder->endReason() == ListBuilderEnd::Complete;
    const QString message = complete
                                ? QStringLiteral("List of %1 unique domains was created successfully!").arg(totalFound)
                                : endMessage(*m_builder, m_searchText ? m_searchText() : QString());
    m_prompt.showMessage(m_applicationTitle, message, complete ? Prompt::Icon::None : Prompt::Icon::Warning,
                         Prompt::Buttons::Ok);
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
