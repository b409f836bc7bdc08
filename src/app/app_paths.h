#pragma once

#include <string>
#include <vector>

namespace tesmira {

// Process-wide paths set once at start-up, before the main window exists.
//
// main() calls InitAppPaths(argc, argv) after it has handled --export, --help and
// --version and before it builds the main window; InitAppPaths fills DataFolder and
// CommandLineFilm and creates the data folder.

// The per-user data folder, always ending in "/": $XDG_DATA_HOME (when set and
// absolute, else $HOME/.local/share) + "/" + executable base name + "/".
// Empty until InitAppPaths or SetDataFolder ran.
const std::string& DataFolder();
// Replaces DataFolder (tests, and InitAppPaths); a "/" is appended to a non-empty
// folder that lacks one.
void SetDataFolder(const std::string& folder);

// The arguments after the program name joined by single spaces; empty without any.
const std::string& CommandLineFilm();
void SetCommandLineFilm(const std::string& text);

// DataFolder from the data home and the executable's path. The name part is the text
// after the last "/" with the text from its last "." on dropped; a name without a
// "." is kept whole (Linux executables carry no extension), as is a name whose only
// "." is its first character.
std::string BuildDataFolder(const std::string& dataHome, const std::string& executablePath);

// The data home: $XDG_DATA_HOME when set and absolute, else $HOME/.local/share
// (HOME from the password database when unset). No trailing "/".
std::string UserDataHome();

// The running executable's path (/proc/self/exe, else argv0).
std::string ExecutablePath(const char* argv0);

// CommandLineFilm from the arguments after the program name. The options --help and
// --version are not part of it; an --export run has no film for the window (empty).
std::string BuildCommandLineFilm(const std::vector<std::string>& arguments);

// Creates every directory along `path` ("/a/b" makes "/a", then "/a/b"); an existing
// directory is passed over and keeps its permissions; a new one is made 0700.
// True when the deepest directory was newly created.
bool CreateDirectoryPath(const std::string& path);

// Start-up: DataFolder, CommandLineFilm, and the data folder created on disk.
// Tests point DataFolder elsewhere with SetDataFolder or XDG_DATA_HOME.
void InitAppPaths(int argc, char** argv);

}  // namespace tesmira
