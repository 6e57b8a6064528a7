#include "common/save_failure.h"

#include "common/error.h"

namespace quill {

void checkSaved(SaveStatus status, const std::string& path) {
    switch (status) {
        case SaveStatus::ok: return;
        case SaveStatus::cannotCreate: throw FileError("Cannot create file " + path);
        case SaveStatus::writeFailed: throw FileError("Failed to Save Stream");
    }
}

}  // namespace quill
