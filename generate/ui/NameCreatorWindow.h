#pragma once

#include "generate/NameGenerator.h"
#include "settings/SettingsTable.h"

#include <QStringList>
#include <QWidget>

#include <optional>

class DomainListModel;
class Prompt;
class QCheckBox;
class QGroupBox;
class QLayout;
class QLineEdit;
class QListView;
class QListWidget;
class QPushButton;
class SettingsStore;
struct Branding;

// The "Domain Name Creator" window: combines a base word with the
// prefix/suffix words of Appends.txt and the ticked TLDs, writes the names to
// CreatedDomains.txt and asks the main window to search them.
//
// Controls carry their designer names as object names; the members of the
// control arrays are named with their index (chkAdd0..chkAdd2, chkExt0..chkExt8).
class NameCreatorWindow : public QWidget
{
    Q_OBJECT

public:
    NameCreatorWindow(QString programFolder, SettingsStore &settings, Prompt &prompt, const Branding &branding,
                      QWidget *parent = nullptr);

    bool isGenerating() const { return m_generating; }

    // Command1, and Enter in Text1. Returns after the first batch of names;
    // the rest is made in batches continued from the event loop.
    void generateDomains();
    // cmdAdd, and Enter in Text2.
    void addWord();
    // cmdSub.
    void removeWord();
    // Command2.
    void saveDomainsAs();

signals:
    // CreatedDomains.txt has been written: the main window sets its word
    // count to wordMax and starts the search over that file.
    void startSearchRequested(qint32 wordMax);

private:
    static constexpr int progressEvery = 1000;
    static constexpr int addBoxCount = 3;
    static constexpr int extensionBoxCount = 9;

    void buildWindow();
    QLayout *buildBaseColumn();
    QGroupBox *buildWordsFrame();
    QGroupBox *buildCreatedFrame();
    void connectControls();
    // The prefix/suffix list from and to a text file of the user's.
    void loadWords();
    void saveWords();
    void restoreSettings();
    void loadTldChoices();
    QStringList tickedTlds() const;
    void setInputsEnabled(bool enabled);
    void continueGeneration();
    void finishGeneration();
    void takePendingNames();
    void bindCheckBox(QCheckBox *box, const SwitchSetting &setting);

    QString m_programFolder;
    SettingsStore &m_settings;
    Prompt &m_prompt;
    QString m_productName;

    QLineEdit *m_baseWordEdit = nullptr;
    QPushButton *m_startButton = nullptr;
    QListWidget *m_tldChoices = nullptr;
    QCheckBox *m_chkAdd[addBoxCount] = {};
    QCheckBox *m_chkExt[extensionBoxCount] = {};
    QLineEdit *m_txtCustom = nullptr;
    QListWidget *m_appendWords = nullptr;
    QLineEdit *m_appendWordEdit = nullptr;
    QPushButton *m_cmdAdd = nullptr;
    QPushButton *m_cmdSub = nullptr;
    QPushButton *m_loadWordsButton = nullptr;
    QPushButton *m_saveWordsButton = nullptr;
    QListView *m_createdList = nullptr;
    DomainListModel *m_createdNames = nullptr;
    QPushButton *m_saveAsButton = nullptr;
    QLineEdit *m_txtStatus = nullptr;

    // The run in progress.
    bool m_generating = false;
    std::optional<NameGenerator> m_generator;
    QStringList m_words;
    qsizetype m_nextWord = 0;
    QStringList m_pendingNames; // made since the list was last extended
    qint32 m_created = 0;
    qint32 m_sinceUpdate = 0;
};
