#pragma once

#include <QString>
#include <functional>

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
};

// Whole text of a record file, at most maxReadBytes of it. Only a regular
// file is read, or a symbolic link to one: a folder, a device, a FIFO or a
// link to one of them is a failure, and is never opened.
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
// another, nor over a file it could not read.
//
// A symbolic link in place of a record file is read through, but never
// replaced by a regular file: a save refuses it.
class RecordStore
{
public:
    // The steps of a save and of recovery that a test can make fail.
    enum class Step {
        WriteTemporaries, // the new files beside the old ones
        WriteJournal,     // the old pair, before anything is replaced
        ReplaceScore,
        ReplaceHolder,
        RestoreScore, // putting the old score back after the holder failed
        RemoveJournal,
        RestoreFile, // recovery writing one file of the old pair back
        SyncFile,    // each written file, before it is closed
        SyncFolder,  // each time renames and removals must last
    };

    // dir ends in a separator (as systemDirectory() gives it); an empty dir
    // means there is no record directory: every operation fails, and
    // nothing is read from anywhere else.
    explicit RecordStore(QString dir);

    QString directory() const { return dir; }
    QString scorePath() const;
    QString holderPath() const;
    QString journalPath() const;
    QString lockPath() const;

    // Start-up, under the lock: puts back the pair of a save that never
    // finished, removes what such a save left behind, creates a missing file
    // empty (an existing one keeps its bytes), and reads both files. In a
    // folder the game may not write to, existing files are enough.
    StoredPair loadPair() const;

    // Under the lock: recovers as above, reads the score file again, and
    // saves the pair only when score (plain digits) beats its best.
    Outcome SaveRecord(const QString &score, const QString &holder) const;

    // Test seam: called before each step; returning false makes that step
    // fail as if the system had refused it.
    void setStepHook(std::function<bool(Step)> hook) { stepHook = std::move(hook); }

private:
    Outcome recover() const;
    Outcome recoverPreviousRelease() const;
    Outcome checkWithoutWriting() const;
    Outcome savePair(const QByteArray &oldScore, const QByteArray &oldHolder, const QByteArray &newScore,
                     const QByteArray &newHolder) const;
    Outcome putBack(const journal::Contents &old) const;
    Outcome restore(const QString &path, const QString &temporary, const QByteArray &bytes) const;
    bool writeSynced(const QString &path, const QByteArray &bytes, unsigned mode, IoError *err) const;
    bool writeJournal(const QByteArray &oldScore, const QByteArray &oldHolder, unsigned mode, IoError *err) const;
    bool syncFolder(IoError *err) const;
    QString working(const char *name) const;
    bool step(Step s) const { return !stepHook || stepHook(s); }

    QString dir;
    std::function<bool(Step)> stepHook;
};

} // namespace records
