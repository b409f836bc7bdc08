#pragma once
// Runs a shell command for a test and collects what it prints.

#include <string>

namespace tesmira {

struct CommandResult {
    int status = -1;     // exit status, -1 when it did not exit normally
    std::string output;  // standard output (standard error when the command redirects it)
};

CommandResult RunCommand(const std::string& command);

// Quotes a text for the shell.
std::string ShellQuote(const std::string& text);

}  // namespace tesmira
