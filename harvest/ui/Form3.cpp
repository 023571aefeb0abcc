#include "Form3.h"

#include "Prompt.h"

#include <QCloseEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QTimer>
#include <QVBoxLayout>

Form3::Form3(const QString &programFolder, const TldTable &tldTable, ListBuilderRequest request, Prompt &prompt,
             QString applicationTitle, ListBuilderConfig config, QWidget *parent)
    : QWidget(parent, Qt::Window)
    , m_prompt(prompt)
    , m_applicationTitle(std::move(applicationTitle))
    , m_label1(new QLabel(QStringLiteral("Extracting Domains from search results.  Please be patient."), this))
    , m_text1(new QLineEdit(QStringLiteral("Status..."), this))
    , m_timer1(new QTimer(this))
    , m_builder(new ListBuilder(programFolder, tldTable, std::move(request), config, this))
{
    setObjectName(QStringLiteral("Form3"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("List Builder - Finding domain names..."));

    m_label1->setObjectName(QStringLiteral("Label1"));
    m_text1->setObjectName(QStringLiteral("Text1"));
    m_text1->setReadOnly(true);
    m_text1->setToolTip(QStringLiteral("This shows the number of unique .com, .org and .net domain names found."));
    m_timer1->setObjectName(QStringLiteral("Timer1"));
    m_builder->setObjectName(QStringLiteral("listBuilder"));

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_label1);
    layout->addWidget(m_text1);
    setMinimumWidth(360);

    connect(m_builder, &ListBuilder::statusChanged, m_text1, &QLineEdit::setText);
    connect(m_builder, &ListBuilder::finished, this, &Form3::runFinished);
    connect(m_builder, &ListBuilder::failed, m_text1, &QLineEdit::setText);
    connect(m_timer1, &QTimer::timeout, this, &Form3::timer1Tick);
    m_timer1->start(config.startTickMs);
}

void Form3::timer1Tick()
{
    if (++m_tickCount > 2) {
        m_timer1->stop();
        m_builder->fetchFirstPage();
    }
}

void Form3::runFinished(qint32 totalFound, qint32 listLineCount)
{
    const QPointer<Form3> alive(this);
    emit listReady(listLineCount);
    if (!alive)
        return;
    m_text1->setText(QStringLiteral("Finished! Extracted %1 domain names.").arg(totalFound));
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

void Form3::closeEvent(QCloseEvent *event)
{
    m_timer1->stop();
    m_builder->abort();
    QWidget::closeEvent(event);
}
