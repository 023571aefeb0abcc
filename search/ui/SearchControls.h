#pragma once

#include <QGroupBox>
#include <QList>

class QComboBox;
class QLabel;
class TldChecklist;
class QLineEdit;
class QPushButton;

// The main window's search row (group box "Frame1"): the search type, the
// word range with the TLD box and Start, the internet search string with its
// amount and Search, then Stop, Setup and the website button. Like a form's
// generated class it holds the controls; the window drives them.
class SearchControls : public QGroupBox
{
    Q_OBJECT

public:
    explicit SearchControls(QWidget *parent = nullptr);

    void showWordRangeControls(bool visible);
    void showInternetSearchControls(bool visible);
    // Everything a run must not have touched while it goes on.
    void setSearchControlsEnabled(bool enabled);

    QLabel *searchTypeLabel = nullptr;
    QComboBox *searchTypeBox = nullptr;
    QLineEdit *txtWordNum = nullptr;
    QLineEdit *txtWordMax = nullptr;
    QComboBox *cmbTLDs = nullptr;
    TldChecklist *tldChecklist = nullptr; // the TLDs each word is also checked in
    QPushButton *cmdDoSearch = nullptr;
    QLineEdit *txtsearch = nullptr;
    QComboBox *amountBox = nullptr;
    QPushButton *cmdCreate = nullptr;
    QPushButton *stopButton = nullptr;
    QPushButton *cmdSetup = nullptr;
    QPushButton *cmdWebsite = nullptr;

private:
    void buildWordRange();
    void buildInternetSearch();
    void fixTldBoxWidth();
    void layOut();

    QLabel *m_tldLabel = nullptr;
    QList<QWidget *> m_wordRangeControls;
    QList<QWidget *> m_internetSearchControls;
};
