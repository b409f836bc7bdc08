#include "extract/film_reader.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace tesmira {

// Never below 64 bytes, so that box headers still go through the window.
FilmReader::FilmReader(const std::filesystem::path& film, std::size_t window)
    : windowSize_(std::max<std::size_t>(window, 64)) {
    // O_NONBLOCK keeps a FIFO from stalling the open; only regular files are films.
    const int fd = ::open(film.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) return;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_size < 0) {
        ::close(fd);
        return;
    }
    fd_ = fd;
    size_ = static_cast<uint64_t>(st.st_size);
}

FilmReader::~FilmReader() {
    if (fd_ >= 0) ::close(fd_);
}

std::size_t FilmReader::readDirect(uint64_t pos, void* dst, std::size_t n) {
    if (n == 0) return 0;
    auto* out = static_cast<uint8_t*>(dst);
    std::size_t got = 0;
    if (fd_ >= 0 && pos < size_) {
        const std::size_t want = static_cast<std::size_t>(std::min<uint64_t>(n, size_ - pos));
        while (got < want) {
            const ssize_t r = ::pread(fd_, out + got, want - got, static_cast<off_t>(pos + got));
            if (r < 0 && errno == EINTR) continue;
            if (r <= 0) break;
            got += static_cast<std::size_t>(r);
        }
    }
    std::memset(out + got, 0, n - got);
    return got;
}

bool FilmReader::fillWindow(uint64_t pos) {
    window_.resize(windowSize_);
    windowPos_ = pos;
    windowLen_ = readDirect(pos, window_.data(), windowSize_);
    return windowLen_ > 0;
}

std::size_t FilmReader::read(uint64_t pos, void* dst, std::size_t n) {
    if (n == 0) return 0;  // dst may be the null data() of an empty buffer
    if (n > windowSize_ / 2) return readDirect(pos, dst, n);
    // Written so that no sum can wrap, whatever position a damaged table gives.
    const bool inWindow =
        pos >= windowPos_ && pos - windowPos_ <= windowLen_ && n <= windowLen_ - (pos - windowPos_);
    if (!inWindow && (pos >= size_ || !fillWindow(pos))) {
        std::memset(dst, 0, n);
        return 0;
    }
    const std::size_t off = static_cast<std::size_t>(pos - windowPos_);
    const std::size_t avail = std::min(n, windowLen_ - off);
    std::memcpy(dst, window_.data() + off, avail);
    std::memset(static_cast<uint8_t*>(dst) + avail, 0, n - avail);
    return avail;
}

uint64_t FilmReader::findNonZero(uint64_t from, uint64_t limit) {
    limit = std::min(limit, size_);
    for (uint64_t pos = from; pos < limit;) {
        if (!(pos >= windowPos_ && pos < windowPos_ + windowLen_) && !fillWindow(pos)) {
            return limit;
        }
        const std::size_t off = static_cast<std::size_t>(pos - windowPos_);
        const std::size_t len =
            static_cast<std::size_t>(std::min<uint64_t>(windowLen_ - off, limit - pos));
        const uint8_t* begin = window_.data() + off;
        const uint8_t* hit = std::find_if(begin, begin + len, [](uint8_t b) { return b != 0; });
        if (hit != begin + len) return pos + static_cast<uint64_t>(hit - begin);
        pos += len;
    }
    return limit;
}

}  // namespace tesmira
