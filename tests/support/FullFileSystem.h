#pragma once

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QString>
#include <QTemporaryDir>

// A small tmpfs mounted on a temporary folder, for tests of what happens when
// the disk is full. Mounting needs root; isValid() is false otherwise and the
// test skips. fill() writes a filler file until not one more byte fits.
class FullFileSystem
{
public:
    explicit FullFileSystem(int sizeKiB = 256)
    {
        if (!m_mountPoint.isValid())
            return;
        m_mounted =
            QProcess::execute(QStringLiteral("mount"), {QStringLiteral("-t"), QStringLiteral("tmpfs"),
                                                        QStringLiteral("-o"), QStringLiteral("size=%1k").arg(sizeKiB),
                                                        QStringLiteral("tmpfs"), m_mountPoint.path()}) == 0;
    }
    ~FullFileSystem()
    {
        if (m_mounted)
            QProcess::execute(QStringLiteral("umount"), {m_mountPoint.path()});
    }
    FullFileSystem(const FullFileSystem &) = delete;
    FullFileSystem &operator=(const FullFileSystem &) = delete;

    bool isValid() const { return m_mounted; }
    QString path() const { return m_mountPoint.path(); }
    QString filePath(const QString &name) const { return QDir(path()).filePath(name); }

    // Takes every free block; returns false when the filler could not be created.
    bool fill() const
    {
        QFile filler(filePath(QStringLiteral(".filler")));
        if (!filler.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
            return false;
        const QByteArray block(4096, 'f');
        while (filler.write(block) == block.size()) {
        }
        while (filler.write("f", 1) == 1) {
        }
        return true;
    }

private:
    QTemporaryDir m_mountPoint;
    bool m_mounted = false;
};
