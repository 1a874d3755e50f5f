// Whole processes that save records: killed at random instants, and two of
// them saving into the same folder at once.
#include "recordstore.h"

#include "filebytes.h"
#include "journal.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>
#include "saveloop.h"
#include <gtest/gtest.h>

#include <map>
#include <random>
#include <set>

#ifdef Q_OS_WIN
#include "fileio.h"
#else
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

using namespace records;

namespace {

QStringList entries(const QString &dir)
{
    return QDir(dir).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
}

// The N of the pair "N" / "NomeN", 0 for the two empty files, -1 for
// anything else: a torn or damaged pair.
long pairNumber(const RecordStore &store)
{
    const QByteArray score = bytesOf(store.scorePath()), holder = bytesOf(store.holderPath());
    if (score.isEmpty() && holder.isEmpty())
        return 0;
    if (!score.endsWith("\r\n"))
        return -1;
    bool ok = false;
    const long n = score.chopped(2).toLong(&ok);
    return ok && n > 0 && holder == "Nome" + QByteArray::number(qlonglong(n)) + "\r\n" ? n : -1;
}

// A process killed loses nothing that reached the kernel, synced or not; a
// memory-backed folder, where syncing costs nothing, makes the rounds quick.
QString quickFolder()
{
    const QFileInfo shm(QStringLiteral("/dev/shm"));
    return shm.isDir() && shm.isWritable() ? QStringLiteral("/dev/shm/quozzolo-kill-XXXXXX") : QString();
}

#ifdef Q_OS_WIN
// Whether the lock at path is free this instant: one attempt, no wait.
bool lockFreeAtOnce(const QString &path)
{
    FileLock lock;
    IoError err;
    return lock.open(path, 0, &err) == FileLock::Open::Ok && lock.tryLock(&err);
}

// Windows lists no one's locks: only the victim can hold it, so a lock
// that is not free is the victim's. Looking takes the lock for an instant.
bool holdsLock(qint64, const QString &path) { return !lockFreeAtOnce(path); }

// One victim: the driver executable (Windows has no fork()).
struct Victim
{
    QProcess process;
    qint64 pid = -1;

    Victim(const QString &dir, bool)
    {
        process.start(QStringLiteral(RECORD_DRIVER), {QStringLiteral("loop"), dir});
        if (process.waitForStarted(20000))
            pid = process.processId();
    }

    bool waitForFirstSave() { return process.waitForReadyRead(20000); }

    // Kills it (TerminateProcess, if it still runs) and gives what it
    // printed; killed tells whether the kill is what ended it.
    QByteArray kill(bool *killed)
    {
        const bool running = process.state() == QProcess::Running;
        process.kill();
        process.waitForFinished(20000);
        *killed = running && process.exitStatus() == QProcess::CrashExit;
        return process.readAllStandardOutput();
    }
};
#else
// Whether process pid holds a lock on the file at path, as the kernel
// lists it; looking takes nothing from the victim.
bool holdsLock(pid_t pid, const QString &path)
{
    struct stat st{};
    if (stat(QFile::encodeName(path).constData(), &st) != 0)
        return false;
    QFile locks(QStringLiteral("/proc/locks"));
    if (!locks.open(QIODevice::ReadOnly))
        return false;
    const QByteArray owner = ' ' + QByteArray::number(pid) + ' ';
    const QByteArray inode = ':' + QByteArray::number(qulonglong(st.st_ino)) + ' ';
    for (const QByteArray &line : locks.readAll().split('\n'))
        if (line.contains(owner) && line.contains(inode))
            return true;
    return false;
}

// Whether the lock at path is free this instant: one attempt, no wait.
bool lockFreeAtOnce(const QString &path)
{
    const int fd = open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool free = flock(fd, LOCK_EX | LOCK_NB) == 0;
    close(fd);
    return free;
}

// One victim: a forked copy of this process running the save loop, or, to
// be sure nothing of this process helps, the driver executable itself.
struct Victim
{
    pid_t pid = -1;
    int out = -1;

    Victim(const QString &dir, bool exec)
    {
        int fds[2];
        if (pipe(fds) != 0)
            return;
        pid = fork();
        if (pid == 0) {
            ::close(fds[0]);
            if (exec) {
                dup2(fds[1], 1);
                const QByteArray d = QFile::encodeName(dir);
                execl(RECORD_DRIVER, RECORD_DRIVER, "loop", d.constData(), static_cast<char *>(nullptr));
                _exit(3);
            }
            const QString error = saveUntilKilled(dir, fds[1]);
            std::fprintf(stderr, "%s\n", qPrintable(error));
            _exit(2);
        }
        ::close(fds[1]);
        out = fds[0];
    }

    bool waitForFirstSave() const
    {
        pollfd p{out, POLLIN, 0};
        return poll(&p, 1, 5000) == 1;
    }

    // Kills it (if it still runs) and gives what it printed; killed tells
    // whether SIGKILL is what ended it.
    QByteArray kill(bool *killed)
    {
        ::kill(pid, SIGKILL);
        int status = 0;
        waitpid(pid, &status, 0);
        *killed = WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL;
        QByteArray printed;
        char buffer[4096];
        for (ssize_t n; (n = ::read(out, buffer, sizeof buffer)) > 0;)
            printed.append(buffer, n);
        ::close(out);
        return printed;
    }
};
#endif

TEST(RecordKill, EveryKillLeavesAWholePair)
{
    QTemporaryDir tmp(quickFolder());
    ASSERT_TRUE(tmp.isValid());
    const RecordStore store(tmp.path() + u'/');
    ASSERT_TRUE(store.loadPair().outcome);
    const QStringList pairOnly{QString::fromLatin1(lockFileName), holderFileName, scoreFileName};

#ifdef Q_OS_WIN
    constexpr int defaultRounds = 100; // a process start costs far more
#else
    constexpr int defaultRounds = 1000;
#endif
    const int rounds = qEnvironmentVariableIsSet("QUOZZOLO_KILL_ROUNDS")
                           ? qEnvironmentVariableIntValue("QUOZZOLO_KILL_ROUNDS")
                           : defaultRounds;
    const unsigned seed = std::random_device{}();
    std::mt19937 random(seed);
    int kills = 0, driverKills = 0, torn = 0, lost = 0, leftovers = 0, recoveryFailures = 0, victimFailures = 0;
    int insideSave = 0, temporariesSeen = 0, holderKills = 0, lockKeptAfterKill = 0;
    qint64 longestStartUp = 0;
    long stored = 0;
    QElapsedTimer clock;
    clock.start();
    for (int round = 0; round < rounds; ++round) {
#ifdef Q_OS_WIN
        const bool exec = true;
#else
        const bool exec = round % 10 == 0;
#endif
        Victim victim(tmp.path(), exec);
        ASSERT_GT(victim.pid, 0);
        // Half the kills land anywhere from the start-up's recovery on; the
        // other half once saving is under way.
        if (round % 2 == 1)
            victim.waitForFirstSave();
        QThread::usleep(std::uniform_int_distribution<unsigned>(0, round % 2 ? 1500 : 6000)(random));
        const bool holder = holdsLock(victim.pid, store.lockPath());
        bool killed = false;
        const QByteArray printed = victim.kill(&killed);
        holderKills += holder && killed;
        // The kernel let go of the lock with the process.
        if (!lockFreeAtOnce(store.lockPath())) {
            ++lockKeptAfterKill;
            ADD_FAILURE() << "the lock outlived the game that held it";
        }
        if (killed) {
            ++kills;
            driverKills += exec;
        } else {
            ++victimFailures;
            ADD_FAILURE() << "the victim ended by itself";
        }
        long confirmed = stored;
        for (const QByteArray &line : printed.split('\n'))
            if (!line.isEmpty())
                confirmed = line.toLong();

        const QStringList before = entries(tmp.path());
        insideSave += before.contains(journalFileName);
        temporariesSeen += before.filter(QRegularExpression(QStringLiteral("\\.tmp$"))).size() > 0;

        // The next start-up.
        QElapsedTimer startUp;
        startUp.start();
        const Outcome recovered = store.loadPair().outcome;
        longestStartUp = std::max(longestStartUp, startUp.elapsed());
        if (!recovered) {
            ++recoveryFailures;
            ADD_FAILURE() << recovered.error.toStdString() << " in " << before.join(' ').toStdString();
        }
        if (entries(tmp.path()) != pairOnly)
            ++leftovers;
        const long n = pairNumber(store);
        if (n < 0) {
            ++torn;
            ADD_FAILURE() << "torn pair: " << bytesOf(store.scorePath()).toStdString() << " / "
                          << bytesOf(store.holderPath()).toStdString();
            break;
        }
        // A save the victim saw succeed is never undone; at most the one
        // under way when it was killed may have gone through.
        if (n < confirmed || n > confirmed + 1)
            ++lost;
        stored = n;
    }
    std::printf("seed %u: %d kills (%d of the driver executable, %d holding the lock) in %.1f s, %d inside a save "
                "(journal present), %d with temporary files; after recovery: %d torn pairs, %d leftover files, %d lost "
                "or unexpected records, %d recovery failures, %d locks kept after a kill; longest start-up after a "
                "kill %lld ms; final record %ld\n",
                seed, kills, driverKills, holderKills, clock.elapsed() / 1000.0, insideSave, temporariesSeen, torn,
                leftovers, lost, recoveryFailures, lockKeptAfterKill, qlonglong(longestStartUp), stored);
    EXPECT_EQ(kills, rounds);
    EXPECT_EQ(torn, 0);
    EXPECT_EQ(leftovers, 0);
    EXPECT_EQ(lost, 0);
    EXPECT_EQ(recoveryFailures, 0);
    EXPECT_EQ(victimFailures, 0);
    EXPECT_EQ(lockKeptAfterKill, 0);
    // Proof that the kills reached games holding the lock at all.
    EXPECT_GT(holderKills, rounds / 4);
    // Proof that the kills reached saves under way at all (the journal's
    // own window is narrower, and shrinks further under the sanitizers).
    EXPECT_GT(temporariesSeen, rounds / 50);
}

TEST(RecordRace, TwoGamesNeverMixTheirPairs)
{
    QTemporaryDir tmp;
    ASSERT_TRUE(tmp.isValid());
    const RecordStore store(tmp.path() + u'/');
    constexpr int perGame = 200;
    QProcess games[2];
    for (int id = 0; id < 2; ++id)
        games[id].start(QStringLiteral(RECORD_DRIVER), {QStringLiteral("race"), tmp.path(), QString::number(id),
                                                        QString::number(perGame), QString::number(1234 + id)});
    struct Attempt
    {
        int score;
        char mark;
    };
    std::vector<Attempt> attempts[2];
    for (int id = 0; id < 2; ++id) {
        ASSERT_TRUE(games[id].waitForFinished(60000));
        EXPECT_EQ(games[id].exitCode(), 0) << games[id].readAllStandardError().toStdString();
        for (const QByteArray &line : games[id].readAllStandardOutput().split('\n'))
            if (const QList<QByteArray> f = line.split(' '); f.size() == 2)
                attempts[id].push_back({f[0].toInt(), f[1][0]});
        ASSERT_EQ(attempts[id].size(), size_t(perGame));
    }

    int best = 0;
    std::map<int, std::set<int>> savedBy; // score -> games that saved it
    for (int id = 0; id < 2; ++id) {
        int last = 0;
        for (const Attempt &a : attempts[id]) {
            best = std::max(best, a.score);
            EXPECT_NE(a.mark, 'f') << "game " << id << " failed on " << a.score;
            if (a.mark == 's') {
                // The record only ever grows, so one game's saves grow too.
                EXPECT_GT(a.score, last) << "game " << id;
                last = a.score;
                savedBy[a.score].insert(id);
            }
        }
    }
    for (const auto &[score, ids] : savedBy)
        EXPECT_EQ(ids.size(), 1u) << score << " saved by both games: one of them wrote over an equal record";
    // The best of all attempts is the record, by the game that saved it.
    ASSERT_EQ(savedBy.count(best), 1u);
    EXPECT_EQ(bytesOf(store.scorePath()), QByteArray::number(best) + "\r\n");
    EXPECT_EQ(bytesOf(store.holderPath()), "P" + QByteArray::number(*savedBy[best].begin()) + "-"
                                               + QByteArray::number(best) + "\r\n");
    EXPECT_EQ(entries(tmp.path()), QStringList({QString::fromLatin1(lockFileName), holderFileName, scoreFileName}));
    std::printf("%zu saves and %d refusals of a lower score over %d attempts\n", savedBy.size(),
                2 * perGame - int(savedBy.size()), 2 * perGame);
}

// A scene for the fault table: the folder before the run, what the driver
// is asked, and the two pairs the folder may hold afterwards.
struct Scene
{
    const char *name;
    QStringList args; // after the folder
    bool files;       // the pair is there before the run (else a first start-up)
    QByteArray journalOf; // the old score of a journal left by a stopped save, if any
    QByteArray oldScore, newScore;
    int syncs; // what has to reach the disk: files written, and the folder after renames
    bool unreadableJournal = false; // one this release cannot read stands there
};

// What the folder holds: "N" for the pair "N" / "NomeN", "" for two empty
// files, "missing", or "torn".
QByteArray pairOnDisk(const RecordStore &store)
{
    if (!QFileInfo::exists(store.scorePath()) || !QFileInfo::exists(store.holderPath()))
        return "missing";
    const long n = pairNumber(store);
    return n < 0 ? "torn" : n == 0 ? "" : QByteArray::number(qlonglong(n));
}

// Every system call a first start-up, a recovery and a save make, failed at
// the call itself (strace's fault injection) with each error it can really
// return, at each of its calls in turn. After each run, and after a clean
// start-up, the folder holds the old pair or the new one, never a mix and
// never less; "saved" was said only with the new pair on disk; and every
// failure was told, naming a file.
TEST(RecordFaults, EveryFailedCallLeavesAWholePairAndIsTold)
{
    const QString strace = QStandardPaths::findExecutable(QStringLiteral("strace"));
    if (strace.isEmpty())
        GTEST_SKIP() << "strace is not installed";
    const struct
    {
        const char *call;
        QStringList errors;
        bool lasting; // also failed from that call on: the undo of a save fails too
    } calls[] = {
        {"openat", {"EACCES", "ENOSPC", "EIO"}, false},
        {"read", {"EIO"}, false},
        {"write", {"ENOSPC", "EDQUOT", "EIO"}, false},
        {"fsync", {"EIO", "ENOSPC"}, true},
        {"rename", {"EIO", "EACCES"}, true},
        {"renameat2", {"EIO", "EEXIST"}, false},
        {"unlink", {"EIO", "EACCES"}, true},
        {"fchmod", {"EPERM", "EIO"}, false},
        {"flock", {"ENOLCK"}, false},
        {"close", {"EIO"}, false},
        {"newfstatat", {"EIO", "EACCES", "ENOMEM"}, false},
        {"faccessat2", {"EIO"}, false},
    };
    const Scene scenes[] = {
        {"first start-up", {"start"}, false, {}, "", "", 3},
        {"save", {"save", "12"}, true, {}, "5", "12", 7},
        {"recovery", {"start"}, true, "5", "5", "5", 2},
        {"recovery, then a save", {"save", "12"}, true, "5", "5", "12", 11},
        {"an unreadable journal", {"start"}, true, {}, "5", "5", 1, true},
    };
    QStringList traced;
    for (const auto &c : calls)
        traced += QLatin1String(c.call);

    QTemporaryDir tmp(quickFolder());
    ASSERT_TRUE(tmp.isValid());
    const RecordStore store(tmp.path() + u'/');
    // Only the calls on the record folder and its files are counted and failed.
    QStringList onlyThese{QStringLiteral("-P"), tmp.path(), QStringLiteral("-P"), store.directory()};
    for (const char *name : {scoreFileName, holderFileName, lockFileName, journalFileName, ".~quozrec-journal.tmp",
                             ".~quozrec-score.tmp", ".~quozrec-holder.tmp", ".~quozrec-oldscore.tmp", "quozrec.journal",
                             "quozrec-journal-unread-1"})
        onlyThese << QStringLiteral("-P") << store.working(name);

    const auto prepare = [&](const Scene &scene) {
        for (const QString &name : entries(tmp.path()))
            QFile::remove(tmp.path() + u'/' + name);
        if (scene.files) {
            const QByteArray n = scene.journalOf.isEmpty() ? scene.oldScore : scene.newScore;
            put(store.scorePath(), n + "\r\n");
            put(store.holderPath(), "Nome" + n + "\r\n");
            put(store.lockPath(), "");
        }
        if (!scene.journalOf.isEmpty())
            put(store.journalPath(), journal::encode(scene.journalOf + "\r\n", "Nome" + scene.journalOf + "\r\n"));
        if (scene.unreadableJournal)
            put(store.journalPath(), "QUOZZOLO JOURNAL 9\n");
    };
    // LeakSanitizer cannot run under a tracer; the other sanitizers still watch.
    QProcessEnvironment underTracer = QProcessEnvironment::systemEnvironment();
    const QString asan = underTracer.value(QStringLiteral("ASAN_OPTIONS"));
    underTracer.insert(QStringLiteral("ASAN_OPTIONS"), asan + (asan.isEmpty() ? "" : ":") + "detect_leaks=0");
    const auto run = [&](const Scene &scene, const QStringList &straceArgs, QByteArray *out) {
        QProcess driver;
        driver.setProcessEnvironment(underTracer);
        driver.start(strace, QStringList{"-f", "-qq"} + onlyThese + straceArgs
                                 + QStringList{"--", RECORD_DRIVER, scene.args[0], tmp.path()} + scene.args.mid(1));
        const bool ended = driver.waitForFinished(30000);
        *out = driver.readAllStandardOutput();
        return ended && driver.exitStatus() == QProcess::NormalExit && driver.exitCode() == 0;
    };

    int runs = 0, journalsLost = 0, crashed = 0, torn = 0, emptied = 0, falselySaved = 0, silent = 0, stuck = 0;
    int failuresTold = 0;
    QElapsedTimer clock;
    clock.start();
    for (const Scene &scene : scenes) {
        // How many of each call the scene makes, from one run that fails none.
        prepare(scene);
        QTemporaryDir logDir;
        const QString log = logDir.path() + "/trace";
        QByteArray out;
        ASSERT_TRUE(run(scene, {"-o", log, "-e", "trace=" + traced.join(',')}, &out)) << scene.name;
        ASSERT_TRUE(out.contains(scene.args[0] == "start" ? "load ok: " + scene.oldScore : "save done"))
            << scene.name << ": " << out.toStdString();
        std::map<QString, int> made;
        QFile trace(log);
        ASSERT_TRUE(trace.open(QIODevice::ReadOnly));
        const QRegularExpression callName(QStringLiteral("^(?:\\d+ +)?(\\w+)\\("));
        for (const QByteArray &line : trace.readAll().split('\n'))
            if (const auto m = callName.match(QString::fromLatin1(line)); m.hasMatch())
                ++made[m.captured(1)];

        std::string counts;
        for (const auto &c : calls)
            counts += ' ' + std::string(c.call) + ' ' + std::to_string(made[QLatin1String(c.call)]);
        std::printf("%s makes%s\n", scene.name, counts.c_str());
        // A sync left out fails no call, so no fault below could show it.
        EXPECT_EQ(made[QStringLiteral("fsync")], scene.syncs) << scene.name;

        for (const auto &c : calls) {
            for (const QString &when : c.lasting ? QStringList{"", "+"} : QStringList{""})
            for (int nth = 1; nth <= made[QLatin1String(c.call)]; ++nth) {
                for (const QString &error : c.errors) {
                    const std::string row = std::string(scene.name) + ": " + c.call + " " + error.toStdString() + " at call "
                                            + std::to_string(nth) + (when.isEmpty() ? "" : " and after");
                    SCOPED_TRACE(row);
                    prepare(scene);
                    ++runs;
                    const QString inject = QStringLiteral("inject=%1:error=%2:when=%3%4")
                                               .arg(QLatin1String(c.call), error).arg(nth).arg(when);
                    if (!run(scene, {"-o", "/dev/null", "-e", inject}, &out)) {
                        ++crashed;
                        ADD_FAILURE() << "the driver did not end well: " << out.toStdString();
                        continue;
                    }
                    const QByteArray after = pairOnDisk(store);
                    const bool journalLeft = QFileInfo::exists(store.journalPath());
                    // What was said, and whether it holds.
                    for (const QByteArray &line : out.split('\n')) {
                        if (line.isEmpty())
                            continue;
                        const qsizetype colon = line.indexOf(": ");
                        const QByteArray said = line.left(colon), why = line.mid(colon + 2);
                        if (said.endsWith("failed")) {
                            const bool told = why.contains("Impossibile") && (why.contains("quozrec") || why.contains(".~quozrec"));
                            failuresTold += told;
                            if (!told) {
                                ++silent;
                                ADD_FAILURE() << "a failure without a word: " << line.toStdString();
                            }
                        } else if (said == "load ok"
                                   && (why != scene.oldScore
                                       || (scene.args[0] == "start" && (after != scene.oldScore || journalLeft)))) {
                            ++silent;
                            ADD_FAILURE() << "start-up showed " << why.toStdString() << " and said all is well over "
                                          << after.toStdString();
                        } else if (said == "save done" && (after != scene.newScore || journalLeft)) {
                            ++falselySaved;
                            ADD_FAILURE() << "\"saved\" over " << after.toStdString();
                        } else if (said == "save done" && (c.call == std::string("write") || c.call == std::string("fsync"))) {
                            // Every byte written, and every sync, is needed for the pair to be on disk.
                            ++falselySaved;
                            ADD_FAILURE() << "\"saved\" though a write or a sync failed";
                        } else if (said == "save not beaten") {
                            ++silent;
                            ADD_FAILURE() << "a save refused as not beaten over " << scene.oldScore.toStdString();
                        }
                    }

                    // The next start-up, with nothing failing, mends what it must.
                    const StoredPair loaded = store.loadPair();
                    const QByteArray mended = pairOnDisk(store);
                    if (!loaded.outcome) {
                        ++stuck;
                        ADD_FAILURE() << "the next start-up failed: " << loaded.outcome.error.toStdString();
                    }
                    if (mended == "torn" || mended == "missing") {
                        ++torn;
                        ADD_FAILURE() << "pair " << mended.toStdString() << " after " << after.toStdString();
                    } else if (mended != scene.oldScore && mended != scene.newScore) {
                        ++emptied;
                        ADD_FAILURE() << "pair \"" << mended.toStdString() << "\", neither the old nor the new";
                    }
                    const auto keptAside = [&] {
                        for (const QString &name : entries(tmp.path()))
                            if (name.startsWith("quozrec-journal-unread-")
                                && bytesOf(tmp.path() + u'/' + name) == "QUOZZOLO JOURNAL 9\n")
                                return true;
                        return false;
                    };
                    if (scene.unreadableJournal && !keptAside()) {
                        ++journalsLost;
                        ADD_FAILURE() << "the unreadable journal's bytes are gone";
                    }
                }
            }
        }
    }
    std::printf("%d runs in %.1f s: %d torn, %d emptied, %d falsely saved, %d silent failures, %d crashed, %d next "
                "start-ups failed, %d unreadable journals lost; %d failures told\n",
                runs, clock.elapsed() / 1000.0, torn, emptied, falselySaved, silent, crashed, stuck, journalsLost,
                failuresTold);
    EXPECT_GT(failuresTold, runs / 4) << "the faults hardly reached the store";
}

} // namespace
