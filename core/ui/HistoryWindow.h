#pragma once

#include <QTimer>
#include <QWidget>

class HistoryStore;
class HistoryTableModel;
class Prompt;
class QComboBox;
class QLabel;
class QLineEdit;
class QTableView;

// "History": every verdict kept, newest first, filtered by a text in the name
// and by verdict, sortable by any column, and exported to CSV.
class HistoryWindow : public QWidget
{
    Q_OBJECT

public:
    HistoryWindow(HistoryStore &store, Prompt &prompt, QString productName, QWidget *parent = nullptr);

    HistoryTableModel *model() const { return m_model; }
    // Writes the rows the filters select, in the table's column order, to a
    // CSV file the user picks. False when the user cancelled or the write failed.
    bool exportRows();

private:
    void applyFilter();

    HistoryStore &m_store;
    Prompt &m_prompt;
    QString m_productName;
    HistoryTableModel *m_model = nullptr;
    QLineEdit *m_filterEdit = nullptr;
    QComboBox *m_verdictBox = nullptr;
    QTableView *m_table = nullptr;
    QLabel *m_statusLabel = nullptr;
    QTimer m_filterDelay;
};
