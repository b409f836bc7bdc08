// The films of a folder as a camera's card nests them, found by name alone.

#include "app/film_folder.h"

#include <dirent.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "temp_dir.h"

namespace tesmira {
namespace {

namespace fs = std::filesystem;
using testing::TempDir;
using testing::WriteBytes;

std::vector<std::string> Relative(const std::vector<fs::path>& paths, const std::string& root) {
    std::vector<std::string> out;
    for (const fs::path& p : paths) out.push_back(p.lexically_relative(root).string());
    return out;
}

TEST(FilmFolder, EveryFilmOfANestedCardLayoutByTheOpenEndingRule) {
    const struct {
        const char* path;  // a trailing '/' makes a folder
        bool listed;
    } entries[] = {
        {"DCIM/100MEDIA/2024_0501_083000.MP4", true},
        {"DCIM/100MEDIA/2024_0501_083100.mov", true},
        {"DCIM/100MEDIA/2024_0501_083200.Mp4", false},  // the ending rule is case-sensitive
        {"DCIM/100MEDIA/2024_0501_083300.JPG", false},
        {"Normal/Front/F0001.MOV", true},
        {"Normal/Rear/R0001.mp4", true},
        {"Event/E0001.avi", true},
        {"Event/E0001.AVI.txt", false},  // not a film, though a film's name is in it
        {"Event/notes.txt", false},
        {"Parking/", false},   // empty
        {"Rear.MP4/", false},  // a folder with a film's ending is read, not listed
        {"Rear.MP4/R0002.MP4", true},
        {".Trash-1000/files/deleted.MP4", false},  // the desktop's, not the camera's
        {"top.MP4", true},
    };
    TempDir card;
    std::vector<std::string> expected;
    for (const auto& entry : entries) {
        const fs::path path = card.file(entry.path);
        if (std::string(entry.path).ends_with('/')) {
            fs::create_directories(path);
            continue;
        }
        fs::create_directories(path.parent_path());
        WriteBytes(path.string(), "not opened");
        if (entry.listed) expected.push_back(entry.path);
    }
    // A link back to the card's top: read once, the scan ends.
    fs::create_directory_symlink("../..", card.file("Normal/Front/loop"));
    fs::create_symlink("nowhere", card.file("Event/dangling.MP4"));
    std::sort(expected.begin(), expected.end());

    const FilmFolderScan scan = ScanFilmFolder(card.path());
    EXPECT_EQ(Relative(scan.films, card.path()), expected);
    EXPECT_TRUE(scan.unreadable.empty());
}

TEST(FilmFolder, AnUnreadableSubFolderIsSkippedAndNamed) {
    TempDir card;
    fs::create_directories(card.file("DCIM/Locked"));
    fs::create_directories(card.file("DCIM/Open"));
    WriteBytes(card.file("DCIM/Locked/hidden.MP4"), "x");
    WriteBytes(card.file("DCIM/Open/shown.MP4"), "x");
    fs::permissions(card.file("DCIM/Locked"), fs::perms::none);
    // Root reads any folder whatever its permissions.
    if (DIR* probe = ::opendir(card.file("DCIM/Locked").c_str())) {
        ::closedir(probe);
        fs::permissions(card.file("DCIM/Locked"), fs::perms::owner_all);
        GTEST_SKIP() << "permissions do not stop this user reading a folder (root)";
    }

    const FilmFolderScan scan = ScanFilmFolder(card.path());
    fs::permissions(card.file("DCIM/Locked"), fs::perms::owner_all);
    EXPECT_EQ(Relative(scan.films, card.path()), std::vector<std::string>{"DCIM/Open/shown.MP4"});
    ASSERT_EQ(scan.unreadable.size(), 1u);
    EXPECT_EQ(scan.unreadable[0].folder, fs::path(card.file("DCIM/Locked")));
    EXPECT_FALSE(scan.unreadable[0].reason.empty());
}

}  // namespace
}  // namespace tesmira
