#pragma once

#include <string>
#include <string_view>

namespace tesmira {

// Replaces the file at `path` with `bytes` so that it is never seen damaged or
// empty: the bytes go to a temporary file in the same folder, are flushed to disk,
// and the temporary file is then renamed over the old one. On any failure (folder
// missing, disk full, rename refused) the temporary file is removed, the old file
// is left as it was and the result is false, with errno telling why. An existing file keeps its
// permission bits; a new one gets 0644. A symbolic link is kept and its target
// replaced.
bool WriteFileAtomically(const std::string& path, std::string_view bytes);

// Reads a whole file; false (and `bytes` empty) when it cannot be opened or read
// or is larger than `maxBytes`.
bool ReadWholeFile(const std::string& path, std::string& bytes, size_t maxBytes = 16u << 20);

// Test seam: the function used for the final rename (nullptr restores ::rename).
using RenameFunction = int (*)(const char* from, const char* to);
void SetRenameFunctionForTesting(RenameFunction fn);

}  // namespace tesmira
