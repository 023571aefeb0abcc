#pragma once

#include "search/TldChoices.h"

#include <QToolButton>

class QListView;
class QMenu;

// Beside the TLD box: a narrow "+" button that drops down the enabled
// extensions with a check box each. It shows pressed while extensions
// besides the box's are ticked, and its tooltip names them. Long extensions
// are elided in the list, whole in their tooltips.
class TldChecklist : public QToolButton
{
    Q_OBJECT

public:
    explicit TldChecklist(QWidget *parent = nullptr);

    TldChoices &choices() { return m_choices; }
    // Its fixed width: no wider than its "+" needs.
    QSize minimumSizeHint() const override { return {width(), QToolButton::minimumSizeHint().height()}; }

private:
    void showTicked();
    void showList();

    TldChoices m_choices;
    QMenu *m_menu = nullptr;
    QListView *m_list = nullptr;
};
