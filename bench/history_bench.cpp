// Inserting verdicts through the history store, looking up 3,000 of them one
// name at a time and in batches (milliseconds and SQL statements each), and
// opening the History window on them: seconds for the inserts, milliseconds
// until the window's first rows are on screen, and the process's peak memory
// afterwards.
// usage: history_bench [ROWS [FOLDER]] (default 1000000 rows in a temporary
// folder; FOLDER keeps history.sqlite there); run with QT_QPA_PLATFORM=offscreen
#include "core/HistoryStore.h"
#include "core/ui/HistoryTableModel.h"
#include "core/ui/HistoryWindow.h"

#include "base/ConsolePrompt.h"
#include "tests/support/SqliteStatementCounter.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTextStream>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <sys/resource.h>

namespace {

// Runs find (which returns how many verdicts it found) and prints its time
// and the statements it ran.
void lookUp(const HistoryStore &store, const char *how, int names, const std::function<int()> &find)
{
    const SqliteStatementCounter counter(store.connectionName());
    QElapsedTimer clock;
    clock.start();
    const int found = find();
    const qint64 ms = clock.elapsed();
    const QString statements =
        counter.isCounting() ? QString::number(counter.statements()) : QStringLiteral("(not counted)");
    std::printf("look up %d names %s: %lld ms, %s statements, %d found\n", names, how, ms, qPrintable(statements),
                found);
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    const int rows = argc > 1 ? QString::fromLocal8Bit(argv[1]).toInt() : 1000000;
    if (rows <= 0) {
        std::fprintf(stderr, "history_bench: ROWS must be a positive number\n");
        return 1;
    }
    QTemporaryDir dir;
    const QString folder = argc > 2 ? QString::fromLocal8Bit(argv[2]) : dir.path();
    HistoryStore store(HistoryDatabase::inProgramFolder(folder));
    QString error;
    if (!dir.isValid() || !store.open(&error)) {
        std::fprintf(stderr, "history_bench: %s\n", qPrintable(error));
        return 1;
    }

    QElapsedTimer clock;
    clock.start();
    // One verdict a second up to an hour ago: name<i>.com, a settled verdict each.
    const QDateTime start = QDateTime::currentDateTimeUtc().addSecs(-3600 - rows);
    const char *verdicts[] = {"registered", "registered", "registered", "available", "registered"};
    for (int i = 0; i < rows; ++i) {
        store.record({QStringLiteral("name%1.com").arg(i), QStringLiteral("com"), QString::fromLatin1(verdicts[i % 5]),
                      QStringLiteral("whois.verisign-grs.com"), QStringLiteral("phrase:No match"), start.addSecs(i),
                      QStringLiteral("check")});
    }
    if (!store.flush(&error)) {
        std::fprintf(stderr, "history_bench: %s\n", qPrintable(error));
        return 1;
    }
    std::printf("insert %d verdicts: %.2f s\n", rows, clock.elapsed() / 1000.0);

    QStringList names;
    for (int i = 0; i < 3000; ++i)
        names << QStringLiteral("name%1.com").arg(qint64(i) * rows / 3000);
    lookUp(store, "one at a time", int(names.size()), [&] {
        return int(std::count_if(names.cbegin(), names.cend(),
                                 [&](const QString &name) { return store.recentVerdict(name, start).has_value(); }));
    });
    lookUp(store, "in batches", int(names.size()), [&] { return int(store.recentVerdicts(names, start).size()); });

    QTextStream messages(stderr);
    ConsolePrompt prompt(messages);
    clock.restart();
    HistoryWindow window(store, prompt, QStringLiteral("Vantrel"));
    window.show();
    QCoreApplication::processEvents();
    const QString first = window.model()->index(0, 0).data().toString();
    std::printf("History window on %d rows: %lld ms to the first row (%s)\n", rows, clock.elapsed(), qPrintable(first));

    rusage usage = {};
    getrusage(RUSAGE_SELF, &usage);
    std::printf("peak memory: %ld MB\n", usage.ru_maxrss / 1024);
    return first.isEmpty() ? 1 : 0;
}
