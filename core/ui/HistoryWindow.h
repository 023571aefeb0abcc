#pragma once

#include <QTimer>
#include <QWidget>

class HistoryStore;
class HistoryTableModel;
class Prompt;
class QCheckBox;
class QComboBox;
class QDateEdit;
class QLabel;
class QLineEdit;
class QTableView;

// "History": every verdict kept, newest first, filtered by a text in the name,
// by verdict and by date, sortable by any column, and exported to CSV. Rows
// written during a run show up within a second.
class HistoryWindow : public QWidget
{
    Q_OBJECT

public:
    HistoryWindow(HistoryStore &store, Prompt &prompt, QString productName, QWidget *parent = nullptr);

    HistoryTableModel *model() const { return m_model; }
    // Writes the rows the filters select, in the table's sort order, to a
    // CSV file the user picks. False when the user cancelled or the write failed.
    bool exportRows();
    // Where the export dialog opens.
    void setExportFolder(const QString &folder) { m_exportFolder = folder; }
    // The names of the selected rows, in table order.
    QStringList selectedNames() const;

signals:
    // A CSV file was written at path.
    void exported(const QString &path);
    void whoisRequested(const QString &name);
    void saveRequested(const QStringList &names);

private:
    QLayout *buildFilters();
    void buildTable();
    void applyFilter();
    void showMenu(const QPoint &position);

    HistoryStore &m_store;
    Prompt &m_prompt;
    QString m_productName;
    QString m_exportFolder;
    HistoryTableModel *m_model = nullptr;
    QLineEdit *m_filterEdit = nullptr;
    QComboBox *m_verdictBox = nullptr;
    QCheckBox *m_sinceBox = nullptr;
    QDateEdit *m_sinceDate = nullptr;
    QTableView *m_table = nullptr;
    QLabel *m_countLabel = nullptr;
    QLabel *m_statusLabel = nullptr;
    QTimer m_filterDelay;
    QTimer m_refreshDelay;
};
