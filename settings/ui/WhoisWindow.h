#pragma once

#include "core/LookupClient.h"

#include <QWidget>

class QLabel;
class QTextEdit;
struct LookupContext;
struct LookupResult;

// Shows one name's record as its own registry gives it: the registry its
// route names (a WHOIS server or an RDAP service), the verdict and its
// evidence above the reply. The name is asked through the lookup service,
// at its registry's pace and before any queued search name.
class WhoisWindow : public QWidget
{
    Q_OBJECT

public:
    WhoisWindow(LookupService &service, const LookupContext &context, QWidget *parent = nullptr);

    // Empties the window, drops any query still running, asks the name's
    // registry and shows the window. The name and "Querying <server>..."
    // show until the lookup has ended; a registry that does not answer is
    // given up after the service's time-out.
    void openFor(const QString &selectedDomain);

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void showOutcome(const LookupResult &outcome);

    const LookupContext &m_context;
    LookupClient m_client;
    QLabel *m_domainLabel = nullptr;
    QTextEdit *m_recordText = nullptr;
};
