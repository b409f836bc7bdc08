#include "app/app_paths.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>

#include "temp_dir.h"

namespace tesmira {
namespace {

using testing::TempDir;
using testing::WriteBytes;

bool isDirectory(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

TEST(DataFolderName, OnlyTheTextFromTheLastFullStopIsDropped) {
    EXPECT_EQ(BuildDataFolder("/home/u/.local/share", "/opt/bin/a.b.exe"),
              "/home/u/.local/share/a.b/");
    EXPECT_EQ(BuildDataFolder("/d/", "/opt/x.y/Player.exe"), "/d/Player/");
    // Linux executables have no extension: the whole name is kept.
    EXPECT_EQ(BuildDataFolder("/d", "/usr/bin/tesmira"), "/d/tesmira/");
    EXPECT_EQ(BuildDataFolder("/d", "tesmira"), "/d/tesmira/");
    // A name that is all extension would give an empty name part; it is kept whole.
    EXPECT_EQ(BuildDataFolder("/d", "/x/.hidden"), "/d/.hidden/");
}

TEST(DataFolderName, DataHomeFollowsXdgThenHome) {
    const char* savedXdg = std::getenv("XDG_DATA_HOME");
    const std::string xdg = savedXdg ? savedXdg : "";
    const char* savedHome = std::getenv("HOME");
    const std::string home = savedHome ? savedHome : "";

    ::setenv("XDG_DATA_HOME", "/srv/data//", 1);
    EXPECT_EQ(UserDataHome(), "/srv/data");
    // A relative XDG_DATA_HOME is ignored, as the XDG rules ask.
    ::setenv("XDG_DATA_HOME", "rel/data", 1);
    ::setenv("HOME", "/home/someone/", 1);
    EXPECT_EQ(UserDataHome(), "/home/someone/.local/share");
    ::unsetenv("XDG_DATA_HOME");
    EXPECT_EQ(UserDataHome(), "/home/someone/.local/share");

    savedXdg ? ::setenv("XDG_DATA_HOME", xdg.c_str(), 1) : ::unsetenv("XDG_DATA_HOME");
    savedHome ? ::setenv("HOME", home.c_str(), 1) : ::unsetenv("HOME");
}

TEST(CommandLine, ArgumentsAreJoinedWithSingleSpacesWithoutOptions) {
    EXPECT_EQ(BuildCommandLineFilm({}), "");
    EXPECT_EQ(BuildCommandLineFilm({"\"/clips/x.MP4\""}), "\"/clips/x.MP4\"");
    EXPECT_EQ(BuildCommandLineFilm({"a.mp4", "b.mp4"}), "a.mp4 b.mp4");
    EXPECT_EQ(BuildCommandLineFilm({"/my films/a b.MOV"}), "/my films/a b.MOV");
    EXPECT_EQ(BuildCommandLineFilm({"--version", "a.mp4"}), "a.mp4");
    EXPECT_EQ(BuildCommandLineFilm({"--export", "json", "a.mp4"}), "");
}

TEST(CreateDirectoryPath, CreatesEveryLevelAndReportsTheDeepest) {
    TempDir dir;
    const std::string deep = dir.path() + "/a/b/c";
    const mode_t savedMask = ::umask(022);
    EXPECT_TRUE(CreateDirectoryPath(deep));
    ::umask(savedMask);
    EXPECT_TRUE(isDirectory(deep));
    // Every level made is private to the user (a new data home included); the
    // existing temporary folder keeps its own bits.
    for (const std::string& level : {dir.path() + "/a", dir.path() + "/a/b", deep}) {
        struct stat st {};
        ASSERT_EQ(::stat(level.c_str(), &st), 0);
        EXPECT_EQ(st.st_mode & 0777, 0700u) << level;
    }
    ::chmod(dir.path().c_str(), 0750);
    EXPECT_FALSE(CreateDirectoryPath(dir.path()));
    struct stat top {};
    ASSERT_EQ(::stat(dir.path().c_str(), &top), 0);
    EXPECT_EQ(top.st_mode & 0777, 0750u);
    EXPECT_FALSE(CreateDirectoryPath(deep + "/"));  // exists already
    EXPECT_TRUE(isDirectory(deep));
    EXPECT_FALSE(CreateDirectoryPath(""));
    WriteBytes(dir.file("file"), "x");
    EXPECT_FALSE(CreateDirectoryPath(dir.file("file/sub")));
}

TEST(StartUp, InitAppPathsBuildsBothTextsAndTheFolder) {
    TempDir dir;
    const char* savedXdg = std::getenv("XDG_DATA_HOME");
    const std::string xdg = savedXdg ? savedXdg : "";
    ::setenv("XDG_DATA_HOME", (dir.path() + "/share").c_str(), 1);

    char program[] = "prog";
    char first[] = "a.mp4";
    char second[] = "b.mp4";
    char* argv[] = {program, first, second, nullptr};
    InitAppPaths(3, argv);
    // The running test binary's own name is the folder's name.
    const std::string name = BuildDataFolder("", ExecutablePath(nullptr)).substr(1);
    EXPECT_EQ(DataFolder(), dir.path() + "/share/" + name);
    EXPECT_TRUE(isDirectory(DataFolder()));
    EXPECT_EQ(CommandLineFilm(), "a.mp4 b.mp4");

    char* alone[] = {program, nullptr};
    InitAppPaths(1, alone);
    EXPECT_EQ(CommandLineFilm(), "");

    savedXdg ? ::setenv("XDG_DATA_HOME", xdg.c_str(), 1) : ::unsetenv("XDG_DATA_HOME");
    SetDataFolder("");
    EXPECT_EQ(DataFolder(), "");
    SetDataFolder("/x");
    EXPECT_EQ(DataFolder(), "/x/");
}

}  // namespace
}  // namespace tesmira
