#pragma once
// The command line's files that are streams: an -o target that is one of the
// open standard streams, two inputs that are one stream, and an -o target
// that is an input's stream.

#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace quill::cli {

// The descriptor that an -o target names when it is an open standard
// stream: /dev/stdout, /dev/stderr, /dev/fd/N (or /proc/self/fd/N), or the
// very file (device and inode) that descriptor 1 or 2 writes to; -1 for any
// other target, which is saved as a file.
int openStreamNamed(const std::string& path);

// What the command line refuses (status 2) before it reads a byte, about
// its list files (inputs, "-": standard input) and its -o target: the target
// is the pipe or FIFO an input is read from (written into, it would swallow
// the output or block), or two inputs are one pipe, FIFO, socket or device,
// which could be read only once. Two names of one regular file are read
// twice, each from its start, and a terminal, a device or a regular file as
// the target is fine: every input is read to its end before the first byte
// goes out. Returns the message, or nothing when all is well.
std::optional<std::string_view> streamMisuse(std::span<const std::string> inputs,
                                             const std::optional<std::string>& output);

}  // namespace quill::cli
