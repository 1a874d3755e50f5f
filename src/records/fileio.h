#pragma once

#include <QByteArray>
#include <QString>

// The file-system primitives the record store stands on, one implementation
// per system (fileio_unix.cpp, fileio_win.cpp), so that the store reads alike
// everywhere. Each failure fills in an IoError; nothing here shows a text.
//
// Others may write the record folder, so a path is looked at once: whatever
// is known of a file comes from the one descriptor it was opened as.
namespace records {

// What went wrong, in the terms the player is told about.
enum class ErrorKind {
    None,
    NotFound,
    Exists, // something stands where a new file was to be made
    Denied,
    DiskFull,
    ReadOnlyDisk,
    IsFolder,
    NoFolder,
    DiskError,
    TooBig,
    NotRegular, // a device, a FIFO, where a regular file must be
    Link,       // a symbolic link where the file itself must be
    OtherNames, // a regular file that has other names (hard links)
    Other,      // code says which
};

struct IoError
{
    ErrorKind kind = ErrorKind::None;
    long code = 0; // the system's own number, for Other
};

// The system's own words for code.
QString systemMessage(long code);

// Permission bits (0 where the system has none).
using FileMode = unsigned;

// What the one descriptor a file was opened as showed of it.
struct FileRead
{
    QByteArray bytes;      // up to the limit
    bool more = false;     // the file goes on past the limit
    FileMode mode = 0;     // its permission bits
    bool writable = false; // this process may write to it
};

enum class Links {
    Refused,  // the file itself: a link is not opened, a file with other names refused
    Followed, // for showing what a link leads to, never for keeping it
};

// Opens path once, without blocking, reads it if it is a regular file, and
// fills read from that descriptor alone.
bool readFile(const QString &path, qint64 limit, Links links, FileRead *read, IoError *err);

// Whether anything at all (a link included) stands at path. Only "no such
// file" means no; any other failure to look is a failure.
bool exists(const QString &path, bool *present, IoError *err);

// Whether the file at path (itself, not what a link leads to) refuses this
// process reading by its own permissions.
bool readingRefused(const QString &path, bool *refused, IoError *err);

// A missing file counts as removed.
bool removeFile(const QString &path, IoError *err = nullptr);

// A new file written through a descriptor. It never opens what stands at
// its path, so a link planted there is never followed.
class NewFile
{
public:
    enum class Existing {
        Removed, // whatever stands at the path goes first
        Kept,    // the creation fails with Exists instead
    };

    NewFile() = default;
    NewFile(const NewFile &) = delete;
    NewFile &operator=(const NewFile &) = delete;
    ~NewFile(); // closes, and removes a file never closed by close()

    // mode is cut to the read and write bits.
    bool create(const QString &path, FileMode mode, Existing existing, IoError *err);
    bool write(const QByteArray &bytes, IoError *err);
    bool sync(IoError *err);
    bool close(IoError *err);

private:
    QString path;
    qintptr handle = -1;
};

// Renames from over to, replacing it.
bool replaceFile(const QString &from, const QString &to, IoError *err);

// Renames from to to, unless something stands at to (Exists).
bool moveWithoutReplacing(const QString &from, const QString &to, IoError *err);

// Makes the renames and removals in dir last through a power cut.
bool syncDirectory(const QString &dir, IoError *err);

// Whether dir is a folder shared by a group of players: set-group-ID and
// writable by the group.
bool sharedFolder(const QString &dir, bool *shared, IoError *err);

// Whether this process may make and remove files in dir; when not, err
// says whether the folder or the whole disk is read-only.
bool writableFolder(const QString &dir, bool *writable, IoError *err);

// The mode of a fresh record file: what the umask allows, and in a shared
// folder the group's right to write as well.
FileMode newFileMode(bool shared);

// The lock's mode: only the players of a shared folder, and only the
// player in a folder of their own, may open it.
FileMode lockFileMode(bool shared);

QString homeDirectory();

// GetWindowsDirectoryA where there is one: the folder written into buffer
// and its length, 0 on failure or on a system without one.
unsigned windowsDirectoryQuery(char *buffer, unsigned size);

// A lock the kernel holds for this process on an open file, and drops when
// the file is closed or the process dies.
class FileLock
{
public:
    enum class Open {
        Ok,
        Refused,  // not a regular file
        ReadOnly, // no right to write it, or to make it: the records can only be read
        Failed,
    };

    FileLock() = default;
    FileLock(const FileLock &) = delete;
    FileLock &operator=(const FileLock &) = delete;
    ~FileLock();

    // Opens path for writing, without following a link and without waiting
    // on it, and refuses it unless it is a regular file. A file this call
    // creates gets mode, set on the open file; one found there with rights
    // for others loses them when it is ours.
    Open open(const QString &path, FileMode mode, IoError *err);
    // One attempt; false with err None while another process holds it.
    bool tryLock(IoError *err);

private:
    qintptr handle = -1;
};

} // namespace records
