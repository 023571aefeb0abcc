#include "search/ui/TldChecklist.h"

#include <QListView>
#include <QMenu>
#include <QStyle>
#include <QWidgetAction>

namespace {

constexpr int visibleRows = 12;

} // namespace

TldChecklist::TldChecklist(QWidget *parent)
    : QToolButton(parent)
{
    setObjectName(QStringLiteral("lstTLDs"));
    setToolButtonStyle(Qt::ToolButtonTextOnly);
    // As narrow as its "+": a 1024-pixel screen leaves no more room.
    setText(QStringLiteral("+"));
    setFixedWidth(fontMetrics().horizontalAdvance(text()) + 4);
    // Shown pressed while TLDs besides the box's are ticked.
    setCheckable(true);

    m_menu = new QMenu(this);
    m_list = new QListView(m_menu);
    m_list->setObjectName(QStringLiteral("lstTLDsView"));
    m_list->setModel(&m_choices);
    m_list->setTextElideMode(Qt::ElideRight);
    m_list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_list->setUniformItemSizes(true);
    auto *action = new QWidgetAction(m_menu);
    action->setDefaultWidget(m_list);
    m_menu->addAction(action);
    connect(this, &QToolButton::clicked, this, &TldChecklist::showList);

    connect(&m_choices, &TldChoices::runTldsChanged, this, &TldChecklist::showTicked);
    connect(&m_choices, &QAbstractItemModel::modelReset, this, &TldChecklist::showTicked);
    showTicked();
}

void TldChecklist::showTicked()
{
    const QStringList others = m_choices.runTlds().mid(1);
    setChecked(!others.isEmpty());
    setToolTip(others.isEmpty() ? QStringLiteral("Tick more TLDs to check each word in all of them")
                                : QStringLiteral("Each word is also checked in: ") + others.join(u", "));
}

// Below the button, wide enough for common extensions and never for a long
// one, tall enough for a dozen rows, then it scrolls.
void TldChecklist::showList()
{
    showTicked(); // a click toggled the button

    const int rows = qBound(1, m_choices.rowCount(), visibleRows);
    const int rowHeight = qMax(m_list->sizeHintForRow(0), m_list->fontMetrics().height());
    const int indicator = m_list->style()->pixelMetric(QStyle::PM_IndicatorWidth);
    m_list->setFixedSize(m_list->fontMetrics().horizontalAdvance(QStringLiteral("xn--p1ai.com.au")) + 3 * indicator,
                         rows * rowHeight + 2 * m_list->frameWidth());
    m_menu->popup(mapToGlobal(rect().bottomLeft()));
}
