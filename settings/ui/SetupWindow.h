#pragma once

#include "core/LookupResult.h"

#include "core/TldFile.h"
#include "core/TldTester.h"

#include <QString>
#include <QWidget>

class Prompt;
class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;
class QTreeWidget;
class QTreeWidgetItem;
class SettingsStore;
struct Branding;
struct LookupContext;

// The setup window: edits TLDs.txt in the program folder and the few global
// defaults. Every change is written at once; after every change of the file
// the table is reloaded into the shared lookup context, which each run copies
// as it starts: a search already going keeps what it began with, and the
// window says so while one goes. Controls carry their designer names as
// object names.
class SetupWindow : public QWidget
{
    Q_OBJECT

public:
    // Loading fills the list and the boxes and writes the loaded values back
    // to the settings (and the proxy state into context.useProxy).
    // "Test Selected" asks through service.
    SetupWindow(LookupContext &context, SettingsStore &settings, const Branding &branding, QString programFolder,
                Prompt &prompt, LookupService &service, QWidget *parent = nullptr);

public slots:
    // Whether a search is going; while one goes a line says that edits reach
    // only the next run.
    void setRunGoing(bool going);

signals:
    // The window was closed; context.defaultExtension holds the default box's
    // value. The main window refills its TLD choice list here.
    void closed();
    // A "Test Selected" query got its verdict (for the history).
    void tested(const LookupResult &outcome);

protected:
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void buildControls();
    QGroupBox *buildDefaults();
    QGroupBox *buildHarvestGroup();
    QGroupBox *buildEditor();
    void buildTldList();
    void loadValues();

    void fillTldListView();
    void reloadTldTable();
    QTreeWidgetItem *selectedRow() const;
    // Selects the first row showing the extension, without touching the editor.
    void selectRow(const QString &extension);
    void copyRowToEditor(const QTreeWidgetItem *row);
    QList<QStringList> rowsInDisplayOrder() const;
    void applyDefaultExtensionRule();

    void cmdSave_Click();
    void cmdToggle_Click();
    void Command1_Click();
    void Command2_Click();
    void Command3_Click();
    void cmdTest_Click();
    void Command4_Click();
    void chkProxy_Click(bool checked);
    void txtDefault_Change(const QString &text);
    void txtsearch_Change(const QString &text);
    void txtthrot_Change(const QString &text);
    void chkDnsFirst_Click(bool checked);
    void txtDnsServer_Change(const QString &text);
    void spnRecheckAfterDays_Change(int days);
    void testFinished(const TldTestResult &result);
    void reportWriteFailure(const QString &error);
    void showMessage(const QString &text);

    LookupContext &m_context;
    SettingsStore &m_settings;
    QString m_productName;
    QString m_programFolder;
    Prompt &m_prompt;
    TldFile m_tldFile;
    TldTester m_tester;
    bool m_editorEnabled = true;

    QLabel *lblRunGoing = nullptr;
    QTreeWidget *lstDomains = nullptr;
    QLineEdit *txtExt = nullptr;
    QLineEdit *txtServer = nullptr;
    QLineEdit *txtPort = nullptr;
    QLineEdit *txtThrottle = nullptr;
    QLineEdit *txtSuccess = nullptr;
    QPushButton *cmdSave = nullptr;
    QPushButton *cmdToggle = nullptr;
    QPushButton *m_newExtensionButton = nullptr;
    QPushButton *m_deleteButton = nullptr;
    QPushButton *m_restoreDefaultsButton = nullptr;
    QPushButton *cmdTest = nullptr;
    QPushButton *m_debugButton = nullptr;
    QCheckBox *chkProxy = nullptr;
    QLineEdit *txtDefault = nullptr;
    QLineEdit *txtsearch = nullptr;
    QLineEdit *txtthrot = nullptr;
    QCheckBox *chkDnsFirst = nullptr;
    QLineEdit *txtDnsServer = nullptr;
    QSpinBox *spnRecheckAfterDays = nullptr;
    QSpinBox *spnParallelLookups = nullptr;
    QCheckBox *chkHarvestEveryTld = nullptr;
    QCheckBox *chkReviewHarvest = nullptr;
    QLineEdit *txtHistoryDatabase = nullptr;
};
