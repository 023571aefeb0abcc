#pragma once

#include <QString>
#include <QStringList>

// CreatedDomains.txt in a program folder: the name creator's names, read back
// as a word list. 8-bit text; every name is followed by CR LF and an empty
// line (readers skip the empty lines).
class CreatedDomainsFile
{
public:
    explicit CreatedDomainsFile(const QString &programFolder);

    QString path() const { return m_path; }

    // Replaces the file atomically. False with *error when it cannot be written.
    bool write(const QStringList &names, QString *error = nullptr) const;

private:
    QString m_path;
};
