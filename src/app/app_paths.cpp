#include "app/app_paths.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

namespace tesmira {
namespace {

std::string& dataFolderText() {
    static std::string text;
    return text;
}

std::string& commandLineFilmText() {
    static std::string text;
    return text;
}

}  // namespace

const std::string& DataFolder() {
    return dataFolderText();
}

void SetDataFolder(const std::string& folder) {
    dataFolderText() = folder;
    if (!folder.empty() && folder.back() != '/') dataFolderText() += '/';
}

const std::string& CommandLineFilm() {
    return commandLineFilmText();
}

void SetCommandLineFilm(const std::string& text) {
    commandLineFilmText() = text;
}

std::string BuildDataFolder(const std::string& dataHome, const std::string& executablePath) {
    const auto slash = executablePath.find_last_of('/');
    std::string name =
        slash == std::string::npos ? executablePath : executablePath.substr(slash + 1);
    // A name that is all extension (".x") keeps its text: an empty part would put our
    // files straight into the shared data home.
    if (const auto dot = name.find_last_of('.'); dot != std::string::npos && dot > 0)
        name.erase(dot);
    std::string folder = dataHome;
    if (folder.empty() || folder.back() != '/') folder += '/';
    folder += name;
    folder += '/';
    return folder;
}

std::string UserDataHome() {
    if (const char* xdg = std::getenv("XDG_DATA_HOME"); xdg && xdg[0] == '/') {
        std::string home = xdg;
        while (home.size() > 1 && home.back() == '/') home.pop_back();
        return home;
    }
    std::string home;
    if (const char* env = std::getenv("HOME"); env && env[0] != '\0') {
        home = env;
    } else if (const passwd* pw = ::getpwuid(::getuid()); pw && pw->pw_dir) {
        home = pw->pw_dir;
    }
    while (!home.empty() && home.back() == '/') home.pop_back();
    return home + "/.local/share";
}

std::string ExecutablePath(const char* argv0) {
    char buffer[4096];
    const ssize_t n = ::readlink("/proc/self/exe", buffer, sizeof buffer - 1);
    if (n > 0) return std::string(buffer, static_cast<size_t>(n));
    return argv0 ? std::string(argv0) : std::string();
}

std::string BuildCommandLineFilm(const std::vector<std::string>& arguments) {
    std::string text;
    for (const auto& argument : arguments) {
        if (argument == "--export") return {};
        if (argument == "--help" || argument == "--version") continue;
        if (!text.empty()) text += ' ';
        text += argument;
    }
    return text;
}

bool CreateDirectoryPath(const std::string& path) {
    if (path.empty()) return false;
    std::string full = path;
    if (full.back() != '/') full += '/';
    bool created = false;
    for (size_t i = 0; i < full.size(); ++i) {
        if (full[i] != '/' || i == 0 || full[i - 1] == '/') continue;
        // Private to the user, as the XDG rules ask of a data home made on demand.
        created = ::mkdir(full.substr(0, i).c_str(), 0700) == 0;
    }
    return created;
}

void InitAppPaths(int argc, char** argv) {
    SetDataFolder(BuildDataFolder(UserDataHome(), ExecutablePath(argc > 0 ? argv[0] : nullptr)));
    std::vector<std::string> arguments;
    for (int i = 1; i < argc; ++i) arguments.emplace_back(argv[i]);
    SetCommandLineFilm(BuildCommandLineFilm(arguments));
    CreateDirectoryPath(DataFolder());
}

}  // namespace tesmira
