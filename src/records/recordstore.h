#pragma once

#include <QString>
#include <functional>

// The two one-line record files: the best score (quozrec.txt) and its holder
// (nquozrec.txt), in one directory, one byte per character in Windows-1252.
namespace records {

inline constexpr auto scoreFileName = "quozrec.txt";
inline constexpr auto holderFileName = "nquozrec.txt";

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
    QString text;   // the file's whole text, line end included
    bool ok = true;
    QString error;
    explicit operator bool() const { return ok; }
};

// The directory of the record files, with one trailing separator.
// On Windows it is the Windows directory; elsewhere, where there is none, the
// per-user data directory plus "quozzolo", created when missing.
QString systemDirectory();

// The directory a GetWindowsDirectoryA-style query gave: the first count
// characters of buffer with one trailing "\" added only when missing. A failed
// query (count 0) or a path of 128 characters or more gives fallback instead.
QString directoryFromQuery(const char *buffer, unsigned count, const QString &fallback);

// dir with exactly one trailing separator ("/" or "\", whichever dir uses; "/" when none).
QString withTrailingSeparator(const QString &dir);

// Whole text of a file; files over maxReadBytes are read only that far.
inline constexpr qint64 maxReadBytes = 64 * 1024;
ReadOutcome readText(const QString &path);

class RecordStore
{
public:
    // dir must end in a separator (as systemDirectory() gives it).
    explicit RecordStore(QString dir);

    QString directory() const { return dir; }
    QString scorePath() const;
    QString holderPath() const;

    // Makes sure both files exist: a missing one is created empty, an
    // existing one keeps its bytes.
    Outcome CreateRecordFiles() const;

    // Replaces the file at path with one line: text in Windows-1252, then
    // CR LF. The file is replaced atomically: wholly old or wholly new.
    Outcome WriteRecordFile(const QString &path, const QString &text) const;

    // The score file, then the holder file; stops at the first failure.
    Outcome SaveRecord(const QString &score, const QString &holder) const;

    // Test seam: called after the new bytes are written and before they
    // replace the file; returning false abandons the write as a crash would.
    void setBeforeCommit(std::function<bool(const QString &path)> hook) { beforeCommit = std::move(hook); }

private:
    QString dir;
    std::function<bool(const QString &path)> beforeCommit;
};

} // namespace records
