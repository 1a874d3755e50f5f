#pragma once

#include "fileio.h"
#include "journal.h"
#include "recordstore.h"

// What a start-up, and a save before it reads, does under the lock: puts
// back the pair of a save that never finished (this release's or the
// previous one's), sets aside a journal this release cannot read, removes
// what a stopped save left behind, and creates a missing record file empty.
namespace records {

class Recovery
{
public:
    // shared: the folder is shared by a group (sharedFolder()).
    Recovery(const RecordStore &store, bool shared);

    // notice, when given, gets what the player must be told once.
    Outcome run(QString *notice) const;

    // The old pair of a journal, back in place and on disk.
    Outcome putBack(const journal::Contents &old) const;

private:
    Outcome previousRelease() const;
    Outcome setAside(QString *notice) const;
    Outcome createMissing() const;
    Outcome restore(const QString &path, const QString &temporary, const QByteArray &bytes) const;

    const RecordStore &store;
    bool shared;
};

} // namespace records
