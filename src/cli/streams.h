#pragma once
// The command line's files that are streams: an -o target that is one of the
// open standard streams, two inputs that are one stream, and an -o target
// that is an input's stream.

#include <string>

namespace quill::cli {

// The descriptor that an -o target names when it is an open standard
// stream: /dev/stdout, /dev/stderr, /dev/fd/N (or /proc/self/fd/N), or the
// very file (device and inode) that descriptor 1 or 2 writes to; -1 for any
// other target, which is saved as a file.
int openStreamNamed(const std::string& path);

// True when the two inputs ("-": standard input) are one pipe, FIFO, socket
// or device, which could be read only once. Two names of one regular file
// are read twice, each from its start, and are fine.
bool sameStream(const std::string& first, const std::string& second);

// True when the -o target is the pipe or FIFO that an input ("-": standard
// input) is read from: written into, it would swallow the report or block.
// A terminal, a device or a regular file is fine: an input is read to its
// end before the first byte goes out.
bool writesIntoInput(const std::string& output, const std::string& input);

}  // namespace quill::cli
