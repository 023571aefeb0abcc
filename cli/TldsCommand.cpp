#include "cli/TldsCommand.h"

#include "core/TldFile.h"
#include "settings/ProgramFolder.h"

#include <QCommandLineParser>
#include <QTextStream>

QString TldsCommand::summary() const
{
    return QStringLiteral("Creates the program folder's data files and TLDs.txt when missing, then prints the "
                          "enabled extensions, one per line.");
}

int TldsCommand::run(const QStringList &arguments, CommandContext &context)
{
    QCommandLineParser parser;
    if (const auto exitCode = parse(parser, arguments, context))
        return *exitCode;

    const QString folder = ProgramFolder::resolveForProcess(context.homeOption);
    if (!ProgramFolder::createStartupFilesAndFolders(folder)) {
        context.err << "vantrel: tlds: the program folder " << folder << " is not usable (missing or read-only)"
                    << Qt::endl;
        return ExitFailure;
    }
    const TldFile tldFile(folder);
    QString error;
    if (!tldFile.writeDefaultTldTable(false, &error)) {
        context.err << "vantrel: tlds: " << error << Qt::endl;
        return ExitFailure;
    }
    const QStringList extensions = tldFile.enabledExtensions(&error);
    if (!error.isEmpty()) {
        context.err << "vantrel: tlds: " << error << Qt::endl;
        return ExitFailure;
    }
    for (const QString &extension : extensions)
        context.out << extension << '\n';
    return ExitSuccess;
}
