// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/safefile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <limits>

#ifdef Q_OS_WIN
#include <QDateTime>
#include <QSaveFile>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace safefile {

namespace {

// The characters of a temporary name: those mkstemp(3) uses.
constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
constexpr int kAlphabetSize = 62;
constexpr int kRandomChars = 5;

int alphabetIndex(QChar c) {
    const char* found = std::find(kAlphabet, kAlphabet + kAlphabetSize, c.toLatin1());
    return c.unicode() < 128 && found != kAlphabet + kAlphabetSize ? int(found - kAlphabet) : -1;
}

QChar checkChar(QStringView random) {
    int sum = 11;
    for (int i = 0; i < kRandomChars; ++i)
        sum += (2 * i + 3) * alphabetIndex(random[i]);
    return QLatin1Char(kAlphabet[sum % kAlphabetSize]);
}

bool hasDigit(QStringView random) {
    return std::any_of(random.begin(), random.begin() + kRandomChars, [](QChar c) { return c.isDigit(); });
}

#ifndef Q_OS_WIN
// Five random characters, at least one a digit, and a sixth that checks
// them: a name a person gives a file ("Data.backup") is not taken for one of
// these when leftovers are cleared away.
QString tempSuffix() {
    for (;;) {
        QString random;
        for (int i = 0; i < kRandomChars; ++i)
            random += QLatin1Char(kAlphabet[QRandomGenerator::global()->bounded(kAlphabetSize)]);
        if (hasDigit(random))
            return random + checkChar(random);
    }
}
#endif

bool isTempSuffix(QStringView suffix) {
    if (suffix.size() != kRandomChars + 1 ||
        !std::all_of(suffix.begin(), suffix.end(), [](QChar c) { return alphabetIndex(c) >= 0; }))
        return false;
    return hasDigit(suffix) && suffix[kRandomChars] == checkChar(suffix);
}

QString shownPath(const QString& path) {
    return QDir::toNativeSeparators(QDir::cleanPath(QFileInfo(path).absoluteFilePath()));
}

} // namespace

quint64 hashOf(const char* bytes, std::size_t size) {
    // 64-bit FNV-1a taken eight bytes at a time: a catalog of hundreds of
    // megabytes is hashed in a fraction of the time its write takes.
    constexpr quint64 kPrime = 1099511628211ULL;
    quint64 hash = 14695981039346656037ULL;
    std::size_t i = 0;
    for (; i + 8 <= size; i += 8) {
        quint64 word;
        std::memcpy(&word, bytes + i, 8);
        hash = (hash ^ word) * kPrime;
    }
    for (; i < size; ++i)
        hash = (hash ^ static_cast<unsigned char>(bytes[i])) * kPrime;
    return hash ^ size;
}

// "磁盘已满（/home/me/Data/Data）".
QString where(const QString& reason, const QString& path) {
    return QCoreApplication::translate("safefile", "%1（%2）").arg(reason, shownPath(path));
}

QString describe(int error, const QString& path) {
    QString reason;
    switch (error) {
    case ReadOnlyMark:
        reason = QCoreApplication::translate("safefile", "文件已设为只读");
        break;
    case NotRegularFile:
        reason = QCoreApplication::translate("safefile", "不是普通文件");
        break;
    case ENOSPC:
#ifdef EDQUOT
    case EDQUOT:
#endif
        reason = QCoreApplication::translate("safefile", "磁盘已满");
        break;
    case EFBIG:
        reason = QCoreApplication::translate("safefile", "文件超过了系统允许的大小");
        break;
    case EROFS:
        reason = QCoreApplication::translate("safefile", "磁盘为只读");
        break;
    case EACCES:
    case EPERM:
        reason = QCoreApplication::translate("safefile", "没有写入权限");
        break;
    case ENOENT:
    case ENOTDIR:
        reason = QCoreApplication::translate("safefile", "所在文件夹不存在");
        break;
    case EIO:
        reason = QCoreApplication::translate("safefile", "磁盘读写出错");
        break;
    default:
        reason = qt_error_string(error);
        break;
    }
    return where(reason, path);
}

FileStamp FileStamp::of(const QString& path) {
    return read(path, false).stamp;
}

bool FileStamp::matches(const QString& path) const {
    // The metadata alone tells most changes without reading a byte.
    const Reading look = metadataOf(path);
    if (look.stamp.exists != exists || look.stamp.size != size || look.stamp.modified != modified)
        return false;
    return !exists || of(path) == *this;
}

#ifndef Q_OS_WIN

namespace calls {
ssize_t (*write)(int fd, const void* bytes, size_t size) = ::write;
#ifdef Q_OS_LINUX
int (*sync)(int fd) = ::fdatasync;
#else
int (*sync)(int fd) = ::fsync;
#endif
// NFS and some FUSE file systems report a failed write-back only here.
int (*close)(int fd) = ::close;
} // namespace calls

namespace {

qint64 modifiedOf(const struct stat& st) {
#ifdef Q_OS_DARWIN
    return qint64(st.st_mtimespec.tv_sec) * 1000000000 + st.st_mtimespec.tv_nsec;
#else
    return qint64(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
#endif
}

FileStamp metadataStamp(const struct stat& st) {
    FileStamp stamp;
    stamp.exists = true;
    stamp.size = S_ISREG(st.st_mode) ? qint64(st.st_size) : -1;
    stamp.modified = modifiedOf(st);
    return stamp;
}

// 0, or the error that stopped the read.
int readAll(int fd, qint64 expected, QByteArray& bytes) {
    constexpr qint64 kChunk = 1 << 16;
    bytes.resize(int(std::min<qint64>(expected, std::numeric_limits<int>::max() - kChunk)));
    qint64 filled = 0;
    for (;;) {
        if (filled == bytes.size())
            bytes.resize(int(std::min<qint64>(filled + kChunk, std::numeric_limits<int>::max())));
        if (filled == bytes.size())
            return EFBIG; // beyond what one QByteArray holds
        const ssize_t n = ::read(fd, bytes.data() + filled, size_t(bytes.size() - filled));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return errno;
        if (n == 0)
            break;
        filled += n;
    }
    bytes.resize(int(filled));
    return 0;
}

// The file a link names, followed to its end, so that a replace writes the
// file and keeps the link.
QString finalTarget(const QString& path) {
    QString current = QDir::cleanPath(QFileInfo(path).absoluteFilePath());
    for (int depth = 0; depth < 40; ++depth) {
        const QByteArray native = QFile::encodeName(current);
        struct stat st;
        if (::lstat(native.constData(), &st) != 0 || !S_ISLNK(st.st_mode))
            break;
        QByteArray link(4096, '\0');
        const ssize_t n = ::readlink(native.constData(), link.data(), size_t(link.size()));
        if (n <= 0 || n >= link.size())
            break;
        link.resize(int(n));
        current = QDir::cleanPath(QFileInfo(current).absoluteDir().absoluteFilePath(QFile::decodeName(link)));
    }
    return current;
}

void syncFolder(const QString& folder) {
    const int fd = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return;
    // The rename is done; a folder that cannot be synced changes nothing
    // about what the caller should be told.
    if (::fsync(fd) != 0) {
    }
    ::close(fd);
}

} // namespace

Reading metadataOf(const QString& path) {
    Reading reading;
    struct stat st;
    if (::stat(QFile::encodeName(path).constData(), &st) == 0)
        reading.stamp = metadataStamp(st);
    return reading;
}

Reading read(const QString& path, bool forWriting) {
    Reading reading;
    const QByteArray native = QFile::encodeName(path);
    struct stat st;
    if (::stat(native.constData(), &st) == 0) {
        reading.stamp = metadataStamp(st);
        // Looked at before opening: opening a FIFO or a device can block or
        // act on the device.
        if (!S_ISREG(st.st_mode)) {
            reading.status = Reading::NotRegular;
            return reading;
        }
    }
    const int flags = (forWriting ? O_RDWR | O_CREAT : O_RDONLY) | O_NONBLOCK | O_NOCTTY | O_CLOEXEC;
    const int fd = ::open(native.constData(), flags, 0666);
    if (fd < 0) {
        reading.error = errno;
        reading.status = reading.error == ENOENT && !forWriting ? Reading::Missing : Reading::Failed;
        return reading;
    }
    // Something else may have taken the file's place since the look.
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        reading.status = Reading::NotRegular;
        ::close(fd);
        return reading;
    }
    reading.error = readAll(fd, qint64(st.st_size), reading.bytes);
    ::close(fd);
    if (reading.error != 0) {
        reading.bytes.clear();
        return reading;
    }
    reading.status = Reading::Read;
    reading.stamp = metadataStamp(st);
    reading.stamp.size = reading.bytes.size();
    reading.stamp.hash = hashOf(reading.bytes.constData(), std::size_t(reading.bytes.size()));
    return reading;
}

bool markedReadOnly(const QString& path) {
    struct stat st;
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 && !(st.st_mode & 0222);
}

bool replace(const QString& path, const char* bytes, std::size_t size, QString* error, FileStamp* stamp,
             const std::function<bool(QString* error)>& lastLook) {
    auto fail = [&](int code) {
        if (error)
            *error = describe(code, path);
        return false;
    };
    const QString target = finalTarget(path);
    const QByteArray nativeTarget = QFile::encodeName(target);
    struct stat old;
    const bool existed = ::stat(nativeTarget.constData(), &old) == 0;
    if (existed && !S_ISREG(old.st_mode))
        return fail(NotRegularFile);
    if (existed && !(old.st_mode & 0222))
        return fail(ReadOnlyMark);

    const QFileInfo targetInfo(target);
    const QString prefix =
        targetInfo.absolutePath() + QLatin1Char('/') + targetInfo.fileName() + QLatin1Char('.');
    QByteArray temp;
    int fd = -1;
    for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
        temp = QFile::encodeName(prefix + tempSuffix());
        fd = ::open(temp.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_NOCTTY | O_CLOEXEC,
                    existed ? old.st_mode & 0777 : 0666);
        if (fd < 0 && errno != EEXIST)
            return fail(errno);
    }
    if (fd < 0)
        return fail(EEXIST);

    auto abandon = [&](int code) {
        if (fd >= 0)
            ::close(fd);
        ::unlink(temp.constData());
        return fail(code);
    };
    for (std::size_t done = 0; done < size;) {
        const ssize_t n = calls::write(fd, bytes + done, std::min<std::size_t>(size - done, 1 << 30));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return abandon(errno);
        if (n == 0)
            return abandon(ENOSPC);
        done += std::size_t(n);
    }
    if (existed) {
        // Owner first: a change of owner clears the set-id bits the mode
        // then puts back. Without the right to give the file away it stays
        // Tarn's, as a new file would.
        if (::fchown(fd, old.st_uid, old.st_gid) != 0) {
        }
        if (::fchmod(fd, old.st_mode & 07777) != 0)
            return abandon(errno);
    }
    if (calls::sync(fd) != 0)
        return abandon(errno);
    struct stat written;
    if (::fstat(fd, &written) != 0)
        return abandon(errno);
    const int closed = calls::close(fd);
    fd = -1;
    if (closed != 0)
        return abandon(errno);
    if (lastLook && !lastLook(error)) {
        ::unlink(temp.constData());
        return false;
    }
    if (::rename(temp.constData(), nativeTarget.constData()) != 0)
        return abandon(errno);
    syncFolder(targetInfo.absolutePath());
    if (stamp) {
        *stamp = metadataStamp(written);
        stamp->hash = hashOf(bytes, size);
    }
    return true;
}

int removeLeftovers(const QString& path) {
    const QFileInfo target(finalTarget(path));
    const QString prefix = target.fileName() + QLatin1Char('.');
    QDir folder = target.absoluteDir();
    int removed = 0;
    const QStringList names = folder.entryList(QDir::Files | QDir::Hidden | QDir::NoSymLinks);
    for (const QString& name : names) {
        if (!name.startsWith(prefix) || !isTempSuffix(QStringView(name).mid(prefix.size())))
            continue;
        const QByteArray native = QFile::encodeName(folder.absoluteFilePath(name));
        struct stat st;
        if (::lstat(native.constData(), &st) == 0 && S_ISREG(st.st_mode) && ::unlink(native.constData()) == 0)
            ++removed;
    }
    return removed;
}

#else // Q_OS_WIN

namespace {

FileStamp infoStamp(const QFileInfo& info) {
    FileStamp stamp;
    stamp.exists = info.exists();
    stamp.size = info.isFile() ? info.size() : -1;
    stamp.modified = info.lastModified().toMSecsSinceEpoch() * 1000000;
    return stamp;
}

} // namespace

Reading metadataOf(const QString& path) {
    Reading reading;
    reading.stamp = infoStamp(QFileInfo(path));
    return reading;
}

Reading read(const QString& path, bool forWriting) {
    Reading reading;
    const QFileInfo info(path);
    if (info.exists()) {
        reading.stamp = infoStamp(info);
        if (!info.isFile()) {
            reading.status = Reading::NotRegular;
            return reading;
        }
    }
    QFile file(path);
    if (!file.open(forWriting ? QIODevice::ReadWrite : QIODevice::ReadOnly)) {
        reading.error = info.exists() || forWriting ? EACCES : ENOENT;
        reading.status = !info.exists() && !forWriting ? Reading::Missing : Reading::Failed;
        return reading;
    }
    reading.bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        reading.bytes.clear();
        reading.error = EIO;
        return reading;
    }
    reading.status = Reading::Read;
    reading.stamp = infoStamp(QFileInfo(path));
    reading.stamp.size = reading.bytes.size();
    reading.stamp.hash = hashOf(reading.bytes.constData(), std::size_t(reading.bytes.size()));
    return reading;
}

bool markedReadOnly(const QString& path) {
    const QFileInfo info(path);
    return info.exists() && !(info.permissions() &
                              (QFileDevice::WriteOwner | QFileDevice::WriteGroup | QFileDevice::WriteOther));
}

bool replace(const QString& path, const char* bytes, std::size_t size, QString* error, FileStamp* stamp,
             const std::function<bool(QString* error)>& lastLook) {
    const QFileInfo info(path);
    if (info.exists() && !info.isFile()) {
        if (error)
            *error = describe(NotRegularFile, path);
        return false;
    }
    if (markedReadOnly(path)) {
        if (error)
            *error = describe(ReadOnlyMark, path);
        return false;
    }
    // The explicit flush catches a write that only reached the buffer; the
    // commit then syncs and renames.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes, qint64(size)) != qint64(size) ||
        !file.flush()) {
        if (error)
            *error = where(file.errorString(), path);
        file.cancelWriting();
        return false;
    }
    if (lastLook && !lastLook(error)) {
        file.cancelWriting();
        return false;
    }
    if (!file.commit()) {
        if (error)
            *error = where(file.errorString(), path);
        file.cancelWriting();
        return false;
    }
    if (stamp) {
        *stamp = infoStamp(QFileInfo(path));
        stamp->hash = hashOf(bytes, size);
    }
    return true;
}

int removeLeftovers(const QString& path) {
    const QFileInfo target(path);
    const QString prefix = target.fileName() + QLatin1Char('.');
    QDir folder = target.absoluteDir();
    int removed = 0;
    const QStringList names = folder.entryList(QDir::Files | QDir::Hidden | QDir::NoSymLinks);
    for (const QString& name : names) {
        if (name.startsWith(prefix) && isTempSuffix(QStringView(name).mid(prefix.size())) &&
            QFile::remove(folder.absoluteFilePath(name)))
            ++removed;
    }
    return removed;
}

#endif

} // namespace safefile
