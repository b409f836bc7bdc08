#pragma once
// The player's command line. Options that need no window (--export, --help,
// --version) are recognised here; any other option is an error, and the
// remaining arguments go to the player as the films to open.

#include <optional>
#include <string>
#include <vector>

#include "cli/track_export.h"

namespace tesmira {

struct CommandLine {
    enum class Action { Player, Export, Help, Version, Error };
    Action action = Action::Player;
    ExportFormat format = ExportFormat::Json;
    std::string film;                   // --export: the film to read
    std::optional<std::string> output;  // --export: -o OUT, standard output when absent
    std::string error;                  // Action::Error: what was wrong
    // Action::Player: the arguments other than a first "--", each as the window is to
    // receive it; a name starting with '-' gets "./", so nothing takes it for an option.
    std::vector<std::string> films;
};

// args: the arguments after the executable's name.
CommandLine ParseCommandLine(const std::vector<std::string>& args);

const char* UsageText();

}  // namespace tesmira
