#pragma once

#include <QStringList>

#include <optional>

class QTextStream;

enum class OutputFormat { Tsv, Csv, Json };

// What a command's --format and --quiet asked for.
struct OutputOptions
{
    OutputFormat format = OutputFormat::Tsv;
    bool quiet = false; // no progress on stderr
    bool availableOnly = false;
    bool showReply = false; // each registry's reply after its row
};

// Writes result rows in the format a command's --format option picked. The
// columns are fixed when the writer is made; a row may leave out trailing
// columns: TSV then prints only the values given (the plain output stays as
// it has always been), CSV and JSON print them empty.
class ResultWriter
{
public:
    ResultWriter(QTextStream &out, OutputFormat format, const QStringList &columns);

    void write(const QStringList &values);

    // "tsv", "csv" or "json"; nullopt for anything else.
    static std::optional<OutputFormat> formatFromText(const QString &text);
    static QStringList formatTexts();

private:
    void writeTsv(const QStringList &values);
    void writeCsv(const QStringList &values);
    void writeJson(const QStringList &values);

    QTextStream &m_out;
    OutputFormat m_format;
    QStringList m_columns;
    bool m_headerWritten = false;
};
