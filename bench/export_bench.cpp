// File > "Export Results..." after a 20,000-name run: milliseconds to write
// every list and the saved list as CSV, best of five, and the file's size.
// usage: export_bench [NAMES] (default 20000)
#include "base/Branding.h"
#include "core/DomainListModel.h"
#include "search/LookupSession.h"
#include "search/ResultsExport.h"
#include "settings/SettingsStore.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QTemporaryDir>

#include <cstdio>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const int names = argc > 1 ? QString::fromLocal8Bit(argv[1]).toInt() : 20000;
    QTemporaryDir home;
    QTemporaryDir config;
    if (names <= 0 || !home.isValid() || !config.isValid()) {
        std::fprintf(stderr, "export_bench: NAMES must be a positive number and temporary folders must work\n");
        return 1;
    }
    SettingsStore settings({config.filePath(QStringLiteral("user")), config.filePath(QStringLiteral("machine"))},
                           QStringLiteral("bench"), QStringLiteral("bench"));
    LookupSession session(home.path(), settings);
    DomainListModel saved;
    ResultsExport exporter(session, saved);

    // The lists as a run leaves them: a record of every answer. The profile
    // files the lists would rewrite after each name are not part of what is
    // measured, so records go into the lists' models directly.
    const ResultList lists[] = {ResultList::High, ResultList::Mid, ResultList::Low};
    const QDateTime answeredAt = QDateTime::currentDateTimeUtc();
    for (int i = 0; i < names; ++i) {
        LookupResult record{0, QStringLiteral("name-%1.com").arg(i), QStringLiteral("whois.verisign-grs.com"),
                            LookupResult::Kind::Available};
        record.answeredAt = answeredAt;
        session.results().model(lists[i % 3])->append(record);
        if (i % 50 == 0)
            saved.append(record.domain);
    }

    const QString path = home.filePath(QStringLiteral("results.csv"));
    qint64 best = -1;
    for (int round = 0; round < 5; ++round) {
        QElapsedTimer clock;
        clock.start();
        QString error;
        if (!exporter.write(path, &error)) {
            std::fprintf(stderr, "export_bench: %s\n", qPrintable(error));
            return 1;
        }
        const qint64 elapsed = clock.elapsed();
        best = best < 0 ? elapsed : qMin(best, elapsed);
    }
    std::printf("export of %d names (+%d saved): %lld ms (best of 5), %lld bytes\n", names, int(saved.size()), best,
                QFileInfo(path).size());
    return 0;
}
