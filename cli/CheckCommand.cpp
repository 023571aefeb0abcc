#include "cli/CheckCommand.h"

#include "cli/HeadlessRun.h"
#include "search/StringListWordSource.h"
#include "settings/ProgramFolder.h"
#include "settings/SettingsStore.h"

#include <QCommandLineParser>
#include <QFile>
#include <QTextStream>

namespace {

// The usable lines of a domain list file: neither empty nor a lone CR.
bool readListFile(const QString &path, QStringList &names, QString *error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *error = QStringLiteral("cannot read %1: %2").arg(path, file.errorString());
        return false;
    }
    while (!file.atEnd()) {
        QByteArray line = file.readLine();
        if (line.endsWith('\n'))
            line.chop(1);
        if (line.endsWith('\r'))
            line.chop(1);
        if (!line.isEmpty())
            names << QString::fromLatin1(line);
    }
    return true;
}

} // namespace

QString CheckCommand::summary() const
{
    return QStringLiteral("Asks WHOIS about each NAME (and each name of the list FILE), files the available ones "
                          "into the profile files of the program folder and prints a row per name: the name, its "
                          "verdict (available, registered, blocked, timeout or error), the server asked and the "
                          "reason: the phrase or rule that decided.");
}

QList<CommandOption> CheckCommand::options() const
{
    return QList<CommandOption>{{QStringLiteral("list"), QStringLiteral("FILE"),
                                 QStringLiteral("also check the names of FILE, one per line")}} +
           sharedOptions();
}

int CheckCommand::run(const QStringList &arguments, CommandContext &context)
{
    QCommandLineParser parser;
    RunOptions options;
    if (const auto exitCode = parse(parser, arguments, context))
        return *exitCode;
    if (const auto exitCode = readSharedOptions(parser, context, options))
        return *exitCode;

    // An empty argument names nothing; as a word it would end the run.
    QStringList names = parser.positionalArguments();
    names.removeAll(QString());
    const QString listFile = parser.value(QStringLiteral("list"));
    const bool listGiven = parser.isSet(QStringLiteral("list"));
    if (listGiven) {
        QString error;
        if (!readListFile(listFile, names, &error))
            return usageError(context, error);
    }
    if (names.isEmpty() && !listGiven)
        return usageError(context, QStringLiteral("no NAME or --list given"));

    SettingsStore settings = settingsStore(context);
    HeadlessRun run(context, ProgramFolder::resolveForProcess(context.homeOption), settings, options.poolSize,
                    options.output);
    QString error;
    if (!prepareRun(run, options, QStringLiteral("check"), &error)) {
        context.err << "vantrel check: " << error << Qt::endl;
        return ExitFailure;
    }

    StringListWordSource source(names);
    return run.run(source, 1, source.size());
}
