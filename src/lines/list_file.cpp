#include "lines/list_file.h"

#include <sys/stat.h>

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

// Reads the descriptor piece by piece into pane text. With take, the text
// is handed on after every piece and dropped, so that it is never held whole.
// ReadFull splits the pieces at the same places whatever sizes read() returns.
void ReadPaneText(int fd, std::string& text, const PieceSink* take, const std::string& failure) {
    PaneTextBuilder builder(text);
    std::string piece(BytesPerPiece(kLoadPieceSize), '\0');
    for (bool going = true; going;) {
        const ssize_t n = ReadFull(fd, piece.data(), piece.size());
        // A read error part-way would leave half a list that looks whole.
        if (n < 0) throw FileError(failure);
        if (n == 0) {
            builder.finish();
            going = false;
        } else {
            going = builder.takePiece(std::string_view(piece.data(), static_cast<std::size_t>(n)));
        }
        if (take && !text.empty()) {
            (*take)(text);
            text.clear();
        }
    }
}

// A load: the pane changes only when the whole transfer succeeded.
void LoadPieces(LineList& pane, int fd, const std::string& failure) {
    std::string text;
    struct stat info;
    if (::fstat(fd, &info) == 0 && S_ISREG(info.st_mode))
        text.reserve(static_cast<std::size_t>(info.st_size) + info.st_size / 8);
    ReadPaneText(fd, text, nullptr, failure);
    pane.setFileBytes(std::move(text));
    pane.setCapacity(kLoadedCapacity);
}

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

void LoadFromFile(LineList& pane, const std::string& path, SpecialFiles special) {
    const std::string failure = "Cannot open file " + path;
    const FileDescriptor file = OpenForReading(path, special);
    if (!file.valid()) throw FileError(failure);
    LoadPieces(pane, file.get(), failure);
}

void LoadFromDescriptor(LineList& pane, int fd, const std::string& readFailure) {
    LoadPieces(pane, fd, readFailure);
}

void TransferFromFile(const std::string& path, const PieceSink& take, SpecialFiles special) {
    const std::string failure = "Cannot open file " + path;
    const FileDescriptor file = OpenForReading(path, special);
    if (!file.valid()) throw FileError(failure);
    std::string text;
    ReadPaneText(file.get(), text, &take, failure);
}

void TransferFromDescriptor(int fd, const PieceSink& take, const std::string& readFailure) {
    std::string text;
    ReadPaneText(fd, text, &take, readFailure);
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

void SaveToFile(const LineFile& pane, const std::string& path) {
    CheckSaved(SaveFileSafely(path, pane.fileBytes()), path);
}

}  // namespace quill
