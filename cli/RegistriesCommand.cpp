#include "cli/RegistriesCommand.h"

#include "core/RegistryDirectory.h"
#include "core/RegistryLimits.h"
#include "core/RegistryUpdate.h"
#include "settings/ProgramFolder.h"

#include <QCommandLineParser>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QNetworkAccessManager>
#include <QTextStream>

namespace {

constexpr int updateTimeoutMs = 60000;

} // namespace

QString RegistriesCommand::summary() const
{
    return QStringLiteral(
        "Prints which files tell the registries of each TLD and their published query limits, and how old "
        "they are. \"update\" fetches IANA's RDAP bootstrap file into the program folder's registry folder, "
        "where it wins over the copy shipped with the program; a failed or malformed download keeps what "
        "was there.");
}

QList<CommandOption> RegistriesCommand::options() const
{
    return {{QStringLiteral("from"), QStringLiteral("URL"),
             QStringLiteral("update: fetch the bootstrap file from URL (default: $VANTREL_RDAP_BOOTSTRAP_URL, "
                            "else https://data.iana.org/rdap/dns.json)")}};
}

int RegistriesCommand::run(const QStringList &arguments, CommandContext &context)
{
    QCommandLineParser parser;
    if (const auto exitCode = parse(parser, arguments, context))
        return *exitCode;
    const QStringList operands = parser.positionalArguments();
    if (operands.size() > 1 || (operands.size() == 1 && operands.first() != QLatin1String("update")))
        return usageError(context, QStringLiteral("registries takes nothing or update"));
    const bool updating = operands.size() == 1;
    if (!updating && parser.isSet(QStringLiteral("from")))
        return usageError(context, QStringLiteral("--from goes with update"));
    const QString folder = ProgramFolder::resolveForProcess(context.homeOption);
    if (updating)
        return update(folder, parser.value(QStringLiteral("from")), context);
    show(folder, context);
    return ExitSuccess;
}

int RegistriesCommand::update(const QString &folder, const QString &from, CommandContext &context) const
{
    const QUrl url = from.isEmpty() ? RegistryUpdate::bootstrapUrl() : QUrl(from);
    if (!url.isValid() || (url.scheme() != QLatin1String("https") && url.scheme() != QLatin1String("http")))
        return usageError(context, QStringLiteral("%1 is not an http or https address").arg(from));
    QNetworkAccessManager network;
    RegistryUpdate updater(network, updateTimeoutMs);
    QEventLoop loop;
    bool saved = false;
    QString message;
    QObject::connect(&updater, &RegistryUpdate::finished, &loop, [&](bool ok, const QString &text) {
        saved = ok;
        message = text;
        loop.quit();
    });
    updater.start(url, RegistryDirectory::updatedFolder(folder));
    loop.exec();
    (saved ? context.out : context.err) << (saved ? "" : "vantrel: registries: ") << message << Qt::endl;
    return saved ? ExitSuccess : ExitFailure;
}

void RegistriesCommand::show(const QString &folder, CommandContext &context) const
{
    const QString shipped = ProgramFolder::shippedDataDir() + QStringLiteral("/registry");
    const QString updated = RegistryDirectory::updatedFolder(folder);
    RegistryDirectory registries;
    QString error;
    if (!registries.loadFolders(shipped, updated, &error))
        context.err << "vantrel: registries: " << error << Qt::endl;
    const QDateTime published = registries.rdapPublication();
    context.out << "RDAP servers: " << QDir::toNativeSeparators(registries.rdapPath()) << ", "
                << registries.rdapTldCount() << " TLDs, published "
                << (published.isValid() ? published.toString(Qt::ISODate) : QStringLiteral("on no given date"))
                << '\n';
    context.out << "WHOIS servers: " << QDir::toNativeSeparators(registries.whoisPath()) << '\n';
    RegistryLimits limits;
    for (const QString &path : {shipped + QStringLiteral("/limits.txt"), updated + QStringLiteral("/limits.txt")}) {
        if (QFile::exists(path) && !limits.load(path, &error))
            context.err << "vantrel: registries: " << error << Qt::endl;
    }
    for (const RegistryLimitRow &row : limits.rows()) {
        QStringList texts;
        for (const RateLimit &limit : row.limits)
            texts << limit.text();
        context.out << "limit: " << row.registry << " (" << row.hosts.join(QLatin1String(", ")) << "): "
                    << texts.join(QLatin1String(", "))
                    << (row.scope == RegistryLimitRow::Scope::Address ? " per address" : " per /24")
                    << "; read " << row.date.toString(Qt::ISODate) << " from " << row.source << '\n';
    }
}
