#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringList>

// Small file helpers shared by the windows and the headless commands.
// Paths may use "\" or "/" as the folder separator.

// Copies source over destination as writeFileAtomically() writes: the
// destination is the old file or a whole copy. False, with *error filled when
// given, when the source is not a readable file or the copy failed.
bool copyFile(const QString &source, const QString &destination, QString *error = nullptr);

// Text the user gives (name and word lists): UTF-8 when the bytes are valid
// UTF-8, with or without a byte-order mark, else Latin-1 as lists were always
// read, so a stored Latin-1 list reads as before.
QString decodeTextInput(QByteArrayView bytes);

// True when decodeTextInput() reads the bytes as UTF-8 and that differs from
// Latin-1: they begin with a byte-order mark or hold valid UTF-8 beyond ASCII.
// A list the program adds to keeps this encoding.
bool isUtf8TextInput(QByteArrayView bytes);

// The usable lines of a list the user gives, decoded by decodeTextInput():
// lines end at CR LF, LF or CR; empty lines are skipped. The path "-" is
// standard input; pipes, FIFOs and devices are read until they close. False,
// with *error filled when given, when the list cannot be read.
bool readTextLines(const QString &path, QStringList *lines, QString *error = nullptr);

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
