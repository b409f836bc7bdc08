#include "app/ini_profile.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <csignal>

#include "app/atomic_file.h"
#include "temp_dir.h"

namespace tesmira {
namespace {

using testing::CountEntries;
using testing::ReadBytes;
using testing::TempDir;
using testing::Utf16Bytes;
using testing::WriteBytes;

int failingRename(const char*, const char*) {
    errno = EIO;
    return -1;
}

class IniProfile : public ::testing::Test {
protected:
    void SetUp() override { ClearProfileCache(); }
    void TearDown() override { SetRenameFunctionForTesting(nullptr); }
    TempDir dir;
};

TEST_F(IniProfile, WriteThenReadOnDiskKeepsOtherLinesAndCutsLongValues) {
    const std::string path = dir.file("setting.ini");
    const std::string before =
        Utf16Bytes("; mine\r\n[Setting]\r\nLanguage=ru\nMap=baidu\r\n\r\n[Window]\rx=1\r\n");
    WriteBytes(path, before);
    EXPECT_EQ(ReadProfileString(path, "setting", "MAP", "google"), "baidu");
    EXPECT_EQ(ReadProfileString(path, "Setting", "Unit", "KMH"), "KMH");
    EXPECT_EQ(ReadProfileString(dir.file("none.ini"), "Setting", "Unit", "KMH"), "KMH");
    EXPECT_EQ(ReadProfileStrings(path, "Setting", {"Unit", "Map", "Language"}),
              (std::vector<std::string>{"", "baidu", "ru"}));
    EXPECT_EQ(ReadProfileStrings(dir.file("none.ini"), "Setting", {"Map"}),
              std::vector<std::string>{""});

    const std::string longValue(1200, 'v');
    ASSERT_TRUE(WriteProfileString(path, "Setting", "Unit", longValue));
    EXPECT_EQ(ReadProfileString(path, "Setting", "Unit", ""), std::string(999, 'v'));
    const std::string expected =
        Utf16Bytes("; mine\r\n[Setting]\r\nLanguage=ru\nMap=baidu\r\nUnit=" + longValue +
                   "\r\n\r\n[Window]\rx=1\r\n");
    EXPECT_EQ(ReadBytes(path), expected);
    // No temporary file is left behind.
    EXPECT_EQ(CountEntries(dir.path()), 1u);

    // A missing file is created as UTF-16 with its mark.
    const std::string fresh = dir.file("fresh.ini");
    ASSERT_TRUE(WriteProfileString(fresh, "Setting", "Unit", "MPH"));
    EXPECT_EQ(ReadBytes(fresh), Utf16Bytes("[Setting]\r\nUnit=MPH"));
}

TEST_F(IniProfile, ReadsNoticeFilesChangedBehindTheCache) {
    const std::string path = dir.file("a.ini");
    WriteBytes(path, Utf16Bytes("[S]\r\nk=one\r\n"));
    EXPECT_EQ(ReadProfileString(path, "S", "k", ""), "one");
    // Same size, written in place by someone else.
    WriteBytes(path, Utf16Bytes("[S]\r\nk=two\r\n"));
    struct timespec times[2] = {{0, UTIME_OMIT}, {1, 0}};
    ::utimensat(AT_FDCWD, path.c_str(), times, 0);  // a different mtime, as a real edit has
    EXPECT_EQ(ReadProfileString(path, "S", "k", ""), "two");
    // Replaced by another file, then removed.
    WriteBytes(dir.file("b.ini"), "[S]\nk=three\n");
    ASSERT_EQ(::rename(dir.file("b.ini").c_str(), path.c_str()), 0);
    EXPECT_EQ(ReadProfileString(path, "S", "k", ""), "three");
    ::unlink(path.c_str());
    EXPECT_EQ(ReadProfileString(path, "S", "k", "gone"), "gone");
}

TEST_F(IniProfile, FailedWritesLeaveTheOldFileAsItWas) {
    const std::string path = dir.file("setting.ini");
    const std::string before = Utf16Bytes("[Setting]\r\nUnit=KMH");
    WriteBytes(path, before);
    ::chmod(path.c_str(), 0640);

    // The final rename fails (as a crash before it would leave things).
    SetRenameFunctionForTesting(&failingRename);
    EXPECT_FALSE(WriteProfileString(path, "Setting", "Unit", "MPH"));
    SetRenameFunctionForTesting(nullptr);
    EXPECT_EQ(ReadBytes(path), before);
    EXPECT_EQ(CountEntries(dir.path()), 1u);
    EXPECT_EQ(ReadProfileString(path, "Setting", "Unit", ""), "KMH");

    // The disk fills up in the middle of the write: files may not grow past 64 bytes.
    struct sigaction ignore {
    }, old{};
    ignore.sa_handler = SIG_IGN;
    ::sigaction(SIGXFSZ, &ignore, &old);
    rlimit limit{}, saved{};
    ::getrlimit(RLIMIT_FSIZE, &saved);
    limit = saved;
    limit.rlim_cur = 64;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &limit), 0);
    const bool written = WriteProfileString(path, "Setting", "Language", std::string(200, 'x'));
    ::setrlimit(RLIMIT_FSIZE, &saved);
    ::sigaction(SIGXFSZ, &old, nullptr);
    EXPECT_FALSE(written);
    EXPECT_EQ(ReadBytes(path), before);
    EXPECT_EQ(CountEntries(dir.path()), 1u);

    // A write that succeeds keeps the file's permission bits.
    ASSERT_TRUE(WriteProfileString(path, "Setting", "Unit", "MPH"));
    struct stat st {};
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);

    // The folder is a file: nothing can be written, nothing is reported as written.
    WriteBytes(dir.file("plain"), "x");
    EXPECT_FALSE(WriteProfileString(dir.file("plain/setting.ini"), "Setting", "Unit", "MPH"));
    EXPECT_EQ(ReadBytes(dir.file("plain")), "x");
}

TEST_F(IniProfile, ASymbolicLinkStaysALinkToTheReplacedFile) {
    const std::string target = dir.file("real.ini");
    const std::string link = dir.file("setting.ini");
    WriteBytes(target, Utf16Bytes("[Setting]\r\nUnit=KMH"));
    ASSERT_EQ(::symlink(target.c_str(), link.c_str()), 0);
    ASSERT_TRUE(WriteProfileString(link, "Setting", "Unit", "MPH"));
    struct stat st {};
    ASSERT_EQ(::lstat(link.c_str(), &st), 0);
    EXPECT_TRUE(S_ISLNK(st.st_mode));
    EXPECT_EQ(ReadBytes(target), Utf16Bytes("[Setting]\r\nUnit=MPH"));
    EXPECT_EQ(ReadProfileString(link, "Setting", "Unit", ""), "MPH");
}

TEST_F(IniProfile, AFileThatCannotBeReadIsNotOverwritten) {
    // A folder stands where the file should be.
    ASSERT_EQ(::mkdir(dir.file("setting.ini").c_str(), 0755), 0);
    EXPECT_FALSE(WriteProfileString(dir.file("setting.ini"), "S", "k", "v"));
    EXPECT_EQ(ReadProfileString(dir.file("setting.ini"), "S", "k", "d"), "d");
}

}  // namespace
}  // namespace tesmira
