#include "recovery.h"

#include "errortext.h"
#include "recordfiles.h"

#include <tuple>

namespace records {

using namespace errortext;
using namespace recordfiles;
using Journal = JournalRead::Result;

Recovery::Recovery(const RecordStore &store, bool shared)
    : store(store)
    , shared(shared)
{
}

Outcome Recovery::run(QString *notice) const
{
    if (Outcome previous = previousRelease(); !previous)
        return previous;

    IoError err;
    const JournalRead found = readJournal(store.journalPath(), &err);
    switch (found.result) {
    case Journal::None:
        break;
    case Journal::Whole:
        if (Outcome restored = putBack(*found.old); !restored)
            return restored;
        if (!removeFile(store.journalPath(), &err) || !syncDirectory(store.directory(), &err))
            return Outcome::failure(failure(Action::Remove, store.journalPath(), reason(err)));
        break;
    case Journal::Unreadable:
        if (Outcome setAsideDone = setAside(notice); !setAsideDone)
            return setAsideDone;
        break;
    case Journal::Failed:
        return Outcome::failure(failure(Action::Read, store.journalPath(), reason(err)));
    }

    // One left in place does no harm: the next save removes it first, and
    // fails, naming it, if it cannot.
    for (const char *name : {scoreTemporary, holderTemporary, oldScoreTemporary, journalTemporary})
        removeFile(store.working(name));
    return createMissing();
}

// A journal of the previous release is acted on once, and only when it
// reads whole: a file of that name that does not is somebody else's.
Outcome Recovery::previousRelease() const
{
    const QString path = store.working(previousJournal);
    IoError err;
    const JournalRead found = readJournal(path, &err);
    if (found.result == Journal::Failed)
        return Outcome::failure(failure(Action::Read, path, reason(err)));
    if (found.result != Journal::Whole || found.old->version != 1)
        return {};
    if (Outcome restored = putBack(*found.old); !restored)
        return restored;
    for (const char *name : previousLeftovers)
        removeFile(store.working(name));
    if (!removeFile(path, &err) || !syncDirectory(store.directory(), &err))
        return Outcome::failure(failure(Action::Remove, path, reason(err)));
    return {};
}

// A journal that does not read whole, or comes from a later release, may
// still hold a record: its bytes go under a name of their own, never over
// another file, and saving goes on.
Outcome Recovery::setAside(QString *notice) const
{
    IoError err;
    for (int n = 1; n <= setAsideNames; ++n) {
        const QString aside = store.working(setAsideJournal) + QString::number(n);
        if (moveWithoutReplacing(store.journalPath(), aside, &err)) {
            if (!syncDirectory(store.directory(), &err))
                break;
            if (notice)
                *notice = journalSetAside(store.journalPath(), aside);
            return {};
        }
        if (err.kind != ErrorKind::Exists)
            break;
    }
    return Outcome::failure(
        both(failure(Action::Read, store.journalPath(), unknownJournal()),
             failure(Action::MoveAside, store.journalPath(), reason(err))));
}

// An existing file keeps its bytes; only a missing one is made, empty, and
// never over one that appeared meanwhile.
Outcome Recovery::createMissing() const
{
    bool created = false;
    for (const QString &path : {store.scorePath(), store.holderPath()}) {
        IoError err;
        if (writeSynced(path, QByteArray(), newFileMode(shared), NewFile::Existing::Kept, &err))
            created = true;
        else if (err.kind != ErrorKind::Exists)
            return Outcome::failure(failure(Action::Create, path, reason(err)));
    }
    if (IoError err; created && !syncDirectory(store.directory(), &err))
        return Outcome::failure(failure(Action::Create, store.scorePath(), reason(err)));
    return {};
}

Outcome Recovery::restore(const QString &path, const QString &temporary, const QByteArray &bytes) const
{
    FileRead current;
    IoError err;
    FileMode mode = newFileMode(shared);
    if (readRecordFile(path, &current, &err)) {
        if (current.bytes == bytes)
            return {};
        mode = current.mode;
    } else if (err.kind == ErrorKind::TooBig) {
        mode = current.mode;
    } else if (err.kind != ErrorKind::NotFound) {
        return Outcome::failure(failure(Action::Restore, path, reason(err)));
    }
    if (!writeSynced(temporary, bytes, mode, NewFile::Existing::Removed, &err) || !replaceFile(temporary, path, &err)) {
        removeFile(temporary);
        return Outcome::failure(failure(Action::Restore, path, reason(err)));
    }
    return {};
}

Outcome Recovery::putBack(const journal::Contents &old) const
{
    for (const auto &[file, temporary, content] : {std::tuple{store.scorePath(), scoreTemporary, old.score},
                                                   std::tuple{store.holderPath(), holderTemporary, old.holder}})
        if (Outcome restored = restore(file, store.working(temporary), content); !restored)
            return restored;
    if (IoError err; !syncDirectory(store.directory(), &err))
        return Outcome::failure(failure(Action::Restore, store.scorePath(), reason(err)));
    return {};
}

} // namespace records
