#include "recordstore.h"

#include "cp1252.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>

#ifdef Q_OS_WIN
#include <windows.h>
#endif

namespace records {

namespace {

constexpr unsigned queryBufferSize = 128;

// Where the records go when there is no Windows directory to put them in.
QString dataDirectory()
{
    const QString dir =
        QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + QStringLiteral("/quozzolo");
    // A failure here shows up later, with the file's name, when the files are created.
    QDir().mkpath(dir);
    return withTrailingSeparator(dir);
}

QString failure(const char *what, const QString &path, const QString &why)
{
    return QStringLiteral("%1 %2: %3").arg(QLatin1String(what), QDir::toNativeSeparators(path), why);
}

ReadOutcome readFailure(const QString &path, const QString &why)
{
    return {QString(), false, failure("Impossibile leggere il file", path, why)};
}

QString isFolder() { return QStringLiteral("al suo posto c'è una cartella"); }

} // namespace

QString systemDirectory()
{
#ifdef Q_OS_WIN
    char buffer[queryBufferSize];
    const UINT count = GetWindowsDirectoryA(buffer, queryBufferSize);
    // The empty fallback marks a failed query, so the stand-in is only made when needed.
    if (const QString dir = directoryFromQuery(buffer, count, QString()); !dir.isEmpty())
        return dir;
#endif
    return dataDirectory();
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
    if (dir.endsWith(u'/') || dir.endsWith(u'\\'))
        return dir;
    const bool backslashes = dir.lastIndexOf(u'\\') > dir.lastIndexOf(u'/');
    return dir + (backslashes ? u'\\' : u'/');
}

ReadOutcome readText(const QString &path)
{
    const QFileInfo info(path);
    if (info.isDir())
        return readFailure(path, isFolder());
    if (!info.exists())
        return readFailure(path, QStringLiteral("il file non esiste"));
    // A pipe or a device could block or never end.
    if (!info.isFile())
        return readFailure(path, QStringLiteral("non è un file normale"));

    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return readFailure(path, file.errorString());
    const QByteArray bytes = file.read(maxReadBytes);
    if (file.error() != QFileDevice::NoError)
        return readFailure(path, file.errorString());
    return {cp1252::decode(bytes), true, QString()};
}

RecordStore::RecordStore(QString dir)
    : dir(std::move(dir))
{
}

QString RecordStore::scorePath() const { return dir + QLatin1String(scoreFileName); }

QString RecordStore::holderPath() const { return dir + QLatin1String(holderFileName); }

Outcome RecordStore::CreateRecordFiles() const
{
    for (const QString &path : {scorePath(), holderPath()}) {
        if (QFileInfo(path).isDir())
            return Outcome::failure(failure("Impossibile creare il file", path, isFolder()));
        // An existing record is left alone, even a read-only one: it can
        // still be shown, and only a save needs to write it.
        if (QFileInfo::exists(path))
            continue;
        QFile file(path);
        if (!file.open(QIODevice::Append))
            return Outcome::failure(failure("Impossibile creare il file", path, file.errorString()));
    }
    return {};
}

Outcome RecordStore::WriteRecordFile(const QString &path, const QString &text) const
{
    const auto fail = [&path](const QString &why) {
        return Outcome::failure(failure("Impossibile scrivere il file", path, why));
    };

    const QFileInfo info(path);
    if (info.isDir())
        return fail(isFolder());
    // Replacing goes through a rename, which only needs a writable directory;
    // refuse a read-only record here, in the player's language, rather than
    // count on QSaveFile noticing.
    if (info.exists() && !info.isWritable())
        return fail(QStringLiteral("il file è protetto dalla scrittura"));

    QSaveFile file(path);
    // Writing in place would lose the all-or-nothing replacement.
    file.setDirectWriteFallback(false);
    if (!file.open(QIODevice::WriteOnly))
        return fail(file.errorString());

    const QByteArray bytes = cp1252::encode(text) + "\r\n";
    if (file.write(bytes) != bytes.size()) {
        file.cancelWriting();
        return fail(file.errorString());
    }
    if (beforeCommit && !beforeCommit(path)) {
        file.cancelWriting();
        return fail(QStringLiteral("scrittura interrotta"));
    }
    if (!file.commit())
        return fail(file.errorString());
    return {};
}

Outcome RecordStore::SaveRecord(const QString &score, const QString &holder) const
{
    if (Outcome written = WriteRecordFile(scorePath(), score); !written)
        return written;
    return WriteRecordFile(holderPath(), holder);
}

} // namespace records
