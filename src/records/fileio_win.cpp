#include "fileio.h"

#include <QDir>

#include <windows.h>

namespace records {

namespace {

std::wstring nativePath(const QString &path) { return QDir::toNativeSeparators(path).toStdWString(); }

IoError fromCode(DWORD code)
{
    switch (code) {
    case ERROR_FILE_NOT_FOUND:
        return {ErrorKind::NotFound, long(code)};
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_NAME:
    case ERROR_DIRECTORY:
        return {ErrorKind::NoFolder, long(code)};
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
        return {ErrorKind::Denied, long(code)};
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
        return {ErrorKind::DiskFull, long(code)};
    case ERROR_WRITE_PROTECT:
        return {ErrorKind::ReadOnlyDisk, long(code)};
    case ERROR_CRC:
    case ERROR_SEEK:
    case ERROR_READ_FAULT:
    case ERROR_WRITE_FAULT:
    case ERROR_GEN_FAILURE:
    case ERROR_IO_DEVICE:
        return {ErrorKind::DiskError, long(code)};
    case ERROR_FILE_TOO_LARGE:
        return {ErrorKind::TooBig, long(code)};
    case ERROR_CANT_ACCESS_FILE:
    case ERROR_CANT_RESOLVE_FILENAME:
        return {ErrorKind::NotRegular, long(code)};
    default:
        return {ErrorKind::Other, long(code)};
    }
}

bool failWithLastError(IoError *err)
{
    const DWORD code = GetLastError();
    if (err)
        *err = fromCode(code);
    return false;
}

HANDLE asHandle(qintptr handle) { return reinterpret_cast<HANDLE>(handle); }

// A regular file on a disk: not a folder, not a link, not a device or pipe.
bool isRegular(HANDLE file, bool *folder)
{
    BY_HANDLE_FILE_INFORMATION info{};
    *folder = false;
    if (GetFileType(file) != FILE_TYPE_DISK || !GetFileInformationByHandle(file, &info))
        return false;
    *folder = info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY;
    return !(info.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DEVICE));
}

} // namespace

QString systemMessage(long code)
{
    wchar_t *text = nullptr;
    const DWORD n = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM
                                       | FORMAT_MESSAGE_IGNORE_INSERTS,
                                   nullptr, DWORD(code), 0, reinterpret_cast<wchar_t *>(&text), 0, nullptr);
    const QString message = n ? QString::fromWCharArray(text, int(n)).trimmed() : QString();
    LocalFree(text);
    return message;
}

Kind kindOf(const QString &path, FileMode *mode)
{
    if (mode)
        *mode = 0;
    const DWORD attributes = GetFileAttributesW(nativePath(path).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return Kind::Missing;
    if (attributes & FILE_ATTRIBUTE_REPARSE_POINT) {
        const HANDLE target = CreateFileW(nativePath(path).c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                          nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
        if (target == INVALID_HANDLE_VALUE)
            return Kind::LinkToNonRegular;
        BY_HANDLE_FILE_INFORMATION info{};
        const bool regular = GetFileInformationByHandle(target, &info)
                             && !(info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && GetFileType(target) == FILE_TYPE_DISK;
        CloseHandle(target);
        return regular ? Kind::LinkToRegular : Kind::LinkToNonRegular;
    }
    if (attributes & FILE_ATTRIBUTE_DIRECTORY)
        return Kind::Folder;
    return attributes & FILE_ATTRIBUTE_DEVICE ? Kind::Other : Kind::Regular;
}

bool readBytes(const QString &path, qint64 limit, QByteArray *out, bool *more, IoError *err)
{
    const HANDLE file = CreateFileW(nativePath(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                    nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        const DWORD code = GetLastError();
        // Windows refuses to open a folder as a file with "access denied".
        *err = code == ERROR_ACCESS_DENIED && kindOf(path) == Kind::Folder ? IoError{ErrorKind::IsFolder, long(code)}
                                                                            : fromCode(code);
        return false;
    }
    if (GetFileType(file) != FILE_TYPE_DISK) {
        CloseHandle(file);
        *err = {ErrorKind::NotRegular, 0};
        return false;
    }
    QByteArray bytes(limit + 1, Qt::Uninitialized);
    qint64 got = 0;
    while (got < bytes.size()) {
        DWORD n = 0;
        if (!ReadFile(file, bytes.data() + got, DWORD(bytes.size() - got), &n, nullptr)) {
            failWithLastError(err);
            CloseHandle(file);
            return false;
        }
        if (n == 0)
            break;
        got += n;
    }
    CloseHandle(file);
    *more = got > limit;
    bytes.truncate(qMin(got, limit));
    *out = bytes;
    return true;
}

bool removeFile(const QString &path, IoError *err)
{
    if (DeleteFileW(nativePath(path).c_str()))
        return true;
    const DWORD code = GetLastError();
    if (code == ERROR_FILE_NOT_FOUND)
        return true;
    if (err)
        *err = fromCode(code);
    return false;
}

NewFile::~NewFile()
{
    if (handle != -1) {
        CloseHandle(asHandle(handle));
        removeFile(path);
    }
}

bool NewFile::create(const QString &where, FileMode, IoError *err)
{
    path = where;
    if (!removeFile(path, err))
        return false;
    // CREATE_NEW never opens what stands there, a link included.
    const HANDLE file = CreateFileW(nativePath(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return failWithLastError(err);
    handle = reinterpret_cast<qintptr>(file);
    return true;
}

bool NewFile::write(const QByteArray &bytes, IoError *err)
{
    for (qsizetype done = 0; done < bytes.size();) {
        DWORD n = 0;
        if (!WriteFile(asHandle(handle), bytes.constData() + done, DWORD(bytes.size() - done), &n, nullptr))
            return failWithLastError(err);
        if (n == 0) {
            *err = {ErrorKind::DiskFull, long(ERROR_DISK_FULL)};
            return false;
        }
        done += n;
    }
    return true;
}

bool NewFile::sync(IoError *err) { return FlushFileBuffers(asHandle(handle)) || failWithLastError(err); }

bool NewFile::close(IoError *err)
{
    const HANDLE file = asHandle(handle);
    handle = -1;
    if (CloseHandle(file))
        return true;
    failWithLastError(err);
    removeFile(path);
    return false;
}

bool replaceFile(const QString &from, const QString &to, IoError *err)
{
    return MoveFileExW(nativePath(from).c_str(), nativePath(to).c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)
           || failWithLastError(err);
}

// MOVEFILE_WRITE_THROUGH has made each rename last already.
bool syncDirectory(const QString &, IoError *) { return true; }

bool writableByUs(const QString &path)
{
    const DWORD attributes = GetFileAttributesW(nativePath(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_READONLY);
}

FileMode newFileMode(const QString &) { return 0; }

QString homeDirectory() { return QDir::homePath(); }

unsigned windowsDirectoryQuery(char *buffer, unsigned size) { return GetWindowsDirectoryA(buffer, size); }

FileLock::~FileLock()
{
    if (handle != -1)
        CloseHandle(asHandle(handle));
}

FileLock::Open FileLock::open(const QString &path, FileMode, IoError *err)
{
    // FILE_FLAG_OPEN_REPARSE_POINT opens a link itself, never its target;
    // it is then refused as not regular.
    HANDLE file = CreateFileW(nativePath(path).c_str(), GENERIC_READ | GENERIC_WRITE,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (file == INVALID_HANDLE_VALUE && GetLastError() == ERROR_ACCESS_DENIED)
        file = CreateFileW(nativePath(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                           nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        const DWORD code = GetLastError();
        *err = fromCode(code);
        if (code == ERROR_ACCESS_DENIED || code == ERROR_WRITE_PROTECT) {
            const Kind kind = kindOf(path);
            if (kind == Kind::Missing)
                return Open::ReadOnlyFolder;
            // Windows refuses to open a folder as a file with "access denied".
            if (kind == Kind::Folder) {
                *err = {ErrorKind::IsFolder, long(code)};
                return Open::Refused;
            }
        }
        return Open::Failed;
    }
    handle = reinterpret_cast<qintptr>(file);
    bool folder = false;
    if (!isRegular(file, &folder)) {
        *err = {folder ? ErrorKind::IsFolder : ErrorKind::NotRegular, 0};
        return Open::Refused;
    }
    return Open::Ok;
}

bool FileLock::tryLock(IoError *err)
{
    OVERLAPPED at{};
    if (LockFileEx(asHandle(handle), LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &at))
        return true;
    const DWORD code = GetLastError();
    if (code == ERROR_LOCK_VIOLATION || code == ERROR_IO_PENDING) {
        *err = {};
        return false;
    }
    *err = fromCode(code);
    return false;
}

} // namespace records
