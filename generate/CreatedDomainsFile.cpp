#include "generate/CreatedDomainsFile.h"

#include "base/FileUtils.h"
#include "core/NamePreparation.h"

#include <QDir>

#include <algorithm>

CreatedDomainsFile::CreatedDomainsFile(const QString &programFolder)
    : m_path(QDir(programFolder).filePath(QStringLiteral("CreatedDomains.txt")))
{
}

bool CreatedDomainsFile::write(const QStringList &names, QString *error, qint32 *written) const
{
    qint32 lines = 0;
    qsizetype size = 0;
    for (const QString &name : names)
        size += name.size() + 4;
    QByteArray contents;
    contents.reserve(size);
    for (const QString &name : names) {
        // Letters beyond Latin-1 go out in the name's IDNA form, never as "?";
        // a name without one is left out.
        const bool latin1 = std::all_of(name.cbegin(), name.cend(), [](QChar c) { return c.unicode() <= 0xFF; });
        const std::optional<QByteArray> line = latin1 ? std::optional(name.toLatin1()) : queryBytes(name);
        if (!line)
            continue;
        contents += *line;
        contents += "\r\n\r\n";
        ++lines;
    }
    if (written)
        *written = lines;
    return writeFileAtomically(m_path, contents, error);
}
