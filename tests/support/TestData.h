#pragma once

#include <QDir>
#include <QString>

// The shared external test data folder, or the empty text when it is absent
// (tests then QSKIP).
inline QString testDataDir(const QString &subfolder = QString())
{
    const QString root = qEnvironmentVariable("VANTREL_TESTDATA");
    if (root.isEmpty() || !QDir(root).exists())
        return {};
    const QString path = subfolder.isEmpty() ? root : root + QLatin1Char('/') + subfolder;
    return QDir(path).exists() ? path : QString();
}
