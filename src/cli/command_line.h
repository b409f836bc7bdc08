#pragma once
// The player's command line. Options that need no window (--export, --help,
// --version) are recognised here; everything else goes to the player as the
// film to open.

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
    std::string playerTail;             // Action::Player: the arguments joined by spaces
};

// args: the arguments after the executable's name.
CommandLine ParseCommandLine(const std::vector<std::string>& args);

const char* UsageText();

}  // namespace tesmira
