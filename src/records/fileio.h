#pragma once

#include <QByteArray>
#include <QString>

// The file-system primitives the record store stands on, one implementation
// per system (fileio_unix.cpp, fileio_win.cpp), so that the store reads alike
// everywhere. Each failure fills in an IoError; nothing here shows a text.
namespace records {

// What went wrong, in the terms the player is told about.
enum class ErrorKind {
    None,
    NotFound,
    Denied,
    DiskFull,
    ReadOnlyDisk,
    IsFolder,
    NoFolder,
    DiskError,
    TooBig,
    NotRegular, // a device, a FIFO, a link where a regular file must be
    Cancelled,  // a step a test made fail
    Other,      // code says which
};

struct IoError
{
    ErrorKind kind = ErrorKind::None;
    long code = 0; // the system's own number, for Other
};

// The system's own words for code.
QString systemMessage(long code);

enum class Kind {
    Missing,
    Regular,
    Folder,
    Other,            // device, FIFO, socket
    LinkToRegular,    // read through, never replaced
    LinkToNonRegular, // dangling, or to a folder, device or FIFO
};

// Permission bits (0 where the system has none).
using FileMode = unsigned;

// What stands at path, without opening it; mode gets its permission bits.
Kind kindOf(const QString &path, FileMode *mode = nullptr);

// Up to limit bytes of a regular file (or a link to one), and whether there
// were more. Whatever turns out not to be a regular file once open is refused.
bool readBytes(const QString &path, qint64 limit, QByteArray *out, bool *more, IoError *err);

// A missing file counts as removed.
bool removeFile(const QString &path, IoError *err = nullptr);

// A new file written through a descriptor; whatever stood at its path goes
// first, so a link planted there is never followed.
class NewFile
{
public:
    NewFile() = default;
    NewFile(const NewFile &) = delete;
    NewFile &operator=(const NewFile &) = delete;
    ~NewFile(); // closes, and removes a file never closed by close()

    bool create(const QString &path, FileMode mode, IoError *err);
    bool write(const QByteArray &bytes, IoError *err);
    bool sync(IoError *err);
    bool close(IoError *err);

private:
    QString path;
    qintptr handle = -1;
};

// Renames from over to, replacing it.
bool replaceFile(const QString &from, const QString &to, IoError *err);

// Makes the renames and removals in dir last through a power cut.
bool syncDirectory(const QString &dir, IoError *err);

bool writableByUs(const QString &path);

// The mode of a fresh record file in dir: what the umask allows, and in a
// shared set-group-ID folder the group's right to write as well.
FileMode newFileMode(const QString &dir);

QString homeDirectory();

// GetWindowsDirectoryA where there is one: the folder written into buffer
// and its length, 0 on failure or on a system without one.
unsigned windowsDirectoryQuery(char *buffer, unsigned size);

// A lock the kernel holds for this process on an open file, and drops when
// the file is closed or the process dies.
class FileLock
{
public:
    enum class Open { Ok, Refused, ReadOnlyFolder, Failed };

    FileLock() = default;
    FileLock(const FileLock &) = delete;
    FileLock &operator=(const FileLock &) = delete;
    ~FileLock();

    // Opens path without following a link and without waiting on it, and
    // refuses it unless it is a regular file. A file this call creates gets
    // mode, set on the open file.
    Open open(const QString &path, FileMode mode, IoError *err);
    // One attempt; false with err None while another process holds it.
    bool tryLock(IoError *err);

private:
    qintptr handle = -1;
};

} // namespace records
