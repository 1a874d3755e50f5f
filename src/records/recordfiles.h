#pragma once

#include "fileio.h"
#include "journal.h"

#include <QString>

#include <optional>

// What the store and its recovery share: the names of the working files,
// and the one way each kind of file is read or written.
namespace records::recordfiles {

// The files a save writes beside the record; whatever of them a stopped
// save left behind goes at the next start-up.
inline constexpr auto scoreTemporary = ".~quozrec-score.tmp";
inline constexpr auto holderTemporary = ".~quozrec-holder.tmp";
inline constexpr auto oldScoreTemporary = ".~quozrec-oldscore.tmp";
inline constexpr auto journalTemporary = ".~quozrec-journal.tmp";

// What the previous release left after a crash: its journal, and beside it
// its copies, which are removed only together with a journal of its own.
inline constexpr auto previousJournal = "quozrec.journal";
inline constexpr const char *previousLeftovers[] = {"quozrec.txt.new", "nquozrec.txt.new", "quozrec.txt.old",
                                                    "quozrec.journal.new"};

// A journal this release cannot read goes to the first free one of these
// names, with 1, 2, ... after it.
inline constexpr auto setAsideJournal = "quozrec-journal-unread-";
inline constexpr int setAsideNames = 100;

// A record file to be kept: the file itself, whole, through one descriptor.
bool readRecordFile(const QString &path, FileRead *read, IoError *err);

struct JournalRead
{
    enum class Result {
        None,       // no journal
        Whole,      // old holds the pair
        Unreadable, // something stands there that this release cannot read
        Failed,     // looking at it failed: err says why
    };
    Result result = Result::None;
    std::optional<journal::Contents> old;
};

JournalRead readJournal(const QString &path, IoError *err);

// A new file with bytes, on disk before it is closed.
bool writeSynced(const QString &path, const QByteArray &bytes, FileMode mode, NewFile::Existing existing, IoError *err);

} // namespace records::recordfiles
