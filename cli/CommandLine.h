#pragma once

#include <QStringList>

class QTextStream;

// Runs `vantrel [--home DIR] COMMAND ARGS...` (arguments without the program
// name) and returns the exit code. Needs a QCoreApplication, nothing more.
int runCommandLine(const QStringList &arguments, QTextStream &out, QTextStream &err);
