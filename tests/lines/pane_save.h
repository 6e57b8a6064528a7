#pragma once
// A pane saved as its Save saves it, for the file tests: its text in the
// encoding of its last load (writeListFile).

#include <string>

#include "lines/list_file.h"

namespace quill {

inline void saveToFile(const ByteLineList& pane, const std::string& path, SpecialFiles special = SpecialFiles::accept) {
    writeListFile(pane.rows(), pane.fileEncoding(), path, special);
}

}  // namespace quill
