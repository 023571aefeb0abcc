#include "search/ui/SearchControls.h"

#include "search/SearchType.h"
#include "search/ui/TldChecklist.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>
#include <QStyleOptionComboBox>

namespace {

QLabel *makeLabel(QWidget *parent, const QString &name, const QString &text)
{
    auto *label = new QLabel(text, parent);
    label->setObjectName(name);
    return label;
}

QPushButton *makeButton(QWidget *parent, const QString &name, const QString &text, const QString &tooltip)
{
    auto *button = new QPushButton(text, parent);
    button->setObjectName(name);
    button->setToolTip(tooltip);
    return button;
}

QLineEdit *makeEdit(QWidget *parent, const QString &name, const QString &text, const QString &tooltip)
{
    auto *edit = new QLineEdit(text, parent);
    edit->setObjectName(name);
    edit->setToolTip(tooltip);
    return edit;
}

} // namespace

SearchControls::SearchControls(QWidget *parent)
    : QGroupBox(parent)
{
    setObjectName(QStringLiteral("Frame1"));
    searchTypeLabel = makeLabel(this, QStringLiteral("Label6"), QStringLiteral("Search Type:"));
    searchTypeBox = new QComboBox(this);
    searchTypeBox->setObjectName(QStringLiteral("Combo1"));
    searchTypeBox->setToolTip(QStringLiteral("Select the type of search you would like to run"));
    searchTypeBox->addItems(SearchTypes::texts());
    searchTypeBox->setCurrentIndex(-1);
    searchTypeBox->setMinimumContentsLength(16);
    buildWordRange();
    buildInternetSearch();
    stopButton = makeButton(this, QStringLiteral("Command3"), QStringLiteral("Stop"),
                            QStringLiteral("Click here to stop searching names"));
    stopButton->setEnabled(false);
    cmdSetup = makeButton(this, QStringLiteral("cmdSetup"), QStringLiteral("Setup"), QString());
    cmdWebsite = makeButton(this, QStringLiteral("cmdWebsite"), QString(), QString());
    layOut();
    showInternetSearchControls(false);
    connect(txtsearch, &QLineEdit::textChanged, this,
            [this](const QString &text) { cmdCreate->setEnabled(!text.isEmpty()); });
}

void SearchControls::buildWordRange()
{
    QLabel *wLabel1 = makeLabel(this, QStringLiteral("wLabel1"), QStringLiteral("Start Number:"));
    txtWordNum = makeEdit(this, QStringLiteral("txtWordNum"), QStringLiteral("1"), QString());
    QLabel *wLabel2 = makeLabel(this, QStringLiteral("wLabel2"), QStringLiteral("Of"));
    txtWordMax = makeEdit(this, QStringLiteral("txtWordMax"), QStringLiteral("1"),
                          QStringLiteral("The number of entries on your list."));
    txtWordNum->setMaximumWidth(90);
    txtWordMax->setMaximumWidth(90);
    txtWordMax->setReadOnly(true);
    cmdDoSearch = makeButton(this, QStringLiteral("cmdDoSearch"), QStringLiteral("Start"),
                             QStringLiteral("Click here to start searching your list."));
    cmdDoSearch->setEnabled(false);
    m_tldLabel = makeLabel(this, QStringLiteral("sLblTLD"), QStringLiteral("TLD:"));
    cmbTLDs = new QComboBox(this);
    cmbTLDs->setObjectName(QStringLiteral("cmbTLDs"));
    fixTldBoxWidth();
    tldChecklist = new TldChecklist(this);
    m_wordRangeControls = {wLabel1, txtWordNum, wLabel2, txtWordMax, m_tldLabel, cmbTLDs, tldChecklist, cmdDoSearch};
}

// No extension in TLDs.txt can widen the window: the box's width is fixed and
// its hints ignore what it lists; long extensions are elided, whole in the
// tooltip.
void SearchControls::fixTldBoxWidth()
{
    cmbTLDs->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    cmbTLDs->setMinimumContentsLength(1);
    QStyleOptionComboBox boxOption;
    boxOption.initFrom(cmbTLDs);
    const QSize widest(cmbTLDs->fontMetrics().horizontalAdvance(QStringLiteral("com.au")),
                       cmbTLDs->fontMetrics().height());
    cmbTLDs->setFixedWidth(style()->sizeFromContents(QStyle::CT_ComboBox, &boxOption, widest, cmbTLDs).width());
    cmbTLDs->view()->setTextElideMode(Qt::ElideRight);
}

void SearchControls::buildInternetSearch()
{
    QLabel *SLabel1 = makeLabel(this, QStringLiteral("SLabel1"), QStringLiteral("Search String:"));
    txtsearch = makeEdit(this, QStringLiteral("txtsearch"), QString(), QStringLiteral("Enter a search string"));
    QLabel *SLabel2 = makeLabel(this, QStringLiteral("SLabel2"), QStringLiteral("Get"));
    amountBox = new QComboBox(this);
    amountBox->setObjectName(QStringLiteral("Combo2"));
    amountBox->setToolTip(QStringLiteral("The approximate number of domains to find, if available."));
    amountBox->setEditable(true);
    amountBox->addItems({QStringLiteral("~100 Domains"), QStringLiteral("~200 Domains"), QStringLiteral("~500 Domains"),
                         QStringLiteral("~1000 Domains")});
    cmdCreate = makeButton(this, QStringLiteral("cmdCreate"), QStringLiteral("Search"),
                           QStringLiteral("Click here to start your internet search!"));
    cmdCreate->setEnabled(false);
    m_internetSearchControls = {SLabel1, txtsearch, SLabel2, amountBox, cmdCreate};
}

// One row, in reading order; Setup and the website button keep to the right.
void SearchControls::layOut()
{
    auto *row = new QHBoxLayout(this);
    row->addWidget(searchTypeLabel);
    row->addWidget(searchTypeBox);
    for (QWidget *widget : std::as_const(m_wordRangeControls)) {
        if (widget == cmbTLDs || widget == tldChecklist)
            continue; // beside their label
        if (widget != m_tldLabel) {
            row->addWidget(widget);
            continue;
        }
        // The label, the box and the checklist close together, as one control.
        auto *tldGroup = new QHBoxLayout;
        tldGroup->setSpacing(0);
        m_tldLabel->setContentsMargins(0, 0, 2, 0);
        tldGroup->addWidget(m_tldLabel);
        tldGroup->addWidget(cmbTLDs);
        tldGroup->addWidget(tldChecklist);
        row->addLayout(tldGroup);
    }
    for (QWidget *widget : std::as_const(m_internetSearchControls))
        row->addWidget(widget);
    row->addWidget(stopButton);
    row->addStretch();
    row->addWidget(cmdSetup);
    row->addWidget(cmdWebsite);
}

void SearchControls::showWordRangeControls(bool visible)
{
    for (QWidget *widget : std::as_const(m_wordRangeControls))
        widget->setVisible(visible);
}

void SearchControls::showInternetSearchControls(bool visible)
{
    for (QWidget *widget : std::as_const(m_internetSearchControls))
        widget->setVisible(visible);
}

void SearchControls::setSearchControlsEnabled(bool enabled)
{
    for (QWidget *widget :
         {static_cast<QWidget *>(cmdDoSearch), static_cast<QWidget *>(stopButton),
          static_cast<QWidget *>(searchTypeBox), static_cast<QWidget *>(txtWordNum), static_cast<QWidget *>(amountBox),
          static_cast<QWidget *>(cmdCreate), static_cast<QWidget *>(txtsearch)})
        widget->setEnabled(enabled);
}
