#pragma once

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QString>
#include <QTemporaryDir>

namespace vtl::test {

// A tmpfs of a few KiB on a temporary folder, for as long as the object lives: a disk that fills up
// for real. Mounting takes the right to mount (root); without it available() is false.
class SmallDisk {
public:
    explicit SmallDisk(int kib) {
        if (!folder_.isValid()) return;
        QProcess mount;
        mount.start(QStringLiteral("mount"),
                    {QStringLiteral("-t"), QStringLiteral("tmpfs"), QStringLiteral("-o"),
                     QStringLiteral("size=%1k").arg(kib), QStringLiteral("tmpfs"), folder_.path()});
        mounted_ = mount.waitForFinished(10000) && mount.exitStatus() == QProcess::NormalExit &&
                   mount.exitCode() == 0;
    }
    ~SmallDisk() {
        if (mounted_) QProcess::execute(QStringLiteral("umount"), {folder_.path()});
    }
    SmallDisk(const SmallDisk&) = delete;
    SmallDisk& operator=(const SmallDisk&) = delete;

    bool available() const { return mounted_; }
    QString filePath(const QString& name) const { return folder_.filePath(name); }
    QStringList entries() const {
        QStringList names =
            QDir(folder_.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden);
        names.sort(); // by code point, whatever the locale
        return names;
    }
    // Fills the disk with `name` holding `bytes`, and more files until nothing more fits, so that
    // the disk is full whatever its block size.
    bool fillWith(const QString& name, const QByteArray& bytes) const {
        QFile file(filePath(name));
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.flush())
            return false;
        QFile rest(filePath(QStringLiteral("filler")));
        if (!rest.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) return true;
        const QByteArray block(512, '\0');
        while (rest.write(block) > 0) {
        }
        return true;
    }

    static constexpr char Why[] = "needs the right to mount a tmpfs (root) for a full disk";

private:
    QTemporaryDir folder_;
    bool mounted_ = false;
};

} // namespace vtl::test
