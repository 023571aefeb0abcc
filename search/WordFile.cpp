#include "search/WordFile.h"

#include <sys/stat.h>

namespace {

constexpr qint64 chunkSize = 1 << 16;
constexpr char byteOrderMark[] = "\xEF\xBB\xBF";

} // namespace

WordFile::WordFile(const QString &path)
{
    setPath(path);
}

void WordFile::setPath(const QString &path)
{
    m_path = path;
    m_file.close();
    m_stamp = {};
    m_lineStarts.clear();
}

bool WordFile::refresh()
{
    struct stat info;
    if (m_path.isEmpty() || ::stat(QFile::encodeName(m_path).constData(), &info) != 0 || !S_ISREG(info.st_mode)) {
        m_file.close();
        m_stamp = {};
        m_lineStarts.clear();
        return false;
    }
    const FileStamp stamp{qint64(info.st_size), qint64(info.st_mtim.tv_sec) * 1000000000 + info.st_mtim.tv_nsec,
                          quint64(info.st_ino)};
    if (m_file.isOpen() && stamp == m_stamp)
        return true;
    m_file.close();
    m_file.setFileName(m_path);
    if (!m_file.open(QIODevice::ReadOnly)) {
        m_stamp = {};
        m_lineStarts.clear();
        return false;
    }
    m_stamp = stamp;
    return buildIndex();
}

bool WordFile::buildIndex()
{
    m_lineStarts.clear();
    if (!m_file.seek(0))
        return false;
    qint64 position = 0;
    qint64 lineStart = 0;
    bool lineHasText = false;
    // UTF-8 is checked up to the last line end read; a line end never splits a
    // character, so the rest waits for the next chunk.
    m_utf8 = true;
    QByteArray unchecked;
    while (true) {
        const QByteArray chunk = m_file.read(chunkSize);
        if (chunk.isEmpty())
            break;
        qsizetype skip = 0;
        if (position == 0 && chunk.startsWith(byteOrderMark)) {
            skip = 3;
            position = lineStart = 3;
        }
        for (qsizetype index = skip; index < chunk.size(); ++index) {
            const char c = chunk.at(index);
            if (c == '\n' || c == '\r') {
                if (lineHasText)
                    m_lineStarts.append(lineStart);
                lineHasText = false;
                lineStart = position + 1;
            } else {
                lineHasText = true;
            }
            ++position;
        }
        if (m_utf8) {
            unchecked += QByteArrayView(chunk).sliced(skip);
            const qsizetype lastLineEnd = qMax(unchecked.lastIndexOf('\n'), unchecked.lastIndexOf('\r'));
            if (lastLineEnd >= 0) {
                m_utf8 = QByteArrayView(unchecked).first(lastLineEnd).isValidUtf8();
                unchecked.remove(0, lastLineEnd + 1);
            }
        }
    }
    m_utf8 = m_utf8 && QByteArrayView(unchecked).isValidUtf8();
    if (lineHasText)
        m_lineStarts.append(lineStart);
    return m_file.error() == QFileDevice::NoError;
}

WordRead WordFile::readWord(qint32 position)
{
    if (!refresh())
        return WordRead::failed(notFound());
    if (position < 1 || position > m_lineStarts.size())
        return WordRead::endOfList();
    // The file changed between the check and the seek: what was there is gone.
    if (!m_file.seek(m_lineStarts.at(position - 1)))
        return WordRead::endOfList();
    QByteArray line = m_file.readLine();
    while (!line.isEmpty() && (line.endsWith('\n') || line.endsWith('\r')))
        line.chop(1);
    // A lone CR ends a line too, and readLine() does not stop there.
    const qsizetype carriageReturn = line.indexOf('\r');
    if (carriageReturn >= 0)
        line.truncate(carriageReturn);
    return WordRead::found(m_utf8 ? QString::fromUtf8(line) : QString::fromLatin1(line));
}

qint32 WordFile::countListEntries(QString *error)
{
    if (!refresh() && error)
        *error = notFound();
    return qint32(m_lineStarts.size());
}

QString WordFile::notFound() const
{
    return QStringLiteral("File %1 not found.").arg(m_path);
}
