#include "recordstore.h"

#include "cp1252.h"
#include "errortext.h"
#include "fileio.h"
#include "journal.h"
#include "recordfiles.h"
#include "recordlock.h"
#include "recordrule.h"
#include "recovery.h"

namespace records {

using namespace errortext;
using namespace recordfiles;

namespace {

// How long a start-up or a save waits for another game that holds the lock.
constexpr int lockTimeoutMs = 10000;

QString readOnlyReason(const IoError &err)
{
    return err.kind == ErrorKind::ReadOnlyDisk ? reason(err) : readOnlyFolder();
}

// Why the lock could not be had, naming the file the player cares about.
Outcome lockFailure(RecordLock::State state, const IoError &err, Action action, const RecordStore &store)
{
    switch (state) {
    case RecordLock::State::Busy:
        return Outcome::failure(failure(action, store.scorePath(), busy()));
    case RecordLock::State::ReadOnly:
        return Outcome::failure(failure(action, store.scorePath(), readOnlyReason(err)));
    case RecordLock::State::Refused:
        return Outcome::failure(failure(Action::Use, store.lockPath(), reason(err)));
    case RecordLock::State::Failed:
    case RecordLock::State::Held:
        break;
    }
    return Outcome::failure(failure(action, store.lockPath(), reason(err)));
}

// The folder, looked at once per operation; one that is not there is told
// as such. writable false: err says why nothing can be written there.
bool lookAtFolder(const RecordStore &store, bool *shared, bool *writable, IoError *err, Action action, Outcome *failed)
{
    if (sharedFolder(store.directory(), shared, err) && writableFolder(store.directory(), writable, err))
        return true;
    if (err->kind == ErrorKind::NotFound)
        *err = {ErrorKind::NoFolder, 0};
    *failed = Outcome::failure(failure(action, store.scorePath(), reason(*err)));
    return false;
}

} // namespace

Outcome readText(const QString &path, QString *text)
{
    text->clear();
    FileRead read;
    IoError err;
    if (!readFile(path, maxReadBytes, Links::Followed, &read, &err))
        return Outcome::failure(failure(Action::Read, path, reason(err)));
    *text = cp1252::decode(read.bytes);
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

StoredPair RecordStore::loadPair() const
{
    if (dir.isEmpty())
        return {QString(), QString(), Outcome::failure(noDirectory()), QString()};
    StoredPair pair;
    bool shared = false;
    // Held until both files are read: one record, never the holder of one
    // beside the score of another.
    RecordLock lock;
    bool writable = false;
    IoError err;
    // A folder nobody here may write needs no lock: nobody can be saving as us.
    if (lookAtFolder(*this, &shared, &writable, &err, Action::Open, &pair.outcome) && !writable)
        pair.outcome = checkWithoutWriting(err);
    else if (writable)
        switch (const RecordLock::State state = lock.acquire(lockPath(), lockFileMode(shared), lockTimeoutMs, &err)) {
        case RecordLock::State::Held:
            pair.outcome = Recovery(*this, shared).run(&pair.notice);
            break;
        case RecordLock::State::ReadOnly:
            pair.outcome = checkWithoutWriting(err);
            break;
        default:
            pair.outcome = lockFailure(state, err, Action::Open, *this);
            break;
        }
    // Both are read even after a failure, to show what can be shown.
    const Outcome score = readText(scorePath(), &pair.score);
    const Outcome holder = readText(holderPath(), &pair.holder);
    if (pair.outcome)
        pair.outcome = !score ? score : holder;
    return pair;
}

// A player who may not write here cannot be saving, nor finish a save that
// another left: existing files are enough to play, and whatever waits to be
// recovered is told.
Outcome RecordStore::checkWithoutWriting(const IoError &why) const
{
    for (const QString &journal : {journalPath(), working(previousJournal)}) {
        bool present = false;
        IoError err;
        if (!exists(journal, &present, &err))
            return Outcome::failure(failure(Action::Read, journal, reason(err)));
        // The previous release's name may be a player's own file: only a journal of its own counts.
        if (present && (journal == journalPath() || readJournal(journal, &err).result != JournalRead::Result::Unreadable))
            return Outcome::failure(failure(Action::Complete, journal, readOnlyReason(why)));
    }
    for (const QString &path : {scorePath(), holderPath()}) {
        bool present = false;
        IoError err;
        if (!exists(path, &present, &err))
            return Outcome::failure(failure(Action::Read, path, reason(err)));
        if (!present)
            return Outcome::failure(failure(Action::Create, path, readOnlyReason(why)));
    }
    return {};
}

namespace {

// The save itself, under the lock, from the old pair as read.
class PairWriter
{
public:
    PairWriter(const RecordStore &store, bool shared, const FileRead &oldScore, const FileRead &oldHolder)
        : store(store)
        , shared(shared)
        , oldScore(oldScore)
        , oldHolder(oldHolder)
    {
    }

    Outcome write(const QByteArray &newScore, const QByteArray &newHolder) const;

private:
    bool writeJournal(IoError *err) const;
    void clearTemporaries() const;
    Outcome undo(const QString &path, const IoError &why) const;
    static Outcome fail(const QString &path, const IoError &err)
    {
        return Outcome::failure(failure(Action::Write, path, reason(err)));
    }

    const RecordStore &store;
    bool shared;
    const FileRead &oldScore, &oldHolder;
};

void PairWriter::clearTemporaries() const
{
    for (const char *name : {scoreTemporary, holderTemporary, oldScoreTemporary, journalTemporary})
        removeFile(store.working(name));
}

// Whole or not at all: written beside, then renamed into place. Readable as
// the records are: in a shared folder another player's game may have to
// finish what this one started.
bool PairWriter::writeJournal(IoError *err) const
{
    if (writeSynced(store.working(journalTemporary), journal::encode(oldScore.bytes, oldHolder.bytes), oldScore.mode,
                    NewFile::Existing::Removed, err)
        && replaceFile(store.working(journalTemporary), store.journalPath(), err))
        return true;
    removeFile(store.working(journalTemporary));
    return false;
}

// The journal holds the old pair until both files are back; once it is
// gone, it is written again to put them back.
Outcome PairWriter::undo(const QString &path, const IoError &why) const
{
    bool present = false;
    IoError journalErr;
    if ((!exists(store.journalPath(), &present, &journalErr) || !present) && !writeJournal(&journalErr)) {
        clearTemporaries();
        return Outcome::failure(both(failure(Action::Write, path, reason(why)),
                                     failure(Action::Restore, store.journalPath(), reason(journalErr))));
    }
    if (Outcome restored = Recovery(store, shared).run(nullptr); !restored)
        return Outcome::failure(undoLeftToNextStart(failure(Action::Write, path, reason(why)), restored.error));
    return fail(path, why);
}

Outcome PairWriter::write(const QByteArray &newScore, const QByteArray &newHolder) const
{
    const QString scoreNew = store.working(scoreTemporary), holderNew = store.working(holderTemporary),
                  scoreOld = store.working(oldScoreTemporary);
    const QString dir = store.directory();
    constexpr auto replacing = NewFile::Existing::Removed;

    // 1. Everything that needs room on the disk, while nothing is changed:
    // the two new files and a copy of the old score to put back in one rename.
    IoError err;
    if (!writeSynced(scoreNew, newScore, oldScore.mode, replacing, &err)
        || !writeSynced(holderNew, newHolder, oldHolder.mode, replacing, &err)
        || !writeSynced(scoreOld, oldScore.bytes, oldScore.mode, replacing, &err)) {
        clearTemporaries();
        return fail(store.scorePath(), err);
    }

    // 2. The journal, whole or not at all. From here until it is removed, a
    // stop means the old pair.
    if (!writeJournal(&err)) {
        clearTemporaries();
        return fail(store.journalPath(), err);
    }
    if (!syncDirectory(dir, &err))
        return undo(store.journalPath(), err);

    // 3. The score, then the holder, one right after the other.
    if (!replaceFile(scoreNew, store.scorePath(), &err))
        return undo(store.scorePath(), err);
    if (!replaceFile(holderNew, store.holderPath(), &err)) {
        // The copy made in step 1 goes back without needing any room.
        IoError restoreErr;
        replaceFile(scoreOld, store.scorePath(), &restoreErr);
        return undo(store.holderPath(), err);
    }
    if (!syncDirectory(dir, &err))
        return undo(store.holderPath(), err);

    // 4. Removing the journal, on disk, is what makes the new pair the record.
    if (!removeFile(store.journalPath(), &err) || !syncDirectory(dir, &err))
        return undo(store.journalPath(), err);
    clearTemporaries();
    return {};
}

} // namespace

Outcome RecordStore::SaveRecord(int score, const QString &holder) const
{
    if (dir.isEmpty())
        return Outcome::failure(noDirectory());
    bool shared = false, writable = false;
    IoError err;
    if (Outcome failed; !lookAtFolder(*this, &shared, &writable, &err, Action::Write, &failed))
        return failed;
    if (!writable)
        return Outcome::failure(failure(Action::Write, scorePath(), readOnlyReason(err)));

    RecordLock lock;
    if (const RecordLock::State state = lock.acquire(lockPath(), lockFileMode(shared), lockTimeoutMs, &err);
        state != RecordLock::State::Held)
        return lockFailure(state, err, Action::Write, *this);
    if (Outcome recovered = Recovery(*this, shared).run(nullptr); !recovered)
        return recovered;

    // What is on disk now decides, not what this game read at its start:
    // another game may have saved a better record meanwhile.
    FileRead oldScore, oldHolder;
    if (!readRecordFile(scorePath(), &oldScore, &err))
        return Outcome::failure(failure(Action::Read, scorePath(), reason(err)));
    if (!recordrule::beaten(recordrule::storedBest(cp1252::decode(oldScore.bytes)), score))
        return {Outcome::Result::NotBeaten, QString()};
    if (!readRecordFile(holderPath(), &oldHolder, &err))
        return Outcome::failure(failure(Action::Read, holderPath(), reason(err)));
    // Replacing only needs the folder, but a record made read-only is meant to stay.
    for (const auto &[path, read] : {std::pair{scorePath(), &oldScore}, std::pair{holderPath(), &oldHolder}})
        if (!read->writable)
            return Outcome::failure(failure(Action::Write, path, writeProtected()));
    return PairWriter(*this, shared, oldScore, oldHolder)
        .write(QByteArray::number(score) + "\r\n", cp1252::encode(holder) + "\r\n");
}

} // namespace records
