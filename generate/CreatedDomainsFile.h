#pragma once

#include <QString>
#include <QStringList>

// CreatedDomains.txt in a program folder: the name creator's names, read back
// as a word list. 8-bit text; every name is followed by CR LF and an empty
// line (readers skip the empty lines). Names beyond Latin-1 are written in
// their IDNA form.
class CreatedDomainsFile
{
public:
    explicit CreatedDomainsFile(const QString &programFolder);

    QString path() const { return m_path; }

    // Replaces the file atomically. False with *error when it cannot be
    // written. *written: how many names the file holds.
    bool write(const QStringList &names, QString *error = nullptr, qint32 *written = nullptr) const;

private:
    QString m_path;
};
