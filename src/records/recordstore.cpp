#include "recordstore.h"

#include "cp1252.h"
#include "numbertext.h"
#include "recordrule.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QSysInfo>
#include <QThread>

#include <array>
#include <cerrno>
#include <cstring>

#ifdef Q_OS_WIN
#include <io.h>
#include <windows.h>
#else
#include <fcntl.h>
#include <pwd.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

#ifndef QUOZZOLO_SHARED_RECORD_DIR
#define QUOZZOLO_SHARED_RECORD_DIR ""
#endif

namespace records {

namespace {

constexpr unsigned queryBufferSize = 128;
constexpr qint64 journalLimit = 2 * maxReadBytes + 256;
constexpr QByteArrayView journalMagic = "QUOZZOLO JOURNAL 1\n";

// Names of the files a save writes beside the record; whatever of them a
// stopped save left behind goes at the next start-up.
constexpr auto newSuffix = ".new";
constexpr auto oldSuffix = ".old";

QString failure(const char *what, const QString &path, const QString &why)
{
    return QStringLiteral("%1 %2: %3").arg(QLatin1String(what), QDir::toNativeSeparators(path), why);
}

QString noDirectory()
{
    return QStringLiteral("Non c'è una cartella dove tenere il record: si gioca senza record.");
}

QString reason(int err)
{
    switch (err) {
    case ENOENT:
        return QStringLiteral("il file non esiste");
    case EACCES:
    case EPERM:
        return QStringLiteral("permesso negato");
    case ENOSPC:
#ifdef EDQUOT
    case EDQUOT:
#endif
        return QStringLiteral("spazio su disco esaurito");
    case EROFS:
        return QStringLiteral("il disco è in sola lettura");
    case EISDIR:
        return QStringLiteral("al suo posto c'è una cartella");
    case ENOTDIR:
        return QStringLiteral("la cartella non esiste");
    case EIO:
        return QStringLiteral("errore del disco");
    case EFBIG:
        return QStringLiteral("il file è troppo grande");
    case ECANCELED:
        return QStringLiteral("operazione interrotta");
    default:
        return QStringLiteral("errore di sistema %1 (%2)").arg(err).arg(QString::fromLocal8Bit(std::strerror(err)));
    }
}

enum class Kind {
    Missing,
    Regular,
    Folder,
    Other,            // device, FIFO, socket
    LinkToRegular,    // read through, never replaced
    LinkToNonRegular, // dangling, or to a folder, device or FIFO
};

QString kindReason(Kind kind)
{
    switch (kind) {
    case Kind::Missing:
        return reason(ENOENT);
    case Kind::Folder:
        return reason(EISDIR);
    case Kind::Other:
        return QStringLiteral("non è un file normale (forse un dispositivo o una FIFO)");
    case Kind::LinkToRegular:
        return QStringLiteral("è un collegamento simbolico, che il gioco non sostituisce");
    case Kind::LinkToNonRegular:
        return QStringLiteral("è un collegamento simbolico a qualcosa che non è un file normale");
    case Kind::Regular:
        break;
    }
    return QString();
}

// The file-system primitives, so that everything above them reads alike on
// every platform. Each failure leaves its error code in err.
#ifndef Q_OS_WIN

QByteArray nativePath(const QString &path) { return QFile::encodeName(path); }

Kind kindOf(const QString &path, mode_t *mode = nullptr)
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

// Up to limit bytes, and whether there were more. Refuses whatever is not a
// regular file once open, in case one was swapped in after kindOf looked.
bool readBytes(const QString &path, qint64 limit, QByteArray *out, bool *more, int *err)
{
    // O_NONBLOCK: a FIFO swapped in must not hang the open.
    const int fd = ::open(nativePath(path).constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        *err = errno;
        return false;
    }
    struct stat st{};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        *err = EINVAL;
        return false;
    }
    QByteArray bytes(limit + 1, Qt::Uninitialized);
    qint64 got = 0;
    while (got < bytes.size()) {
        const ssize_t n = ::read(fd, bytes.data() + got, size_t(bytes.size() - got));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            *err = errno;
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

bool removeFile(const QString &path, int *err = nullptr)
{
    if (::unlink(nativePath(path).constData()) == 0 || errno == ENOENT)
        return true;
    if (err)
        *err = errno;
    return false;
}

// A new file at path with exactly these bytes and this mode, on disk before
// this returns. Whatever stood at path goes first, so a link planted there
// is never followed.
bool writeSynced(const QString &path, const QByteArray &bytes, mode_t mode, int *err)
{
    if (!removeFile(path, err))
        return false;
    const int fd = ::open(nativePath(path).constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0) {
        *err = errno;
        return false;
    }
    bool ok = ::fchmod(fd, mode) == 0;
    for (qsizetype done = 0; ok && done < bytes.size();) {
        const ssize_t n = ::write(fd, bytes.constData() + done, size_t(bytes.size() - done));
        if (n < 0 && errno == EINTR)
            continue;
        ok = n > 0;
        done += n;
    }
    ok = ok && ::fsync(fd) == 0;
    if (!ok)
        *err = errno ? errno : EIO;
    if (::close(fd) != 0 && ok) {
        *err = errno;
        ok = false;
    }
    if (!ok)
        removeFile(path);
    return ok;
}

bool replaceFile(const QString &from, const QString &to, int *err)
{
    if (::rename(nativePath(from).constData(), nativePath(to).constData()) == 0)
        return true;
    *err = errno;
    return false;
}

// Makes the renames and removals in dir last through a power cut.
void syncDirectory(const QString &dir)
{
    const int fd = ::open(nativePath(dir).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return;
    // Some file systems cannot sync a folder; their renames are then as safe as they get.
    ::fsync(fd);
    ::close(fd);
}

bool writableByUs(const QString &path)
{
    return ::faccessat(AT_FDCWD, nativePath(path).constData(), W_OK, AT_EACCESS) == 0;
}

// A fresh record file: what the umask allows, but in a shared set-group-ID
// folder the group keeps its right to write, whatever this player's umask.
mode_t newFileMode(const QString &dir)
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

#else // Windows: no links, FIFOs or modes to speak of.

using mode_t = int;

Kind kindOf(const QString &path, mode_t *mode = nullptr)
{
    if (mode)
        *mode = 0;
    const QFileInfo info(path);
    if (!info.exists())
        return Kind::Missing;
    if (info.isDir())
        return Kind::Folder;
    return info.isFile() ? Kind::Regular : Kind::Other;
}

bool readBytes(const QString &path, qint64 limit, QByteArray *out, bool *more, int *err)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *err = EACCES;
        return false;
    }
    *out = file.read(limit + 1);
    *more = out->size() > limit;
    out->truncate(qMin<qint64>(out->size(), limit));
    return true;
}

bool removeFile(const QString &path, int *err = nullptr)
{
    if (!QFileInfo::exists(path) || QFile::remove(path))
        return true;
    if (err)
        *err = EACCES;
    return false;
}

bool writeSynced(const QString &path, const QByteArray &bytes, mode_t, int *err)
{
    removeFile(path);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly) || file.write(bytes) != bytes.size()
        || !file.flush() || !FlushFileBuffers(HANDLE(_get_osfhandle(file.handle())))) {
        *err = EIO;
        file.close();
        removeFile(path);
        return false;
    }
    return true;
}

bool replaceFile(const QString &from, const QString &to, int *err)
{
    if (MoveFileExW(reinterpret_cast<LPCWSTR>(QDir::toNativeSeparators(from).utf16()),
                    reinterpret_cast<LPCWSTR>(QDir::toNativeSeparators(to).utf16()),
                    MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return true;
    *err = EACCES;
    return false;
}

void syncDirectory(const QString &) {}
bool writableByUs(const QString &path) { return QFileInfo(path).isWritable(); }
mode_t newFileMode(const QString &) { return 0; }
QString homeDirectory() { return QDir::homePath(); }

#endif

quint32 crc32(QByteArrayView bytes)
{
    quint32 crc = 0xFFFFFFFFu;
    for (const char c : bytes) {
        crc ^= quint8(c);
        for (int k = 0; k < 8; ++k)
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

// The journal: a header line, the two old files back to back, a checksum.
QByteArray journalBytes(const QByteArray &score, const QByteArray &holder)
{
    QByteArray bytes = journalMagic.toByteArray() + QByteArray::number(score.size()) + ' '
                       + QByteArray::number(holder.size()) + '\n' + score + holder;
    return bytes + QByteArray::number(crc32(bytes), 16).rightJustified(8, '0') + '\n';
}

bool parseJournal(const QByteArray &bytes, QByteArray *score, QByteArray *holder)
{
    if (!bytes.startsWith(journalMagic))
        return false;
    const qsizetype headerEnd = bytes.indexOf('\n', journalMagic.size());
    if (headerEnd < 0)
        return false;
    const QList<QByteArray> sizes = bytes.mid(journalMagic.size(), headerEnd - journalMagic.size()).split(' ');
    if (sizes.size() != 2)
        return false;
    bool ok1 = false, ok2 = false;
    const qlonglong scoreSize = sizes[0].toLongLong(&ok1), holderSize = sizes[1].toLongLong(&ok2);
    if (!ok1 || !ok2 || scoreSize < 0 || holderSize < 0 || scoreSize > maxReadBytes || holderSize > maxReadBytes)
        return false;
    const qsizetype bodyEnd = headerEnd + 1 + scoreSize + holderSize;
    if (bytes.size() != bodyEnd + 9 || bytes.back() != '\n')
        return false;
    bool ok = false;
    const quint32 sum = bytes.mid(bodyEnd, 8).toUInt(&ok, 16);
    if (!ok || sum != crc32(QByteArrayView(bytes).first(bodyEnd)))
        return false;
    *score = bytes.mid(headerEnd + 1, scoreSize);
    *holder = bytes.mid(headerEnd + 1 + scoreSize, holderSize);
    return true;
}

} // namespace

QString systemDirectory()
{
#ifdef Q_OS_WIN
    char buffer[queryBufferSize];
    const UINT count = GetWindowsDirectoryA(buffer, queryBufferSize);
    if (const QString dir = directoryFromQuery(buffer, count, QString()); !dir.isEmpty())
        return dir;
#endif
    return recordDirectory(QStringLiteral(QUOZZOLO_SHARED_RECORD_DIR), qEnvironmentVariable("XDG_DATA_HOME"),
                           homeDirectory());
}

QString recordDirectory(const QString &shared, const QString &xdgDataHome, const QString &home)
{
    if (!shared.isEmpty() && QDir::isAbsolutePath(shared)) {
        const QFileInfo info(shared);
        // Not set up on this machine, or not for this player: the player's own record.
        if (info.isDir() && info.isWritable() && info.isExecutable())
            return withTrailingSeparator(shared);
    }
    QString base;
    // A relative XDG_DATA_HOME is invalid and must be ignored: it would put
    // the record wherever the game happens to be started from.
    if (QDir::isAbsolutePath(xdgDataHome))
        base = xdgDataHome;
    else if (QDir::isAbsolutePath(home) && QFileInfo(home).isDir() && QDir(home).canonicalPath() != QDir::rootPath())
        base = home + QStringLiteral("/.local/share");
    else
        return QString();
    const QString dir = QDir::cleanPath(base + QStringLiteral("/quozzolo"));
    // A failure here shows up later, with the file's name, when the files are created.
    QDir().mkpath(dir);
    return withTrailingSeparator(dir);
}

QString directoryFromQuery(const char *buffer, unsigned count, const QString &fallback)
{
    if (buffer == nullptr || count == 0 || count >= queryBufferSize)
        return fallback;
    QString dir = QString::fromLocal8Bit(buffer, count);
    if (!dir.endsWith(u'\\') && !dir.endsWith(u'/'))
        dir += u'\\';
    return dir;
}

QString withTrailingSeparator(const QString &dir)
{
    // No directory stays no directory, rather than becoming the root.
    if (dir.isEmpty() || dir.endsWith(u'/') || dir.endsWith(u'\\'))
        return dir;
    const bool backslashes = dir.lastIndexOf(u'\\') > dir.lastIndexOf(u'/');
    return dir + (backslashes ? u'\\' : u'/');
}

ReadOutcome readText(const QString &path)
{
    const auto fail = [&path](const QString &why) {
        return ReadOutcome{QString(), false, failure("Impossibile leggere il file", path, why)};
    };
    // A device or a FIFO is never opened: it could block, never end, or act on being opened.
    if (const Kind kind = kindOf(path); kind != Kind::Regular && kind != Kind::LinkToRegular)
        return fail(kindReason(kind));
    QByteArray bytes;
    bool more = false;
    int err = 0;
    if (!readBytes(path, maxReadBytes, &bytes, &more, &err))
        return fail(err == EINVAL ? kindReason(Kind::Other) : reason(err));
    return {cp1252::decode(bytes), true, QString()};
}

// The lock file beside the records, taken over from a game that died holding it.
class RecordStore::Lock
{
public:
    enum class State { Held, ReadOnlyFolder, Busy, Failed };

    explicit Lock(const QString &path)
        : file(path)
    {
        // Age says nothing about a live game on a slow disk; a dead one is found by its process.
        file.setStaleLockTime(0);
    }

    State acquire(int timeout, const QString &dir)
    {
        const QDeadlineTimer deadline(timeout);
        for (;;) {
            if (file.tryLock(20)) {
                // In a shared folder, let another player's game take over
                // this lock should this game die holding it.
                QFile::setPermissions(file.fileName(), QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup
                                                           | QFile::ReadOther
                                                           | (newFileMode(dir) & 020 ? QFile::WriteGroup : QFile::Permissions()));
                return State::Held;
            }
            switch (file.error()) {
            case QLockFile::PermissionError:
                return State::ReadOnlyFolder;
            case QLockFile::UnknownError:
                return State::Failed;
            case QLockFile::NoError:
            case QLockFile::LockFailedError:
                break;
            }
            // A game killed between creating a lock file and writing its
            // process into it leaves a lock nobody can tell the owner of,
            // which QLockFile would never take over with no stale time. That
            // goes for the file QLockFile itself holds while it clears a dead
            // game's lock, too.
            for (const QString &name : {file.fileName(), file.fileName() + QLatin1String(".rmlock")})
                removeIfAbandoned(name);
            if (deadline.hasExpired())
                return State::Busy;
        }
    }

private:
    // QLockFile takes over a dead game's lock only when it may open the
    // lock file for writing, which in a shared folder another player's file
    // does not allow; and never one with no owner written in it.
    static void removeIfAbandoned(const QString &name)
    {
        const QFileInfo info(name);
        if (!info.exists())
            return;
        const qint64 age = info.lastModified().msecsTo(QDateTime::currentDateTime());
        QLockFile probe(name);
        qint64 pid = 0;
        QString host, app;
        bool dead = false;
        if (!probe.getLockInfo(&pid, &host, &app)) {
            // The owner writes itself in right after creating the file; give
            // it a moment. Even then, on Unix QLockFile refuses to remove a
            // file that a live owner still holds locked.
            if (age > 200 && probe.removeStaleLockFile())
                return;
            dead = age > 3000;
        } else {
#ifndef Q_OS_WIN
            dead = host == QSysInfo::machineHostName() && pid > 0 && ::kill(pid_t(pid), 0) != 0 && errno == ESRCH;
#endif
        }
        if (!dead)
            return;
        // Under the same guard QLockFile uses, so that two games clearing
        // the same dead lock never remove the fresh lock of a third.
        QLockFile guard(name + QLatin1String(".rmlock"));
        if (!guard.tryLock(0))
            return;
        qint64 pidAgain = 0;
        QString hostAgain, appAgain;
        const bool known = probe.getLockInfo(&pidAgain, &hostAgain, &appAgain);
        if (known ? pidAgain == pid : QFileInfo(name).lastModified().msecsTo(QDateTime::currentDateTime()) > 3000)
            QFile::remove(name);
    }

    QLockFile file;
};

RecordStore::RecordStore(QString dir)
    : dir(std::move(dir))
{
}

QString RecordStore::scorePath() const { return dir + QLatin1String(scoreFileName); }

QString RecordStore::holderPath() const { return dir + QLatin1String(holderFileName); }

QString RecordStore::journalPath() const { return dir + QLatin1String(journalFileName); }

Outcome RecordStore::CreateRecordFiles() const
{
    if (dir.isEmpty())
        return Outcome::failure(noDirectory());
    Lock lock(dir + QLatin1String(lockFileName));
    switch (lock.acquire(lockTimeout, dir)) {
    case Lock::State::Held:
        return recover();
    case Lock::State::ReadOnlyFolder:
        return checkWithoutWriting();
    case Lock::State::Busy:
        return Outcome::failure(failure("Impossibile aprire il file", scorePath(),
                                        QStringLiteral("un'altra partita lo sta usando da troppo tempo")));
    case Lock::State::Failed:
        break;
    }
    const QString why = QFileInfo(dir).isDir() ? QStringLiteral("impossibile bloccarlo per questa partita")
                                               : reason(ENOTDIR);
    return Outcome::failure(failure("Impossibile aprire il file", scorePath(), why));
}

// Nobody can be saving in a folder the game cannot write to; existing files
// are enough to play, but a stopped save there cannot be undone.
Outcome RecordStore::checkWithoutWriting() const
{
    if (kindOf(journalPath()) != Kind::Missing)
        return Outcome::failure(failure("Impossibile completare il file", journalPath(),
                                        QStringLiteral("la cartella non è scrivibile")));
    for (const QString &path : {scorePath(), holderPath()}) {
        const Kind kind = kindOf(path);
        if (kind == Kind::Missing)
            return Outcome::failure(failure("Impossibile creare il file", path, QStringLiteral("la cartella non è scrivibile")));
        if (kind != Kind::Regular && kind != Kind::LinkToRegular)
            return Outcome::failure(failure("Impossibile usare il file", path, kindReason(kind)));
    }
    return {};
}

Outcome RecordStore::restore(const QString &path, const QByteArray &bytes) const
{
    const auto fail = [&path](const QString &why) {
        return Outcome::failure(failure("Impossibile rimettere a posto il file", path, why));
    };
    mode_t mode = newFileMode(dir);
    switch (const Kind kind = kindOf(path, &mode)) {
    case Kind::Regular: {
        QByteArray current;
        bool more = false;
        int err = 0;
        if (readBytes(path, maxReadBytes, &current, &more, &err) && !more && current == bytes)
            return {};
        break;
    }
    case Kind::Missing:
        mode = newFileMode(dir);
        break;
    default:
        return fail(kindReason(kind));
    }
    int err = ECANCELED;
    const QString temporary = path + QLatin1String(newSuffix);
    if (!step(Step::RestoreFile) || !writeSynced(temporary, bytes, mode, &err) || !replaceFile(temporary, path, &err)) {
        removeFile(temporary);
        return fail(reason(err));
    }
    return {};
}

Outcome RecordStore::recover() const
{
    switch (const Kind kind = kindOf(journalPath())) {
    case Kind::Missing:
        break;
    case Kind::Regular: {
        QByteArray bytes, score, holder;
        bool more = false;
        int err = 0;
        if (!readBytes(journalPath(), journalLimit, &bytes, &more, &err))
            return Outcome::failure(failure("Impossibile leggere il file", journalPath(), reason(err)));
        // A journal only ever appears whole (it is renamed into place); one
        // that does not read as such was never ours to act on.
        if (!more && parseJournal(bytes, &score, &holder)) {
            for (const auto &[path, old] : {std::pair{scorePath(), score}, std::pair{holderPath(), holder}})
                if (Outcome restored = restore(path, old); !restored)
                    return restored;
            syncDirectory(dir);
        }
        if (!removeFile(journalPath(), &err))
            return Outcome::failure(failure("Impossibile cancellare il file", journalPath(), reason(err)));
        syncDirectory(dir);
        break;
    }
    default:
        return Outcome::failure(failure("Impossibile usare il file", journalPath(), kindReason(kind)));
    }

    for (const QString &path : {scorePath() + QLatin1String(newSuffix), holderPath() + QLatin1String(newSuffix),
                                scorePath() + QLatin1String(oldSuffix), journalPath() + QLatin1String(newSuffix)})
        removeFile(path);
    // A game killed while it cleared a dead game's lock leaves this one behind.
    {
        QLockFile remover(dir + QLatin1String(lockFileName) + QLatin1String(".rmlock"));
        remover.setStaleLockTime(0);
        if (remover.tryLock(0))
            remover.unlock();
    }

    bool created = false;
    for (const QString &path : {scorePath(), holderPath()}) {
        switch (const Kind kind = kindOf(path)) {
        case Kind::Regular:
        case Kind::LinkToRegular:
            break;
        case Kind::Missing: {
            // An existing file keeps its bytes; only a missing one is made, empty.
            int err = 0;
            if (!writeSynced(path + QLatin1String(newSuffix), QByteArray(), newFileMode(dir), &err)
                || !replaceFile(path + QLatin1String(newSuffix), path, &err)) {
                removeFile(path + QLatin1String(newSuffix));
                return Outcome::failure(failure("Impossibile creare il file", path, reason(err)));
            }
            created = true;
            break;
        }
        default:
            return Outcome::failure(failure("Impossibile usare il file", path, kindReason(kind)));
        }
    }
    if (created)
        syncDirectory(dir);
    return {};
}

SaveOutcome RecordStore::SaveRecord(const QString &score, const QString &holder) const
{
    using Result = SaveOutcome::Result;
    const auto fail = [](const char *what, const QString &path, const QString &why) {
        return SaveOutcome{Result::Failed, failure(what, path, why)};
    };
    if (dir.isEmpty())
        return {Result::Failed, noDirectory()};
    const std::optional<double> value = numbertext::strictNumber(score);
    if (!value)
        return fail("Impossibile scrivere il file", scorePath(),
                    QStringLiteral("il punteggio \"%1\" non è un numero").arg(score));

    Lock lock(dir + QLatin1String(lockFileName));
    switch (lock.acquire(lockTimeout, dir)) {
    case Lock::State::Held:
        break;
    case Lock::State::ReadOnlyFolder:
        return fail("Impossibile scrivere il file", scorePath(), QStringLiteral("la cartella non è scrivibile"));
    case Lock::State::Busy:
        return fail("Impossibile scrivere il file", scorePath(),
                    QStringLiteral("un'altra partita lo sta usando da troppo tempo"));
    case Lock::State::Failed:
        return fail("Impossibile scrivere il file", scorePath(),
                    QFileInfo(dir).isDir() ? QStringLiteral("impossibile bloccarlo per questa partita") : reason(ENOTDIR));
    }
    if (Outcome recovered = recover(); !recovered)
        return {Result::Failed, recovered.error};

    // What is on disk now decides, not what this game read at its start:
    // another game may have saved a better record meanwhile.
    const auto readWhole = [&](const QString &path, QByteArray *bytes) -> QString {
        const Kind kind = kindOf(path);
        if (kind != Kind::Regular && kind != Kind::LinkToRegular)
            return kindReason(kind);
        bool more = false;
        int err = 0;
        if (!readBytes(path, maxReadBytes, bytes, &more, &err))
            return err == EINVAL ? kindReason(Kind::Other) : reason(err);
        // Putting it back needs all of it.
        return more ? reason(EFBIG) : QString();
    };
    QByteArray oldScore, oldHolder;
    if (const QString why = readWhole(scorePath(), &oldScore); !why.isEmpty())
        return fail("Impossibile leggere il file", scorePath(), why);
    if (!recordrule::beaten(recordrule::storedBest(cp1252::decode(oldScore)), *value))
        return {Result::NotBeaten, QString()};
    if (const QString why = readWhole(holderPath(), &oldHolder); !why.isEmpty())
        return fail("Impossibile leggere il file", holderPath(), why);
    for (const QString &path : {scorePath(), holderPath()}) {
        if (const Kind kind = kindOf(path); kind != Kind::Regular)
            return fail("Impossibile scrivere il file", path, kindReason(kind));
        // Replacing only needs the folder, but a record made read-only is meant to stay.
        if (!writableByUs(path))
            return fail("Impossibile scrivere il file", path, QStringLiteral("il file è protetto dalla scrittura"));
    }
    return savePair(oldScore, oldHolder, cp1252::encode(score) + "\r\n", cp1252::encode(holder) + "\r\n");
}

SaveOutcome RecordStore::savePair(const QByteArray &oldScore, const QByteArray &oldHolder, const QByteArray &newScore,
                                  const QByteArray &newHolder) const
{
    using Result = SaveOutcome::Result;
    const QString scoreNew = scorePath() + QLatin1String(newSuffix);
    const QString holderNew = holderPath() + QLatin1String(newSuffix);
    const QString scoreOld = scorePath() + QLatin1String(oldSuffix);
    const QString journalNew = journalPath() + QLatin1String(newSuffix);
    const auto clearTemporaries = [&] {
        for (const QString &path : {scoreNew, holderNew, scoreOld, journalNew})
            removeFile(path);
    };
    const auto fail = [&](const QString &path, int err) {
        return SaveOutcome{Result::Failed, failure("Impossibile scrivere il file", path, reason(err))};
    };
    mode_t scoreMode = 0, holderMode = 0;
    kindOf(scorePath(), &scoreMode);
    kindOf(holderPath(), &holderMode);

    // 1. Everything that needs room on the disk, while nothing is changed:
    // the two new files and a copy of the old score to put back in one rename.
    int err = ECANCELED;
    if (!step(Step::WriteTemporaries) || !writeSynced(scoreNew, newScore, scoreMode, &err)
        || !writeSynced(holderNew, newHolder, holderMode, &err) || !writeSynced(scoreOld, oldScore, scoreMode, &err)) {
        clearTemporaries();
        return fail(scorePath(), err);
    }
    // 2. The journal, whole or not at all. From here until it is removed, a
    // stop means the old pair.
    err = ECANCELED;
    // Readable as the records are: in a shared folder another player's game
    // may have to finish what this one started.
    if (!step(Step::WriteJournal) || !writeSynced(journalNew, journalBytes(oldScore, oldHolder), scoreMode, &err)
        || !replaceFile(journalNew, journalPath(), &err)) {
        clearTemporaries();
        return fail(journalPath(), err);
    }
    syncDirectory(dir);

    const auto undo = [&](const QString &path, int why) {
        // The journal holds the old pair until both files are back.
        if (Outcome restored = recover(); !restored)
            return SaveOutcome{Result::Failed,
                               failure("Impossibile scrivere il file", path, reason(why))
                                   + QStringLiteral("; il record precedente sarà rimesso a posto al prossimo avvio (")
                                   + restored.error + u')'};
        return fail(path, why);
    };

    // 3. The score, then the holder, one right after the other.
    err = ECANCELED;
    if (!step(Step::ReplaceScore) || !replaceFile(scoreNew, scorePath(), &err))
        return undo(scorePath(), err);
    err = ECANCELED;
    if (!step(Step::ReplaceHolder) || !replaceFile(holderNew, holderPath(), &err)) {
        const int why = err;
        int restoreErr = 0;
        // The copy made in step 1 goes back without needing any room.
        if (step(Step::RestoreScore) && replaceFile(scoreOld, scorePath(), &restoreErr))
            syncDirectory(dir);
        return undo(holderPath(), why);
    }
    syncDirectory(dir);

    // 4. Removing the journal is what makes the new pair the record.
    err = ECANCELED;
    if (!step(Step::RemoveJournal) || !removeFile(journalPath(), &err))
        return undo(journalPath(), err);
    syncDirectory(dir);
    clearTemporaries();
    return {Result::Saved, QString()};
}

} // namespace records
