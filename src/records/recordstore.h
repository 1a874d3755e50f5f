#pragma once

#include <QString>

// The two one-line record files: the best score (quozrec.txt) and its holder
// (nquozrec.txt), in one directory, one byte per character in Windows-1252.
// Other programs read them, so their format never changes; everything that
// keeps a save whole lives in files of its own beside them, under names no
// player would give a file.
namespace records {

struct IoError;
namespace journal {
struct Contents;
}

inline constexpr auto scoreFileName = "quozrec.txt";
inline constexpr auto holderFileName = "nquozrec.txt";
// Present only while a save is under way: the old pair, to put back.
inline constexpr auto journalFileName = ".~quozrec-journal";
// Held around every start-up and every save; never removed.
inline constexpr auto lockFileName = ".~quozrec-lock";

// The most of a record file that is read.
inline constexpr qint64 maxReadBytes = 64 * 1024;

// What an operation on the record files came to. On failure, error names the
// file and what went wrong, in Italian, ready to be shown to the player.
struct Outcome
{
    enum class Result {
        Done,
        NotBeaten, // a save found a record as good or better: nothing written
        Failed,
    };
    Result result = Result::Done;
    QString error;

    explicit operator bool() const { return result != Result::Failed; }
    static Outcome failure(QString why) { return {Result::Failed, std::move(why)}; }
};

// The record as start-up found it: both files' whole texts, line ends
// included. After a failure, whatever of them could be read.
struct StoredPair
{
    QString score;
    QString holder;
    Outcome outcome;
    // Italian, ready to be shown once: what start-up had to set aside so
    // that saving goes on (empty when nothing).
    QString notice;
};

// Whole text of a record file, at most maxReadBytes of it, for showing it.
// Only a regular file is read, or a symbolic link to one: a folder, a
// device, a FIFO or a link to one of them is a failure, and is never opened.
Outcome readText(const QString &path, QString *text);

// The score and holder files of one directory, changed only as a pair.
//
// A save writes the new files beside the old ones, then the journal with
// the old pair, and only then replaces the two files. The journal goes away
// once both are in place; a journal found later belongs to a save that never
// finished, and recovery puts its old pair back. So a save stopped at any
// instant leaves, after the next start-up, the whole old pair or the whole
// new one. A save is done only once it is on disk: any failed write or sync
// fails it, with the old pair left or put back.
//
// Every start-up and every save holds the lock, and a save reads the record
// again first: a game never writes over a better record saved meanwhile by
// another, nor over a file it could not read. A player who may not write
// the folder's lock reads the record without it, and cannot save.
//
// What a save keeps of the old pair is read through the one descriptor each
// file was opened as, never through a link and never from a file with other
// names, so nothing another player links in is ever copied. A symbolic link
// in place of a record file is shown at start-up, but never replaced.
class RecordStore
{
public:
    // dir ends in a separator (as systemDirectory() gives it); an empty dir
    // means there is no record directory: every operation fails, and
    // nothing is read from anywhere else.
    explicit RecordStore(QString dir);

    QString directory() const { return dir; }
    QString scorePath() const;
    QString holderPath() const;
    QString journalPath() const;
    QString lockPath() const;
    // One of the record folder's files, by name.
    QString working(const char *name) const;

    // Start-up, under the lock: puts back the pair of a save that never
    // finished, sets aside a journal this release cannot read, removes what
    // a stopped save left behind, creates a missing file empty (never over
    // one that appears meanwhile), and reads both files. In a folder the
    // game may not write to, existing files are enough.
    StoredPair loadPair() const;

    // Under the lock: recovers as above, reads the score file again, and
    // saves the pair only when score beats its best.
    Outcome SaveRecord(int score, const QString &holder) const;

private:
    Outcome checkWithoutWriting(const IoError &why) const;

    QString dir;
};

} // namespace records
