#pragma once
// SIGTERM, SIGHUP and SIGINT (a session that ends, kill, Ctrl+C in the
// terminal) close the main window the way Exit does: the settings are
// written and the program ends with status 0. The handler only writes the
// signal's number into a pipe, which the event loop watches. A signal that
// was ignored when the program started (nohup) stays ignored; a second one
// of a kind, while the first is still being handled, ends the program at once.

namespace quill {

class Application;

// Once, before the event loop runs.
void closeOnTerminationSignals(Application& app);

}  // namespace quill
