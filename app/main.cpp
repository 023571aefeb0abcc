#include "app/DesktopProgram.h"
#include "settings/ProgramFolder.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QTextStream>

namespace {

const char usage[] = "usage: vantrel-desktop [--home DIR]\n"
                     "Opens the desktop program. The commands that run without a display are in vantrel\n"
                     "(see vantrel --help).";

// Reads `vantrel-desktop [--home DIR]` into *home. On --help, or on anything
// else after printing what is wrong, it prints the usage and returns false
// with the exit code in *exitCode.
bool readArguments(int argc, char *argv[], QString *home, int *exitCode)
{
    QStringList arguments;
    for (int index = 0; index < argc; ++index)
        arguments << QString::fromLocal8Bit(argv[index]);
    QCommandLineParser parser;
    const QCommandLineOption homeOption(QStringLiteral("home"), QString(), QStringLiteral("DIR"));
    const QCommandLineOption helpOption(QStringList{QStringLiteral("h"), QStringLiteral("help")});
    parser.addOptions({homeOption, helpOption});
    if (parser.parse(arguments) && parser.isSet(helpOption)) {
        QTextStream(stdout) << usage << Qt::endl;
        *exitCode = 0;
        return false;
    }
    QString error = parser.errorText();
    if (error.isEmpty() && !parser.positionalArguments().isEmpty())
        error = QStringLiteral("unexpected argument ") + parser.positionalArguments().constFirst();
    if (!error.isEmpty()) {
        QTextStream(stderr) << "vantrel-desktop: " << error << "\n" << usage << Qt::endl;
        *exitCode = 2;
        return false;
    }
    *home = parser.value(homeOption);
    return true;
}

} // namespace

int main(int argc, char *argv[])
{
    QString home;
    int exitCode = 0;
    if (!readArguments(argc, argv, &home, &exitCode))
        return exitCode;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY") &&
        qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")) {
        QTextStream(stderr) << "vantrel-desktop: there is no display to open the desktop program on; "
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
