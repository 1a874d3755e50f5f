#include "recorddir.h"

#include "fileio.h"
#include "recordstore.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryFile>

#ifdef Q_OS_WIN
#include <shlobj.h>
#endif

#ifndef QUOZZOLO_SHARED_RECORD_DIR
#define QUOZZOLO_SHARED_RECORD_DIR ""
#endif

namespace records {

namespace {
constexpr unsigned queryBufferSize = 128;

#ifdef Q_OS_WIN
// The game's folder in a known folder of Windows; empty when there is none.
QString gameFolderIn(REFKNOWNFOLDERID known)
{
    PWSTR path = nullptr;
    QString folder;
    if (SUCCEEDED(SHGetKnownFolderPath(known, KF_FLAG_DEFAULT, nullptr, &path)))
        folder = QString::fromWCharArray(path);
    CoTaskMemFree(path);
    return folder.isEmpty() ? folder : folder + QStringLiteral("\\Quozzolo");
}
#endif

// Whether the score file in dir is a record file the player may rewrite,
// as its own handle shows.
bool rewritableRecordIn(const QString &dir)
{
    FileRead read;
    IoError err;
    return readFile(withTrailingSeparator(dir) + QLatin1String(scoreFileName), 0, Links::Refused, &read, &err)
           && read.writable;
}
} // namespace

QString systemDirectory()
{
    char buffer[queryBufferSize];
    const unsigned count = windowsDirectoryQuery(buffer, queryBufferSize);
#ifdef Q_OS_WIN
    return windowsRecordDirectory(directoryFromQuery(buffer, count, QString()), gameFolderIn(FOLDERID_ProgramData),
                                  gameFolderIn(FOLDERID_RoamingAppData));
#else
    if (const QString dir = directoryFromQuery(buffer, count, QString()); !dir.isEmpty())
        return dir;
    return recordDirectory(QStringLiteral(QUOZZOLO_SHARED_RECORD_DIR), qEnvironmentVariable("XDG_DATA_HOME"),
                           homeDirectory());
#endif
}

QString windowsRecordDirectory(const QString &windowsDir, const QString &machineWide, const QString &own)
{
    // The save replaces the files through new ones beside them, so the
    // folder itself must take new files, not only the record file.
    if (QDir::isAbsolutePath(windowsDir) && rewritableRecordIn(windowsDir) && canCreateIn(windowsDir))
        return withTrailingSeparator(windowsDir);
    // Never made here: a folder the game made would be its maker's alone.
    if (QDir::isAbsolutePath(machineWide) && QFileInfo(machineWide).isDir() && canCreateIn(machineWide))
        return withTrailingSeparator(machineWide);
    if (!QDir::isAbsolutePath(own))
        return QString();
    // A failure here shows up later, with the file's name, when the files are created.
    QDir().mkpath(own);
    return withTrailingSeparator(own);
}

bool canCreateIn(const QString &dir)
{
    QTemporaryFile probe(withTrailingSeparator(dir) + QStringLiteral(".~quozrec-probe-XXXXXX"));
    return probe.open();
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

} // namespace records
