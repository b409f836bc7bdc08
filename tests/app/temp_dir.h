#pragma once

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace tesmira::testing {

// A fresh folder below /tmp, removed with everything in it at the end of the test.
class TempDir {
public:
    TempDir() {
        char name[] = "/tmp/tesmira_app_XXXXXX";
        if (char* made = ::mkdtemp(name)) path_ = made;
    }
    ~TempDir() {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& path() const { return path_; }
    std::string file(const std::string& name) const { return path_ + "/" + name; }

private:
    std::string path_;
};

inline std::string ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void WriteBytes(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

// UTF-16 little-endian bytes of ASCII text, optionally with the FF FE mark.
inline std::string Utf16Bytes(const std::string& ascii, bool mark = true) {
    std::string out = mark ? std::string("\xFF\xFE") : std::string();
    for (char c : ascii) {
        out += c;
        out += '\0';
    }
    return out;
}

inline size_t CountEntries(const std::string& folder) {
    size_t n = 0;
    for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(folder)) ++n;
    return n;
}

}  // namespace tesmira::testing
