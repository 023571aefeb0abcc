#include "generate/ui/NameCreatorWindow.h"

#include "base/Branding.h"
#include "base/FileUtils.h"
#include "base/Prompt.h"
#include "core/DomainListModel.h"
#include "core/TldFile.h"
#include "generate/AppendsFile.h"
#include "generate/CreatedDomainsFile.h"
#include "settings/SettingsStore.h"

#include <QCheckBox>
#include <QDir>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QListWidget>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

namespace {

template <typename Widget>
Widget *named(Widget *widget, const QString &objectName)
{
    widget->setObjectName(objectName);
    return widget;
}

} // namespace

NameCreatorWindow::NameCreatorWindow(QString programFolder, SettingsStore &settings, Prompt &prompt,
                                     const Branding &branding, QWidget *parent)
    : QWidget(parent, Qt::Window)
    , m_programFolder(std::move(programFolder))
    , m_settings(settings)
    , m_prompt(prompt)
    , m_productName(branding.productName)
{
    setObjectName(QStringLiteral("frmMake"));
    setWindowTitle(QStringLiteral("Domain Name Creator"));
    buildWindow();

    QStringList words;
    AppendsFile(m_programFolder).readWords(words);
    m_appendWords->addItems(words);
    restoreSettings();
    loadTldChoices();
}

void NameCreatorWindow::buildWindow()
{
    auto *columns = new QHBoxLayout;
    columns->addLayout(buildBaseColumn(), 1);
    columns->addWidget(buildWordsFrame(), 1);
    columns->addWidget(buildCreatedFrame(), 1);
    m_txtStatus = named(new QLineEdit(QStringLiteral("Status...")), QStringLiteral("txtStatus"));
    m_txtStatus->setReadOnly(true);
    auto *windowLayout = new QVBoxLayout(this);
    windowLayout->addLayout(columns, 1);
    windowLayout->addWidget(m_txtStatus);
    connectControls();
}

// Base word, TLD choices and the extension boxes kept out of sight.
QLayout *NameCreatorWindow::buildBaseColumn()
{
    m_baseWordEdit = named(new QLineEdit, QStringLiteral("Text1"));
    m_baseWordEdit->setToolTip(QStringLiteral("This word will appear in every domain created."));
    m_startButton = named(new QPushButton(QStringLiteral("Start Generator")), QStringLiteral("Command1"));
    m_startButton->setToolTip(QStringLiteral("Once you have a base word, click here to create your list!"));
    m_tldChoices = named(new QListWidget, QStringLiteral("ListView1"));
    m_tldChoices->setTextElideMode(Qt::ElideRight);

    auto *hiddenExtensions = named(new QWidget, QStringLiteral("fraExtensions"));
    auto *extensionLayout = new QVBoxLayout(hiddenExtensions);
    const QString extensionTexts[extensionBoxCount] = {
        QStringLiteral(".COM"),  QStringLiteral(".NET"),  QStringLiteral(".ORG"),
        QStringLiteral(".BIZ"),  QStringLiteral(".INFO"), QStringLiteral(".NAME"),
        QStringLiteral(".AERO"), QStringLiteral(".COOP"), QStringLiteral("Custom Extension:")};
    for (int i = 0; i < extensionBoxCount; ++i) {
        m_chkExt[i] = named(new QCheckBox(extensionTexts[i]), QStringLiteral("chkExt%1").arg(i));
        extensionLayout->addWidget(m_chkExt[i]);
    }
    m_txtCustom = named(new QLineEdit(QStringLiteral(".co.uk")), QStringLiteral("txtCustom"));
    extensionLayout->addWidget(m_txtCustom);
    hiddenExtensions->hide();

    auto *tldFrame = new QGroupBox(QStringLiteral("Top Level Domains"));
    auto *tldLayout = new QVBoxLayout(tldFrame);
    tldLayout->addWidget(new QLabel(QStringLiteral("(taken from Setup window)")));
    tldLayout->addWidget(m_tldChoices);
    tldLayout->addWidget(hiddenExtensions);

    auto *leftColumn = new QVBoxLayout;
    leftColumn->addWidget(new QLabel(QStringLiteral("Base Word:")));
    leftColumn->addWidget(m_baseWordEdit);
    leftColumn->addWidget(m_startButton);
    leftColumn->addWidget(tldFrame, 1);
    return leftColumn;
}

// Prefix/suffix words and the forms to make with them.
QGroupBox *NameCreatorWindow::buildWordsFrame()
{
    const QString addTexts[addBoxCount] = {QStringLiteral("Prefixes"), QStringLiteral("Suffixes"),
                                           QStringLiteral("Hyphens")};
    auto *wordsFrame = new QGroupBox(QStringLiteral("Prefixes/Suffixes"));
    auto *wordsLayout = new QVBoxLayout(wordsFrame);
    for (int i = 0; i < addBoxCount; ++i) {
        m_chkAdd[i] = named(new QCheckBox(addTexts[i]), QStringLiteral("chkAdd%1").arg(i));
        wordsLayout->addWidget(m_chkAdd[i]);
    }
    m_appendWords = named(new QListWidget, QStringLiteral("List2"));
    m_appendWordEdit = named(new QLineEdit, QStringLiteral("Text2"));
    m_cmdAdd = named(new QPushButton(QStringLiteral("Add")), QStringLiteral("cmdAdd"));
    m_cmdAdd->setToolTip(QStringLiteral("Add your word."));
    m_cmdSub = named(new QPushButton(QStringLiteral("Del")), QStringLiteral("cmdSub"));
    m_cmdSub->setToolTip(QStringLiteral("Remove the selected word."));
    m_loadWordsButton = named(new QPushButton(QStringLiteral("Load...")), QStringLiteral("cmdLoadWords"));
    m_loadWordsButton->setToolTip(QStringLiteral("Replace the list with the words of a text file."));
    m_saveWordsButton = named(new QPushButton(QStringLiteral("Save...")), QStringLiteral("cmdSaveWords"));
    m_saveWordsButton->setToolTip(QStringLiteral("Save the list as a text file."));
    auto *wordButtons = new QHBoxLayout;
    for (QPushButton *button : {m_cmdAdd, m_cmdSub, m_loadWordsButton, m_saveWordsButton})
        wordButtons->addWidget(button);
    wordsLayout->addWidget(new QLabel(QStringLiteral("Prefix/Suffix:")));
    wordsLayout->addWidget(m_appendWordEdit);
    wordsLayout->addLayout(wordButtons);
    wordsLayout->addWidget(m_appendWords, 1);
    return wordsFrame;
}

// The generated names.
QGroupBox *NameCreatorWindow::buildCreatedFrame()
{
    m_createdNames = new DomainListModel(this);
    m_createdList = named(new QListView, QStringLiteral("List1"));
    m_createdList->setUniformItemSizes(true);
    m_createdList->setModel(m_createdNames);
    m_saveAsButton = named(new QPushButton(QStringLiteral("Save Domains As...")), QStringLiteral("Command2"));
    m_saveAsButton->setToolTip(QStringLiteral("Save your list as a text file."));
    auto *createdFrame = new QGroupBox(QStringLiteral("Generated Domains"));
    auto *createdLayout = new QVBoxLayout(createdFrame);
    createdLayout->addWidget(m_createdList, 1);
    createdLayout->addWidget(m_saveAsButton);
    return createdFrame;
}

void NameCreatorWindow::connectControls()
{
    connect(m_startButton, &QPushButton::clicked, this, &NameCreatorWindow::generateDomains);
    connect(m_baseWordEdit, &QLineEdit::returnPressed, this, &NameCreatorWindow::generateDomains);
    connect(m_cmdAdd, &QPushButton::clicked, this, &NameCreatorWindow::addWord);
    connect(m_appendWordEdit, &QLineEdit::returnPressed, this, &NameCreatorWindow::addWord);
    connect(m_cmdSub, &QPushButton::clicked, this, &NameCreatorWindow::removeWord);
    connect(m_saveAsButton, &QPushButton::clicked, this, &NameCreatorWindow::saveDomainsAs);
    connect(m_loadWordsButton, &QPushButton::clicked, this, &NameCreatorWindow::loadWords);
    connect(m_saveWordsButton, &QPushButton::clicked, this, &NameCreatorWindow::saveWords);

    // Every change is stored at once; restoring the values below stores them again.
    for (int i = 0; i < extensionBoxCount; ++i)
        bindCheckBox(m_chkExt[i], Settings::extensionBox.at(i));
    for (int i = 0; i < addBoxCount; ++i)
        bindCheckBox(m_chkAdd[i], Settings::nameFormBox.at(i));
    connect(m_baseWordEdit, &QLineEdit::textChanged, this,
            [this](const QString &text) { m_settings.setValue(Settings::baseWord, text); });
    connect(m_txtCustom, &QLineEdit::textChanged, this,
            [this](const QString &text) { m_settings.setValue(Settings::customExtension, text); });
}

void NameCreatorWindow::bindCheckBox(QCheckBox *box, const SwitchSetting &setting)
{
    connect(box, &QCheckBox::toggled, this, [this, setting](bool checked) { m_settings.setValue(setting, checked); });
}

void NameCreatorWindow::restoreSettings()
{
    for (int i = 0; i < extensionBoxCount; ++i)
        m_chkExt[i]->setChecked(m_settings.value(Settings::extensionBox.at(i)));
    for (int i = 0; i < addBoxCount; ++i)
        m_chkAdd[i]->setChecked(m_settings.value(Settings::nameFormBox.at(i)));
    m_baseWordEdit->setText(m_settings.value(Settings::baseWord));
    m_txtCustom->setText(m_settings.value(Settings::customExtension));
}

void NameCreatorWindow::loadTldChoices()
{
    const QStringList extensions = TldFile(m_programFolder).enabledExtensions();
    for (const QString &extension : extensions) {
        auto *item = new QListWidgetItem(QLatin1Char('.') + extension, m_tldChoices);
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(Qt::Checked);
    }
}

QStringList NameCreatorWindow::tickedTlds() const
{
    QStringList tlds;
    for (int row = 0; row < m_tldChoices->count(); ++row) {
        const QListWidgetItem *item = m_tldChoices->item(row);
        if (item->checkState() == Qt::Checked)
            tlds << item->text();
    }
    return tlds;
}

void NameCreatorWindow::setInputsEnabled(bool enabled)
{
    for (QCheckBox *box : m_chkAdd)
        box->setEnabled(enabled);
    for (QCheckBox *box : m_chkExt)
        box->setEnabled(enabled);
    for (QWidget *input :
         std::initializer_list<QWidget *>{m_baseWordEdit, m_appendWordEdit, m_txtCustom, m_startButton, m_saveAsButton,
                                          m_cmdAdd, m_cmdSub, m_loadWordsButton, m_saveWordsButton})
        input->setEnabled(enabled);
}

void NameCreatorWindow::generateDomains()
{
    if (m_generating)
        return;
    if (m_baseWordEdit->text().trimmed().isEmpty()) {
        m_prompt.showMessage(m_productName, QStringLiteral("Enter a base word first: every name is made from it."),
                             Prompt::Icon::None, Prompt::Buttons::Ok);
        return;
    }
    m_generating = true;
    m_createdNames->clear();
    setInputsEnabled(false);
    m_created = 0;
    m_sinceUpdate = 0;

    const NameForms forms{m_chkAdd[0]->isChecked(), m_chkAdd[1]->isChecked(), m_chkAdd[2]->isChecked()};
    m_generator.emplace(m_baseWordEdit->text(), tickedTlds(), forms);
    m_pendingNames.clear();
    m_generator->appendPlainNames(m_pendingNames);
    m_created = qint32(m_pendingNames.size());
    m_sinceUpdate = m_created;

    // Without a readable Appends.txt the run goes on with the plain names.
    m_words.clear();
    m_nextWord = 0;
    AppendsFile(m_programFolder).readWords(m_words);
    continueGeneration();
}

// One batch: list words until progressEvery names have been made since the
// last progress text, then the event loop runs before the next batch.
void NameCreatorWindow::continueGeneration()
{
    while (m_nextWord < m_words.size()) {
        const qsizetype before = m_pendingNames.size();
        m_generator->appendWordNames(m_words.at(m_nextWord++), m_pendingNames);
        const qint32 made = qint32(m_pendingNames.size() - before);
        m_created += made;
        m_sinceUpdate += made;
        if (m_sinceUpdate >= progressEvery) {
            m_txtStatus->setText(QStringLiteral("Creating Domains - Created %1 so far...").arg(m_created));
            m_sinceUpdate = 0;
            takePendingNames();
            QTimer::singleShot(0, this, &NameCreatorWindow::continueGeneration);
            return;
        }
    }
    takePendingNames();
    m_generator.reset();
    m_words.clear();
    m_txtStatus->setText(QStringLiteral("Created %1 domains...  Sorting...").arg(m_created));
    QTimer::singleShot(0, this, &NameCreatorWindow::finishGeneration);
}

void NameCreatorWindow::takePendingNames()
{
    m_createdNames->append(m_pendingNames);
    m_pendingNames.clear();
}

void NameCreatorWindow::finishGeneration()
{
    QString error;
    qint32 wordMax = 0;
    if (!CreatedDomainsFile(m_programFolder).write(m_createdNames->names(), &error, &wordMax)) {
        // Searching the previous run's file would be wrong: say why and stop here.
        m_txtStatus->setText(error);
        setInputsEnabled(true);
        m_generating = false;
        return;
    }
    m_txtStatus->setText(QStringLiteral("Created %1 domains...  Search Started").arg(wordMax));
    setInputsEnabled(true);
    QTimer::singleShot(0, this, [this, wordMax] {
        m_generating = false;
        emit startSearchRequested(wordMax);
    });
}

void NameCreatorWindow::addWord()
{
    const QString word = m_appendWordEdit->text();
    QString error;
    if (!AppendsFile(m_programFolder).appendWord(word, &error)) {
        m_prompt.showMessage(m_productName, error, Prompt::Icon::Warning, Prompt::Buttons::Ok);
        return;
    }
    m_appendWords->addItem(word);
    m_appendWordEdit->clear();
}

void NameCreatorWindow::removeWord()
{
    const QList<QListWidgetItem *> selected = m_appendWords->selectedItems();
    if (selected.isEmpty()) {
        m_prompt.showMessage(m_productName, QStringLiteral("You must first select an item to remove from the list."),
                             Prompt::Icon::None, Prompt::Buttons::Ok);
        return;
    }
    QListWidgetItem *item = selected.first();
    if (!AppendsFile(m_programFolder).removeWord(item->text()))
        return;
    delete item;
}

void NameCreatorWindow::saveDomainsAs()
{
    const QString folder = QDir(m_programFolder).filePath(QStringLiteral("CustomLists"));
    QDir().mkpath(folder);
    const QString proposed = QDir(folder).filePath(m_baseWordEdit->text() + QStringLiteral(".txt"));
    const QString chosen = m_prompt.saveFileName(QStringLiteral("Save Domains As"), proposed, QStringLiteral("*.txt"));
    if (chosen.isEmpty())
        return;
    QString error;
    if (!copyFile(CreatedDomainsFile(m_programFolder).path(), chosen, &error))
        m_prompt.showMessage(QString(), error, Prompt::Icon::None, Prompt::Buttons::Ok);
}

void NameCreatorWindow::loadWords()
{
    const QString chosen =
        m_prompt.openFileName(QStringLiteral("Load Prefixes/Suffixes"), m_programFolder, QStringLiteral("*.txt"));
    if (chosen.isEmpty())
        return;
    QStringList words;
    QString error;
    if (!AppendsFile::readWordsFrom(chosen, words, &error) || !AppendsFile(m_programFolder).writeWords(words, &error)) {
        m_prompt.showMessage(m_productName, error, Prompt::Icon::Warning, Prompt::Buttons::Ok);
        return;
    }
    m_appendWords->clear();
    m_appendWords->addItems(words);
    m_txtStatus->setText(QStringLiteral("Loaded %1 words from %2").arg(words.size()).arg(QDir::toNativeSeparators(chosen)));
}

void NameCreatorWindow::saveWords()
{
    const QString chosen = m_prompt.saveFileName(QStringLiteral("Save Prefixes/Suffixes"),
                                                 QDir(m_programFolder).filePath(QStringLiteral("Appends.txt")),
                                                 QStringLiteral("*.txt"));
    if (chosen.isEmpty())
        return;
    QStringList words;
    for (int row = 0; row < m_appendWords->count(); ++row)
        words << m_appendWords->item(row)->text();
    QString error;
    if (!AppendsFile::writeWordsTo(chosen, words, &error)) {
        m_prompt.showMessage(m_productName, error, Prompt::Icon::Warning, Prompt::Buttons::Ok);
        return;
    }
    m_txtStatus->setText(QStringLiteral("Saved %1 words to %2").arg(words.size()).arg(QDir::toNativeSeparators(chosen)));
}
