#pragma once

#include <QByteArray>
#include <QString>

// Small file helpers shared by the windows and the headless commands.
// Paths may use "\" or "/" as the folder separator.

// Copies source over destination as writeFileAtomically() writes: the
// destination is the old file or a whole copy. False, with *error filled when
// given, when the source is not a readable file or the copy failed.
bool copyFile(const QString &source, const QString &destination, QString *error = nullptr);

// True when the folder exists (with or without a trailing separator).
bool dirExists(const QString &path);

// True when an ordinary, non-hidden file of that name (compared without regard
// to letter case) exists in the path's folder. Folders, dot files and other
// non-regular files answer false.
bool fileExists(const QString &path);

// The part after the last "\" or "/"; the empty text for an empty path or one
// that ends in a separator.
QString fileNameFromPath(const QString &path);

// Replaces the file with contents: a temporary file in the same folder, every
// write checked and synced to disk, then a rename, so the file is either old
// or new, never half-written. On any failure (a full disk among them) returns
// false, fills *error (when given) and leaves the old file untouched.
bool writeFileAtomically(const QString &path, const QByteArray &contents, QString *error = nullptr);
