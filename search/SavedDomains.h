#pragma once

#include <QString>
#include <QStringList>

// Remembered.txt: the domains the user saved by dragging them onto the
// saved list, one per line, CR LF line ends.
namespace SavedDomains {

// Every line that is neither empty nor a single space; a missing file gives none.
QStringList load(const QString &path);
// Replaces the file atomically; false with *error on failure.
bool save(const QString &path, const QStringList &names, QString *error = nullptr);

} // namespace SavedDomains
