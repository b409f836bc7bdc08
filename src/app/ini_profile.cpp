#include "app/ini_profile.h"

#include <sys/stat.h>

#include <map>
#include <memory>
#include <mutex>

#include "app/atomic_file.h"
#include "app/ini_document.h"
#include "app/utf.h"

namespace tesmira {
namespace {

struct FileStamp {
    dev_t device = 0;
    ino_t inode = 0;
    off_t size = -1;
    long long mtimeNs = 0;
    bool operator==(const FileStamp&) const = default;
};

struct CachedFile {
    FileStamp stamp;
    std::shared_ptr<const IniDocument> doc;
};

std::mutex cacheMutex;
std::map<std::string, CachedFile> cache;
constexpr size_t kMaxCachedFiles = 64;

bool stampOf(const std::string& path, FileStamp& stamp) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return false;
    stamp.device = st.st_dev;
    stamp.inode = st.st_ino;
    stamp.size = st.st_size;
    stamp.mtimeNs = static_cast<long long>(st.st_mtim.tv_sec) * 1000000000LL + st.st_mtim.tv_nsec;
    return true;
}

void remember(const std::string& path, const FileStamp& stamp,
              std::shared_ptr<const IniDocument> doc) {
    if (cache.size() >= kMaxCachedFiles && !cache.count(path)) cache.clear();
    cache[path] = CachedFile{stamp, std::move(doc)};
}

// The parsed file, or nullptr when it does not exist or cannot be read.
// Caller holds cacheMutex.
std::shared_ptr<const IniDocument> load(const std::string& path) {
    FileStamp stamp;
    if (!stampOf(path, stamp)) {
        cache.erase(path);
        return nullptr;
    }
    if (const auto it = cache.find(path); it != cache.end() && it->second.stamp == stamp)
        return it->second.doc;
    std::string bytes;
    if (!ReadWholeFile(path, bytes)) {
        cache.erase(path);
        return nullptr;
    }
    auto doc = std::make_shared<const IniDocument>(IniDocument::Parse(bytes));
    // Stamp again: a file replaced while it was read must not be cached as current.
    FileStamp after;
    if (stampOf(path, after) && after == stamp) remember(path, stamp, doc);
    return doc;
}

}  // namespace

std::string ReadProfileString(const std::string& path, std::string_view section,
                              std::string_view key, std::string_view defaultValue) {
    std::shared_ptr<const IniDocument> doc;
    {
        std::lock_guard lock(cacheMutex);
        doc = load(path);
    }
    if (!doc) return std::string(defaultValue);
    const auto value = doc->Get(Utf8ToUtf16(section), Utf8ToUtf16(key));
    return value ? Utf16ToUtf8(*value) : std::string(defaultValue);
}

std::vector<std::string> ReadProfileStrings(const std::string& path, std::string_view section,
                                            const std::vector<std::string>& keys) {
    std::shared_ptr<const IniDocument> doc;
    {
        std::lock_guard lock(cacheMutex);
        doc = load(path);
    }
    std::vector<std::string> values(keys.size());
    if (!doc) return values;
    const std::u16string section16 = Utf8ToUtf16(section);
    for (std::size_t i = 0; i < keys.size(); ++i)
        if (const auto value = doc->Get(section16, Utf8ToUtf16(keys[i])))
            values[i] = Utf16ToUtf8(*value);
    return values;
}

bool WriteProfileString(const std::string& path, std::string_view section, std::string_view key,
                        std::string_view value) {
    return WriteProfileStrings(path, section, {{std::string(key), std::string(value)}});
}

bool WriteProfileStrings(const std::string& path, std::string_view section,
                         const std::vector<std::pair<std::string, std::string>>& values) {
    std::lock_guard lock(cacheMutex);
    const auto current = load(path);
    FileStamp stamp;
    if (!current && stampOf(path, stamp)) return false;  // exists but unreadable: leave it
    IniDocument doc = current ? *current : IniDocument();
    for (const auto& [key, value] : values)
        if (!doc.Set(Utf8ToUtf16(section), Utf8ToUtf16(key), Utf8ToUtf16(value))) return false;
    if (!WriteFileAtomically(path, doc.Serialize())) {
        cache.erase(path);
        return false;
    }
    if (stampOf(path, stamp))
        remember(path, stamp, std::make_shared<const IniDocument>(std::move(doc)));
    return true;
}

void ClearProfileCache() {
    std::lock_guard lock(cacheMutex);
    cache.clear();
}

}  // namespace tesmira
