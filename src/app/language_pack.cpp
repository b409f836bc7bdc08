#include "app/language_pack.h"

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <cctype>

#include "app/app_paths.h"
#include "app/ini_profile.h"
#include "app/owner_data.h"
#include "app/settings.h"

namespace tesmira {
namespace {

std::string& currentFile() {
    static std::string path;
    return path;
}

struct BuiltInLanguage {
    int resource;
    const char* fileName;
    const char* code;
};

// Also the order in which they are written.
constexpr BuiltInLanguage kBuiltIn[] = {
    {kLanguageEnglishResource, "Multi_eng.ini", "en"},
    {kLanguageZhCnResource, "Multi_zhcn.ini", "zh-CN"},
    {kLanguageZhTwResource, "Multi_zhtw.ini", "zh-TW"},
    {kLanguageRussianResource, "Multi_ru.ini", "ru"},
    {kLanguageFrenchResource, "Multi_fr.ini", "fr"},
};

bool endsWithIni(const std::string& name) {
    if (name.size() < 4) return false;
    std::string ending = name.substr(name.size() - 4);
    std::transform(ending.begin(), ending.end(), ending.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return ending == ".ini";
}

}  // namespace

std::string LanguageFolder() {
    return DataFolder().empty() ? std::string() : DataFolder() + "Language";
}

std::vector<std::string> EnumerateLanguageFiles() {
    const std::string folder = LanguageFolder();
    std::vector<std::string> names;
    if (DIR* dir = folder.empty() ? nullptr : ::opendir(folder.c_str())) {
        while (const dirent* entry = ::readdir(dir)) {
            const std::string name = entry->d_name;
            if (name == "." || name == ".." || !endsWithIni(name)) continue;
            struct stat st {};
            if (::stat((folder + "/" + name).c_str(), &st) != 0 || !S_ISREG(st.st_mode)) continue;
            names.push_back(name);
        }
        ::closedir(dir);
    }
    std::sort(names.begin(), names.end());
    std::vector<std::string> paths;
    paths.reserve(names.size());
    for (const auto& name : names) paths.push_back(folder + "/" + name);
    return paths;
}

std::string ApplyLanguage(const std::string& requested) {
    EnsureSettingsFile();
    std::string code = requested;
    if (code.empty()) code = ReadProfileString(SettingsPath(), "Setting", "Language", "English");
    ReadMap();

    bool found = false;
    for (const auto& path : EnumerateLanguageFiles()) {
        const std::string fileCode = ReadProfileString(path, "Setting", "Language", "");
        if (!fileCode.empty() && fileCode == code) {
            currentFile() = path;
            found = true;
        }
    }
    if (!found) {
        const std::string folder = LanguageFolder();
        if (!folder.empty()) {
            ::mkdir(folder.c_str(), 0755);
            for (const auto& language : kBuiltIn)
                WriteResourceToFile(language.resource, folder + "/" + language.fileName);
        }
        const BuiltInLanguage* chosen = &kBuiltIn[0];
        for (const auto& language : kBuiltIn)
            if (code == language.code) chosen = &language;
        currentFile() = folder.empty() ? std::string() : folder + "/" + chosen->fileName;
        if (chosen == &kBuiltIn[0]) code = "en";
    }
    WriteLanguage(code);
    return code;
}

const std::string& CurrentLanguageFile() {
    return currentFile();
}

std::string UiText(const std::string& key, const std::string& missingText) {
    std::string text = ReadProfileString(currentFile(), "String", key, missingText);
    for (size_t at = text.find("\\n"); at != std::string::npos; at = text.find("\\n", at + 1))
        text.replace(at, 2, "\n");
    return text;
}

std::string WindowText(const std::string& key) {
    return ReadProfileString(currentFile(), "String", key, "");
}

}  // namespace tesmira
