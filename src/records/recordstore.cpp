#include "recordstore.h"

#include "cp1252.h"
#include "errortext.h"
#include "fileio.h"
#include "journal.h"
#include "numbertext.h"
#include "recordlock.h"
#include "recordrule.h"

#include <QFileInfo>

#include <tuple>

namespace records {

using namespace errortext;

namespace {

// How long a start-up or a save waits for another game that holds the lock.
constexpr int lockTimeoutMs = 10000;

// The files a save writes beside the record; whatever of them a stopped
// save left behind goes at the next start-up.
constexpr auto scoreTemporary = ".~quozrec-score.tmp";
constexpr auto holderTemporary = ".~quozrec-holder.tmp";
constexpr auto oldScoreTemporary = ".~quozrec-oldscore.tmp";
constexpr auto journalTemporary = ".~quozrec-journal.tmp";

// What the previous release left after a crash: its journal, and beside it
// its copies, which are removed only together with a journal of its own.
constexpr auto previousJournal = "quozrec.journal";
constexpr const char *previousLeftovers[] = {"quozrec.txt.new", "nquozrec.txt.new", "quozrec.txt.old",
                                             "quozrec.journal.new"};

constexpr IoError cancelled{ErrorKind::Cancelled, 0};

bool usable(Kind kind) { return kind == Kind::Regular || kind == Kind::LinkToRegular; }

// The whole file, for putting it back later: what is cut off cannot be.
QString readWhole(const QString &path, QByteArray *bytes)
{
    if (const Kind kind = kindOf(path); !usable(kind))
        return kindReason(kind);
    bool more = false;
    IoError err;
    if (!readBytes(path, maxReadBytes, bytes, &more, &err))
        return reason(err);
    return more ? reason({ErrorKind::TooBig, 0}) : QString();
}

} // namespace

Outcome readText(const QString &path, QString *text)
{
    const auto fail = [&path](const QString &why) { return Outcome::failure(failure("Impossibile leggere il file", path, why)); };
    text->clear();
    // A device or a FIFO is never opened: it could block, never end, or act on being opened.
    if (const Kind kind = kindOf(path); !usable(kind))
        return fail(kindReason(kind));
    QByteArray bytes;
    bool more = false;
    IoError err;
    if (!readBytes(path, maxReadBytes, &bytes, &more, &err))
        return fail(reason(err));
    *text = cp1252::decode(bytes);
    return {};
}

RecordStore::RecordStore(QString dir)
    : dir(std::move(dir))
{
}

QString RecordStore::scorePath() const { return working(scoreFileName); }

QString RecordStore::holderPath() const { return working(holderFileName); }

QString RecordStore::journalPath() const { return working(journalFileName); }

QString RecordStore::lockPath() const { return working(lockFileName); }

QString RecordStore::working(const char *name) const { return dir + QLatin1String(name); }

namespace {

// Why the lock could not be had, naming the file the player cares about.
Outcome lockFailure(RecordLock::State state, const IoError &err, const char *what, const RecordStore &store)
{
    switch (state) {
    case RecordLock::State::Busy:
        return Outcome::failure(failure(what, store.scorePath(), busy()));
    case RecordLock::State::ReadOnlyFolder:
        return Outcome::failure(failure(what, store.scorePath(), readOnlyFolder()));
    case RecordLock::State::Refused: {
        const Kind kind = kindOf(store.lockPath());
        return Outcome::failure(failure("Impossibile usare il file", store.lockPath(),
                                        kind == Kind::Regular || kind == Kind::Missing ? reason(err) : kindReason(kind)));
    }
    case RecordLock::State::Failed:
    case RecordLock::State::Held:
        break;
    }
    if (!QFileInfo(store.directory()).isDir())
        return Outcome::failure(failure(what, store.scorePath(), reason({ErrorKind::NoFolder, 0})));
    return Outcome::failure(failure(what, store.lockPath(), reason(err)));
}

} // namespace

StoredPair RecordStore::loadPair() const
{
    if (dir.isEmpty())
        return {QString(), QString(), Outcome::failure(noDirectory())};
    StoredPair pair;
    RecordLock lock;
    IoError err;
    switch (const RecordLock::State state = lock.acquire(lockPath(), newFileMode(dir), lockTimeoutMs, &err)) {
    case RecordLock::State::Held:
        pair.outcome = recover();
        break;
    case RecordLock::State::ReadOnlyFolder:
        pair.outcome = checkWithoutWriting();
        break;
    default:
        pair.outcome = lockFailure(state, err, "Impossibile aprire il file", *this);
        break;
    }
    // Both are read even after a failure, to show what can be shown.
    const Outcome score = readText(scorePath(), &pair.score);
    const Outcome holder = readText(holderPath(), &pair.holder);
    if (pair.outcome)
        pair.outcome = !score ? score : holder;
    return pair;
}

// Nobody can be saving in a folder the game cannot write to; existing files
// are enough to play, but a stopped save there cannot be undone.
Outcome RecordStore::checkWithoutWriting() const
{
    if (kindOf(journalPath()) != Kind::Missing)
        return Outcome::failure(failure("Impossibile completare il file", journalPath(), readOnlyFolder()));
    for (const QString &path : {scorePath(), holderPath()}) {
        const Kind kind = kindOf(path);
        if (kind == Kind::Missing)
            return Outcome::failure(failure("Impossibile creare il file", path, readOnlyFolder()));
        if (!usable(kind))
            return Outcome::failure(failure("Impossibile usare il file", path, kindReason(kind)));
    }
    return {};
}

bool RecordStore::writeSynced(const QString &path, const QByteArray &bytes, unsigned mode, IoError *err) const
{
    NewFile file;
    if (!file.create(path, mode, err) || !file.write(bytes, err))
        return false;
    if (!step(Step::SyncFile)) {
        *err = cancelled;
        return false;
    }
    return file.sync(err) && file.close(err);
}

bool RecordStore::syncFolder(IoError *err) const
{
    if (!step(Step::SyncFolder)) {
        *err = cancelled;
        return false;
    }
    return syncDirectory(dir, err);
}

// Whole or not at all: written beside, then renamed into place.
bool RecordStore::writeJournal(const QByteArray &oldScore, const QByteArray &oldHolder, unsigned mode, IoError *err) const
{
    if (writeSynced(working(journalTemporary), journal::encode(oldScore, oldHolder), mode, err)
        && replaceFile(working(journalTemporary), journalPath(), err))
        return true;
    removeFile(working(journalTemporary));
    return false;
}

Outcome RecordStore::restore(const QString &path, const QString &temporary, const QByteArray &bytes) const
{
    const auto fail = [&path](const QString &why) {
        return Outcome::failure(failure("Impossibile rimettere a posto il file", path, why));
    };
    FileMode mode = newFileMode(dir);
    switch (const Kind kind = kindOf(path, &mode)) {
    case Kind::Regular: {
        QByteArray current;
        bool more = false;
        IoError err;
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
    IoError err = cancelled;
    if (!step(Step::RestoreFile) || !writeSynced(temporary, bytes, mode, &err) || !replaceFile(temporary, path, &err)) {
        removeFile(temporary);
        return fail(reason(err));
    }
    return {};
}

// The old pair of a journal, back in place and on disk.
Outcome RecordStore::putBack(const journal::Contents &old) const
{
    for (const auto &[file, temporary, content] : {std::tuple{scorePath(), scoreTemporary, old.score},
                                                   std::tuple{holderPath(), holderTemporary, old.holder}})
        if (Outcome restored = restore(file, working(temporary), content); !restored)
            return restored;
    if (IoError err; !syncFolder(&err))
        return Outcome::failure(failure("Impossibile rimettere a posto il file", scorePath(), reason(err)));
    return {};
}

// A journal of the previous release is acted on once, and only when it
// reads whole: a file of that name that does not is somebody else's.
Outcome RecordStore::recoverPreviousRelease() const
{
    const QString path = working(previousJournal);
    QByteArray bytes;
    bool more = false;
    IoError err;
    if (kindOf(path) != Kind::Regular || !readBytes(path, journal::sizeLimit(maxReadBytes), &bytes, &more, &err) || more)
        return {};
    const std::optional<journal::Contents> old = journal::decode(bytes, maxReadBytes);
    if (!old || old->version != 1)
        return {};
    if (Outcome restored = putBack(*old); !restored)
        return restored;
    for (const char *name : previousLeftovers)
        removeFile(working(name));
    if (!removeFile(path, &err) || !syncFolder(&err))
        return Outcome::failure(failure("Impossibile cancellare il file", path, reason(err)));
    return {};
}

Outcome RecordStore::recover() const
{
    if (Outcome previous = recoverPreviousRelease(); !previous)
        return previous;

    switch (const Kind kind = kindOf(journalPath())) {
    case Kind::Missing:
        break;
    case Kind::Regular: {
        QByteArray bytes;
        bool more = false;
        IoError err;
        if (!readBytes(journalPath(), journal::sizeLimit(maxReadBytes), &bytes, &more, &err))
            return Outcome::failure(failure("Impossibile leggere il file", journalPath(), reason(err)));
        // A journal only ever appears whole (it is renamed into place). One
        // that does not read as such, or comes from a later release, may
        // still hold a record: it stays, and no save goes on over it.
        const std::optional<journal::Contents> old = more ? std::nullopt : journal::decode(bytes, maxReadBytes);
        if (!old)
            return Outcome::failure(failure("Impossibile leggere il file", journalPath(), unknownJournal()));
        if (Outcome restored = putBack(*old); !restored)
            return restored;
        if (!removeFile(journalPath(), &err) || !syncFolder(&err))
            return Outcome::failure(failure("Impossibile cancellare il file", journalPath(), reason(err)));
        break;
    }
    default:
        return Outcome::failure(failure("Impossibile usare il file", journalPath(), kindReason(kind)));
    }

    // One left in place does no harm: the next save removes it first, and
    // fails, naming it, if it cannot.
    for (const char *name : {scoreTemporary, holderTemporary, oldScoreTemporary, journalTemporary})
        removeFile(working(name));

    bool created = false;
    for (const auto &[path, temporary] : {std::pair{scorePath(), scoreTemporary}, std::pair{holderPath(), holderTemporary}}) {
        switch (const Kind kind = kindOf(path)) {
        case Kind::Regular:
        case Kind::LinkToRegular:
            break;
        case Kind::Missing: {
            // An existing file keeps its bytes; only a missing one is made, empty.
            IoError err;
            if (!writeSynced(working(temporary), QByteArray(), newFileMode(dir), &err)
                || !replaceFile(working(temporary), path, &err)) {
                removeFile(working(temporary));
                return Outcome::failure(failure("Impossibile creare il file", path, reason(err)));
            }
            created = true;
            break;
        }
        default:
            return Outcome::failure(failure("Impossibile usare il file", path, kindReason(kind)));
        }
    }
    if (IoError err; created && !syncFolder(&err))
        return Outcome::failure(failure("Impossibile creare il file", scorePath(), reason(err)));
    return {};
}

Outcome RecordStore::SaveRecord(const QString &score, const QString &holder) const
{
    const auto fail = [](const char *what, const QString &path, const QString &why) {
        return Outcome::failure(failure(what, path, why));
    };
    if (dir.isEmpty())
        return Outcome::failure(noDirectory());
    const std::optional<double> value = numbertext::strictNumber(score);
    if (!value)
        return fail("Impossibile scrivere il file", scorePath(), notANumber(score));

    RecordLock lock;
    IoError err;
    if (const RecordLock::State state = lock.acquire(lockPath(), newFileMode(dir), lockTimeoutMs, &err);
        state != RecordLock::State::Held)
        return lockFailure(state, err, "Impossibile scrivere il file", *this);
    if (Outcome recovered = recover(); !recovered)
        return recovered;

    // What is on disk now decides, not what this game read at its start:
    // another game may have saved a better record meanwhile.
    QByteArray oldScore, oldHolder;
    if (const QString why = readWhole(scorePath(), &oldScore); !why.isEmpty())
        return fail("Impossibile leggere il file", scorePath(), why);
    if (!recordrule::beaten(recordrule::storedBest(cp1252::decode(oldScore)), *value))
        return {Outcome::Result::NotBeaten, QString()};
    if (const QString why = readWhole(holderPath(), &oldHolder); !why.isEmpty())
        return fail("Impossibile leggere il file", holderPath(), why);
    for (const QString &path : {scorePath(), holderPath()}) {
        if (const Kind kind = kindOf(path); kind != Kind::Regular)
            return fail("Impossibile scrivere il file", path, kindReason(kind));
        // Replacing only needs the folder, but a record made read-only is meant to stay.
        if (!writableByUs(path))
            return fail("Impossibile scrivere il file", path, writeProtected());
    }
    return savePair(oldScore, oldHolder, cp1252::encode(score) + "\r\n", cp1252::encode(holder) + "\r\n");
}

Outcome RecordStore::savePair(const QByteArray &oldScore, const QByteArray &oldHolder, const QByteArray &newScore,
                              const QByteArray &newHolder) const
{
    const QString scoreNew = working(scoreTemporary), holderNew = working(holderTemporary),
                  scoreOld = working(oldScoreTemporary);
    const auto clearTemporaries = [&] {
        for (const QString &path : {scoreNew, holderNew, scoreOld, working(journalTemporary)})
            removeFile(path);
    };
    const auto fail = [](const QString &path, const IoError &err) {
        return Outcome::failure(failure("Impossibile scrivere il file", path, reason(err)));
    };
    FileMode scoreMode = 0, holderMode = 0;
    kindOf(scorePath(), &scoreMode);
    kindOf(holderPath(), &holderMode);

    // 1. Everything that needs room on the disk, while nothing is changed:
    // the two new files and a copy of the old score to put back in one rename.
    IoError err = cancelled;
    if (!step(Step::WriteTemporaries) || !writeSynced(scoreNew, newScore, scoreMode, &err)
        || !writeSynced(holderNew, newHolder, holderMode, &err) || !writeSynced(scoreOld, oldScore, scoreMode, &err)) {
        clearTemporaries();
        return fail(scorePath(), err);
    }

    // The journal holds the old pair until both files are back; once it is
    // gone, it is written again to put them back.
    const auto undo = [&](const QString &path, const IoError &why) {
        IoError journalErr;
        if (kindOf(journalPath()) == Kind::Missing && !writeJournal(oldScore, oldHolder, scoreMode, &journalErr)) {
            clearTemporaries();
            return Outcome::failure(failure("Impossibile scrivere il file", path, reason(why)) + QStringLiteral("; ")
                                    + failure("Impossibile rimettere a posto il file", journalPath(), reason(journalErr)));
        }
        if (Outcome restored = recover(); !restored)
            return Outcome::failure(failure("Impossibile scrivere il file", path, reason(why))
                                    + QStringLiteral("; il record precedente sarà rimesso a posto al prossimo avvio (")
                                    + restored.error + u')');
        return fail(path, why);
    };

    // 2. The journal, whole or not at all. From here until it is removed, a
    // stop means the old pair. Readable as the records are: in a shared
    // folder another player's game may have to finish what this one started.
    err = cancelled;
    if (!step(Step::WriteJournal) || !writeJournal(oldScore, oldHolder, scoreMode, &err)) {
        clearTemporaries();
        return fail(journalPath(), err);
    }
    if (!syncFolder(&err))
        return undo(journalPath(), err);

    // 3. The score, then the holder, one right after the other.
    err = cancelled;
    if (!step(Step::ReplaceScore) || !replaceFile(scoreNew, scorePath(), &err))
        return undo(scorePath(), err);
    err = cancelled;
    if (!step(Step::ReplaceHolder) || !replaceFile(holderNew, holderPath(), &err)) {
        // The copy made in step 1 goes back without needing any room.
        if (IoError restoreErr; step(Step::RestoreScore))
            replaceFile(scoreOld, scorePath(), &restoreErr);
        return undo(holderPath(), err);
    }
    if (!syncFolder(&err))
        return undo(holderPath(), err);

    // 4. Removing the journal, on disk, is what makes the new pair the record.
    err = cancelled;
    if (!step(Step::RemoveJournal) || !removeFile(journalPath(), &err) || !syncFolder(&err))
        return undo(journalPath(), err);
    clearTemporaries();
    return {};
}

} // namespace records
