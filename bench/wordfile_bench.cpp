// Reads every position of a word list in order, as a search run does, then
// the whole list at once, as check --list does.
// usage: wordfile_bench FILE
#include "base/FileUtils.h"
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
    const QString path = QString::fromLocal8Bit(argv[1]);
    WordFile file(path);
    QElapsedTimer timer;
    timer.start();
    const qint32 count = file.countListEntries();
    qint64 characters = 0;
    for (qint32 position = 1; position <= count; ++position)
        characters += file.readWord(position).word.size();
    out << "read " << count << " positions (" << characters << " characters) in " << timer.elapsed() << " ms\n";

    timer.restart();
    QStringList lines;
    if (!readTextLines(path, &lines))
        return 1;
    characters = 0;
    for (const QString &line : std::as_const(lines))
        characters += line.size();
    out << "read " << lines.size() << " lines (" << characters << " characters) at once in " << timer.elapsed()
        << " ms\n";
    return 0;
}
