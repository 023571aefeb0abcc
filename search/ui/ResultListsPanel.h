#pragma once

#include "core/ResultList.h"

#include <QGroupBox>

#include <array>
#include <optional>

class DomainListModel;
class DomainListView;
class QLabel;
class QModelIndex;
class QPushButton;
struct DesktopContext;

// The main window's five domain lists side by side (group box "Frame2"),
// each with its caption above and Copy, Del and Clear below, and the
// commands on them: copy, delete, clear, drag into Saved Domains, double
// click. The saved list is kept in the program folder's Remembered.txt.
class ResultListsPanel : public QGroupBox
{
    Q_OBJECT

public:
    // saved: the names the user keeps, shown in the fifth list.
    ResultListsPanel(DesktopContext &context, DomainListModel &saved, QWidget *parent = nullptr);

    DomainListView *list(ResultList which) const { return m_lists.at(size_t(which)); }
    QLabel *captionLabel(ResultList which) const { return m_labels.at(size_t(which)); }
    // "High Profile (3)": the list's name and how many rows it shows; the
    // bare name while it shows none.
    static QString caption(ResultList which, int rows);

    void copyList(ResultList which);
    // Del: every selected row of the list.
    void deleteEntry(ResultList which);
    // Clear; Saved Domains asks first.
    void clearList(ResultList which);
    // Appends names to the saved list and rewrites the saved-domains file.
    void saveNames(const QStringList &names);
    // A drop on the saved list: the payload's row numbers of the list last
    // clicked (one of the lookup lists) are appended; the saved-domains file is rewritten.
    void dropOnSavedList(const QString &payload);
    void loadSavedDomains();
    void saveSavedDomains();

signals:
    void whoisRequested(const QString &domain);

private:
    void buildColumn(ResultList which, const QString &tooltip);
    void connectColumn(ResultList which);
    void doubleClicked(ResultList which, const QModelIndex &index);
    void openPurchasePage(const QString &domain);
    void showWhois(const QString &domain);
    const DomainListModel &modelOf(ResultList which) const;
    QString savedDomainsPath() const;
    int twips(int value) const;

    DesktopContext &m_context;
    DomainListModel &m_savedModel;
    std::optional<ResultList> m_dragSourceList;
    std::array<DomainListView *, 5> m_lists{};
    std::array<QLabel *, 5> m_labels{};
    std::array<std::array<QPushButton *, 3>, 5> m_buttons{};
};
