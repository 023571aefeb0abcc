#include "cli/CheckCommand.h"

#include "cli/HeadlessRun.h"
#include "core/ConnectionPool.h"
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
    return QStringLiteral("Asks WHOIS about each NAME (and each name of the list FILE), files the results into the "
                          "profile files and prints \"<name> TAB <verdict> TAB <server> TAB <reason>\" per name "
                          "(reason: the phrase or rule that decided).");
}

int CheckCommand::run(const QStringList &arguments, CommandContext &context)
{
    QCommandLineParser parser;
    const QCommandLineOption tldOption(QStringLiteral("tld"), QString(), QStringLiteral("EXT"));
    const QCommandLineOption slotsOption(QStringLiteral("slots"), QString(), QStringLiteral("N"), QStringLiteral("1"));
    const QCommandLineOption listOption(QStringLiteral("list"), QString(), QStringLiteral("FILE"));
    parser.addOptions({tldOption, slotsOption, listOption});
    if (!parser.parse(QStringList{name()} + arguments))
        return usageError(context, parser.errorText());

    bool slotsValid = false;
    const int poolSize = parser.value(slotsOption).toInt(&slotsValid);
    if (!slotsValid || poolSize < 1 || poolSize > ConnectionPool::maxPoolSize)
        return usageError(context,
                          QStringLiteral("--slots takes a number from 1 to %1").arg(ConnectionPool::maxPoolSize));

    // An empty argument names nothing; as a word it would end the run.
    QStringList names = parser.positionalArguments();
    names.removeAll(QString());
    if (parser.isSet(listOption)) {
        QString error;
        if (!readListFile(parser.value(listOption), names, &error))
            return usageError(context, error);
    }
    if (names.isEmpty() && !parser.isSet(listOption))
        return usageError(context, QStringLiteral("no NAME or --list given"));

    SettingsStore settings = settingsStore(context);
    HeadlessRun run(context, ProgramFolder::resolveForProcess(context.homeOption), poolSize);
    QString error;
    if (!run.prepare(settings, &error)) {
        context.err << "vantrel check: " << error << Qt::endl;
        return ExitFailure;
    }
    const QString tld = tldOptionText(parser.value(tldOption));
    run.setChosenTld(tld);

    StringListWordSource source(names);
    run.run(source, 1, source.size());
    return ExitSuccess;
}
