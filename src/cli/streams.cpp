#include "streams.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <charconv>
#include <optional>
#include <string_view>

namespace quill::cli {

namespace {

bool isOpen(int fd) { return fd >= 0 && ::fcntl(fd, F_GETFD) != -1; }

// N from "<prefix>N", -1 when the path is not of that form.
int descriptorAfter(std::string_view path, std::string_view prefix) {
    if (!path.starts_with(prefix) || path.size() == prefix.size()) return -1;
    int fd = -1;
    const char* end = path.data() + path.size();
    const auto [at, ec] = std::from_chars(path.data() + prefix.size(), end, fd);
    return ec == std::errc() && at == end ? fd : -1;
}

bool sameFile(const struct stat& a, const struct stat& b) { return a.st_dev == b.st_dev && a.st_ino == b.st_ino; }

bool statOf(const std::string& path, struct stat& info) {
    return path == "-" ? ::fstat(STDIN_FILENO, &info) == 0 : ::stat(path.c_str(), &info) == 0;
}

// True when the two inputs are one stream that could be read only once.
bool sameStream(const std::string& first, const std::string& second) {
    struct stat a, b;
    return statOf(first, a) && statOf(second, b) && sameFile(a, b) && !S_ISREG(a.st_mode) && !S_ISDIR(a.st_mode);
}

// True when the -o target is the pipe or FIFO that an input is read from.
bool writesIntoInput(const std::string& output, const std::string& input) {
    struct stat out, in;
    return output != "-" && ::stat(output.c_str(), &out) == 0 && statOf(input, in) && sameFile(out, in) &&
           S_ISFIFO(out.st_mode);
}

}  // namespace

int openStreamNamed(const std::string& path) {
    int fd = path == "/dev/stdout" ? 1 : path == "/dev/stderr" ? 2 : descriptorAfter(path, "/dev/fd/");
    if (fd < 0) fd = descriptorAfter(path, "/proc/self/fd/");
    if (fd >= 0) return isOpen(fd) ? fd : -1;
    struct stat target;
    if (::stat(path.c_str(), &target) != 0) return -1;
    for (const int stream : {STDOUT_FILENO, STDERR_FILENO}) {
        struct stat open;
        if (::fstat(stream, &open) == 0 && sameFile(open, target)) return stream;
    }
    return -1;
}

std::optional<std::string_view> streamMisuse(std::span<const std::string> inputs,
                                             const std::optional<std::string>& output) {
    for (const std::string& input : inputs) {
        if (output && writesIntoInput(*output, input)) return "-o names the pipe a list is read from";
    }
    if (inputs.size() == 2 && inputs[0] == "-" && inputs[1] == "-")
        return "standard input can feed only one of the two lists";
    if (inputs.size() == 2 && sameStream(inputs[0], inputs[1])) return "one stream can feed only one of the two lists";
    return std::nullopt;
}

}  // namespace quill::cli
