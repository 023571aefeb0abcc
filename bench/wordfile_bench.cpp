// Reads every position of a word list in order, as a search run does.
// usage: wordfile_bench FILE
#include "search/WordFile.h"

#include <QElapsedTimer>
#include <QTextStream>

int main(int argc, char *argv[])
{
    QTextStream out(stdout);
    if (argc != 2) {
        out << "usage: wordfile_bench FILE\n";
        return 2;
    }
    WordFile file(QString::fromLocal8Bit(argv[1]));
    QElapsedTimer timer;
    timer.start();
    const qint32 count = file.countListEntries();
    qint64 characters = 0;
    for (qint32 position = 1; position <= count; ++position)
        characters += file.readWord(position).word.size();
    out << "read " << count << " positions (" << characters << " characters) in " << timer.elapsed() << " ms\n";
    return 0;
}
