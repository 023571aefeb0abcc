#pragma once

#include "harvest/ListBuilder.h"

#include <QWidget>

class Prompt;
class QLabel;
class QLineEdit;
class QListWidget;
class QProgressBar;
class QPushButton;
class QTimer;

// The list builder window "List Builder - Finding domain names...". Three
// ticks of Timer1 after it is created it starts its ListBuilder run and shows
// the run's progress in Text1 and the pages fetched in a progress bar; Cancel
// ends the run with the names gathered so far. When the list is written it
// hands the list to the main window (listReady), hides, says how the run
// ended, asks for the search run to start (startSearchRequested) and closes.
// A run that gathered nothing says so and starts no search. With review on,
// the window first shows the names; lines can be removed before "Check these
// names" writes the list and goes on.
//
// The window deletes itself when closed; closing it during a run drops the
// run without writing anything or asking for a search. Closing it during the
// review (or Cancel there) starts no search; BrowserSearch.txt and its copy
// in the searches folder then hold every name harvested.
class ListBuilderWindow : public QWidget
{
    Q_OBJECT

public:
    ListBuilderWindow(const QString &programFolder, const TldTable &tldTable, ListBuilderRequest request,
                      Prompt &prompt, QString applicationTitle, ListBuilderConfig config = {}, bool reviewNames = false,
                      QWidget *parent = nullptr);

    // What the message box says at the end of a run.
    static QString endMessage(const ListBuilder &builder, const QString &phrase);

signals:
    // BrowserSearch.txt holds the new list of wordMax usable lines: the main
    // window sets txtWordMax to wordMax and txtWordNum to "1".
    void listReady(qint32 wordMax);
    // The user has closed the message: the main window presses its Start
    // button (cmdDoSearch_Click).
    void startSearchRequested();

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void pollBuilder();
    void runFinished(qint32 totalFound, qint32 listLineCount);
    void runEndedEmpty();
    void showReview();
    void removeSelectedNames();
    void checkReviewedNames();
    void handOver(qint32 totalFound, qint32 listLineCount);
    void cancelRun();

    Prompt &m_prompt;
    QString m_applicationTitle;
    std::function<QString()> m_searchText;
    bool m_reviewNames;
    QLabel *m_messageLabel;
    QLineEdit *m_statusText;
    QProgressBar *m_pagesBar;
    QPushButton *m_cancelButton;
    QListWidget *m_reviewList;
    QPushButton *m_removeButton;
    QPushButton *m_checkButton;
    QTimer *m_pollTimer;
    ListBuilder *m_builder;
    qint16 m_tickCount = 0;
};
