#pragma once

#include <QString>

// The folder that holds TLDs.txt, the word lists and the result files.
namespace ProgramFolder {

// --home DIR, else VANTREL_HOME, else the executable's folder when it is a
// portable copy and writable, else the XDG data folder
// ($XDG_DATA_HOME/vantrel, ~/.local/share/vantrel).
QString resolve(const QString &homeOption, const QString &environmentHome, const QString &executableDir,
                const QString &dataLocation);

// An executable with share/vantrel beside its folder is installed (or the
// build tree): its folder is never the program folder, even where it is
// writable (as /usr/bin is for root).
bool isInstalled(const QString &executableDir);

// resolve() with the process's own environment, executable folder and data
// location.
QString resolveForProcess(const QString &homeOption);

// Where the files shipped with the program lie: VANTREL_DATA_DIR, else
// share/vantrel beside the executable's folder (the build tree and installs alike).
QString shippedDataDir();

// Copies every file below shippedDir/program that the program folder lacks
// (word lists, help page), keeping relative paths. Existing files are left
// alone; failures are skipped.
void installShippedFiles(const QString &folder, const QString &shippedDir);

// Creates the program folder if needed, then each missing data file
// (BrowserSearch.txt, Appends.txt, CreatedDomains.txt, Remembered.txt, one
// empty line each) and folder (backups, overflow, wordlists, searches).
// Each step ignores its own failure; returns whether the folder is usable
// (exists and is writable) afterwards.
bool createStartupFilesAndFolders(const QString &folder);

} // namespace ProgramFolder
