// The player's window lives in a module of its own, so that the command-line
// jobs (--export, --help, --version) start without loading Qt and the media
// engine's libraries.
#include "mainwnd/main_window.h"

extern "C" __attribute__((visibility("default"))) int tesmira_run_player(int argc, char** argv) {
    return tesmira::RunMainWindow(argc, argv);
}
