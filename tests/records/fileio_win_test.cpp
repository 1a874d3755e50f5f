// Windows' file primitives on their own: what each failure is told as, and
// the lock two games contend for.
#include "fileio.h"

#include "filebytes.h"

#include <QDir>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <memory>

#include <windows.h>

using namespace records;

namespace {

std::wstring native(const QString &path) { return QDir::toNativeSeparators(path).toStdWString(); }

// The file held open by another program that shares nothing (an editor, a
// virus scanner) until the holder goes.
struct Held
{
    HANDLE file;
    explicit Held(const QString &path, DWORD share = 0)
        : file(CreateFileW(native(path).c_str(), GENERIC_READ, share, nullptr, OPEN_EXISTING, 0, nullptr))
    {
    }
    ~Held() { CloseHandle(file); }
};

const char *kindName(ErrorKind kind)
{
    switch (kind) {
    case ErrorKind::None: return "None";
    case ErrorKind::NotFound: return "NotFound";
    case ErrorKind::Exists: return "Exists";
    case ErrorKind::Denied: return "Denied";
    case ErrorKind::DiskFull: return "DiskFull";
    case ErrorKind::ReadOnlyDisk: return "ReadOnlyDisk";
    case ErrorKind::IsFolder: return "IsFolder";
    case ErrorKind::NoFolder: return "NoFolder";
    case ErrorKind::DiskError: return "DiskError";
    case ErrorKind::TooBig: return "TooBig";
    case ErrorKind::NotRegular: return "NotRegular";
    case ErrorKind::Link: return "Link";
    case ErrorKind::OtherNames: return "OtherNames";
    case ErrorKind::Other: return "Other";
    }
    return "?";
}

struct FileIoTest : ::testing::Test
{
    QTemporaryDir tmp;
    QString at(const char *name) const { return tmp.path() + u'/' + QLatin1String(name); }
    bool present(const char *name) const
    {
        bool there = false;
        IoError err;
        EXPECT_TRUE(exists(at(name), &there, &err)) << name;
        return there;
    }
    void SetUp() override
    {
        put(at("dieci"), "0123456789");
        ASSERT_TRUE(QDir().mkpath(at("cartella")));
    }
};

} // namespace

TEST_F(FileIoTest, WhatStandsThere)
{
    EXPECT_TRUE(present("dieci"));
    EXPECT_TRUE(present("cartella"));
    EXPECT_FALSE(present("nessuno"));
}

TEST_F(FileIoTest, ReadFailuresAreToldByTheirCause)
{
    const struct
    {
        const char *name;
        ErrorKind kind;
    } cases[] = {
        {"nessuno", ErrorKind::NotFound},
        {"nessuna/cartella", ErrorKind::NoFolder},
        {"cartella", ErrorKind::IsFolder},
    };
    for (const auto &c : cases) {
        FileRead read;
        IoError err;
        EXPECT_FALSE(readFile(at(c.name), 100, Links::Refused, &read, &err)) << c.name;
        EXPECT_STREQ(kindName(err.kind), kindName(c.kind)) << c.name;
    }
    const Held held(at("dieci"));
    ASSERT_NE(held.file, INVALID_HANDLE_VALUE);
    FileRead read;
    IoError err;
    EXPECT_FALSE(readFile(at("dieci"), 100, Links::Refused, &read, &err));
    EXPECT_STREQ(kindName(err.kind), "Denied") << "a file another program holds";
    EXPECT_FALSE(systemMessage(err.code).isEmpty());
}

TEST_F(FileIoTest, ReadStopsAtTheLimit)
{
    const struct
    {
        qint64 limit;
        QByteArray bytes;
        bool more;
    } cases[] = {{4, "0123", true}, {10, "0123456789", false}, {11, "0123456789", false}, {0, "", true}};
    for (const auto &c : cases) {
        FileRead read;
        read.more = !c.more;
        IoError err;
        ASSERT_TRUE(readFile(at("dieci"), c.limit, Links::Refused, &read, &err)) << c.limit;
        EXPECT_EQ(read.bytes, c.bytes) << c.limit;
        EXPECT_EQ(read.more, c.more) << c.limit;
        EXPECT_TRUE(read.writable) << c.limit;
    }
}

TEST_F(FileIoTest, ANewFileReplacesWhatStoodThereOnlyWhenAskedAndGoesIfNeverClosed)
{
    IoError err;
    {
        NewFile kept;
        EXPECT_FALSE(kept.create(at("dieci"), 0, NewFile::Existing::Kept, &err));
        EXPECT_STREQ(kindName(err.kind), "Exists");
    }
    EXPECT_EQ(bytesOf(at("dieci")), "0123456789");
    {
        NewFile file;
        ASSERT_TRUE(file.create(at("dieci"), 0, NewFile::Existing::Removed, &err));
        ASSERT_TRUE(file.write("12\r\n", &err) && file.sync(&err) && file.close(&err));
    }
    EXPECT_EQ(bytesOf(at("dieci")), "12\r\n");
    {
        NewFile file;
        ASSERT_TRUE(file.create(at("abbandonato"), 0, NewFile::Existing::Kept, &err));
        ASSERT_TRUE(file.write("mezzo", &err));
    }
    EXPECT_FALSE(present("abbandonato"));

    NewFile lost;
    EXPECT_FALSE(lost.create(at("nessuna/cartella"), 0, NewFile::Existing::Removed, &err));
    EXPECT_STREQ(kindName(err.kind), "NoFolder");
}

TEST_F(FileIoTest, ReplaceFailuresAreToldByTheirCause)
{
    put(at("nuovo"), "nuovo");
    IoError err;
    EXPECT_FALSE(replaceFile(at("nessuno"), at("dieci"), &err));
    EXPECT_STREQ(kindName(err.kind), "NotFound");
    EXPECT_EQ(bytesOf(at("dieci")), "0123456789");
    {
        // Held without leave to delete it: Windows will not replace it.
        const Held held(at("dieci"), FILE_SHARE_READ | FILE_SHARE_WRITE);
        ASSERT_NE(held.file, INVALID_HANDLE_VALUE);
        EXPECT_FALSE(replaceFile(at("nuovo"), at("dieci"), &err));
        EXPECT_STREQ(kindName(err.kind), "Denied");
    }
    put(at("altro"), "altro");
    EXPECT_FALSE(moveWithoutReplacing(at("nuovo"), at("altro"), &err));
    EXPECT_STREQ(kindName(err.kind), "Exists");
    EXPECT_EQ(bytesOf(at("altro")), "altro");
    EXPECT_TRUE(replaceFile(at("nuovo"), at("dieci"), &err));
    EXPECT_EQ(bytesOf(at("dieci")), "nuovo");
    EXPECT_FALSE(present("nuovo"));
    EXPECT_TRUE(removeFile(at("nuovo"), &err)) << "a missing file counts as removed";
}

TEST_F(FileIoTest, OneLockHolderAtATime)
{
    IoError err;
    auto first = std::make_unique<FileLock>();
    FileLock second;
    ASSERT_EQ(first->open(at(".~quozrec-lock"), 0, &err), FileLock::Open::Ok);
    ASSERT_EQ(second.open(at(".~quozrec-lock"), 0, &err), FileLock::Open::Ok);
    ASSERT_TRUE(first->tryLock(&err));
    EXPECT_FALSE(second.tryLock(&err));
    EXPECT_STREQ(kindName(err.kind), "None") << "held by another is no failure";
    first.reset();
    EXPECT_TRUE(second.tryLock(&err)) << "closing the file drops its lock";

    FileLock folder;
    EXPECT_EQ(folder.open(at("cartella"), 0, &err), FileLock::Open::Refused);
    EXPECT_STREQ(kindName(err.kind), "IsFolder");
}
