#pragma once
// Scratch folders, file bytes and an unprivileged child for the settings tests.

#include <string>
#include <vector>

namespace quill::testing {

// A fresh folder under /tmp that everyone may enter, removed with its content.
class ScratchFolder {
public:
    ScratchFolder();
    ~ScratchFolder();
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;
    const std::string& path() const { return path_; }
    std::string operator/(const std::string& name) const { return path_ + "/" + name; }

private:
    std::string path_;
};

void WriteBytes(const std::string& path, const std::string& bytes);
// The file's bytes, or "<missing>" when it cannot be read.
std::string ReadBytes(const std::string& path);
bool Exists(const std::string& path);

struct ChildResult {
    int exitCode = -1;
    std::string output;  // what the child wrote to stdout
};

// Runs the settings probe with args as user and group 65534 (nobody), whom
// the permission bits bind, unlike root.
ChildResult RunProbeAsNobody(const std::vector<std::string>& args,
                             const std::vector<std::string>& environment = {});

}  // namespace quill::testing
