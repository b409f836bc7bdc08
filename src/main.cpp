#include <cstdio>
#include <exception>
#include <string>
#include <vector>

#include "mainwnd/command_line.h"
#include "mainwnd/export_command.h"
#ifdef TESMIRA_HAVE_QT
#include "playback/player_window.h"
#endif

namespace {

// Placeholder until the main window is wired in: the player starts here with
// the arguments that no option claimed.
int StartPlayer(int argc, char** argv, const tesmira::CommandLine& /*commandLine*/) {
#ifdef TESMIRA_HAVE_QT
    return tesmira::RunPlayerWindow(argc, argv);
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
            std::fprintf(stderr, "tesmira: %s\nTry 'tesmira --help' for more information.\n",
                         commandLine.error.c_str());
            return 2;
        case tesmira::CommandLine::Action::Export:
            try {
                return tesmira::RunTrackExport(
                    {commandLine.format, commandLine.film, commandLine.output}, stdout, stderr);
            } catch (const std::exception& e) {  // out of memory on a damaged film, say
                std::fprintf(stderr, "tesmira: export failed: %s\n", e.what());
                return 1;
            }
        case tesmira::CommandLine::Action::Player:
            break;
    }
    return StartPlayer(argc, argv, commandLine);
}
