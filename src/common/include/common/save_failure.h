#pragma once
// The one mapping from a save that did not succeed to the message the user
// sees, for every file the program writes (lists, reports, plots).

#include <string>

#include "common/safe_file.h"

namespace quill {

// Returns for SaveStatus::ok; raises FileError "Cannot create file <path>" or
// "Failed to Save Stream" otherwise. path is quoted as the user gave it.
void checkSaved(SaveStatus status, const std::string& path);

}  // namespace quill
