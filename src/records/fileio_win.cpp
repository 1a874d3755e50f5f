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
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS:
        return {ErrorKind::Exists, long(code)};
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

// Why CreateFileW failed at path. Windows refuses to open a folder as a
// file with "access denied": the attributes only tell the two apart.
IoError openFailure(const QString &path)
{
    const DWORD code = GetLastError();
    if (code == ERROR_ACCESS_DENIED) {
        const DWORD attributes = GetFileAttributesW(nativePath(path).c_str());
        if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY))
            return {ErrorKind::IsFolder, long(code)};
    }
    return fromCode(code);
}

HANDLE asHandle(qintptr handle) { return reinterpret_cast<HANDLE>(handle); }

// What an open handle is: a regular file on a disk, or why not.
bool checkRegular(HANDLE file, Links links, BY_HANDLE_FILE_INFORMATION *info, IoError *err)
{
    if (GetFileType(file) != FILE_TYPE_DISK) {
        *err = {ErrorKind::NotRegular, 0};
        return false;
    }
    if (!GetFileInformationByHandle(file, info))
        return failWithLastError(err);
    if (info->dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
        *err = {ErrorKind::IsFolder, 0};
    else if (info->dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)
        *err = {ErrorKind::Link, 0};
    else if (info->dwFileAttributes & FILE_ATTRIBUTE_DEVICE)
        *err = {ErrorKind::NotRegular, 0};
    else if (links == Links::Refused && info->nNumberOfLinks != 1)
        *err = {ErrorKind::OtherNames, 0};
    else
        return true;
    return false;
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

bool readFile(const QString &path, qint64 limit, Links links, FileRead *read, IoError *err)
{
    // FILE_FLAG_OPEN_REPARSE_POINT opens a link itself, never its target;
    // it is then refused as a link.
    const DWORD flags = FILE_ATTRIBUTE_NORMAL | (links == Links::Refused ? FILE_FLAG_OPEN_REPARSE_POINT : 0);
    const HANDLE file = CreateFileW(nativePath(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                    nullptr, OPEN_EXISTING, flags, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        *err = openFailure(path);
        return false;
    }
    BY_HANDLE_FILE_INFORMATION info{};
    if (!checkRegular(file, links, &info, err)) {
        CloseHandle(file);
        return false;
    }
    read->mode = 0;
    read->writable = !(info.dwFileAttributes & FILE_ATTRIBUTE_READONLY);
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
    read->more = got > limit;
    bytes.truncate(qMin(got, limit));
    read->bytes = bytes;
    return true;
}

bool exists(const QString &path, bool *present, IoError *err)
{
    *present = GetFileAttributesW(nativePath(path).c_str()) != INVALID_FILE_ATTRIBUTES;
    if (*present)
        return true;
    const DWORD code = GetLastError();
    if (code == ERROR_FILE_NOT_FOUND)
        return true;
    *err = fromCode(code);
    return false;
}

// No folder here is shared by a group, so a refusal to read is never
// somebody else's file: it stays a failure.
bool readingRefused(const QString &, bool *refused, IoError *)
{
    *refused = false;
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

bool NewFile::create(const QString &where, FileMode, Existing existing, IoError *err)
{
    if (existing == Existing::Removed && !removeFile(where, err))
        return false;
    // CREATE_NEW never opens what stands there, a link included.
    const HANDLE file = CreateFileW(nativePath(where).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return failWithLastError(err);
    path = where;
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

bool moveWithoutReplacing(const QString &from, const QString &to, IoError *err)
{
    return MoveFileExW(nativePath(from).c_str(), nativePath(to).c_str(), MOVEFILE_WRITE_THROUGH) || failWithLastError(err);
}

// MOVEFILE_WRITE_THROUGH has made each rename last already.
bool syncDirectory(const QString &, IoError *) { return true; }

// The Windows directory is the machine's: no folder of a group.
bool sharedFolder(const QString &, bool *shared, IoError *)
{
    *shared = false;
    return true;
}

// Whether the folder takes new files shows when one is made: each failure is told then.
bool writableFolder(const QString &, bool *writable, IoError *)
{
    *writable = true;
    return true;
}

FileMode newFileMode(bool) { return 0; }

FileMode lockFileMode(bool) { return 0; }

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
    // it is then refused as not regular. Only a handle open for writing is
    // ever locked, so that whoever may only read cannot hold it.
    const HANDLE file = CreateFileW(nativePath(path).c_str(), GENERIC_READ | GENERIC_WRITE,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        *err = openFailure(path);
        if (err->kind == ErrorKind::IsFolder)
            return Open::Refused;
        return err->code == ERROR_ACCESS_DENIED || err->code == ERROR_WRITE_PROTECT ? Open::ReadOnly : Open::Failed;
    }
    handle = reinterpret_cast<qintptr>(file);
    BY_HANDLE_FILE_INFORMATION info{};
    if (!checkRegular(file, Links::Followed, &info, err))
        return err->kind == ErrorKind::IsFolder || err->kind == ErrorKind::Link || err->kind == ErrorKind::NotRegular
                   ? Open::Refused
                   : Open::Failed;
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
