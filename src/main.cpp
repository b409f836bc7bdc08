#include <cstdio>
#include <exception>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#include "app/app_paths.h"
#include "app/settings.h"
#include "cli/command_line.h"
#include "cli/export_command.h"
#ifdef TESMIRA_PLAYER_MODULE
#include <dlfcn.h>
#endif

namespace {

#ifdef TESMIRA_PLAYER_MODULE
// The module sits beside the executable; /proc/self/exe names the real file
// even when the player is started through a link.
std::string playerModulePath() {
    std::error_code error;
    const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error || self.empty()) return TESMIRA_PLAYER_MODULE;
    return (self.parent_path() / TESMIRA_PLAYER_MODULE).string();
}
#endif

// Loads the window and runs it with the films the command line names.
int StartPlayer(const char* program, const std::vector<std::string>& films) {
    std::vector<std::string> texts{program};
    texts.insert(texts.end(), films.begin(), films.end());
    std::vector<char*> argv;
    for (std::string& text : texts) argv.push_back(text.data());
    argv.push_back(nullptr);
    const int argc = static_cast<int>(texts.size());
#ifdef TESMIRA_PLAYER_MODULE
    const std::string path = playerModulePath();
    void* module = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (module == nullptr) {
        std::fprintf(stderr, "tesmira: the player window cannot be loaded: %s\n", dlerror());
        return 1;
    }
    using Entry = int (*)(int, char**);
    const auto entry = reinterpret_cast<Entry>(dlsym(module, "tesmira_run_player"));
    if (entry == nullptr) {
        std::fprintf(stderr, "tesmira: %s is not the player window module\n", path.c_str());
        return 1;
    }
    // Never unloaded: the module's static objects are torn down at exit.
    return entry(argc, argv.data());
#else
    (void)argc;
    (void)argv;
    std::fputs("tesmira: this build has no player window; only --export is available\n", stderr);
    return 1;
#endif
}

}  // namespace

int main(int argc, char** argv) {
    // Options are handled before anything that needs a display.
    const tesmira::CommandLine commandLine =
        tesmira::ParseCommandLine(std::vector<std::string>(argv + 1, argv + argc));
    switch (commandLine.action) {
        case tesmira::CommandLine::Action::Help:
            std::fputs(tesmira::UsageText(), stdout);
            return 0;
        case tesmira::CommandLine::Action::Version:
            std::printf("tesmira %s\n", TESMIRA_VERSION);
            return 0;
        case tesmira::CommandLine::Action::Error:
            std::fprintf(stderr, "tesmira: %s\n\n%s", commandLine.error.c_str(),
                         tesmira::UsageText());
            return 2;
        case tesmira::CommandLine::Action::Export:
            try {
                // The user's event threshold, as the player shows events.
                const double eventG =
                    tesmira::PeekEventG(tesmira::BuildDataFolder(tesmira::UserDataHome(),
                                                                 tesmira::ExecutablePath(argv[0])) +
                                        "setting.ini");
                return tesmira::RunTrackExport(
                    {commandLine.format, commandLine.film, commandLine.output, eventG}, stdout,
                    stderr);
            } catch (const std::exception& e) {  // out of memory on a damaged film, say
                std::fprintf(stderr, "tesmira: export failed: %s\n", e.what());
                return 1;
            }
        case tesmira::CommandLine::Action::Player:
            break;
    }
    return StartPlayer(argv[0], commandLine.films);
}
