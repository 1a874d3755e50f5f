#include "recordlock.h"

#include <QDeadlineTimer>
#include <QThread>

namespace records {

namespace {
constexpr int pollMs = 20;
}

RecordLock::State RecordLock::acquire(const QString &path, FileMode mode, int timeoutMs, IoError *err)
{
    switch (file.open(path, mode, err)) {
    case FileLock::Open::Ok:
        break;
    case FileLock::Open::Refused:
        return State::Refused;
    case FileLock::Open::ReadOnly:
        return State::ReadOnly;
    case FileLock::Open::Failed:
        return State::Failed;
    }
    const QDeadlineTimer deadline(timeoutMs);
    for (;;) {
        if (file.tryLock(err))
            return State::Held;
        if (err->kind != ErrorKind::None)
            return State::Failed;
        if (deadline.hasExpired())
            return State::Busy;
        QThread::msleep(pollMs);
    }
}

} // namespace records
