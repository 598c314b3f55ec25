#pragma once
// Module1: the program's start-up.
#include <functional>
#include <string>

namespace mirolt::app {

// Sees each window created at start-up with the loading screen's progress after it.
using StartupObserver = std::function<void(const std::wstring &window, float progress)>;

// Shows the loading screen, creates the windows, shows the main window and loads the
// command line's picture. Then the event loop runs the program.
void Main(const StartupObserver &observe = {});

// Loads the command line, upper-cased and taken whole as one path, as the source
// picture. A command line that cannot be loaded leaves the main window as it was.
void LoadCommandLinePicture(const std::wstring &commandLine);

} // namespace mirolt::app
