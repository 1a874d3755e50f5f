#include "recordfiles.h"

#include "recordstore.h"

namespace records::recordfiles {

bool readRecordFile(const QString &path, FileRead *read, IoError *err)
{
    if (!readFile(path, maxReadBytes, Links::Refused, read, err))
        return false;
    // What is cut off could not be put back.
    return !read->more || (*err = {ErrorKind::TooBig, 0}, false);
}

JournalRead readJournal(const QString &path, IoError *err)
{
    FileRead read;
    if (readFile(path, journal::sizeLimit(maxReadBytes), Links::Refused, &read, err)) {
        // A journal only ever appears whole (it is renamed into place).
        JournalRead journal;
        journal.old = read.more ? std::nullopt : journal::decode(read.bytes, maxReadBytes);
        journal.result = journal.old ? JournalRead::Result::Whole : JournalRead::Result::Unreadable;
        return journal;
    }
    switch (err->kind) {
    case ErrorKind::NotFound:
        return {};
    case ErrorKind::Denied: {
        // One whose own rights refuse the player was put there by somebody
        // else: left in place it would stop every save. Any other refusal
        // is a failure to read.
        bool refused = false;
        IoError ignored;
        const bool foreign = readingRefused(path, &refused, &ignored) && refused;
        return {foreign ? JournalRead::Result::Unreadable : JournalRead::Result::Failed, std::nullopt};
    }
    case ErrorKind::IsFolder:
    case ErrorKind::NotRegular:
    case ErrorKind::Link:
    case ErrorKind::OtherNames:
        return {JournalRead::Result::Unreadable, std::nullopt};
    default:
        return {JournalRead::Result::Failed, std::nullopt};
    }
}

bool writeSynced(const QString &path, const QByteArray &bytes, FileMode mode, NewFile::Existing existing, IoError *err)
{
    NewFile file;
    return file.create(path, mode, existing, err) && file.write(bytes, err) && file.sync(err) && file.close(err);
}

} // namespace records::recordfiles
