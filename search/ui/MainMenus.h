#pragma once

#include "core/ResultList.h"

#include <QObject>

class QAction;
class QMenu;
class QMenuBar;

// The main window's menu bar: File, Edit, Tools, Options, Help and About.
// The items only ask; the window carries out what they ask for.
class MainMenus : public QObject
{
    Q_OBJECT

public:
    explicit MainMenus(QMenuBar *bar);

    // Tools > "Re-run Unanswered Names", on while the last run left names unanswered.
    QAction *rerunAction() const { return m_rerunAction; }

signals:
    void exportRequested();
    void exitRequested();
    // Edit: one request per list the item names.
    void clearRequested(ResultList list);
    void copyRequested(ResultList list);
    // Tools: the search type at that index of the search type box.
    void searchTypePicked(int index);
    void rerunRequested();
    void historyRequested();
    void setupRequested();
    void helpRequested();
    void aboutRequested();

private:
    void buildFileMenu();
    void buildEditMenu();
    void buildToolsMenu();
    QMenu *addMenu(const QString &objectName, const QString &title);

    QMenuBar *m_bar;
    QAction *m_rerunAction = nullptr;
};
