#pragma once
// The command line's SIGTERM, SIGINT and SIGHUP during an in-place save: the
// copy of the old file, needless while the target is still whole, goes with
// the program.

#include "common/safe_file.h"

namespace quill::cli {

// While alive, each of those signals removes the copy that the save followed
// by watch() keeps of a target still whole, then ends the program as the
// signal would have; one that comes while the target is being rewritten
// waits for the rewrite to end (a second one ends the program at once), and
// is raised again at the end of this guard. A signal ignored before (a
// shell's background job) stays ignored; the handlers before are restored.
class CopyOnSignals {
public:
    CopyOnSignals();
    ~CopyOnSignals();
    CopyOnSignals(const CopyOnSignals&) = delete;
    CopyOnSignals& operator=(const CopyOnSignals&) = delete;

    CopyWatch* watch();
};

}  // namespace quill::cli
