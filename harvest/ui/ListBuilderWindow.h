#pragma once

#include "harvest/ListBuilder.h"

#include <QWidget>

class Prompt;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QTimer;

// The list builder window "List Builder - Finding domain names...". Three
// ticks of Timer1 after it is created it starts its ListBuilder run and shows
// the run's progress in Text1 and the pages fetched in a progress bar; Cancel
// ends the run with the names gathered so far. When the list is written it hands the list to
// the main window (listReady), hides, shows the success message, asks for the
// search run to start (startSearchRequested) and closes. The window deletes
// itself when closed; closing it during a run drops the run without writing
// anything or asking for a search.
class ListBuilderWindow : public QWidget
{
    Q_OBJECT

public:
    ListBuilderWindow(const QString &programFolder, const TldTable &tldTable, ListBuilderRequest request,
                      Prompt &prompt, QString applicationTitle, ListBuilderConfig config = {},
                      QWidget *parent = nullptr);

signals:
    // BrowserSearch.txt holds the new list of wordMax usable lines: the main
    // window sets txtWordMax to wordMax and txtWordNum to "1".
    void listReady(qint32 wordMax);
    // The user has closed the success message: the main window presses its
    // Start button (cmdDoSearch_Click).
    void startSearchRequested();

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void pollBuilder();
    void runFinished(qint32 totalFound, qint32 listLineCount);
    void cancelRun();

    Prompt &m_prompt;
    QString m_applicationTitle;
    QLabel *m_messageLabel;
    QLineEdit *m_statusText;
    QProgressBar *m_pagesBar;
    QPushButton *m_cancelButton;
    QTimer *m_pollTimer;
    ListBuilder *m_builder;
    qint16 m_tickCount = 0;
};
