#include "generate/CreatedDomainsFile.h"

#include "base/FileUtils.h"

#include <QDir>

CreatedDomainsFile::CreatedDomainsFile(const QString &programFolder)
    : m_path(QDir(programFolder).filePath(QStringLiteral("CreatedDomains.txt")))
{
}

bool CreatedDomainsFile::write(const QStringList &names, QString *error) const
{
    qsizetype size = 0;
    for (const QString &name : names)
        size += name.size() + 4;
    QByteArray contents;
    contents.reserve(size);
    for (const QString &name : names) {
        contents += name.toLatin1();
        contents += "\r\n\r\n";
    }
    return writeFileAtomically(m_path, contents, error);
}
