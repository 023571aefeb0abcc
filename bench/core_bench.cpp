// Lookup-path micro benchmarks: run by hand, e.g.
//   ./build/bench/core_bench --benchmark_min_time=1
#include "core/DefaultTldTable.h"
#include "core/NamePreparation.h"
#include "core/ReplyVerdict.h"
#include "core/TldFile.h"
#include "core/TldTable.h"
#include "core/Verdict.h"

#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace {

// A registered reply of about 4 KiB, without any success phrase.
QByteArray registeredReply()
{
    QByteArray reply = "   Domain Name: EXAMPLE-NAME.COM\r\n   Registry Domain ID: 2336799_DOMAIN_COM-VRSN\r\n"
                       "   Registrar WHOIS Server: whois.registrar.example\r\n";
    while (reply.size() < 4096)
        reply += "   Name Server: NS1.EXAMPLE-HOSTING.NET\r\n   DNSSEC: unsigned\r\n";
    return reply.left(4096);
}

// About 4 KiB of terms of use in which no rule and no phrase counts, so every
// rule is looked for in the whole reply.
QByteArray termsOfUseReply()
{
    QByteArray reply;
    while (reply.size() < 4096)
        reply += "% The data in this service is provided for information purposes only and is made available\r\n"
                 "% to assist persons in obtaining information about a domain name registration record.\r\n";
    return reply.left(4096);
}

TldTable loadDefaultTable(const QTemporaryDir &folder)
{
    const TldFile file(folder.path());
    file.writeDefaultTldTable(true);
    TldTable table;
    file.loadTldTable(table);
    return table;
}

void prepareFindAndJudge(benchmark::State &state)
{
    QTemporaryDir folder;
    const TldTable table = loadDefaultTable(folder);
    const QByteArray reply = registeredReply();
    for (auto _ : state) {
        const QString name =
            prepareLookupName(QStringLiteral("related:Example%20Name"), QString(), QStringLiteral(".com"));
        const int tldIndex = table.findTldIndex(name, false);
        const Verdict verdict = judgeReplyText(reply, table.entry(tldIndex).successIndicators);
        benchmark::DoNotOptimize(verdict);
    }
}
BENCHMARK(prepareFindAndJudge)->Unit(benchmark::kMicrosecond);

void prepareOnly(benchmark::State &state)
{
    for (auto _ : state)
        benchmark::DoNotOptimize(
            prepareLookupName(QStringLiteral("related:Example%20Name"), QString(), QStringLiteral(".com")));
}
BENCHMARK(prepareOnly)->Unit(benchmark::kMicrosecond);

void judgeOnly(benchmark::State &state)
{
    const QByteArray reply = registeredReply();
    for (auto _ : state)
        benchmark::DoNotOptimize(judgeReplyText(reply, QString::fromLatin1(DefaultTldTable::standardIndicators)));
}
BENCHMARK(judgeOnly)->Unit(benchmark::kMicrosecond);

// The verdict that reads the whole reply, on a registration record and on a
// reply that matches nothing.
void judgeWholeReply(benchmark::State &state)
{
    const QByteArray reply = state.range(0) == 0 ? registeredReply() : termsOfUseReply();
    const VerdictRule phrases(QString::fromLatin1(DefaultTldTable::standardIndicators));
    const QString name = QStringLiteral("example-name.com");
    for (auto _ : state)
        benchmark::DoNotOptimize(ReplyVerdict::shipped().judge(reply, name, phrases));
}
BENCHMARK(judgeWholeReply)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

void findTldIndexLastRow(benchmark::State &state)
{
    QTemporaryDir folder;
    const TldTable table = loadDefaultTable(folder);
    const QString name = QStringLiteral("example.zoo");
    for (auto _ : state)
        benchmark::DoNotOptimize(table.findTldIndex(name, false));
}
BENCHMARK(findTldIndexLastRow)->Unit(benchmark::kMicrosecond);

void loadDefaultTldTable(benchmark::State &state)
{
    QTemporaryDir folder;
    const TldFile file(folder.path());
    file.writeDefaultTldTable(true);
    for (auto _ : state) {
        TldTable table;
        file.loadTldTable(table);
        benchmark::DoNotOptimize(table.size());
    }
}
BENCHMARK(loadDefaultTldTable)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
