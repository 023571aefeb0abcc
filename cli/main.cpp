#include "cli/CommandLine.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QTextStream>

#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <vector>

namespace {

// True when no command is given: the arguments hold at most the --home option.
bool namesNoCommand(const QStringList &arguments)
{
    if (arguments.isEmpty())
        return true;
    if (arguments.size() == 2 && arguments.at(0) == QLatin1String("--home"))
        return true;
    return arguments.size() == 1 && arguments.at(0).startsWith(QLatin1String("--home="));
}

QStringList argumentsOf(int argc, char *argv[])
{
    QStringList arguments;
    for (int index = 1; index < argc; ++index)
        arguments << QString::fromLocal8Bit(argv[index]);
    return arguments;
}

// Replaces this process with the desktop program installed beside it, passing
// the arguments on. Returns only when there is none, or it cannot be started.
void startDesktopProgram(char *argv[], QTextStream &err)
{
    const QString desktop = QCoreApplication::applicationDirPath() + QStringLiteral("/vantrel-desktop");
    if (!QFileInfo(desktop).isExecutable())
        return;
    QByteArray path = QFile::encodeName(desktop);
    std::vector<char *> desktopArgv{path.data()};
    for (char **argument = argv + 1; *argument; ++argument)
        desktopArgv.push_back(*argument);
    desktopArgv.push_back(nullptr);
    ::execv(path.constData(), desktopArgv.data());
    err << "vantrel: cannot start " << desktop << ": " << QString::fromLocal8Bit(std::strerror(errno)) << Qt::endl;
}

} // namespace

// The commands; without one, the desktop program when it is installed.
int main(int argc, char *argv[])
{
    QCoreApplication application(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("vantrel"));
    const QStringList arguments = argumentsOf(argc, argv);
    QTextStream out(stdout);
    QTextStream err(stderr);
    if (namesNoCommand(arguments))
        startDesktopProgram(argv, err);
    // Headless commands never need a display; with no command this prints the usage.
    return runCommandLine(arguments, out, err);
}
