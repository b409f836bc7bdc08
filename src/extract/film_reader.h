#pragma once
// Read-only access to a film by absolute 64-bit position. Small reads (box
// headers, tables) go through a read-ahead window; record reads go straight
// to the file. Bytes that the file does not hold read as zeros.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <vector>

namespace tesmira {

class FilmReader {
public:
    static constexpr std::size_t kDefaultWindow = 64 * 1024;

    // Opens a regular file for reading; isOpen() tells whether that worked. A reader
    // that only looks at a few headers takes a smaller window, so that a folder of
    // films is not read 64 KiB by 64 KiB.
    explicit FilmReader(const std::filesystem::path& film, std::size_t window = kDefaultWindow);
    ~FilmReader();
    FilmReader(const FilmReader&) = delete;
    FilmReader& operator=(const FilmReader&) = delete;

    bool isOpen() const { return fd_ >= 0; }
    uint64_t size() const { return size_; }

    // Copies n bytes at pos into dst through the read-ahead window; what lies
    // past the end of the file (or fails to read) is zero. Returns the number
    // of bytes the file actually supplied.
    std::size_t read(uint64_t pos, void* dst, std::size_t n);

    // Same contract without touching the window: for scattered reads whose
    // neighbourhood is of no further use.
    std::size_t readDirect(uint64_t pos, void* dst, std::size_t n);

    // First position in [from, limit) holding a non-zero byte, or limit.
    uint64_t findNonZero(uint64_t from, uint64_t limit);

private:
    bool fillWindow(uint64_t pos);

    int fd_ = -1;
    uint64_t size_ = 0;
    std::size_t windowSize_;
    std::vector<uint8_t> window_;
    uint64_t windowPos_ = 0;
    std::size_t windowLen_ = 0;
};

}  // namespace tesmira
