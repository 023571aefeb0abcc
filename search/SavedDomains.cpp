#include "search/SavedDomains.h"

#include "base/FileUtils.h"

#include <QFile>

namespace SavedDomains {

QStringList load(const QString &path)
{
    QStringList names;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return names;
    while (!file.atEnd()) {
        QByteArray line = file.readLine();
        if (line.endsWith('\n'))
            line.chop(1);
        if (line.endsWith('\r'))
            line.chop(1);
        if (!line.isEmpty() && line != " ")
            names << QString::fromLatin1(line);
    }
    return names;
}

bool save(const QString &path, const QStringList &names, QString *error)
{
    QByteArray contents;
    for (const QString &name : names)
        contents += name.toLatin1() + "\r\n";
    return writeFileAtomically(path, contents, error);
}

} // namespace SavedDomains
