#pragma once

#include "cli/CommandLine.h"

#include <QString>
#include <QStringList>
#include <QTextStream>

// What one in-process `vantrel ARGS...` printed and returned. Tests that use
// it link vantrel_cli.
struct Run
{
    int exitCode;
    QString out;
    QString err;
};

inline Run runVantrel(const QStringList &arguments)
{
    QString out;
    QString err;
    QTextStream outStream(&out);
    QTextStream errStream(&err);
    const int exitCode = runCommandLine(arguments, outStream, errStream);
    outStream.flush();
    errStream.flush();
    return {exitCode, out, err};
}
