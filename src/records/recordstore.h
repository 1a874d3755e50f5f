#pragma once

#include <QByteArray>
#include <QString>
#include <functional>

// The two one-line record files: the best score (quozrec.txt) and its holder
// (nquozrec.txt), in one directory, one byte per character in Windows-1252.
// Other programs read them, so their format never changes; everything that
// keeps a save whole lives in files of its own beside them.
namespace records {

inline constexpr auto scoreFileName = "quozrec.txt";
inline constexpr auto holderFileName = "nquozrec.txt";
// Present only while a save is under way: the old pair, to put back.
inline constexpr auto journalFileName = "quozrec.journal";
// Held around every change, so two games never mix their pairs.
inline constexpr auto lockFileName = "quozrec.lock";

// What an operation on a record file came to. On failure, error names the
// file and what went wrong, in Italian, ready to be shown to the player.
struct Outcome
{
    bool ok = true;
    QString error;
    explicit operator bool() const { return ok; }
    static Outcome failure(QString why) { return {false, std::move(why)}; }
};

struct ReadOutcome
{
    QString text; // the file's whole text, line end included
    bool ok = true;
    QString error;
    explicit operator bool() const { return ok; }
};

struct SaveOutcome
{
    enum class Result {
        Saved,     // both files hold the new pair
        NotBeaten, // the files already hold this score or a better one: nothing written
        Failed,    // nothing changed on disk; error says why
    };
    Result result = Result::Failed;
    QString error; // Italian, names the file, when Failed
};

// The record directory, with one trailing separator; empty when there is no
// usable one (the game is then played without a record). The machine-wide
// directory chosen at build time comes first when it exists and is writable.
QString systemDirectory();

// The choice systemDirectory() makes, from its inputs: shared (may be empty),
// then $XDG_DATA_HOME/quozzolo when that is absolute, then
// home/.local/share/quozzolo when home is an existing folder other than the
// root. The per-user folder is created when missing.
QString recordDirectory(const QString &shared, const QString &xdgDataHome, const QString &home);

// The directory a GetWindowsDirectoryA-style query gave: the first count
// characters of buffer with one trailing "\" added only when missing. A failed
// query (count 0) or a path of 128 characters or more gives fallback instead.
QString directoryFromQuery(const char *buffer, unsigned count, const QString &fallback);

// dir with exactly one trailing separator ("/" or "\", whichever dir uses;
// "/" when none). The empty dir, "no record directory", stays empty.
QString withTrailingSeparator(const QString &dir);

// Whole text of a record file, at most maxReadBytes of it. Only a regular
// file is read, or a symbolic link to one: a folder, a device, a FIFO or a
// link to one of them is a failure, and is never opened.
inline constexpr qint64 maxReadBytes = 64 * 1024;
ReadOutcome readText(const QString &path);

// The score and holder files of one directory, changed only as a pair.
//
// A save writes the new files beside the old ones, then the journal with
// the old pair, and only then replaces the two files. The journal goes away
// once both are in place; a journal found later belongs to a save that never
// finished, and recovery puts its old pair back. So a save stopped at any
// instant leaves, after the next start-up, the whole old pair or the whole
// new one. Every change happens under the lock file, with the record read
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
    };

    // dir ends in a separator (as systemDirectory() gives it); an empty dir
    // means there is no record directory, and every operation fails.
    explicit RecordStore(QString dir);

    QString directory() const { return dir; }
    QString scorePath() const;
    QString holderPath() const;
    QString journalPath() const;

    // Under the lock: puts back the pair of a save that never finished,
    // removes what such a save left behind, and creates a missing file empty
    // (an existing one keeps its bytes). In a folder the game may not write
    // to, existing files are enough.
    Outcome CreateRecordFiles() const;

    // Under the lock: recovers as above, reads the score file again, and
    // saves the pair only when score (plain digits) beats its best.
    SaveOutcome SaveRecord(const QString &score, const QString &holder) const;

    // How long a save or start-up waits for another game's lock.
    void setLockTimeout(int milliseconds) { lockTimeout = milliseconds; }

    // Test seam: called before each step; returning false makes that step
    // fail as if the system had refused it.
    void setStepHook(std::function<bool(Step)> hook) { stepHook = std::move(hook); }

private:
    class Lock;
    Outcome recover() const;
    Outcome checkWithoutWriting() const;
    SaveOutcome savePair(const QByteArray &oldScore, const QByteArray &oldHolder, const QByteArray &newScore,
                         const QByteArray &newHolder) const;
    Outcome restore(const QString &path, const QByteArray &bytes) const;
    bool step(Step s) const { return !stepHook || stepHook(s); }

    QString dir;
    int lockTimeout = 10000;
    std::function<bool(Step)> stepHook;
};

} // namespace records
