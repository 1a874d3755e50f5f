#include "recordstore.h"

#include "numbertext.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#ifdef Q_OS_UNIX
#include <grp.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

using namespace records;

// Readable failure messages.
static void PrintTo(const QString &text, std::ostream *out) { *out << '"' << text.toStdString() << '"'; }

namespace {

QByteArray bytesOf(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

void put(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly)) << path.toStdString();
    ASSERT_EQ(file.write(bytes), bytes.size());
}

QStringList entries(const QTemporaryDir &dir)
{
    return QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
}

struct StoreTest : ::testing::Test
{
    QTemporaryDir tmp;
    RecordStore store{tmp.path() + u'/'};
};

TEST_F(StoreTest, FirstCreationMakesTwoEmptyFiles)
{
    ASSERT_TRUE(store.CreateRecordFiles());
    EXPECT_EQ(entries(tmp), QStringList({holderFileName, scoreFileName}));
    for (const QString &path : {store.scorePath(), store.holderPath()}) {
        EXPECT_EQ(bytesOf(path), QByteArray());
        const ReadOutcome read = readText(path);
        EXPECT_TRUE(read);
        EXPECT_EQ(read.text, QString());
    }
}

TEST_F(StoreTest, CreationKeepsExistingBytes)
{
    put(store.scorePath(), "42\r\n");
    put(store.holderPath(), "Maria\r\n");
    ASSERT_TRUE(store.CreateRecordFiles());
    EXPECT_EQ(bytesOf(store.scorePath()), "42\r\n");
    EXPECT_EQ(bytesOf(store.holderPath()), "Maria\r\n");

    // Only the missing one is made.
    QFile::remove(store.holderPath());
    ASSERT_TRUE(store.CreateRecordFiles());
    EXPECT_EQ(bytesOf(store.scorePath()), "42\r\n");
    EXPECT_EQ(bytesOf(store.holderPath()), QByteArray());
}

TEST_F(StoreTest, WritesOneWindows1252Line)
{
    const struct
    {
        QString text;
        QByteArray bytes;
        QString readBack;
    } cases[] = {
        {"12", "12\r\n", "12\r\n"},
        {"Luca", "Luca\r\n", "Luca\r\n"},
        {"", "\r\n", "\r\n"},
        {QStringLiteral("Niccolò è"), "Niccol\xF2 \xE8\r\n", QStringLiteral("Niccolò è\r\n")},
        {QStringLiteral("€"), "\x80\r\n", QStringLiteral("€\r\n")},
        {QStringLiteral("Жanna"), "?anna\r\n", "?anna\r\n"},
        {QStringLiteral("a😀b"), "a?b\r\n", "a?b\r\n"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.text.toStdString());
        ASSERT_TRUE(store.WriteRecordFile(store.scorePath(), c.text));
        EXPECT_EQ(bytesOf(store.scorePath()), c.bytes);
        EXPECT_EQ(readText(store.scorePath()).text, c.readBack);
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
        {"12\r\n", "12\r\n", 12},
        {"7xyz", "7xyz", 7},
        {"abc", "abc", 0},
        {"-3", "-3", -3},
        {"", "", 0},
        {"\x80\xE8\n", QStringLiteral("€è\n"), 0},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.bytes.toStdString());
        put(store.scorePath(), c.bytes);
        const ReadOutcome read = readText(store.scorePath());
        ASSERT_TRUE(read);
        EXPECT_EQ(read.text, c.text);
        EXPECT_EQ(numbertext::leadingNumber(read.text), c.best);
    }
}

TEST_F(StoreTest, ReadStopsAtTheLimit)
{
    QByteArray big(maxReadBytes + 1000, '\0');
    for (qsizetype i = 0; i < big.size(); ++i)
        big[i] = char('0' + i % 10);
    put(store.scorePath(), big);
    const ReadOutcome read = readText(store.scorePath());
    ASSERT_TRUE(read);
    EXPECT_EQ(read.text.size(), maxReadBytes);
    EXPECT_EQ(read.text, QString::fromLatin1(big.left(maxReadBytes)));
}

TEST_F(StoreTest, MissingFileIsAReadFailureNamingIt)
{
    const ReadOutcome read = readText(store.scorePath());
    EXPECT_FALSE(read);
    EXPECT_TRUE(read.error.contains(QDir::toNativeSeparators(store.scorePath()))) << read.error.toStdString();
}

TEST_F(StoreTest, FolderInPlaceOfTheRecordFails)
{
    ASSERT_TRUE(QDir().mkdir(store.scorePath()));
    const struct
    {
        const char *name;
        std::function<QString()> run; // the error, empty when it did not fail
    } cases[] = {
        {"create", [&] { return store.CreateRecordFiles().error; }},
        {"read", [&] { return readText(store.scorePath()).error; }},
        {"write", [&] { return store.WriteRecordFile(store.scorePath(), "9").error; }},
        {"save", [&] { return store.SaveRecord("9", "Ugo").error; }},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        const QString error = c.run();
        EXPECT_TRUE(error.contains(QDir::toNativeSeparators(store.scorePath()))) << error.toStdString();
        EXPECT_TRUE(QFileInfo(store.scorePath()).isDir());
    }
    // The failed save did not go on to the holder.
    EXPECT_FALSE(QFileInfo::exists(store.holderPath()));
}

TEST_F(StoreTest, AbandonedWritesLeaveTheOldRecord)
{
    enum class Fault { None, Score, Holder };
    const struct
    {
        const char *name;
        Fault fault;
        bool ok;
        QByteArray score, holder;
    } cases[] = {
        {"no fault", Fault::None, true, "12\r\n", "Luca\r\n"},
        {"score fails", Fault::Score, false, "5\r\n", "Anna\r\n"},
        {"holder fails", Fault::Holder, false, "12\r\n", "Anna\r\n"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        put(store.scorePath(), "5\r\n");
        put(store.holderPath(), "Anna\r\n");
        const QString failing = c.fault == Fault::Score    ? store.scorePath()
                                : c.fault == Fault::Holder ? store.holderPath()
                                                           : QString();
        QStringList calls;
        RecordStore faulty = store;
        faulty.setBeforeCommit([&](const QString &path) {
            calls << path;
            // Until the commit the file on disk must still be the old one.
            EXPECT_EQ(bytesOf(path), path == store.scorePath() ? "5\r\n" : "Anna\r\n");
            return path != failing;
        });

        const Outcome saved = faulty.SaveRecord("12", "Luca");
        EXPECT_EQ(bool(saved), c.ok);
        if (!c.ok) {
            EXPECT_TRUE(saved.error.contains(QDir::toNativeSeparators(failing))) << saved.error.toStdString();
        }
        EXPECT_EQ(bytesOf(store.scorePath()), c.score);
        EXPECT_EQ(bytesOf(store.holderPath()), c.holder);
        EXPECT_EQ(calls.size(), c.fault == Fault::Score ? 1 : 2);
        EXPECT_EQ(entries(tmp), QStringList({holderFileName, scoreFileName})) << "stray temporary file";
    }
}

TEST_F(StoreTest, FailedCommitIsReported)
{
    put(store.scorePath(), "5\r\n");
    RecordStore faulty = store;
    // A folder appearing in the file's place makes the final rename fail.
    faulty.setBeforeCommit([](const QString &path) { return QFile::remove(path) && QDir().mkdir(path); });

    const Outcome written = faulty.WriteRecordFile(store.scorePath(), "12");
    EXPECT_FALSE(written);
    EXPECT_TRUE(written.error.contains(QDir::toNativeSeparators(store.scorePath()))) << written.error.toStdString();
    EXPECT_TRUE(QFileInfo(store.scorePath()).isDir());
    EXPECT_EQ(entries(tmp), QStringList(scoreFileName)) << "stray temporary file";
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
    };
    for (const auto &c : cases)
        EXPECT_EQ(withTrailingSeparator(c.dir), c.expected) << c.dir.toStdString();
}

#ifndef Q_OS_WIN
TEST(RecordDirectory, StandInIsMadeInTheDataDirectory)
{
    QTemporaryDir tmp;
    const QByteArray saved = qgetenv("XDG_DATA_HOME");
    const bool wasSet = qEnvironmentVariableIsSet("XDG_DATA_HOME");
    qputenv("XDG_DATA_HOME", QFile::encodeName(tmp.path() + "/data"));

    const QString dir = systemDirectory();

    if (wasSet)
        qputenv("XDG_DATA_HOME", saved);
    else
        qunsetenv("XDG_DATA_HOME");
    EXPECT_EQ(dir, tmp.path() + "/data/quozzolo/");
    EXPECT_TRUE(QFileInfo(dir).isDir());
}
#endif

#ifdef Q_OS_UNIX
// Root ignores file modes, so permission cases run in a child that gives root
// up first; its exit code carries the result.
int asUnprivileged(const std::function<int()> &body)
{
    const pid_t pid = fork();
    if (pid < 0)
        return -1;
    if (pid == 0) {
        const gid_t nobody = 65534;
        if (geteuid() == 0 && (setgroups(0, nullptr) != 0 || setgid(nobody) != 0 || setuid(nobody) != 0))
            _exit(100);
        _exit(body());
    }
    int status = 0;
    if (waitpid(pid, &status, 0) != pid)
        return -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

enum ChildResult { Succeeded, Refused, RefusedUnnamed, WrongSetup };

TEST(RecordPermissions, UnwritableRecordsStayAsTheyWere)
{
    constexpr auto readOnly = QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther;
    constexpr auto readWrite = readOnly | QFile::WriteOwner | QFile::WriteGroup | QFile::WriteOther;
    constexpr auto openDir = readWrite | QFile::ExeOwner | QFile::ExeGroup | QFile::ExeOther;
    constexpr auto closedDir = openDir & ~(QFile::WriteOwner | QFile::WriteGroup | QFile::WriteOther);

    const struct
    {
        const char *name;
        QFileDevice::Permissions dirMode, scoreMode;
        std::function<Outcome(const RecordStore &)> run;
        ChildResult expected;
        const char *named;
        QByteArray score;
    } cases[] = {
        {"all writable", openDir, readWrite,
         [](const RecordStore &s) { return s.WriteRecordFile(s.scorePath(), "99"); }, Succeeded, "", "99\r\n"},
        {"read-only file: write", openDir, readOnly,
         [](const RecordStore &s) { return s.WriteRecordFile(s.scorePath(), "99"); }, Refused, scoreFileName, "5\r\n"},
        {"read-only file: save", openDir, readOnly, [](const RecordStore &s) { return s.SaveRecord("99", "Ugo"); },
         Refused, scoreFileName, "5\r\n"},
        {"read-only folder: write", closedDir, readWrite,
         [](const RecordStore &s) { return s.WriteRecordFile(s.scorePath(), "99"); }, Refused, scoreFileName, "5\r\n"},
        {"read-only folder: create", closedDir, readWrite, [](const RecordStore &s) { return s.CreateRecordFiles(); },
         Refused, holderFileName, "5\r\n"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        QTemporaryDir tmp;
        const RecordStore store(tmp.path() + u'/');
        put(store.scorePath(), "5\r\n");
        ASSERT_TRUE(QFile::setPermissions(store.scorePath(), c.scoreMode));
        ASSERT_TRUE(QFile::setPermissions(tmp.path(), c.dirMode));

        const int result = asUnprivileged([&] {
            // Only the modes under test may stand in the way.
            const bool dirWritable = c.dirMode & QFile::WriteOther;
            const bool scoreWritable = c.scoreMode & QFile::WriteOther;
            if (!readText(store.scorePath()) || QFileInfo(tmp.path()).isWritable() != dirWritable
                || QFileInfo(store.scorePath()).isWritable() != scoreWritable)
                return WrongSetup;
            const Outcome outcome = c.run(store);
            if (outcome)
                return Succeeded;
            const QString named = QDir::toNativeSeparators(store.directory() + c.named);
            return outcome.error.contains(named) ? Refused : RefusedUnnamed;
        });
        QFile::setPermissions(tmp.path(), openDir); // so the folder can be cleaned up

        EXPECT_EQ(result, c.expected);
        EXPECT_EQ(bytesOf(store.scorePath()), c.score);
        EXPECT_FALSE(QFileInfo::exists(store.holderPath()));
        EXPECT_EQ(entries(tmp), QStringList(scoreFileName)) << "stray temporary file";
    }
}
#endif

} // namespace
