#include "fileio.h"

#include <QFile>

#include <cerrno>
#include <cstdio>
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
    case EEXIST:
        return {ErrorKind::Exists, code};
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
        return {ErrorKind::Link, code};
    default:
        return {ErrorKind::Other, code};
    }
}

bool failWith(int code, IoError *err)
{
    if (err)
        *err = fromErrno(code);
    return false;
}

bool failWithErrno(IoError *err) { return failWith(errno, err); }

// Closes a descriptor that was only read; its failure changes nothing.
void closeRead(int fd) { ::close(fd); }

// Whether this process may write to the open file, asked of the file itself.
bool writableAt(int fd, bool *writable, IoError *err)
{
    if (::faccessat(fd, "", W_OK, AT_EACCESS | AT_EMPTY_PATH) == 0) {
        *writable = true;
        return true;
    }
    switch (errno) {
    case EACCES:
    case EPERM:
    case EROFS:
    case ETXTBSY:
        *writable = false;
        return true;
    case EINVAL:
    case ENOSYS: { // a kernel older than faccessat2: the same file through its descriptor's own link
        char self[32];
        std::snprintf(self, sizeof self, "/proc/self/fd/%d", fd);
        *writable = ::faccessat(AT_FDCWD, self, W_OK, AT_EACCESS) == 0;
        return *writable || errno == EACCES || errno == EPERM || errno == EROFS || failWithErrno(err);
    }
    default:
        return failWithErrno(err);
    }
}

} // namespace

QString systemMessage(long code) { return QString::fromLocal8Bit(std::strerror(int(code))); }

bool readFile(const QString &path, qint64 limit, Links links, FileRead *read, IoError *err)
{
    const QByteArray native = nativePath(path);
    int flags = O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC;
    if (links == Links::Refused) {
        flags |= O_NOFOLLOW;
    } else {
        // What a link leads to may be a device that acts on being opened:
        // only a regular file is opened (and checked again once open).
        struct stat target{};
        if (::stat(native.constData(), &target) != 0) {
            const int code = errno;
            if (code == ENOENT && ::fstatat(AT_FDCWD, native.constData(), &target, AT_SYMLINK_NOFOLLOW) == 0)
                return *err = {ErrorKind::NotRegular, 0}, false; // a link to nothing
            return failWith(code, err);
        }
        if (!S_ISREG(target.st_mode))
            return *err = {S_ISDIR(target.st_mode) ? ErrorKind::IsFolder : ErrorKind::NotRegular, 0}, false;
    }
    const int fd = ::open(native.constData(), flags);
    if (fd < 0)
        return failWithErrno(err);
    struct stat st{};
    bool ok = ::fstat(fd, &st) == 0 || failWithErrno(err);
    if (ok && !S_ISREG(st.st_mode))
        ok = (*err = {S_ISDIR(st.st_mode) ? ErrorKind::IsFolder : ErrorKind::NotRegular, 0}, false);
    // Another name of the file may be anybody's: it is never copied.
    if (ok && links == Links::Refused && st.st_nlink != 1)
        ok = (*err = {ErrorKind::OtherNames, 0}, false);
    if (ok && links == Links::Refused)
        ok = writableAt(fd, &read->writable, err);
    if (!ok) {
        closeRead(fd);
        return false;
    }
    read->mode = st.st_mode & 0777;
    QByteArray bytes(limit + 1, Qt::Uninitialized);
    qint64 got = 0;
    while (got < bytes.size()) {
        const ssize_t n = ::read(fd, bytes.data() + got, size_t(bytes.size() - got));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            failWithErrno(err);
            closeRead(fd);
            return false;
        }
        if (n == 0)
            break;
        got += n;
    }
    closeRead(fd);
    read->more = got > limit;
    bytes.truncate(qMin(got, limit));
    read->bytes = bytes;
    return true;
}

bool exists(const QString &path, bool *present, IoError *err)
{
    struct stat st{};
    if (::fstatat(AT_FDCWD, nativePath(path).constData(), &st, AT_SYMLINK_NOFOLLOW) == 0) {
        *present = true;
        return true;
    }
    *present = false;
    return errno == ENOENT || failWithErrno(err);
}

bool readingRefused(const QString &path, bool *refused, IoError *err)
{
    *refused = ::faccessat(AT_FDCWD, nativePath(path).constData(), R_OK, AT_EACCESS | AT_SYMLINK_NOFOLLOW) != 0;
    return !*refused || errno == EACCES || failWithErrno(err);
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

bool NewFile::create(const QString &where, FileMode mode, Existing existing, IoError *err)
{
    if (existing == Existing::Removed && !removeFile(where, err))
        return false;
    const int fd = ::open(nativePath(where).constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0)
        return failWithErrno(err);
    path = where;
    handle = fd;
    return ::fchmod(fd, mode_t(mode & 0666)) == 0 || failWithErrno(err);
}

bool NewFile::write(const QByteArray &bytes, IoError *err)
{
    for (qsizetype done = 0; done < bytes.size();) {
        const ssize_t n = ::write(int(handle), bytes.constData() + done, size_t(bytes.size() - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return n < 0 ? failWithErrno(err) : failWith(ENOSPC, err);
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

bool moveWithoutReplacing(const QString &from, const QString &to, IoError *err)
{
    const QByteArray source = nativePath(from), target = nativePath(to);
    if (::renameat2(AT_FDCWD, source.constData(), AT_FDCWD, target.constData(), RENAME_NOREPLACE) == 0)
        return true;
    if (errno != EINVAL && errno != ENOSYS)
        return failWithErrno(err);
    // A file system without it: a second name, which is never made over
    // another file, then the first goes.
    if (::link(source.constData(), target.constData()) != 0)
        return failWithErrno(err);
    return removeFile(from, err);
}

bool syncDirectory(const QString &dir, IoError *err)
{
    const int fd = ::open(nativePath(dir).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return failWithErrno(err);
    // A file system that cannot sync a folder says EINVAL: its renames are
    // then as safe as they get. Any other failure means they may be lost.
    const bool ok = ::fsync(fd) == 0 || errno == EINVAL || failWithErrno(err);
    closeRead(fd);
    return ok;
}

bool sharedFolder(const QString &dir, bool *shared, IoError *err)
{
    struct stat st{};
    if (::stat(nativePath(dir).constData(), &st) != 0)
        return failWithErrno(err);
    *shared = (st.st_mode & S_ISGID) && (st.st_mode & S_IWGRP);
    return true;
}

bool writableFolder(const QString &dir, bool *writable, IoError *err)
{
    *writable = ::faccessat(AT_FDCWD, nativePath(dir).constData(), W_OK | X_OK, AT_EACCESS) == 0;
    if (*writable)
        return true;
    const int code = errno;
    failWith(code, err);
    return code == EACCES || code == EPERM || code == EROFS;
}

FileMode newFileMode(bool shared)
{
    const mode_t mask = ::umask(0);
    ::umask(mask);
    mode_t mode = 0666 & ~mask;
    if (shared)
        mode |= S_IRGRP | S_IWGRP;
    return mode;
}

FileMode lockFileMode(bool shared) { return shared ? 0660 : 0600; }

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
    // Only a descriptor open for writing is ever locked: a lock file that
    // could be locked by whoever may read it could be held by anybody.
    constexpr int flags = O_RDWR | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC | O_NOCTTY;
    bool created = false;
    int fd = ::open(native.constData(), flags);
    if (fd < 0 && errno == ENOENT) {
        fd = ::open(native.constData(), flags | O_CREAT | O_EXCL, 0600);
        created = fd >= 0;
        if (fd < 0 && errno == EEXIST)
            fd = ::open(native.constData(), flags);
    }
    if (fd < 0) {
        const int code = errno;
        failWith(code, err);
        switch (code) {
        case ELOOP:
        case EISDIR:
            return Open::Refused;
        case EACCES:
        case EPERM:
        case EROFS:
            return Open::ReadOnly;
        default:
            return Open::Failed;
        }
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
    // Only a file made just now, by this open, ever gets the mode: a file
    // found there may be anybody's. One of ours that an earlier release
    // left open to all is closed to others; any other is the owner's call.
    if (created && ::fchmod(fd, mode_t(mode)) != 0) {
        failWithErrno(err);
        return Open::Failed;
    }
    if (!created && st.st_uid == ::geteuid() && (st.st_mode & 0007))
        ::fchmod(fd, st.st_mode & 0770);
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
