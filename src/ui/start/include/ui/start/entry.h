#pragma once
// The entry routine of the desktop program.

namespace quill {

class Application;

// Titles the application, creates the main window, the phone dialog and the
// About dialog in that order, runs the loop, and destroys the windows again,
// the last created first. An error in start-up is shown and ends the
// program. Always returns 0, the exit code.
int runEntryRoutine(Application& app);

}  // namespace quill
