#include "lines/list_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "common/error.h"
#include "common/safe_file.h"
#include "lines/byte_scan.h"

namespace quill {

namespace {

// Turns the pieces of a file into pane text. A CR that ends a piece waits for
// the next one: if that begins with LF the two are one break, otherwise the
// CR is a break of its own. Dropping it instead would join two lines.
class PaneTextBuilder {
public:
    explicit PaneTextBuilder(std::string& out) : out_(out) {}

    // Converts one piece; false when the piece begins with NUL, which ends
    // the transfer.
    bool takePiece(std::string_view piece) {
        if (!piece.empty() && piece.front() == '\0') {
            finish();
            return false;
        }
        // A NUL drops the rest of its piece, a CR before it included.
        const void* nul = std::memchr(piece.data(), '\0', piece.size());
        const bool cut = nul != nullptr;
        if (cut) piece = piece.substr(0, static_cast<const char*>(nul) - piece.data());

        // At most every byte doubles, plus the break of a waiting CR.
        const std::size_t start = out_.size();
        out_.resize(start + 2 * piece.size() + 2);
        char* to = out_.data() + start;
        const char* from = piece.data();
        const char* end = from + piece.size();

        if (pendingCR_) {
            pendingCR_ = false;
            *to++ = '\r';
            *to++ = '\n';
            if (from < end && *from == '\n') ++from;
        }
        if (!cut && from < end && end[-1] == '\r') {
            pendingCR_ = true;
            --end;
        }
        while (from < end) {
            const char* lineEnd = byte_scan::FindCrOrLf(from, end);
            std::memcpy(to, from, static_cast<std::size_t>(lineEnd - from));
            to += lineEnd - from;
            if (lineEnd == end) break;
            // CR LF, a lone CR and a lone LF all become CR LF.
            from = lineEnd + 1;
            if (*lineEnd == '\r' && from < end && *from == '\n') ++from;
            *to++ = '\r';
            *to++ = '\n';
        }
        out_.resize(static_cast<std::size_t>(to - out_.data()));
        return true;
    }

    // The file ended: a waiting CR is a break.
    void finish() {
        if (pendingCR_) out_.append("\r\n", 2);
        pendingCR_ = false;
    }

private:
    std::string& out_;
    bool pendingCR_ = false;
};

std::size_t BytesPerPiece(std::size_t pieceSize) { return pieceSize < 2 ? 1 : pieceSize / 2; }

// Reads until `want` bytes or the end of the file, so that pieces split at
// the same places whatever sizes read() chooses to return. -1 on error.
ssize_t ReadFull(int fd, char* buffer, std::size_t want) {
    std::size_t got = 0;
    while (got < want) {
        ssize_t n = ::read(fd, buffer + got, want - got);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return -1;
        if (n == 0) break;
        got += static_cast<std::size_t>(n);
    }
    return static_cast<ssize_t>(got);
}

class FileHandle {
public:
    explicit FileHandle(int fd) : fd_(fd) {}
    ~FileHandle() {
        if (fd_ >= 0) ::close(fd_);
    }
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;
    int get() const { return fd_; }

private:
    int fd_;
};

}  // namespace

std::string TransferIntoPane(std::string_view fileBytes, std::size_t pieceSize) {
    std::string text;
    text.reserve(fileBytes.size() + fileBytes.size() / 8);
    PaneTextBuilder builder(text);
    const std::size_t step = BytesPerPiece(pieceSize);
    bool going = true;
    while (going && !fileBytes.empty()) {
        std::size_t n = fileBytes.size() < step ? fileBytes.size() : step;
        going = builder.takePiece(fileBytes.substr(0, n));
        fileBytes.remove_prefix(n);
    }
    if (going) builder.finish();
    return text;
}

namespace {

int OpenList(const std::string& path) {
    int fd;
    do {
        fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) return -1;
    struct stat info;
    if (::fstat(fd, &info) != 0 || S_ISDIR(info.st_mode)) {
        ::close(fd);
        return -1;
    }
    return fd;
}

// Reads the descriptor piece by piece into pane text. With take, the text is
// handed on after every piece and text is left empty; toEnd reads on (and
// checks) what follows a NUL that ended the text. False on a read error.
bool ReadPaneText(int fd, std::string& text, const std::function<void(std::string_view)>* take, bool toEnd) {
    PaneTextBuilder builder(text);
    std::string piece(BytesPerPiece(kLoadPieceSize), '\0');
    bool going = true;
    for (;;) {
        ssize_t n = ReadFull(fd, piece.data(), piece.size());
        // A read error part-way would leave half a list that looks whole.
        if (n < 0) return false;
        if (n == 0) {
            if (going) builder.finish();
            break;
        }
        if (going) going = builder.takePiece(std::string_view(piece.data(), static_cast<std::size_t>(n)));
        if (take && !text.empty()) {
            (*take)(text);
            text.clear();
        }
        if (!going && !toEnd) break;
    }
    if (take && !text.empty()) (*take)(text);
    if (take) text.clear();
    return true;
}

}  // namespace

void LoadFromFile(LineList& pane, const std::string& path) {
    const int fd = OpenList(path);
    if (fd < 0) throw FileError("Cannot open file " + path);
    FileHandle file(fd);

    struct stat info;
    std::string text;
    if (::fstat(fd, &info) == 0 && S_ISREG(info.st_mode))
        text.reserve(static_cast<std::size_t>(info.st_size) + info.st_size / 8);
    if (!ReadPaneText(fd, text, nullptr, false)) throw FileError("Cannot open file " + path);
    pane.setFileBytes(std::move(text));
    pane.setCapacity(kLoadedCapacity);
}

void TransferFromFile(const std::string& path, const std::function<void(std::string_view)>& take) {
    const int fd = OpenList(path);
    if (fd < 0) throw FileError("Cannot open file " + path);
    FileHandle file(fd);
    std::string text;
    if (!ReadPaneText(fd, text, &take, false)) throw FileError("Cannot open file " + path);
}

bool TransferFromDescriptor(int fd, const std::function<void(std::string_view)>& take) {
    std::string text;
    return ReadPaneText(fd, text, &take, true);
}

void CheckSaved(SaveStatus status, const std::string& path) {
    switch (status) {
        case SaveStatus::ok:
            return;
        case SaveStatus::cannotCreate:
            throw FileError("Cannot create file " + path);
        case SaveStatus::writeFailed:
            throw FileError("Failed to Save Stream");
    }
}

void SaveToFile(const LineList& pane, const std::string& path) {
    CheckSaved(SaveFileSafely(path, pane.fileBytes()), path);
}

}  // namespace quill
