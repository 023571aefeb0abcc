#include "cli/Command.h"

#include "base/Branding.h"
#include "settings/ProgramFolder.h"
#include "settings/SettingsStore.h"

#include <QCommandLineParser>
#include <QTextStream>

#include <algorithm>

namespace {

constexpr int helpWidth = 79;
constexpr int optionColumn = 22;

// Breaks text into lines of at most width characters, at spaces.
QStringList wrapped(const QString &text, int width)
{
    QStringList lines;
    QString line;
    const QStringList words = text.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    for (const QString &word : words) {
        if (!line.isEmpty() && line.size() + 1 + word.size() > width) {
            lines << line;
            line.clear();
        }
        line += (line.isEmpty() ? QString() : QStringLiteral(" ")) + word;
    }
    if (!line.isEmpty())
        lines << line;
    return lines;
}

// "  --tld EXT" and its description from the option column on, continuing
// lines indented to it.
void printOption(QTextStream &stream, const QString &label, const QString &description)
{
    const QStringList lines = wrapped(description, helpWidth - optionColumn);
    QString head = QStringLiteral("  ") + label;
    if (head.size() >= optionColumn - 1) {
        stream << head << '\n';
        head.clear();
    }
    for (const QString &line : lines) {
        stream << head.leftJustified(optionColumn) << line << '\n';
        head.clear();
    }
}

QString optionLabel(const CommandOption &option)
{
    QString label = QStringLiteral("--") + option.name;
    if (!option.valueName.isEmpty())
        label += QLatin1Char(' ') + option.valueName;
    return label;
}

} // namespace

QString Command::synopsis() const
{
    QStringList parts;
    const QList<CommandOption> declared = options();
    for (const CommandOption &option : declared) {
        QString part = optionLabel(option);
        if (option.repeatable)
            part += QStringLiteral(" ...");
        parts << (option.required ? part : QLatin1Char('[') + part + QLatin1Char(']'));
    }
    if (!operands().isEmpty())
        parts << operands();
    return parts.join(QLatin1Char(' '));
}

QString Command::usageLine() const
{
    const QString rest = synopsis();
    return QStringLiteral("usage: vantrel [--home DIR] ") + name() +
           (rest.isEmpty() ? QString() : QLatin1Char(' ') + rest);
}

void Command::printHelp(QTextStream &stream) const
{
    stream << usageLine() << "\n\n";
    const QStringList summaryLines = wrapped(summary(), helpWidth);
    for (const QString &line : summaryLines)
        stream << line << '\n';

    stream << "\nOptions:\n";
    const QList<CommandOption> declared = options();
    for (const CommandOption &option : declared)
        printOption(stream, optionLabel(option), option.description);
    printOption(stream, QStringLiteral("--home DIR"),
                QStringLiteral("the program folder, also taken before the command (default: $VANTREL_HOME, else "
                               "the folder of a portable copy, else ~/.local/share/vantrel)"));
    printOption(stream, QStringLiteral("-h, --help"), QStringLiteral("show this help"));

    stream << "\nExample:\n  " << example() << "\n\nExit status:\n";
    const QList<ExitCode> codes = exitCodes();
    for (ExitCode code : codes) {
        const bool perName = code == ExitSuccess && codes.contains(ExitIncomplete);
        printOption(stream, QString::number(code),
                    perName ? QStringLiteral("every name was found available or registered")
                            : exitCodeMeaning(code));
    }
    stream.flush();
}

QString Command::exitCodeMeaning(ExitCode code)
{
    switch (code) {
    case ExitSuccess:
        return QStringLiteral("success");
    case ExitFailure:
        return QStringLiteral("a fatal error");
    case ExitUsage:
        return QStringLiteral("a usage error");
    case ExitIncomplete:
        return QStringLiteral("some names ended blocked, in error or timeout: their answer is unknown");
    case ExitInterrupted:
        return QStringLiteral("interrupted (Ctrl+C)");
    case ExitBrokenPipe:
        return QStringLiteral("standard output was closed (ended by SIGPIPE)");
    }
    return {};
}

std::optional<int> Command::parse(QCommandLineParser &parser, const QStringList &arguments,
                                  CommandContext &context) const
{
    const QCommandLineOption helpOption(QStringList{QStringLiteral("h"), QStringLiteral("help")});
    const QCommandLineOption homeOption(QStringLiteral("home"), QString(), QStringLiteral("DIR"));
    parser.addOptions({helpOption, homeOption});
    const QList<CommandOption> declared = options();
    for (const CommandOption &option : declared)
        parser.addOption(QCommandLineOption(option.name, option.description, option.valueName));

    if (!parser.parse(QStringList{name()} + arguments))
        return usageError(context, parser.errorText());
    if (parser.isSet(helpOption)) {
        printHelp(context.out);
        return ExitSuccess;
    }
    if (parser.isSet(homeOption)) {
        if (parser.value(homeOption).isEmpty())
            return usageError(context, QStringLiteral("--home needs a folder"));
        context.homeOption = parser.value(homeOption);
    }
    for (const CommandOption &option : declared) {
        if (option.required && !parser.isSet(option.name))
            return usageError(context, QStringLiteral("no --%1 given").arg(option.name));
        if (!option.repeatable && parser.values(option.name).size() > 1)
            return usageError(context, QStringLiteral("--%1 given more than once").arg(option.name));
    }
    if (operands().isEmpty() && !parser.positionalArguments().isEmpty())
        return usageError(context, QStringLiteral("unexpected argument %1").arg(parser.positionalArguments().first()));
    return std::nullopt;
}

CommandOption Command::formatOption()
{
    return {QStringLiteral("format"), QStringLiteral("FORMAT"),
            QStringLiteral("print the results as tsv (the default: tab-separated, no header), csv (RFC 4180, with "
                           "a header line) or json (one object per line)")};
}

CommandOption Command::quietOption()
{
    return {QStringLiteral("quiet"), QString(), QStringLiteral("show no progress on standard error")};
}

std::optional<int> Command::readOutputOptions(const QCommandLineParser &parser, CommandContext &context,
                                              OutputOptions &output) const
{
    const QList<CommandOption> declared = options();
    const auto declares = [&declared](const QString &option) {
        return std::any_of(declared.cbegin(), declared.cend(),
                           [&option](const CommandOption &entry) { return entry.name == option; });
    };
    const QString format = formatOption().name;
    if (declares(format) && parser.isSet(format)) {
        const std::optional<OutputFormat> chosen = ResultWriter::formatFromText(parser.value(format));
        if (!chosen)
            return usageError(context, QStringLiteral("--format takes one of: %1")
                                           .arg(ResultWriter::formatTexts().join(QStringLiteral(", "))));
        output.format = *chosen;
    }
    output.quiet = declares(quietOption().name) && parser.isSet(quietOption().name);
    return std::nullopt;
}

int Command::usageError(CommandContext &context, const QString &message) const
{
    context.err << "vantrel: " << name() << ": " << message << '\n'
                << usageLine() << '\n'
                << "(see vantrel help " << name() << ")" << Qt::endl;
    return ExitUsage;
}

CommandOption Command::historyOption()
{
    return {QStringLiteral("db"), QStringLiteral("URL"),
            QStringLiteral("keep the verdicts in this history, and take --recheck-after answers from it: a "
                           "postgresql://user@host:port/db URL that several machines share (password from the URL "
                           "or PGPASSFILE), or a file (default: the setting, else history.sqlite in the program "
                           "folder)")};
}

std::optional<int> Command::readHistoryOption(const QCommandLineParser &parser, CommandContext &context,
                                                    std::optional<HistoryDatabase> &history) const
{
    if (!parser.isSet(QStringLiteral("db")))
        return std::nullopt;
    QString error;
    history = HistoryDatabase::fromText(parser.value(QStringLiteral("db")),
                                        ProgramFolder::resolveForProcess(context.homeOption), &error);
    if (!history)
        return usageError(context, error);
    return std::nullopt;
}

SettingsStore Command::settingsStore(CommandContext &context)
{
    const Branding branding;
    SettingsStore settings(SettingsLocations::fromEnvironment(), branding.companyName, branding.settingsName);
    // No one to ask: say what was lost and go on.
    settings.setMachineWriteFailureHandler([&err = context.err](const QString &key, const QString &file) {
        err << QStringLiteral("vantrel: could not store the setting %1 in %2").arg(key, file) << Qt::endl;
        return false;
    });
    return settings;
}

QString Command::tldOptionText(QString tld)
{
    if (tld.startsWith(QLatin1Char('.')))
        tld.remove(0, 1);
    return tld;
}
