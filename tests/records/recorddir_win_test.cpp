// Where the record lives on Windows.
#include "recorddir.h"

#include "filebytes.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <windows.h>

using namespace records;

namespace {

QString winPath(const QString &path) { return QDir::toNativeSeparators(path); }

} // namespace

TEST(WindowsRecordDirectory, OldRecordThenMachineWideThenOwn)
{
    QTemporaryDir tmp;
    const QString t = winPath(tmp.path());
    for (const char *dir : {"\\win", "\\win-empty", "\\win-readonly", "\\win-folder\\quozrec.txt", "\\ProgramData"})
        ASSERT_TRUE(QDir().mkpath(t + QLatin1String(dir)));
    put(t + "\\win\\quozrec.txt", "12\r\n");
    put(t + "\\win-readonly\\quozrec.txt", "12\r\n");
    ASSERT_TRUE(SetFileAttributesW((t + "\\win-readonly\\quozrec.txt").toStdWString().c_str(), FILE_ATTRIBUTE_READONLY));
    const struct
    {
        const char *name;
        QString windows, machine, own, expected;
    } cases[] = {
        {"an old record kept", t + "\\win", t + "\\ProgramData", t + "\\own1", t + "\\win\\"},
        {"old record, trailing separator", t + "\\win\\", t + "\\ProgramData", t + "\\own1", t + "\\win\\"},
        {"no old record", t + "\\win-empty", t + "\\ProgramData", t + "\\own1", t + "\\ProgramData\\"},
        {"read-only old record", t + "\\win-readonly", t + "\\ProgramData", t + "\\own1", t + "\\ProgramData\\"},
        {"a folder named as the record", t + "\\win-folder", t + "\\ProgramData", t + "\\own1", t + "\\ProgramData\\"},
        {"no machine-wide folder", t + "\\win-empty", t + "\\missing", t + "\\own2", t + "\\own2\\"},
        {"no Windows directory", "", t + "\\ProgramData", t + "\\own1", t + "\\ProgramData\\"},
        {"relative ones ignored", "win", "ProgramData", t + "\\own3", t + "\\own3\\"},
        {"nothing usable", "", "", "", ""},
        {"relative own", "", "", "own", ""},
    };
    for (const auto &c : cases) {
        const QString dir = windowsRecordDirectory(c.windows, c.machine, c.own);
        EXPECT_EQ(dir.toStdString(), c.expected.toStdString()) << c.name;
        EXPECT_TRUE(dir.isEmpty() || QFileInfo(dir).isDir()) << c.name;
    }
    EXPECT_FALSE(QFileInfo::exists(t + "\\missing")) << "the machine-wide folder is the installer's to make";
    EXPECT_FALSE(QFileInfo::exists(t + "\\own1")) << "the player's own is made only when used";
    EXPECT_EQ(QDir(t + "\\win").entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
              QStringList{"quozrec.txt"}) << "trying the folder leaves nothing behind";
}

// A standard user's Windows directory: Wine lets anyone write to its own, so
// the test script hands in a folder it has closed (a record inside).
TEST(WindowsRecordDirectory, AClosedWindowsDirectoryIsLeft)
{
    const QString closed = qEnvironmentVariable("QUOZZOLO_CLOSED_FOLDER");
    if (closed.isEmpty())
        GTEST_SKIP() << "no closed folder given (QUOZZOLO_CLOSED_FOLDER)";
    ASSERT_TRUE(QFileInfo(closed + "\\quozrec.txt").isFile());
    ASSERT_FALSE(canCreateIn(closed)) << "the folder given is not closed";
    QTemporaryDir tmp;
    const QString t = winPath(tmp.path());
    ASSERT_TRUE(QDir().mkpath(t + "\\ProgramData"));
    EXPECT_EQ(windowsRecordDirectory(closed, t + "\\ProgramData", t + "\\own"), t + "\\ProgramData\\");
    EXPECT_EQ(windowsRecordDirectory(closed, closed, t + "\\own"), t + "\\own\\")
        << "a machine-wide folder closed to the player";
}
