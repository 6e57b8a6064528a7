// Any list file loaded into a pane, then solved as the coefficients and as
// the x values. Nothing may crash; a load that fails leaves the pane as it
// was; a pane that loaded keeps the line model's invariants and holds exactly
// the pane text of the file's bytes, decoded (for UTF-16, the pane text of its
// decoded text); a Solve that fails writes no report, and one that succeeds
// has an F(x) for every x.
#include <sys/mman.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "common/error.h"
#include "engine/list_reader.h"
#include "engine/solve.h"
#include "lines/file_encoding.h"
#include "lines/line_list.h"
#include "lines/list_file.h"

namespace {

// Aborts, naming the line of the check that failed.
void check(bool condition, int line = __builtin_LINE()) {
    if (condition) return;
    std::fprintf(stderr, "check failed at %s:%d\n", __FILE__, line);
    std::abort();
}

// count(), line(i) and forEachLine agree with the text: its lines joined by
// CR LF, the last one followed by CR LF only when the text ends so.
void checkLineModel(const quill::ByteLineList& pane) {
    const std::string text = pane.text();
    const int32_t count = pane.count();
    check(count >= 0 && pane.line(count).empty() && pane.line(-1).empty());
    std::string joined;
    std::vector<std::string> lines;
    for (int32_t i = 0; i < count; ++i) {
        lines.push_back(pane.line(i));
        check(lines.back().find("\r\n") == std::string::npos);
        joined += lines.back();
        if (i + 1 < count || text.ends_with("\r\n")) joined += "\r\n";
    }
    check(joined == text);
    std::size_t visited = 0;
    pane.forEachLine([&](std::string_view line) {
        check(visited < lines.size() && line == lines[visited]);
        ++visited;
    });
    check(visited == lines.size());
}

// A file in memory that loadFromFile opens by name.
struct MemoryFile {
    MemoryFile() : fd(::memfd_create("list", 0)), path("/proc/self/fd/" + std::to_string(fd)) {}
    void hold(std::string_view bytes) const {
        check(::ftruncate(fd, 0) == 0);
        for (std::size_t done = 0; done < bytes.size();) {
            const ssize_t n = ::pwrite(fd, bytes.data() + done, bytes.size() - done, static_cast<off_t>(done));
            check(n > 0);
            done += static_cast<std::size_t>(n);
        }
    }
    int fd;
    std::string path;
};

void checkSolve(const quill::ByteLineList& an, const quill::ByteLineList& x) {
    quill::SolveControl oneThread;
    oneThread.threads = 1;
    quill::Solve solve({}, oneThread);
    std::string report;
    try {
        solve.addXText(x.text());
        solve.finishX();
        solve.compute(quill::readList(an.text(), '.'));
        report = solve.reportText();
    } catch (const quill::Error&) {
        return;
    }
    check(solve.fxValues().size() == static_cast<std::size_t>(solve.xCount()));
    const quill::ByteLineList result(std::move(report));
    check(result.count() > 0);
    checkLineModel(result);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    static const MemoryFile file;
    check(file.fd >= 0);
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    file.hold(bytes);

    const std::string before = "7\r\n8";
    quill::ByteLineList pane(before);
    try {
        quill::loadFromFile(pane, file.path);
    } catch (const quill::Error&) {
        check(pane.text() == before && pane.capacity() == quill::kDefaultCapacity);
        return 0;
    }
    check(pane.capacity() == quill::kLoadedCapacity);
    // A UTF-16 file's lines are found in its decoded text. Any other file
    // holds no NUL byte once loaded, and goes back to its own bytes.
    if (quill::DecodedText utf16; quill::decodeMarkedUtf16(bytes, utf16)) {
        check(pane.text() == quill::transferIntoPane(utf16.utf8));
    } else {
        check(pane.fileBytes() == quill::transferIntoPane(bytes));
    }
    checkLineModel(pane);

    // The loaded list against a short fixed one each way, so that the work
    // stays linear in the input.
    const quill::ByteLineList small("2\r\n-0.5\r\n1E3");
    checkSolve(pane, small);
    checkSolve(small, pane);
    return 0;
}
