#include "recordstore.h"

#include "filebytes.h"

#include "journal.h"
#include "numbertext.h"
#include "recorddir.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#ifdef Q_OS_LINUX
#include "asnobody.h"
#include <sched.h>
#include <fcntl.h>
#include <dirent.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <grp.h>
#include <unistd.h>
#endif

using namespace records;
using Result = Outcome::Result;

// Readable failure messages.
static void PrintTo(const QString &text, std::ostream *out) { *out << '"' << text.toStdString() << '"'; }

namespace {

QStringList entries(const QTemporaryDir &dir)
{
    return QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                                      QDir::Name);
}

struct TextRead
{
    QString text;
    Outcome outcome;
    explicit operator bool() const { return bool(outcome); }
};

TextRead readTextOf(const QString &path)
{
    TextRead read;
    read.outcome = readText(path, &read.text);
    return read;
}

bool names(const QString &error, const QString &path) { return error.contains(QDir::toNativeSeparators(path)); }

const char *resultName(Result r)
{
    return r == Result::Done ? "Done" : r == Result::NotBeaten ? "NotBeaten" : "Failed";
}

struct StoreTest : ::testing::Test
{
    QTemporaryDir tmp;
    RecordStore store{tmp.path() + u'/'};
    const QStringList pairOnly{QString::fromLatin1(lockFileName), holderFileName, scoreFileName};

    void putPair(const QByteArray &score, const QByteArray &holder)
    {
        put(store.scorePath(), score);
        put(store.holderPath(), holder);
    }
    void expectPair(const QByteArray &score, const QByteArray &holder)
    {
        EXPECT_EQ(bytesOf(store.scorePath()), score);
        EXPECT_EQ(bytesOf(store.holderPath()), holder);
    }
};

TEST_F(StoreTest, FirstCreationMakesTwoEmptyFiles)
{
    ASSERT_TRUE(store.loadPair().outcome);
    EXPECT_EQ(entries(tmp), pairOnly);
    for (const QString &path : {store.scorePath(), store.holderPath()}) {
        EXPECT_EQ(bytesOf(path), QByteArray());
        const TextRead read = readTextOf(path);
        EXPECT_TRUE(read);
        EXPECT_EQ(read.text, QString());
    }
}

TEST_F(StoreTest, CreationKeepsExistingBytes)
{
    putPair("42\r\n", "Maria\r\n");
    ASSERT_TRUE(store.loadPair().outcome);
    expectPair("42\r\n", "Maria\r\n");

    // Only the missing one is made.
    QFile::remove(store.holderPath());
    ASSERT_TRUE(store.loadPair().outcome);
    expectPair("42\r\n", "");
    EXPECT_EQ(entries(tmp), pairOnly);
}

TEST_F(StoreTest, SavesOneWindows1252LinePerFile)
{
    const struct
    {
        QString holder;
        QByteArray bytes;
        QString readBack;
    } cases[] = {
        {"Luca", "Luca\r\n", "Luca\r\n"},
        {"", "\r\n", "\r\n"},
        {QStringLiteral("Niccolò è"), "Niccol\xF2 \xE8\r\n", QStringLiteral("Niccolò è\r\n")},
        {QStringLiteral("€"), "\x80\r\n", QStringLiteral("€\r\n")},
        {QStringLiteral("Жanna"), "?anna\r\n", "?anna\r\n"},
        {QStringLiteral("a😀b"), "a?b\r\n", "a?b\r\n"},
    };
    int score = 0;
    for (const auto &c : cases) {
        SCOPED_TRACE(c.holder.toStdString());
        ++score;
        const Outcome saved = store.SaveRecord(score, c.holder);
        ASSERT_EQ(saved.result, Result::Done) << saved.error.toStdString();
        expectPair(QByteArray::number(score) + "\r\n", c.bytes);
        EXPECT_EQ(readTextOf(store.holderPath()).text, c.readBack);
        EXPECT_EQ(entries(tmp), pairOnly) << "stray file";
    }
}

TEST_F(StoreTest, SavesOnlyABeatenRecord)
{
    const struct
    {
        QByteArray stored;
        int score;
        Result result;
    } cases[] = {
        {"", 0, Result::NotBeaten},     {"", 1, Result::Done},         {"5\r\n", 5, Result::NotBeaten},
        {"5\r\n", 4, Result::NotBeaten}, {"5\r\n", 6, Result::Done},    {"-3\r\n", 0, Result::Done},
        {"abc", 1, Result::Done},       {"7xyz", 7, Result::NotBeaten}, {"7xyz", 8, Result::Done},
        {" 12.5\r\n", 12, Result::NotBeaten}, {"-7\r\n", -2, Result::Done},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.stored.toStdString() + " vs " + std::to_string(c.score));
        putPair(c.stored, "Bice\r\n");
        const Outcome saved = store.SaveRecord(c.score, "Ugo");
        EXPECT_STREQ(resultName(saved.result), resultName(c.result)) << saved.error.toStdString();
        if (c.result == Result::Done)
            expectPair(QByteArray::number(c.score) + "\r\n", "Ugo\r\n");
        else
            expectPair(c.stored, "Bice\r\n");
        EXPECT_EQ(saved.error.isEmpty(), c.result != Result::Failed);
    }
}

TEST_F(StoreTest, ALowerScoreNeverOverwritesAHigherOneSavedMeanwhile)
{
    // Both games read an empty record at their start; they leave in either order.
    const struct
    {
        const char *name;
        int first, second;
        Result secondResult;
        QByteArray score, holder;
    } cases[] = {
        {"higher first", 9, 7, Result::NotBeaten, "9\r\n", "Nove\r\n"},
        {"lower first", 7, 9, Result::Done, "9\r\n", "Nove\r\n"},
        {"equal", 9, 9, Result::NotBeaten, "9\r\n", "Nove\r\n"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        putPair("", "");
        const RecordStore gameA(store.directory()), gameB(store.directory());
        const auto holderOf = [](int n) { return n == 9 ? QStringLiteral("Nove") : QStringLiteral("Sette"); };
        ASSERT_EQ(gameA.SaveRecord(c.first, holderOf(c.first)).result, Result::Done);
        EXPECT_STREQ(resultName(gameB.SaveRecord(c.second, c.second == c.first ? "Altro" : holderOf(c.second)).result),
                     resultName(c.secondResult));
        expectPair(c.score, c.holder);
    }
}

TEST_F(StoreTest, ReadsBytesAsTheyAreAndTheBestFromTheirStart)
{
    const struct
    {
        QByteArray bytes;
        QString text;
        double best;
    } cases[] = {
        {"12\r\n", "12\r\n", 12}, {"7xyz", "7xyz", 7}, {"abc", "abc", 0}, {"-3", "-3", -3}, {"", "", 0},
        {"\x80\xE8\n", QStringLiteral("€è\n"), 0},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.bytes.toStdString());
        put(store.scorePath(), c.bytes);
        const TextRead read = readTextOf(store.scorePath());
        ASSERT_TRUE(read);
        EXPECT_EQ(read.text, c.text);
        EXPECT_EQ(numbertext::leadingNumber(read.text), c.best);
    }
}

TEST_F(StoreTest, ReadStopsAtTheLimitAndASaveRefusesWhatItCannotPutBack)
{
    QByteArray big(maxReadBytes + 1000, '\0');
    for (qsizetype i = 0; i < big.size(); ++i)
        big[i] = char('0' + i % 10);
    put(store.scorePath(), "3\r\n");
    put(store.holderPath(), big);
    const TextRead read = readTextOf(store.holderPath());
    ASSERT_TRUE(read);
    EXPECT_EQ(read.text.size(), 65536);
    EXPECT_EQ(read.text, QString::fromLatin1(big.left(65536)));

    const Outcome saved = store.SaveRecord(4, "Ugo");
    EXPECT_EQ(saved.result, Result::Failed);
    EXPECT_TRUE(names(saved.error, store.holderPath())) << saved.error.toStdString();
    expectPair("3\r\n", big);
}

TEST_F(StoreTest, MissingFileIsAReadFailureNamingIt)
{
    const TextRead read = readTextOf(store.scorePath());
    EXPECT_FALSE(read);
    EXPECT_TRUE(names(read.outcome.error, store.scorePath())) << read.outcome.error.toStdString();
}

// No folder, no record: nothing is read from anywhere else, not even from
// the folder the game was started in.
TEST(RecordStoreWithoutFolder, NothingIsReadAndNothingSaved)
{
    QTemporaryDir startedIn;
    put(startedIn.path() + "/quozrec.txt", "99\r\n");
    put(startedIn.path() + "/nquozrec.txt", "Altrove\r\n");
    const QString before = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(startedIn.path()));
    const RecordStore store{QString()};
    const StoredPair loaded = store.loadPair();
    const Outcome saved = store.SaveRecord(100, "Ugo");
    QDir::setCurrent(before);
    EXPECT_FALSE(loaded.outcome);
    EXPECT_EQ(loaded.score, QString());
    EXPECT_EQ(loaded.holder, QString());
    EXPECT_EQ(saved.result, Result::Failed);
    EXPECT_FALSE(saved.error.isEmpty());
    EXPECT_EQ(bytesOf(startedIn.path() + "/quozrec.txt"), "99\r\n");
    EXPECT_EQ(QDir(startedIn.path()).entryList(QDir::Files | QDir::Hidden).size(), 2);
}

// A whole journal is put back; anything else at its name is set aside,
// bytes kept, under a name nobody uses yet, the player is told once, and
// saving goes on.
TEST_F(StoreTest, RecoveryPutsBackAWholeJournalAndSetsAsideAnyOther)
{
    const QByteArray journal = journal::encode("5\r\n", "Anna\r\n");
    const QString firstAside = tmp.path() + "/quozrec-journal-unread-1";
    const struct
    {
        const char *name;
        QByteArray journal;
        bool recovered;
    } cases[] = {
        {"whole", journal, true},
        // Which journals read whole is the journal's own test; here, what
        // recovery does with one that does not.
        {"cut short", journal.chopped(1), false},
        {"from a later release", "QUOZZOLO JOURNAL 3\n0 0\n00000000\n", false},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        putPair("12\r\n", "Luca\r\n");
        put(store.journalPath(), c.journal);
        put(firstAside, "di un altro\n"); // a name already taken is never written over
        const StoredPair loaded = store.loadPair();
        ASSERT_TRUE(loaded.outcome) << loaded.outcome.error.toStdString();
        EXPECT_FALSE(QFileInfo::exists(store.journalPath()));
        EXPECT_EQ(bytesOf(firstAside), "di un altro\n");
        QFile::remove(firstAside);
        if (c.recovered) {
            EXPECT_EQ(loaded.notice, QString());
            expectPair("5\r\n", "Anna\r\n");
            EXPECT_EQ(entries(tmp), pairOnly);
            continue;
        }
        const QString aside = tmp.path() + "/quozrec-journal-unread-2";
        EXPECT_TRUE(names(loaded.notice, aside)) << loaded.notice.toStdString();
        EXPECT_EQ(bytesOf(aside), c.journal);
        expectPair("12\r\n", "Luca\r\n");
        EXPECT_EQ(store.loadPair().notice, QString()) << "told more than once";
        EXPECT_EQ(store.SaveRecord(20, "Ugo").result, Result::Done);
        expectPair("20\r\n", "Ugo\r\n");
        QFile::remove(aside);
    }
}

// The previous release's journal (as it wrote it) is recovered, with its
// copies beside it; files of those names without one are the player's.
TEST_F(StoreTest, StartUpRemovesOnlyItsOwnWorkingFiles)
{
    const QByteArray previousJournal = "QUOZZOLO JOURNAL 1\n3 6\n5\r\nAnna\r\na3604865\n";
    const QStringList previousCopies{"quozrec.txt.new", "nquozrec.txt.new", "quozrec.txt.old", "quozrec.journal.new"};
    const struct
    {
        const char *name;
        QByteArray journal; // at quozrec.journal; none when empty
        QByteArray score, holder;
        bool removed; // the journal and the copies beside it
    } cases[] = {
        {"previous release's journal", previousJournal, "5\r\n", "Anna\r\n", true},
        {"no journal", "", "12\r\n", "Luca\r\n", false},
        {"a player's file of that name", "appunti\n", "12\r\n", "Luca\r\n", false},
        {"a journal one byte off", QByteArray(previousJournal).replace("Anna", "Anne"), "12\r\n", "Luca\r\n", false},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        putPair("12\r\n", "Luca\r\n");
        for (const QString &name : previousCopies)
            put(tmp.path() + u'/' + name, "half");
        if (!c.journal.isEmpty())
            put(tmp.path() + "/quozrec.journal", c.journal);
        for (const char *name : {".~quozrec-score.tmp", ".~quozrec-holder.tmp", ".~quozrec-oldscore.tmp",
                                 ".~quozrec-journal.tmp"})
            put(tmp.path() + u'/' + QLatin1String(name), "half");

        ASSERT_TRUE(store.loadPair().outcome);
        expectPair(c.score, c.holder);
        QStringList expected = pairOnly;
        if (!c.removed) {
            expected += previousCopies;
            if (!c.journal.isEmpty())
                expected += "quozrec.journal";
        }
        expected.sort();
        QStringList left = entries(tmp);
        left.sort();
        EXPECT_EQ(left, expected);
        if (!c.removed && !c.journal.isEmpty()) {
            EXPECT_EQ(bytesOf(tmp.path() + "/quozrec.journal"), c.journal);
        }
        for (const QString &name : entries(tmp))
            if (!pairOnly.contains(name))
                QFile::remove(tmp.path() + u'/' + name);
    }
}

TEST(RecordDirectory, FromQuery)
{
    const QString fallback = "/fallback/";
    QByteArray full(128, 'a');
    const struct
    {
        const char *buffer;
        unsigned count;
        QString dir;
    } cases[] = {
        {"C:\\WINDOWS", 10, "C:\\WINDOWS\\"},
        {"C:\\WINDOWS\\junk", 10, "C:\\WINDOWS\\"},
        {"C:\\", 3, "C:\\"},
        {"C:\\WINDOWS", 0, fallback},
        {full.constData(), 127, QString(127, u'a') + u'\\'},
        {full.constData(), 128, fallback},
        {full.constData(), 4000, fallback},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.count);
        EXPECT_EQ(directoryFromQuery(c.buffer, c.count, fallback), c.dir);
    }
}

TEST(RecordDirectory, TrailingSeparator)
{
    const struct
    {
        QString dir, expected;
    } cases[] = {
        {"/home/ada/.local/share/quozzolo", "/home/ada/.local/share/quozzolo/"},
        {"/home/ada/", "/home/ada/"},
        {"/", "/"},
        {"D:\\Giochi", "D:\\Giochi\\"},
        {"D:\\Giochi\\", "D:\\Giochi\\"},
        {"D:/Giochi\\Quiz", "D:/Giochi\\Quiz\\"},
        {"records", "records/"},
        {"", ""},
    };
    for (const auto &c : cases)
        EXPECT_EQ(withTrailingSeparator(c.dir), c.expected) << c.dir.toStdString();
}

#ifdef Q_OS_LINUX
// Run as an ordinary player: root may write to any folder, so only then
// does a machine-wide folder closed to the player count as closed.
TEST(RecordDirectory, SharedThenDataHomeThenHome)
{
    QTemporaryDir tmp;
    const QString t = tmp.path();
    ASSERT_TRUE(QDir().mkpath(t + "/shared") && QDir().mkpath(t + "/home") && QDir().mkpath(t + "/closed"));
    ASSERT_TRUE(giveAway(t));
    // The machine-wide folder of a group the player is not in.
    ASSERT_EQ(chown(QFile::encodeName(t + "/closed"), 0, 0), 0);
    ASSERT_EQ(chmod(QFile::encodeName(t + "/closed"), 0755), 0);
    const struct
    {
        const char *name;
        QString shared, xdg, home, expected;
    } cases[] = {
        {"shared wins", t + "/shared", t + "/data", t + "/home", t + "/shared/"},
        {"shared closed to the player", t + "/closed", t + "/data", t + "/home", t + "/data/quozzolo/"},
        {"shared missing", t + "/nowhere", t + "/data", t + "/home", t + "/data/quozzolo/"},
        {"shared relative", "shared", t + "/data", t + "/home", t + "/data/quozzolo/"},
        {"no shared", "", t + "/data", t + "/home", t + "/data/quozzolo/"},
        {"relative data home", "", "data", t + "/home", t + "/home/.local/share/quozzolo/"},
        {"no data home", "", "", t + "/home", t + "/home/.local/share/quozzolo/"},
        {"no home", "", "", "", ""},
        {"relative home", "", "", "home", ""},
        {"missing home", "", "", t + "/gone", ""},
        {"root as home", "", "", "/", ""},
    };
    const QByteArray report = inChild([&] {
        QByteArray out;
        for (const auto &c : cases) {
            const QString dir = recordDirectory(c.shared, c.xdg, c.home);
            out += (dir == c.expected && (dir.isEmpty() || QFileInfo(dir).isDir()) ? "1" : "0");
        }
        return out;
    });
    ASSERT_EQ(report.size(), qsizetype(std::size(cases))) << "the child could not become an ordinary user";
    for (size_t i = 0; i < std::size(cases); ++i)
        EXPECT_EQ(report[i], '1') << cases[i].name;
    EXPECT_FALSE(QFileInfo::exists(t + "/gone")) << "a missing home is not made";
    EXPECT_FALSE(QFileInfo::exists(QDir::currentPath() + "/data/quozzolo")) << "a relative data home is not used";
}
#endif

#ifdef Q_OS_LINUX
// A full disk is told as a full disk, at start-up too, and a record that is
// there still shows. Needs a small file system of its own: a tmpfs mounted
// in a mount namespace of a child.
TEST(RecordFullDisk, IsToldAsSuchAndTheRecordStillShows)
{
    const struct
    {
        const char *name;
        const char *options;
        bool lockThere; // made before the disk filled up
        bool loaded;
    } cases[] = {
        {"no room left", "size=64k,nr_inodes=64", true, true},
        {"no file can be made, not even the lock", "size=1m,nr_inodes=4", false, false},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        QTemporaryDir tmp;
        const RecordStore store(tmp.path() + u'/');
        const ChildRun run = runAsNobody([&]() -> QByteArray {
            const QByteArray where = QFile::encodeName(tmp.path());
            if (unshare(CLONE_NEWNS) != 0 || mount("none", "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0
                || mount("tmpfs", where.constData(), "tmpfs", 0, c.options) != 0)
                return "skip";
            put(store.scorePath(), "5\r\n");
            put(store.holderPath(), "Anna\r\n");
            if (c.lockThere && !store.loadPair().outcome)
                return "setup";
            // Fill what is left: blocks, then files.
            QFile filler(tmp.path() + "/riempitivo");
            filler.open(QIODevice::WriteOnly);
            const QByteArray block(4096, 'x');
            while (filler.write(block) == block.size() && filler.flush()) {
            }
            filler.close();
            for (int i = 0; QFile(tmp.path() + "/vuoto" + QString::number(i)).open(QIODevice::WriteOnly); ++i) {
            }
            const StoredPair loaded = store.loadPair();
            const Outcome saved = store.SaveRecord(9, "Ugo");
            const QString full = QStringLiteral("spazio su disco esaurito");
            return QByteArray(loaded.outcome ? "1" : "0") + (loaded.outcome || loaded.outcome.error.contains(full) ? "1" : "0")
                   + (saved.error.contains(full) ? "1" : "0") + (bytesOf(store.scorePath()) == "5\r\n" ? "1" : "0")
                   + (bytesOf(store.holderPath()) == "Anna\r\n" ? "1" : "0") + loaded.score.toLatin1();
        }, 60000, false);
        if (run.out == "skip")
            GTEST_SKIP() << "no tmpfs of its own can be mounted here";
        ASSERT_EQ(run.end, ChildRun::End::Exited);
        ASSERT_NE(run.out, "setup");
        ASSERT_GE(run.out.size(), 5);
        EXPECT_EQ(run.out[0] == '1', c.loaded);
        EXPECT_EQ(run.out[1], '1') << "start-up did not say the disk is full";
        EXPECT_EQ(run.out[2], '1') << "the save did not say the disk is full";
        EXPECT_EQ(run.out.mid(3), "11" "5\r\n") << "the pair changed, or did not show";
    }
}

// A folder or a disk the player may not write: the record still shows and
// a save is refused, each told as what it is; a save left half done there,
// by this release or the previous one, is reported, since nobody can finish it.
TEST(RecordReadOnly, IsToldAsSuchAndAHalfDoneSaveIsReported)
{
    const QByteArray previousJournal = "QUOZZOLO JOURNAL 1\n3 6\n5\r\nAnna\r\na3604865\n";
    const QString folder = QStringLiteral("la cartella non è scrivibile"), disk = QStringLiteral("il disco è in sola lettura");
    const struct
    {
        const char *name;
        bool disk; // else the folder's mode
        const char *journalName;
        QByteArray journal;
        const char *named; // in the start-up's failure
        QString why;
    } cases[] = {
        {"read-only folder", false, nullptr, {}, nullptr, folder},
        {"read-only folder, a save half done", false, ".~quozrec-journal", journal::encode("5\r\n", "Anna\r\n"),
         ".~quozrec-journal", folder},
        {"read-only folder, the previous release's save half done", false, "quozrec.journal", previousJournal,
         "quozrec.journal", folder},
        {"read-only disk", true, nullptr, {}, nullptr, disk},
        {"read-only disk, a save half done", true, ".~quozrec-journal", journal::encode("5\r\n", "Anna\r\n"),
         ".~quozrec-journal", disk},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        QTemporaryDir tmp;
        const RecordStore store(tmp.path() + u'/');
        const auto setUp = [&] {
            put(store.scorePath(), "12\r\n");
            put(store.holderPath(), "Luca\r\n");
            if (!store.loadPair().outcome)
                return false;
            if (c.journalName)
                put(store.working(c.journalName), c.journal);
            return true;
        };
        if (!c.disk) {
            ASSERT_TRUE(setUp());
            ASSERT_TRUE(giveAway(tmp.path()));
            ASSERT_EQ(chmod(QFile::encodeName(tmp.path()), 0555), 0);
        }
        const ChildRun run = runAsNobody([&]() -> QByteArray {
            if (c.disk) {
                const QByteArray where = QFile::encodeName(tmp.path());
                if (unshare(CLONE_NEWNS) != 0 || mount("none", "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0
                    || mount("tmpfs", where.constData(), "tmpfs", 0, "size=1m") != 0)
                    return "skip";
                if (!setUp() || mount(nullptr, where.constData(), nullptr, MS_REMOUNT | MS_RDONLY, nullptr) != 0)
                    return "setup";
            } else if (access(QFile::encodeName(tmp.path()), W_OK) == 0) {
                return "setup";
            }
            const StoredPair loaded = store.loadPair();
            const Outcome saved = store.SaveRecord(20, "Ugo");
            const QString loadNamed = c.named ? store.working(c.named) : QString();
            return QByteArray(bool(loaded.outcome) == !c.named ? "1" : "0")
                   + (!c.named || (names(loaded.outcome.error, loadNamed) && loaded.outcome.error.contains(c.why)) ? "1" : "0")
                   + (saved.result == Result::Failed && saved.error.contains(c.why) ? "1" : "0")
                   + (bytesOf(store.scorePath()) == "12\r\n" ? "1" : "0") + loaded.score.toLatin1();
        }, 60000, !c.disk);
        chmod(QFile::encodeName(tmp.path()), 0700);
        if (run.out == "skip")
            GTEST_SKIP() << "no tmpfs of its own can be mounted here";
        ASSERT_EQ(run.end, ChildRun::End::Exited);
        ASSERT_NE(run.out, "setup");
        EXPECT_EQ(run.out.left(1), "1") << "start-up succeeded or failed wrongly";
        EXPECT_EQ(run.out.mid(1, 1), "1") << "start-up did not name what waits, or why";
        EXPECT_EQ(run.out.mid(2, 1), "1") << "the save was not refused as it should be";
        EXPECT_EQ(run.out.mid(3), "1" "12\r\n") << "the record changed, or did not show";
    }
}

// Runs body as another user of the group gid, with umask 022, in a child;
// its exit code comes back (-1 when the child could not become that user).
int asPlayer(uid_t uid, gid_t gid, const std::function<int()> &body)
{
    const pid_t pid = fork();
    if (pid == 0) {
        if (setgroups(1, &gid) != 0 || setgid(gid) != 0 || setuid(uid) != 0)
            _exit(255);
        umask(022);
        _exit(body());
    }
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) != 255 ? WEXITSTATUS(status) : -1;
}

// A machine-wide record folder: setgid, group-writable, players of one group
// with the usual umask. Each can save over the others, and one can finish
// the recovery of a save another's game left half done.
TEST(RecordSharedFolder, PlayersOfTheGroupShareOneRecord)
{
    if (geteuid() != 0)
        GTEST_SKIP() << "switching between players needs root";
    const uid_t alice = 40001, bob = 40002;
    const gid_t games = 40000;
    QTemporaryDir tmp;
    const QString shared = tmp.path() + "/shared";
    ASSERT_TRUE(QDir().mkdir(shared));
    ASSERT_EQ(chmod(QFile::encodeName(tmp.path()), 0755), 0);
    ASSERT_EQ(chown(QFile::encodeName(shared), 0, games), 0);
    ASSERT_EQ(chmod(QFile::encodeName(shared), 02775), 0);
    const RecordStore store(shared + u'/');
    const auto save = [&](const char *score, const char *holder) {
        return int(store.SaveRecord(QByteArray(score).toInt(), QString::fromLatin1(holder)).result);
    };

    ASSERT_EQ(asPlayer(alice, games, [&] { return store.loadPair().outcome ? 0 : 1; }), 0);
    struct stat st{};
    ASSERT_EQ(stat(QFile::encodeName(store.scorePath()), &st), 0);
    EXPECT_EQ(st.st_gid, games) << "the folder's group";
    EXPECT_EQ(st.st_mode & 0777, 0664u) << "group-writable despite the umask";

    EXPECT_EQ(asPlayer(bob, games, [&] { return save("3", "Bob"); }), int(Result::Done));
    EXPECT_EQ(asPlayer(alice, games, [&] { return save("5", "Alice"); }), int(Result::Done));
    EXPECT_EQ(asPlayer(bob, games, [&] { return save("4", "Bob"); }), int(Result::NotBeaten));
    ASSERT_EQ(bytesOf(store.scorePath()), "5\r\n");
    ASSERT_EQ(bytesOf(store.holderPath()), "Alice\r\n");

    // Alice's game died with both files replaced, before its journal went;
    // Bob's start-up puts hers back.
    asPlayer(alice, games, [&] {
        put(store.journalPath(), journal::encode("5\r\n", "Alice\r\n"));
        put(store.scorePath(), "9\r\n");
        return 0;
    });
    EXPECT_EQ(asPlayer(bob, games, [&] { return store.loadPair().outcome ? 0 : 1; }), 0);
    EXPECT_EQ(bytesOf(store.scorePath()), "5\r\n");
    EXPECT_EQ(bytesOf(store.holderPath()), "Alice\r\n");

    // A journal only its owner may read shuts nobody else out: it is set aside.
    asPlayer(alice, games, [&] {
        put(store.journalPath(), "di Alice\n");
        return chmod(QFile::encodeName(store.journalPath()), 0600);
    });
    EXPECT_EQ(asPlayer(bob, games, [&] { return store.loadPair().notice.isEmpty() ? 1 : 0; }), 0);
    EXPECT_EQ(bytesOf(shared + "/quozrec-journal-unread-1"), "di Alice\n");
    EXPECT_EQ(asPlayer(bob, games, [&] { return save("6", "Bob"); }), int(Result::Done));

    // Set-ID, sticky and execute bits are never handed on to a new file.
    ASSERT_EQ(chmod(QFile::encodeName(store.scorePath()), 06775), 0);
    EXPECT_EQ(asPlayer(bob, games, [&] { return save("7", "Bob"); }), int(Result::Done));
    EXPECT_EQ(bytesOf(store.holderPath()), "Bob\r\n");
    for (const QString &path : {store.scorePath(), store.holderPath()}) {
        ASSERT_EQ(stat(QFile::encodeName(path), &st), 0);
        EXPECT_EQ(st.st_mode & 07777, 0664u) << path.toStdString();
    }
    ASSERT_EQ(stat(QFile::encodeName(store.lockPath()), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0660u) << "the lock is the group's alone";

    // A user outside the group can read the folder, but can neither open
    // the lock nor hold up the players: their game reads without it.
    const uid_t carol = 40003;
    const gid_t others = 40009;
    EXPECT_EQ(asPlayer(carol, others, [&] {
        const int fd = open(QFile::encodeName(store.lockPath()), O_RDONLY | O_CLOEXEC);
        if (fd >= 0)
            return 1;
        const StoredPair loaded = store.loadPair();
        const Outcome saved = store.SaveRecord(99, "Carol");
        return loaded.outcome && loaded.score == "7\r\n" && saved.result == Result::Failed ? 0 : 2;
    }), 0);
    EXPECT_EQ(bytesOf(store.scorePath()), "7\r\n");
}

// One member of the group swaps, at both record paths and over and over,
// a link to a file only another member can read and a regular file of
// their own; the other saves.
// Not one byte of the private file ever shows in the folder, and the file
// keeps its mode and bytes.
TEST(RecordSharedFolder, ALinkSwappedInNeverLeaksAPrivateFile)
{
    if (geteuid() != 0)
        GTEST_SKIP() << "switching between players needs root";
    const uid_t mallory = 40005, vera = 40006;
    const gid_t games = 40000;
    const QFileInfo shm(QStringLiteral("/dev/shm"));
    QTemporaryDir tmp(shm.isDir() ? QStringLiteral("/dev/shm/quozzolo-swap-XXXXXX") : QString());
    const QString shared = tmp.path() + "/shared", home = tmp.path() + "/vera";
    ASSERT_TRUE(QDir().mkdir(shared) && QDir().mkdir(home));
    ASSERT_EQ(chmod(QFile::encodeName(tmp.path()), 0755), 0);
    ASSERT_EQ(chown(QFile::encodeName(shared), 0, games), 0);
    ASSERT_EQ(chmod(QFile::encodeName(shared), 02775), 0);
    const QByteArray secretBytes = "PRIVATO-di-Vera-7391";
    const QString secret = home + "/segreto";
    put(secret, secretBytes);
    ASSERT_EQ(chown(QFile::encodeName(secret), vera, vera), 0);
    ASSERT_EQ(chmod(QFile::encodeName(secret), 0600), 0);
    ASSERT_EQ(chown(QFile::encodeName(home), vera, vera), 0);
    ASSERT_EQ(chmod(QFile::encodeName(home), 0700), 0);
    const RecordStore store(shared + u'/');
    ASSERT_EQ(asPlayer(vera, games, [&] { return store.loadPair().outcome ? 0 : 1; }), 0);

    int leaks[2];
    ASSERT_EQ(pipe(leaks), 0);
    // Watching as root, which reads whatever the folder holds at any instant.
    const pid_t watcher = fork();
    ASSERT_GE(watcher, 0);
    if (watcher == 0) {
        const QByteArray folder = QFile::encodeName(shared);
        for (;;) {
            DIR *dir = opendir(folder.constData());
            while (dirent *entry = dir ? readdir(dir) : nullptr) {
                const int fd = openat(dirfd(dir), entry->d_name, O_RDONLY | O_NOFOLLOW | O_NONBLOCK);
                char buffer[4096];
                const ssize_t n = fd < 0 ? -1 : read(fd, buffer, sizeof buffer);
                if (n > 0 && QByteArrayView(buffer, n).contains(secretBytes))
                    (void)!write(leaks[1], "x", 1);
                if (fd >= 0)
                    close(fd);
            }
            if (dir)
                closedir(dir);
        }
    }
    const pid_t attacker = fork();
    ASSERT_GE(attacker, 0);
    if (attacker == 0) {
        if (setgroups(1, &games) != 0 || setgid(games) != 0 || setuid(mallory) != 0)
            _exit(1);
        const QByteArray link = QFile::encodeName(shared + "/.m-link"), own = QFile::encodeName(shared + "/.m-own");
        const QByteArray target = QFile::encodeName(secret);
        for (;;) {
            for (const QString &path : {store.scorePath(), store.holderPath()}) {
                const QByteArray at = QFile::encodeName(path);
                if (symlink(target.constData(), link.constData()) == 0)
                    rename(link.constData(), at.constData());
                usleep(100);
                // Writable by the group, so that the other's saves go on over it.
                const int fd = open(own.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
                if (fd >= 0 && fchmod(fd, 0664) == 0 && write(fd, "3\r\n", 3) == 3 && close(fd) == 0)
                    rename(own.constData(), at.constData());
                usleep(300); // some saves must find regular files, or the attack proves nothing
            }
        }
    }
    close(leaks[1]);
    constexpr int saves = 1000;
    const int saved = asPlayer(vera, games, [&] {
        int done = 0;
        for (int i = 1; i <= saves; ++i)
            done += store.SaveRecord(100 + i, "Vera").result == Result::Done;
        return done * 250 / saves;
    });
    for (const pid_t pid : {attacker, watcher}) {
        kill(pid, SIGKILL);
        waitpid(pid, nullptr, 0);
    }
    QByteArray seen;
    char buffer[256];
    for (ssize_t n; (n = read(leaks[0], buffer, sizeof buffer)) > 0;)
        seen.append(buffer, n);
    close(leaks[0]);
    // And what is left there now, links not followed.
    int leftInFolder = 0;
    for (const QString &name : QDir(shared).entryList(QDir::Files | QDir::Hidden | QDir::System)) {
        const QFileInfo entry(shared + u'/' + name);
        leftInFolder += !entry.isSymLink() && bytesOf(entry.filePath()).contains(secretBytes);
    }
    std::printf("%d saves, about %d%% of them done; the private bytes were seen in the folder %lld times, %d files hold them\n",
                saves, saved * 100 / 250, qlonglong(seen.size()), leftInFolder);
    EXPECT_EQ(seen.size(), 0);
    EXPECT_EQ(leftInFolder, 0);
    EXPECT_GT(saved, 0) << "no save ever went through: the attack proved nothing";
    struct stat st{};
    ASSERT_EQ(stat(QFile::encodeName(secret), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0600u);
    EXPECT_EQ(bytesOf(secret), secretBytes);
}

enum class Obstacle { Missing, Unreadable, Unwritable, Folder, Fifo, LinkToDevNull, LinkToFile, ReadOnlyFolder, Device };

const char *obstacleName(Obstacle s)
{
    static const char *const obstacleNames[] = {"missing", "unreadable", "unwritable", "a folder", "a FIFO",
                                             "a link to /dev/null", "a link to a file", "in a read-only folder", "a device"};
    return obstacleNames[int(s)];
}

// Every way a record file can stand in the way, for either file, at
// start-up and at a save: nothing is ever lost, nothing reported saved that
// was not, and after a failed save the pair still belongs together.
TEST(RecordPartialFailures, NothingIsLostAndNothingFalselySaved)
{
    const struct
    {
        Obstacle obstacle;
        bool loaded;         // start-up succeeds, both files read
        bool readable;       // the file reads afterwards
        Result saved;        // SaveRecord("9", "Ugo")
    } cases[] = {
        {Obstacle::Missing, true, true, Result::Done},
        {Obstacle::Unreadable, false, false, Result::Failed},
        {Obstacle::Unwritable, true, true, Result::Failed},
        {Obstacle::Folder, false, false, Result::Failed},
        {Obstacle::Fifo, false, false, Result::Failed},
        {Obstacle::LinkToDevNull, false, false, Result::Failed},
        {Obstacle::LinkToFile, true, true, Result::Failed},
        {Obstacle::ReadOnlyFolder, true, true, Result::Failed},
        {Obstacle::Device, false, false, Result::Failed},
    };
    int rows = 0;
    for (const bool onHolder : {false, true}) {
        for (const auto &c : cases) {
            const std::string name = std::string(onHolder ? "holder " : "score ") + obstacleName(c.obstacle);
            SCOPED_TRACE(name);
            if (c.obstacle == Obstacle::Device && geteuid() != 0) {
                std::printf("[ not run  ] %s: making a device node needs root\n", name.c_str());
                continue;
            }
            QTemporaryDir tmp;
            QTemporaryDir elsewhere;
            const RecordStore store(tmp.path() + u'/');
            put(store.scorePath(), "5\r\n");
            put(store.holderPath(), "Anna\r\n");
            const QString target = onHolder ? store.holderPath() : store.scorePath();
            const QString other = onHolder ? store.scorePath() : store.holderPath();
            const QByteArray targetBytes = onHolder ? "Anna\r\n" : "5\r\n";
            const QByteArray native = QFile::encodeName(target);
            // A read-only folder stops the save at its first file.
            const QString savedNames = c.obstacle == Obstacle::ReadOnlyFolder ? store.scorePath() : target;
            switch (c.obstacle) {
            case Obstacle::Missing:
                QFile::remove(target);
                break;
            case Obstacle::Unreadable:
                ASSERT_EQ(chmod(native, 0200), 0);
                break;
            case Obstacle::Unwritable:
                ASSERT_EQ(chmod(native, 0444), 0);
                break;
            case Obstacle::Folder:
                QFile::remove(target);
                ASSERT_TRUE(QDir().mkdir(target));
                break;
            case Obstacle::Fifo:
                QFile::remove(target);
                ASSERT_EQ(mkfifo(native, 0666), 0);
                break;
            case Obstacle::LinkToDevNull:
                QFile::remove(target);
                ASSERT_EQ(symlink("/dev/null", native), 0);
                break;
            case Obstacle::LinkToFile:
                put(elsewhere.path() + "/real", targetBytes);
                QFile::remove(target);
                ASSERT_EQ(symlink(QFile::encodeName(elsewhere.path() + "/real"), native), 0);
                break;
            case Obstacle::ReadOnlyFolder:
                ASSERT_EQ(chmod(QFile::encodeName(tmp.path()), 0555), 0);
                break;
            case Obstacle::Device:
                QFile::remove(target);
                ASSERT_EQ(mknod(native, S_IFCHR | 0666, makedev(1, 3)), 0);
                break;
            }
            ASSERT_TRUE(giveAway(tmp.path()));
            ASSERT_TRUE(giveAway(elsewhere.path()));
            struct stat before{};
            lstat(native, &before);

            const QByteArray report = inChild([&] {
                // The modes under test must really stand in the way.
                if (c.obstacle == Obstacle::Unwritable && access(native, W_OK) == 0)
                    return QByteArray("setup");
                if (c.obstacle == Obstacle::ReadOnlyFolder && access(QFile::encodeName(tmp.path()), W_OK) == 0)
                    return QByteArray("setup");
                const Outcome created = store.loadPair().outcome;
                const TextRead read = readTextOf(target), readOther = readTextOf(other);
                const Outcome saved = store.SaveRecord(9, "Ugo");
                return QByteArray(created ? "1" : "0") + (read ? "1" : "0") + (readOther ? "1" : "0")
                       + char('0' + int(saved.result)) + (created ? "1" : names(created.error, target) ? "1" : "0")
                       + (saved.result != Result::Failed || names(saved.error, savedNames) ? "1" : "0");
            });
            chmod(QFile::encodeName(tmp.path()), 0700);
            ASSERT_NE(report, "setup") << "the child still overrides file modes";
            ASSERT_EQ(report.size(), 6) << "the child could not run";
            ++rows;
            EXPECT_EQ(report[0] == '1', c.loaded);
            EXPECT_EQ(report[1] == '1', c.readable);
            EXPECT_EQ(report[2], '1') << "the other file could not be read";
            EXPECT_STREQ(resultName(Result(report[3] - '0')), resultName(c.saved));
            EXPECT_EQ(report[4], '1') << "the start-up failure does not name the file";
            EXPECT_EQ(report[5], '1') << "the save failure does not name the file";

            // Afterwards: the new pair when saved, else the old one untouched.
            if (c.saved == Result::Done) {
                EXPECT_EQ(bytesOf(store.scorePath()), "9\r\n");
                EXPECT_EQ(bytesOf(store.holderPath()), "Ugo\r\n");
            } else {
                EXPECT_EQ(bytesOf(other), onHolder ? "5\r\n" : "Anna\r\n");
                struct stat after{};
                ASSERT_EQ(lstat(native, &after), 0);
                EXPECT_EQ(after.st_mode, before.st_mode) << "the file was replaced";
                EXPECT_EQ(after.st_ino, before.st_ino) << "the file was replaced";
                if (S_ISREG(after.st_mode)) {
                    chmod(native, 0644);
                    EXPECT_EQ(bytesOf(target), targetBytes);
                }
                if (c.obstacle == Obstacle::LinkToFile) {
                    EXPECT_EQ(bytesOf(elsewhere.path() + "/real"), targetBytes);
                }
            }
            const QStringList left = QDir(tmp.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
            EXPECT_EQ(left.size() - left.count(QLatin1String(lockFileName)), 2)
                << "stray files: " << left.join(' ').toStdString();
        }
    }
    EXPECT_GE(rows, 16);
}
#endif

} // namespace
