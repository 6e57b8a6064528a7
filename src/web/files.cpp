// List files and range fill for the page. A file the page was given is put
// into the module's own in-memory file system and read the one way every
// load reads a list file, so that its encoding, line breaks and errors are
// the desktop's; a save takes the same road back.

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <new>

#include "common/error.h"
#include "engine/error_text.h"
#include "engine/range_fill.h"
#include "lines/list_file.h"
#include "lines/row_text.h"
#include "session.h"

namespace quill::web {

namespace {

// The folder the page's files pass through; the file keeps its own name, so
// that a message names it as the user knows it.
constexpr const char* kFolder = "/lists";

std::string pathOf(const std::string& name) {
    ::mkdir(kFolder, 0700);
    std::string base = name.substr(name.find_last_of('/') + 1);
    if (base.empty() || base == "." || base == "..") base = "list.txt";
    return std::string(kFolder) + "/" + base;
}

bool writeAll(const std::string& path, std::string_view bytes) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    if (fd < 0) return false;
    bool ok = true;
    while (ok && !bytes.empty()) {
        const ssize_t n = ::write(fd, bytes.data(), bytes.size());
        ok = n > 0;
        if (ok) bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return ::close(fd) == 0 && ok;
}

std::string readAll(const std::string& path) {
    std::string bytes;
    const int fd = ::open(path.c_str(), O_RDONLY);
    if (fd < 0) return bytes;
    char buffer[65536];
    for (ssize_t n; (n = ::read(fd, buffer, sizeof buffer)) > 0;) bytes.append(buffer, static_cast<std::size_t>(n));
    ::close(fd);
    return bytes;
}

Outcome fileFailure(const std::string& message) {
    Outcome out;
    out.ok = false;
    out.kind = "file";
    out.message = errorBoxText(message);
    return out;
}

}  // namespace

LoadedFile loadListFile(std::string_view bytes, const std::string& name) {
    LoadedFile loaded;
    const std::string path = pathOf(name);
    // The path in a message is the name alone: the folder is the page's own.
    const std::string shown = path.substr(std::string_view(kFolder).size() + 1);
    try {
        if (!writeAll(path, bytes)) throw FileError("Cannot open file " + shown);
        ::chdir(kFolder);
        ListText text = readListFile(shown);
        ::unlink(path.c_str());
        loaded.outcome.text = withLineFeeds(text.text);
        loaded.encoding = text.encoding;
    } catch (const Error& e) {
        ::unlink(path.c_str());
        loaded.outcome = fileFailure(e.message());
    } catch (const std::bad_alloc&) {
        ::unlink(path.c_str());
        loaded.outcome = fileFailure("Out of memory");
    }
    return loaded;
}

SavedFile saveListFile(std::string_view paneText, FileEncoding encoding) {
    SavedFile saved;
    const std::string path = pathOf("save.txt");
    try {
        writeListFile(RowText(transferIntoPane(paneText)), encoding, path);
        saved.bytes = readAll(path);
    } catch (const Error& e) {
        saved.outcome = fileFailure(e.message());
    } catch (const std::bad_alloc&) {
        saved.outcome = fileFailure("Out of memory");
    }
    ::unlink(path.c_str());
    return saved;
}

Outcome fillRange(std::string_view from, std::string_view to, std::string_view count, char decimalMark) {
    static constexpr const char* kFaults[] = {"none",
                                              "fromNotNumber",
                                              "fromTooLarge",
                                              "toNotNumber",
                                              "toTooLarge",
                                              "countNotAllowed",
                                              "singleValueNeedsEqualEnds",
                                              "tooWide"};
    Outcome out;
    RangeRequest range;
    const RangeFault fault = readRange(from, to, count, decimalMark, range);
    if (fault != RangeFault::none) {
        out.ok = false;
        out.kind = kFaults[static_cast<int>(fault)];
        return out;
    }
    out.text = withLineFeeds(rangeText(range, decimalMark));
    return out;
}

}  // namespace quill::web
