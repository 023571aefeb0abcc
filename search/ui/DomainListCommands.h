#pragma once

#include <QObject>
#include <QStringList>

class DomainListView;
class QPoint;

// The commands on the selected names of one domain list: a context menu
// (Copy, Save to Saved Domains or, on the saved list, Remove, WHOIS,
// Purchase), Ctrl+C and Insert. The
// window that owns the list carries out saving, WHOIS and purchase.
class DomainListCommands : public QObject
{
    Q_OBJECT

public:
    // offersSave: false for the saved list itself.
    DomainListCommands(DomainListView *view, bool offersSave);

    // The selected names in row order.
    QStringList selectedNames() const;
    // The selected names, each followed by CR LF, as plain clipboard text.
    void copySelected() const;

signals:
    void saveRequested(const QStringList &names);
    void whoisRequested(const QString &name);
    void purchaseRequested(const QString &name);

private:
    void showMenu(const QPoint &position);
    void save();

    DomainListView *m_view;
    bool m_offersSave;
};
