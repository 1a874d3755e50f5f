#pragma once

#include "fileio.h"

#include <QString>

// The lock beside the records, held around every change and every start-up
// so that two games never mix their pairs. The kernel holds it on the open
// lock file: a game that dies lets go with its process, and the file itself
// is never removed.
namespace records {

class RecordLock
{
public:
    enum class State {
        Held,
        Busy,           // another game kept it for the whole wait
        ReadOnly,       // no right to write the lock, or to make it: the records can only be read
        Refused,        // something other than a regular file stands there
        Failed,
    };

    // Waits up to timeoutMs for a live game, trying every pollMs.
    State acquire(const QString &path, FileMode mode, int timeoutMs, IoError *err);

private:
    FileLock file;
};

} // namespace records
