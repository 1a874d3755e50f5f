#include "fileio.h"

#include <QFile>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace records {

namespace {

QByteArray nativePath(const QString &path) { return QFile::encodeName(path); }

IoError fromErrno(int code)
{
    switch (code) {
    case ENOENT:
        return {ErrorKind::NotFound, code};
    case EACCES:
    case EPERM:
        return {ErrorKind::Denied, code};
    case ENOSPC:
#ifdef EDQUOT
    case EDQUOT:
#endif
        return {ErrorKind::DiskFull, code};
    case EROFS:
        return {ErrorKind::ReadOnlyDisk, code};
    case EISDIR:
        return {ErrorKind::IsFolder, code};
    case ENOTDIR:
        return {ErrorKind::NoFolder, code};
    case EIO:
        return {ErrorKind::DiskError, code};
    case EFBIG:
        return {ErrorKind::TooBig, code};
    case ELOOP:
        return {ErrorKind::NotRegular, code};
    default:
        return {ErrorKind::Other, code};
    }
}

bool failWithErrno(IoError *err)
{
    if (err)
        *err = fromErrno(errno);
    return false;
}

} // namespace

QString systemMessage(long code) { return QString::fromLocal8Bit(std::strerror(int(code))); }

Kind kindOf(const QString &path, FileMode *mode)
{
    struct stat st{};
    if (::lstat(nativePath(path).constData(), &st) != 0)
        return Kind::Missing;
    if (mode)
        *mode = st.st_mode & 07777;
    if (S_ISLNK(st.st_mode)) {
        if (::stat(nativePath(path).constData(), &st) != 0 || !S_ISREG(st.st_mode))
            return Kind::LinkToNonRegular;
        return Kind::LinkToRegular;
    }
    if (S_ISREG(st.st_mode))
        return Kind::Regular;
    return S_ISDIR(st.st_mode) ? Kind::Folder : Kind::Other;
}

bool readBytes(const QString &path, qint64 limit, QByteArray *out, bool *more, IoError *err)
{
    // O_NONBLOCK: a FIFO swapped in must not hang the open.
    const int fd = ::open(nativePath(path).constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        return failWithErrno(err);
    struct stat st{};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        *err = {ErrorKind::NotRegular, 0};
        return false;
    }
    QByteArray bytes(limit + 1, Qt::Uninitialized);
    qint64 got = 0;
    while (got < bytes.size()) {
        const ssize_t n = ::read(fd, bytes.data() + got, size_t(bytes.size() - got));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            failWithErrno(err);
            ::close(fd);
            return false;
        }
        if (n == 0)
            break;
        got += n;
    }
    ::close(fd);
    *more = got > limit;
    bytes.truncate(qMin(got, limit));
    *out = bytes;
    return true;
}

bool removeFile(const QString &path, IoError *err)
{
    if (::unlink(nativePath(path).constData()) == 0 || errno == ENOENT)
        return true;
    return failWithErrno(err);
}

NewFile::~NewFile()
{
    if (handle >= 0) {
        ::close(int(handle));
        removeFile(path);
    }
}

bool NewFile::create(const QString &where, FileMode mode, IoError *err)
{
    path = where;
    if (!removeFile(path, err))
        return false;
    const int fd = ::open(nativePath(path).constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0)
        return failWithErrno(err);
    handle = fd;
    return ::fchmod(fd, mode_t(mode)) == 0 || failWithErrno(err);
}

bool NewFile::write(const QByteArray &bytes, IoError *err)
{
    for (qsizetype done = 0; done < bytes.size();) {
        const ssize_t n = ::write(int(handle), bytes.constData() + done, size_t(bytes.size() - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return n < 0 ? failWithErrno(err) : (*err = {ErrorKind::DiskFull, ENOSPC}, false);
        done += n;
    }
    return true;
}

bool NewFile::sync(IoError *err) { return ::fsync(int(handle)) == 0 || failWithErrno(err); }

bool NewFile::close(IoError *err)
{
    const int fd = int(handle);
    handle = -1;
    if (::close(fd) == 0)
        return true;
    failWithErrno(err);
    removeFile(path);
    return false;
}

bool replaceFile(const QString &from, const QString &to, IoError *err)
{
    return ::rename(nativePath(from).constData(), nativePath(to).constData()) == 0 || failWithErrno(err);
}

bool syncDirectory(const QString &dir, IoError *err)
{
    const int fd = ::open(nativePath(dir).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return failWithErrno(err);
    // A file system that cannot sync a folder says EINVAL: its renames are
    // then as safe as they get. Any other failure means they may be lost.
    const bool ok = ::fsync(fd) == 0 || errno == EINVAL || failWithErrno(err);
    ::close(fd);
    return ok;
}

bool writableByUs(const QString &path)
{
    return ::faccessat(AT_FDCWD, nativePath(path).constData(), W_OK, AT_EACCESS) == 0;
}

FileMode newFileMode(const QString &dir)
{
    const mode_t mask = ::umask(0);
    ::umask(mask);
    mode_t mode = 0666 & ~mask;
    struct stat st{};
    if (::stat(nativePath(dir).constData(), &st) == 0 && (st.st_mode & S_ISGID) && (st.st_mode & S_IWGRP))
        mode |= S_IRGRP | S_IWGRP;
    return mode;
}

QString homeDirectory()
{
    QString home = qEnvironmentVariable("HOME");
    if (home.isEmpty()) {
        if (const passwd *pw = ::getpwuid(::getuid()); pw && pw->pw_dir)
            home = QFile::decodeName(pw->pw_dir);
    }
    return home;
}

unsigned windowsDirectoryQuery(char *, unsigned) { return 0; }

FileLock::~FileLock()
{
    if (handle >= 0)
        ::close(int(handle));
}

FileLock::Open FileLock::open(const QString &path, FileMode mode, IoError *err)
{
    const QByteArray native = nativePath(path);
    // A link is refused by O_NOFOLLOW and a FIFO does not block with
    // O_NONBLOCK; anything not regular is refused below, before any use.
    constexpr int flags = O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC | O_NOCTTY;
    bool created = false;
    int fd = ::open(native.constData(), O_RDWR | flags);
    if (fd < 0 && errno == ENOENT) {
        fd = ::open(native.constData(), O_RDWR | O_CREAT | O_EXCL | flags, 0600);
        created = fd >= 0;
        if (fd < 0 && errno == EEXIST)
            fd = ::open(native.constData(), O_RDWR | flags);
    } else if (fd < 0 && errno == EACCES) {
        // Another player's lock in a shared folder may be read-only to us;
        // a lock on a file open for reading holds just as well.
        fd = ::open(native.constData(), O_RDONLY | flags);
    }
    if (fd < 0) {
        const int code = errno;
        failWithErrno(err);
        if (code == ELOOP)
            return Open::Refused;
        // No lock file, and no right to make one: nobody can be saving here.
        if ((code == EACCES || code == EROFS) && kindOf(path) == Kind::Missing)
            return Open::ReadOnlyFolder;
        return Open::Failed;
    }
    handle = fd;
    struct stat st{};
    if (::fstat(fd, &st) != 0) {
        failWithErrno(err);
        return Open::Failed;
    }
    if (!S_ISREG(st.st_mode)) {
        *err = {S_ISDIR(st.st_mode) ? ErrorKind::IsFolder : ErrorKind::NotRegular, 0};
        return Open::Refused;
    }
    // Only a file made just now, by this open, ever has its mode set: a
    // file found there may be anybody's.
    if (created && ::fchmod(fd, mode_t(mode)) != 0) {
        failWithErrno(err);
        return Open::Failed;
    }
    return Open::Ok;
}

bool FileLock::tryLock(IoError *err)
{
    for (;;) {
        if (::flock(int(handle), LOCK_EX | LOCK_NB) == 0)
            return true;
        if (errno == EINTR)
            continue;
        if (errno == EWOULDBLOCK) {
            *err = {};
            return false;
        }
        return failWithErrno(err);
    }
}

} // namespace records
