#include "cli/ResultWriter.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QTextStream>

#include <algorithm>
#include <iterator>

namespace {

const char *const formatNames[] = {"tsv", "csv", "json"};

// RFC 4180: a field holding a comma, a quote or a line break is quoted, its
// quotes doubled.
QString csvField(QString value)
{
    static const QString special = QStringLiteral(",\"\r\n");
    if (std::none_of(value.cbegin(), value.cend(), [](QChar c) { return special.contains(c); }))
        return value;
    value.replace(QLatin1Char('"'), QLatin1String("\"\""));
    return QLatin1Char('"') + value + QLatin1Char('"');
}

} // namespace

ResultWriter::ResultWriter(QTextStream &out, OutputFormat format, const QStringList &columns)
    : m_out(out)
    , m_format(format)
    , m_columns(columns)
{
}

void ResultWriter::write(const QStringList &values)
{
    switch (m_format) {
    case OutputFormat::Tsv:
        writeTsv(values);
        break;
    case OutputFormat::Csv:
        writeCsv(values);
        break;
    case OutputFormat::Json:
        writeJson(values);
        break;
    }
    m_out.flush();
}

void ResultWriter::writeTsv(const QStringList &values)
{
    m_out << values.join(QLatin1Char('\t')) << '\n';
}

void ResultWriter::writeCsv(const QStringList &values)
{
    const auto writeLine = [this](const QStringList &fields) {
        QStringList quoted;
        for (qsizetype index = 0; index < m_columns.size(); ++index)
            quoted << csvField(fields.value(index));
        m_out << quoted.join(QLatin1Char(',')) << "\r\n";
    };
    if (!m_headerWritten) {
        writeLine(m_columns);
        m_headerWritten = true;
    }
    writeLine(values);
}

void ResultWriter::writeJson(const QStringList &values)
{
    QJsonObject object;
    for (qsizetype index = 0; index < m_columns.size(); ++index)
        object.insert(m_columns.at(index), values.value(index));
    m_out << QString::fromUtf8(QJsonDocument(object).toJson(QJsonDocument::Compact)) << '\n';
}

std::optional<OutputFormat> ResultWriter::formatFromText(const QString &text)
{
    for (int index = 0; index < int(std::size(formatNames)); ++index) {
        if (text == QLatin1String(formatNames[index]))
            return OutputFormat(index);
    }
    return std::nullopt;
}

QStringList ResultWriter::formatTexts()
{
    QStringList texts;
    for (const char *name : formatNames)
        texts << QLatin1String(name);
    return texts;
}
