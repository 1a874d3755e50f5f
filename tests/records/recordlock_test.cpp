// The lock beside the records, against what others in a shared folder can
// put at its path, and against games that hold it.
#include "recordstore.h"

#include "filebytes.h"

#include "asnobody.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>

using namespace records;

namespace {

QByteArray native(const QString &path) { return QFile::encodeName(path); }

unsigned modeOf(const QString &path)
{
    struct stat st{};
    return stat(native(path).constData(), &st) == 0 ? st.st_mode & 07777 : 0;
}

enum class Planted { Fifo, LinkToDevZero, HugeFile, Folder, DanglingLink, LinkToPrivateFile };

// Whatever a member of the group plants at the lock path, a game never
// hangs or aborts, never waits for it, and never touches what a link there
// leads to: only a regular file is used as the lock.
TEST(RecordLockPath, WhateverStandsThereTheGameGoesOn)
{
    const struct
    {
        const char *name;
        Planted planted;
        bool usable; // start-up and save go on as usual
    } cases[] = {
        {"a FIFO", Planted::Fifo, false},
        {"a link to /dev/zero", Planted::LinkToDevZero, false},
        {"an 8 GiB file", Planted::HugeFile, true},
        {"a folder", Planted::Folder, false},
        {"a dangling link", Planted::DanglingLink, false},
        {"a link to the player's own private file", Planted::LinkToPrivateFile, false},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        QTemporaryDir tmp, elsewhere;
        const RecordStore store(tmp.path() + u'/');
        put(store.scorePath(), "5\r\n");
        put(store.holderPath(), "Anna\r\n");
        const QString secret = elsewhere.path() + "/segreto";
        put(secret, "solo mio\n");
        ASSERT_EQ(chmod(native(secret).constData(), 0600), 0);
        const QByteArray lock = native(store.lockPath());
        switch (c.planted) {
        case Planted::Fifo:
            ASSERT_EQ(mkfifo(lock.constData(), 0666), 0);
            break;
        case Planted::LinkToDevZero:
            ASSERT_EQ(symlink("/dev/zero", lock.constData()), 0);
            break;
        case Planted::HugeFile:
            put(store.lockPath(), "");
            ASSERT_EQ(truncate(lock.constData(), 8LL << 30), 0);
            break;
        case Planted::Folder:
            ASSERT_EQ(mkdir(lock.constData(), 0777), 0);
            break;
        case Planted::DanglingLink:
            ASSERT_EQ(symlink(native(elsewhere.path() + "/nessuno").constData(), lock.constData()), 0);
            break;
        case Planted::LinkToPrivateFile:
            ASSERT_EQ(symlink(native(secret).constData(), lock.constData()), 0);
            break;
        }
        ASSERT_TRUE(giveAway(tmp.path()));
        ASSERT_TRUE(giveAway(elsewhere.path()));

        // Well below the ten seconds a game waits for a live one.
        const ChildRun run = runAsNobody([&] {
            const StoredPair loaded = store.loadPair();
            const Outcome saved = store.SaveRecord(9, "Ugo");
            return QByteArray(loaded.outcome ? "1" : "0") + (saved ? "1" : "0")
                   + (loaded.outcome || loaded.outcome.error.contains(store.lockPath()) ? "1" : "0")
                   + loaded.score.toLatin1();
        }, 5000);
        ASSERT_NE(run.end, ChildRun::End::Hung) << "the game hung, or waited as for a live game";
        ASSERT_EQ(run.end, ChildRun::End::Exited) << "the game aborted";
        ASSERT_GE(run.out.size(), 3) << "the child could not become an ordinary user";
        EXPECT_EQ(run.out[0] == '1', c.usable) << "start-up";
        EXPECT_EQ(run.out[1] == '1', c.usable) << "save";
        EXPECT_EQ(run.out[2], '1') << "the failure does not name the lock file";
        EXPECT_EQ(run.out.mid(3), "5\r\n") << "the record still shows";
        EXPECT_EQ(bytesOf(store.scorePath()), c.usable ? "9\r\n" : "5\r\n");
        EXPECT_EQ(modeOf(secret), 0600u);
        EXPECT_EQ(bytesOf(secret), "solo mio\n");
    }
}

// Another member of the group swaps a link to the player's private file in
// at the lock path over and over, while the player's games start: the
// private file's mode never changes.
TEST(RecordLockPath, ALinkSwappedInNeverChangesTheLinkedFile)
{
    QTemporaryDir tmp, elsewhere;
    ASSERT_EQ(chmod(native(tmp.path()).constData(), 02777), 0);
    const RecordStore store(tmp.path() + u'/');
    const QString secret = elsewhere.path() + "/segreto";
    put(secret, "solo mio\n");
    ASSERT_EQ(chmod(native(secret).constData(), 0600), 0);
    const QByteArray lock = native(store.lockPath()), staged = native(tmp.path() + "/.staged");

    std::atomic<bool> stop{false};
    std::thread attacker([&] {
        while (!stop) {
            unlink(lock.constData());
            if (symlink(native(secret).constData(), staged.constData()) == 0)
                rename(staged.constData(), lock.constData());
            unlink(lock.constData());
        }
    });
    constexpr int starts = 2000;
    int refused = 0, changed = 0;
    for (int i = 0; i < starts; ++i) {
        refused += !store.loadPair().outcome;
        changed += modeOf(secret) != 0600u;
    }
    stop = true;
    attacker.join();
    std::printf("%d starts, %d of them refused a link at the lock path, %d changed the linked file\n", starts,
                refused, changed);
    EXPECT_EQ(changed, 0);
    EXPECT_EQ(bytesOf(secret), "solo mio\n");
    EXPECT_GT(refused, 0) << "the link never stood there when a game looked";
    EXPECT_LT(refused, starts) << "no game ever got the lock";
}

// Another game changes the pair again and again, each time under the lock:
// every start-up meanwhile reads one pair, never one file of each.
TEST(RecordLockHolder, StartUpReadsThePairUnderTheLock)
{
    QTemporaryDir tmp;
    const RecordStore store(tmp.path() + u'/');
    put(store.scorePath(), "0\r\n");
    put(store.holderPath(), "Nome0\r\n");
    const pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        const int fd = open(native(store.lockPath()).constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
        for (int n = 1; n <= 100; ++n) {
            if (fd < 0 || flock(fd, LOCK_EX) != 0)
                _exit(1);
            QFile score(store.scorePath()), holder(store.holderPath());
            score.open(QIODevice::WriteOnly);
            score.write(QByteArray::number(n) + "\r\n");
            score.close();
            usleep(3000);
            holder.open(QIODevice::WriteOnly);
            holder.write("Nome" + QByteArray::number(n) + "\r\n");
            holder.close();
            flock(fd, LOCK_UN);
            usleep(1000);
        }
        _exit(0);
    }
    int starts = 0, torn = 0, status = 0;
    while (waitpid(pid, &status, WNOHANG) == 0) {
        const StoredPair loaded = store.loadPair();
        ++starts;
        ASSERT_TRUE(loaded.outcome) << loaded.outcome.error.toStdString();
        if (loaded.holder != QStringLiteral("Nome") + loaded.score) {
            ++torn;
            ADD_FAILURE() << "torn: " << loaded.score.toStdString() << " / " << loaded.holder.toStdString();
        }
    }
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    EXPECT_GT(starts, 10);
    EXPECT_EQ(torn, 0);
}

} // namespace
