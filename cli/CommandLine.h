#pragma once

#include <QStringList>

#include <memory>
#include <vector>

class Command;
class QTextStream;

// Runs `vantrel [--home DIR] COMMAND ARGS...` (arguments without the program
// name) and returns the exit code. Needs a QCoreApplication, nothing more.
int runCommandLine(const QStringList &arguments, QTextStream &out, QTextStream &err);

// Every command, in the order the help lists them.
std::vector<std::unique_ptr<Command>> allCommands();

// The options taken before the command, without their leading "--".
QStringList globalOptionNames();
