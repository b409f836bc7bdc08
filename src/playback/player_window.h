#pragma once
// The player's window while the film pane stands on its own.

namespace tesmira {

// Builds the application object and the window with the film pane, opens the
// command-line film when it names one, and runs until the window closes.
int RunPlayerWindow(int argc, char** argv);

}  // namespace tesmira
