#pragma once

#include "settings/WhoisInfoQuery.h"

#include <QWidget>

class QLabel;
class QTextEdit;

// Shows the raw WHOIS answer for one name, asked of one fixed server
// whatever the name's TLD.
class WhoisWindow : public QWidget
{
    Q_OBJECT

public:
    explicit WhoisWindow(WhoisInfoServer server = {}, QWidget *parent = nullptr);

    // Empties the window, drops any query still running, sends
    // selectedDomain unchanged and shows the window. The name and
    // "Querying <server>..." show until the server has closed the connection
    // and the answer appears; a query without an answer ends after the
    // server's give-up time with a note in the text box.
    void openFor(const QString &selectedDomain);

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    WhoisInfoQuery m_query;
    QString m_serverHost;
    QLabel *m_domainLabel = nullptr;
    QTextEdit *m_recordText = nullptr;
};
