#pragma once

#include "search/WordSource.h"

#include <QFile>
#include <QString>
#include <QVector>

// A word list file read by position. Positions count usable lines (neither
// empty nor a bare line end; a line of spaces is usable) from 1. Lines end at
// CR LF, LF or CR. The offsets of the usable lines are kept and rebuilt when
// the file is replaced, grows or shrinks, so reading position p does not read
// the file from its start. A file that is valid UTF-8 (with or without a
// byte-order mark) is read as UTF-8, any other as Latin-1.
class WordFile : public WordSource
{
public:
    explicit WordFile(const QString &path = QString());

    QString path() const { return m_path; }
    void setPath(const QString &path);

    // The p-th usable line, unchanged; the end of the list when there is
    // none (including p < 1); "File <path> not found." when the file cannot
    // be opened.
    WordRead readWord(qint32 position) override;
    // The number of usable lines; 0 with *error set for a missing or
    // unreadable file.
    qint32 countListEntries(QString *error = nullptr);

private:
    struct FileStamp
    {
        qint64 size = -1;
        qint64 modified = 0;
        quint64 inode = 0;
        bool operator==(const FileStamp &other) const
        {
            return size == other.size && modified == other.modified && inode == other.inode;
        }
    };

    bool refresh();
    bool buildIndex();
    QString notFound() const;

    QString m_path;
    QFile m_file;
    FileStamp m_stamp;
    QVector<qint64> m_lineStarts;
    bool m_utf8 = false;
};
