#include "cli/ExtractCommand.h"

#include "core/RegistryDirectory.h"
#include "core/TldFile.h"
#include "core/TldTable.h"
#include "harvest/BrowsedPageExtraction.h"
#include "harvest/CollectedList.h"
#include "harvest/DomainExtraction.h"
#include "harvest/NameRules.h"
#include "harvest/PageReading.h"
#include "settings/ProgramFolder.h"

#include <QCommandLineParser>
#include <QFile>
#include <QTemporaryDir>
#include <QTextStream>

#include <cstdio>

namespace {

// An empty path reads standard input.
bool readPage(const QString &path, QByteArray &page, QString *error)
{
    QFile file(path);
    const bool opened = path.isEmpty() ? file.open(stdin, QIODevice::ReadOnly) : file.open(QIODevice::ReadOnly);
    if (opened) {
        page = file.readAll();
        if (file.error() == QFileDevice::NoError)
            return true;
    }
    *error = QStringLiteral("cannot read %1: %2")
                 .arg(path.isEmpty() ? QStringLiteral("standard input") : path, file.errorString());
    return false;
}

QString extractAsListBuilder(const QList<QByteArray> &pages, const NameRules &rules)
{
    CollectedList list;
    ExtractionCounters counters;
    for (const QByteArray &page : pages)
        extractDomains(QString::fromLatin1(page), rules, list, counters);
    return list.text();
}

// The browse window reads the body the browser holds; a saved page's head
// (its scripts and metadata) is not part of it. The list file goes to a
// folder of its own, so a browse window open meanwhile is not disturbed.
QString extractAsBrowsed(const QList<QByteArray> &pages, const NameRules &rules, const QString &folder, QString *error)
{
    QTemporaryDir work(folder + QLatin1String("/extract-XXXXXX"));
    if (!work.isValid()) {
        *error = work.errorString();
        return {};
    }
    BrowsedPages browsed;
    for (const QByteArray &page : pages) {
        if (!extractBrowsedPage(bodyOfPage(QString::fromLatin1(page)), rules, browsed, browsedNamesPath(work.path()),
                                nullptr, error))
            return {};
    }
    return browsed.seenList.text();
}

} // namespace

QString ExtractCommand::summary() const
{
    return QStringLiteral(
        "Extracts the domain names of each saved page FILE (standard input without FILE, or for \"-\") into "
        "one list, as the list builder does with result pages (with --browsed: as the browse window does with "
        "the pages it shows), using the enabled TLDs (with --all-tlds: every TLD that has a registry), and "
        "prints the list, one name per line.");
}

QList<CommandOption> ExtractCommand::options() const
{
    return {{QStringLiteral("browsed"), QString(),
             QStringLiteral("Extract as the browse window does with the pages it shows.")},
            {QStringLiteral("all-tlds"), QString(),
             QStringLiteral("Take names under every TLD that has a registry, not only the enabled rows.")}};
}

int ExtractCommand::run(const QStringList &arguments, CommandContext &context)
{
    QCommandLineParser parser;
    if (const auto exitCode = parse(parser, arguments, context))
        return *exitCode;
    const bool browsed = parser.isSet(QStringLiteral("browsed"));
    QStringList paths = parser.positionalArguments();
    if (paths.isEmpty())
        paths << QString();

    QList<QByteArray> pages;
    for (const QString &path : std::as_const(paths)) {
        QString error;
        pages.append(QByteArray());
        if (!readPage(path == QLatin1String("-") ? QString() : path, pages.last(), &error))
            return usageError(context, error);
    }

    const QString folder = ProgramFolder::resolveForProcess(context.homeOption);
    if (!ProgramFolder::createStartupFilesAndFolders(folder)) {
        context.err << "vantrel: extract: the program folder " << folder << " is not usable (missing or read-only)"
                    << Qt::endl;
        return ExitFailure;
    }
    const TldFile tldFile(folder);
    TldTable table;
    QString error;
    if (!tldFile.writeDefaultTldTable(false, &error) || !tldFile.loadTldTable(table, &error)) {
        context.err << "vantrel: extract: " << error << Qt::endl;
        return ExitFailure;
    }

    RegistryDirectory registries;
    const bool everyTld = parser.isSet(QStringLiteral("all-tlds"));
    if (everyTld && !registries.loadFolders(ProgramFolder::shippedDataDir() + QLatin1String("/registry"),
                                            RegistryDirectory::updatedFolder(folder), &error)) {
        context.err << "vantrel extract: " << error << Qt::endl;
        return ExitFailure;
    }
    error.clear();
    const NameRules rules(table.enabledExtensionSet(), everyTld ? &registries : nullptr, HarvestData::shipped());
    const QString names = browsed ? extractAsBrowsed(pages, rules, folder, &error) : extractAsListBuilder(pages, rules);
    if (!error.isEmpty()) {
        context.err << "vantrel: extract: " << error << Qt::endl;
        return ExitFailure;
    }

    // The names are 8-bit text: print their bytes as they came.
    const auto encoding = context.out.encoding();
    context.out.setEncoding(QStringConverter::Latin1);
    const QStringList entries = names.split(QLatin1String("\r\n"), Qt::SkipEmptyParts);
    for (const QString &entry : entries)
        context.out << entry << '\n';
    context.out.flush();
    context.out.setEncoding(encoding);
    return ExitSuccess;
}
