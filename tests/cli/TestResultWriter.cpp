#include "cli/ResultWriter.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QTest>
#include <QTextStream>

using namespace Qt::StringLiterals;

class TestResultWriter : public QObject
{
    Q_OBJECT

private slots:
    void formats_data();
    void formats();
    void jsonLinesParse();
};

namespace {

const QStringList columns{u"name"_s, u"verdict"_s, u"server"_s, u"reason"_s};

QString written(OutputFormat format, const QList<QStringList> &rows)
{
    QString text;
    QTextStream stream(&text);
    ResultWriter writer(stream, format, columns);
    for (const QStringList &row : rows)
        writer.write(row);
    return text;
}

} // namespace

void TestResultWriter::formats_data()
{
    QTest::addColumn<int>("format");
    QTest::addColumn<QList<QStringList>>("rows");
    QTest::addColumn<QString>("expected");

    const QList<QStringList> plain{{u"a.com"_s, u"available"_s, u"whois.example"_s},
                                   {u"b.zz"_s, u"error"_s, QString()}};
    QTest::newRow("tsv keeps three columns")
        << int(OutputFormat::Tsv) << plain << u"a.com\tavailable\twhois.example\nb.zz\terror\t\n"_s;
    QTest::newRow("tsv prints a reason when the row has one")
        << int(OutputFormat::Tsv) << QList<QStringList>{{u"a.com"_s, u"timeout"_s, u"w"_s, u"no answer"_s}}
        << u"a.com\ttimeout\tw\tno answer\n"_s;
    QTest::newRow("csv header once, empty reason, CRLF")
        << int(OutputFormat::Csv) << plain
        << u"name,verdict,server,reason\r\na.com,available,whois.example,\r\nb.zz,error,,\r\n"_s;
    QTest::newRow("csv quotes commas, quotes and line breaks")
        << int(OutputFormat::Csv) << QList<QStringList>{{u"a,b"_s, u"say \"no\""_s, u"two\r\nlines"_s, u" plain "_s}}
        << u"name,verdict,server,reason\r\n\"a,b\",\"say \"\"no\"\"\",\"two\r\nlines\", plain \r\n"_s;
    QTest::newRow("nothing written, no header") << int(OutputFormat::Csv) << QList<QStringList>() << QString();
}

void TestResultWriter::formats()
{
    QFETCH(int, format);
    QFETCH(QList<QStringList>, rows);
    QFETCH(QString, expected);
    QCOMPARE(written(OutputFormat(format), rows), expected);
}

void TestResultWriter::jsonLinesParse()
{
    const QString text = written(OutputFormat::Json, {{u"a.com"_s, u"available"_s, u"whois.example"_s},
                                                      {u"q\"\\\t\u00e9.com"_s, u"error"_s, QString(), u"x"_s}});
    const QStringList lines = text.split(u'\n');
    QCOMPARE(lines.size(), 3);
    QVERIFY(lines.last().isEmpty());

    QJsonParseError error;
    const QJsonObject first = QJsonDocument::fromJson(lines.at(0).toUtf8(), &error).object();
    QCOMPARE(error.error, QJsonParseError::NoError);
    QCOMPARE(first.keys().size(), 4);
    QCOMPARE(first.value(u"name"_s).toString(), u"a.com"_s);
    QCOMPARE(first.value(u"server"_s).toString(), u"whois.example"_s);
    QCOMPARE(first.value(u"reason"_s).toString(), QString());

    const QJsonObject second = QJsonDocument::fromJson(lines.at(1).toUtf8(), &error).object();
    QCOMPARE(error.error, QJsonParseError::NoError);
    QCOMPARE(second.value(u"name"_s).toString(), u"q\"\\\t\u00e9.com"_s);
    QCOMPARE(second.value(u"reason"_s).toString(), u"x"_s);
}

QTEST_GUILESS_MAIN(TestResultWriter)
#include "TestResultWriter.moc"
