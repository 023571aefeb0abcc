// Name creator benchmark: run by hand, e.g.
//   ./build/bench/generate_bench --benchmark_min_time=1
#include "generate/AppendsFile.h"
#include "generate/CreatedDomainsFile.h"
#include "generate/NameGenerator.h"

#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace {

const QStringList tenTlds = {QStringLiteral(".com"),   QStringLiteral(".net"),  QStringLiteral(".org"),
                             QStringLiteral(".biz"),   QStringLiteral(".info"), QStringLiteral(".name"),
                             QStringLiteral(".co.uk"), QStringLiteral(".de"),   QStringLiteral(".us"),
                             QStringLiteral(".tv")};

// 1,000 list words in an Appends.txt; with all three boxes ticked and ten
// TLDs they make 40,000 names (plus ten plain ones).
QByteArray appendsContents()
{
    QByteArray contents = "\r\n";
    for (int i = 0; i < 1000; ++i)
        contents += "word" + QByteArray::number(i) + "\r\n";
    return contents;
}

// What a run does without the window: read the words, make the names, write
// CreatedDomains.txt.
void generateAndWrite(benchmark::State &state)
{
    QTemporaryDir folder;
    QFile appends(AppendsFile(folder.path()).path());
    if (!appends.open(QIODevice::WriteOnly) || appends.write(appendsContents()) < 0) {
        state.SkipWithError("cannot write Appends.txt");
        return;
    }
    appends.close();

    qsizetype made = 0;
    for (auto _ : state) {
        QStringList words;
        AppendsFile(folder.path()).readWords(words);
        const QStringList names = NameGenerator(QStringLiteral("shop"), tenTlds, NameForms{}).generate(words);
        if (!CreatedDomainsFile(folder.path()).write(names)) {
            state.SkipWithError("cannot write CreatedDomains.txt");
            return;
        }
        made = names.size();
    }
    state.counters["names"] = double(made);
}
BENCHMARK(generateAndWrite)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
