#include "app/DesktopProgram.h"
#include "cli/Command.h"
#include "cli/CommandLine.h"
#include "settings/ProgramFolder.h"

#include <QApplication>
#include <QTextStream>

#include <csignal>

namespace {

// The desktop program runs when no command is given: the arguments hold at
// most the --home option. The folder given, if any, is stored in *home.
bool wantsDesktop(const QStringList &arguments, QString *home)
{
    if (arguments.isEmpty())
        return true;
    if (arguments.size() == 2 && arguments.at(0) == QLatin1String("--home")) {
        *home = arguments.at(1);
        return true;
    }
    if (arguments.size() == 1 && arguments.at(0).startsWith(QLatin1String("--home="))) {
        *home = arguments.at(0).mid(7);
        return true;
    }
    return false;
}

QStringList argumentsOf(int argc, char *argv[])
{
    QStringList arguments;
    for (int index = 1; index < argc; ++index)
        arguments << QString::fromLocal8Bit(argv[index]);
    return arguments;
}

} // namespace

int main(int argc, char *argv[])
{
    const QStringList arguments = argumentsOf(argc, argv);
    QString home;
    if (!wantsDesktop(arguments, &home)) {
        // Headless commands never need a display.
        QCoreApplication application(argc, argv);
        QCoreApplication::setApplicationName(QStringLiteral("vantrel"));
        QTextStream out(stdout);
        QTextStream err(stderr);
        const int exitCode = runCommandLine(arguments, out, err);
        if (exitCode == ExitBrokenPipe) {
            // The network code ignores SIGPIPE; end as the shell's tools do
            // when their reader goes away.
            std::signal(SIGPIPE, SIG_DFL);
            std::raise(SIGPIPE);
        }
        return exitCode;
    }

    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY") &&
        qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")) {
        QTextStream(stderr) << "vantrel: there is no display to open the desktop program on; "
                               "see vantrel --help for the commands that run without one"
                            << Qt::endl;
        return 1;
    }
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("vantrel"));
    DesktopProgram program(ProgramFolder::resolveForProcess(home));
    program.start();
    return QApplication::exec();
}
