#include "search/ui/MainMenus.h"

#include "search/SearchType.h"

#include <QMenu>
#include <QMenuBar>

namespace {

template <typename Action>
QAction *addItem(QMenu *menu, const QString &objectName, const QString &caption, Action action)
{
    QAction *item = menu->addAction(caption);
    item->setObjectName(objectName);
    QObject::connect(item, &QAction::triggered, menu, action);
    return item;
}

} // namespace

MainMenus::MainMenus(QMenuBar *bar)
    : QObject(bar)
    , m_bar(bar)
{
    buildFileMenu();
    buildEditMenu();
    buildToolsMenu();
    addItem(addMenu(QStringLiteral("mnuOptions"), QStringLiteral("Options")), QStringLiteral("mnuOptionsItem(0)"),
            QStringLiteral("Setup"), [this] { emit setupRequested(); });
    addItem(addMenu(QStringLiteral("mnuHelp"), QStringLiteral("Help")), QStringLiteral("mnuHelpItem(0)"),
            QStringLiteral("View Help"), [this] { emit helpRequested(); });
    addItem(addMenu(QStringLiteral("mnuAbout"), QStringLiteral("About")), QStringLiteral("mnuAboutItem(0)"),
            QStringLiteral("About this software"), [this] { emit aboutRequested(); });
}

QMenu *MainMenus::addMenu(const QString &objectName, const QString &title)
{
    QMenu *menu = m_bar->addMenu(title);
    menu->setObjectName(objectName);
    return menu;
}

void MainMenus::buildFileMenu()
{
    QMenu *menuFile = addMenu(QStringLiteral("menuFile"), QStringLiteral("File"));
    addItem(menuFile, QStringLiteral("mnuFileExport"), QStringLiteral("Export Results..."),
            [this] { emit exportRequested(); });
    menuFile->addSeparator();
    addItem(menuFile, QStringLiteral("mnuFileItem(0)"), QStringLiteral("Exit"), [this] { emit exitRequested(); });
}

void MainMenus::buildEditMenu()
{
    QMenu *mnuEdit = addMenu(QStringLiteral("mnuEdit"), QStringLiteral("Edit"));
    const struct
    {
        const char *caption;
        bool copy;
        QList<ResultList> lists;
    } editItems[] = {
        {"Clear High/Mid/Low", false, {ResultList::Low, ResultList::High, ResultList::Mid}},
        {"Clear High", false, {ResultList::High}},
        {"Clear Mid", false, {ResultList::Mid}},
        {"Clear Low", false, {ResultList::Low}},
        {"Clear Registered", false, {ResultList::Registered}},
        {"Clear Saved", false, {ResultList::Saved}},
        {"Copy High", true, {ResultList::High}},
        {"Copy Mid", true, {ResultList::Mid}},
        {"Copy Low", true, {ResultList::Low}},
        {"Copy Saved", true, {ResultList::Saved}},
    };
    int index = 0;
    for (const auto &entry : editItems) {
        const QList<ResultList> lists = entry.lists;
        const bool copy = entry.copy;
        addItem(mnuEdit, QStringLiteral("mnuEditItem(%1)").arg(index++), QLatin1String(entry.caption),
                [this, lists, copy] {
                    for (ResultList which : lists) {
                        if (copy)
                            emit copyRequested(which);
                        else
                            emit clearRequested(which);
                    }
                });
    }
}

void MainMenus::buildToolsMenu()
{
    QMenu *mnuTools = addMenu(QStringLiteral("mnuTools"), QStringLiteral("Tools"));
    const QStringList types = SearchTypes::texts();
    for (int item = 0; item < types.size(); ++item) {
        addItem(mnuTools, QStringLiteral("mnuToolsItem(%1)").arg(item), types.at(item),
                [this, item] { emit searchTypePicked(item); });
    }
    mnuTools->addSeparator();
    m_rerunAction = addItem(mnuTools, QStringLiteral("mnuToolsRerun"), QStringLiteral("Re-run Unanswered Names"),
                            [this] { emit rerunRequested(); });
    m_rerunAction->setEnabled(false);
    addItem(mnuTools, QStringLiteral("mnuToolsHistory"), QStringLiteral("History..."),
            [this] { emit historyRequested(); });
}
