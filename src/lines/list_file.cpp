#include "lines/list_file.h"

#include <sys/stat.h>

#include <cstring>
#include <optional>

#include "common/error.h"
#include "common/safe_file.h"
#include "lines/byte_scan.h"
#include "lines/file_encoding.h"

namespace quill {

namespace {

// Turns the pieces of a file into pane text. A CR that ends a piece waits for
// the next one: if that begins with LF the two are one break, otherwise the
// CR is a break of its own. Dropping it instead would join two lines.
class PaneTextBuilder {
public:
    explicit PaneTextBuilder(std::string& out) : out_(out) {}

    // Converts one piece; false when it holds a NUL byte, which fails the
    // load: the text before the NUL is converted, so that line() tells where.
    bool takePiece(std::string_view piece) {
        if (!pendingCR_ && byte_scan::isPaneText(piece.data(), piece.data() + piece.size(), breaks_)) {
            out_.append(piece);
            return true;
        }
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
            ++breaks_;
            if (from < end && *from == '\n') ++from;
        }
        if (!cut && from < end && end[-1] == '\r') {
            pendingCR_ = true;
            --end;
        }
        while (from < end) {
            const char* lineEnd = byte_scan::findCrOrLf(from, end);
            std::memcpy(to, from, static_cast<std::size_t>(lineEnd - from));
            to += lineEnd - from;
            if (lineEnd == end) break;
            // CR LF, a lone CR and a lone LF all become CR LF.
            from = lineEnd + 1;
            if (*lineEnd == '\r' && from < end && *from == '\n') ++from;
            *to++ = '\r';
            *to++ = '\n';
            ++breaks_;
        }
        out_.resize(static_cast<std::size_t>(to - out_.data()));
        return !cut;
    }

    // As takePiece, but the pane text of the piece is handed back: the piece
    // itself where it is pane text already (the output then stays as it
    // is), else what was appended to the output.
    bool convert(std::string_view piece, std::string_view& pane) {
        if (!pendingCR_ && byte_scan::isPaneText(piece.data(), piece.data() + piece.size(), breaks_)) {
            pane = piece;
            return true;
        }
        const std::size_t start = out_.size();
        const bool whole = takePiece(piece);
        pane = std::string_view(out_).substr(start);
        return whole;
    }

    // The line, from 1, that the text converted so far ends in.
    int64_t line() const { return breaks_ + 1; }

    // The file ended: a waiting CR is a break.
    void finish() {
        if (pendingCR_) out_.append("\r\n", 2);
        pendingCR_ = false;
    }

private:
    std::string& out_;
    bool pendingCR_ = false;
    int64_t breaks_ = 0;
};

std::size_t bytesPerPiece(std::size_t pieceSize) { return pieceSize < 2 ? 1 : pieceSize / 2; }

// The one message of a file that holds a NUL byte: no list file does, and
// reading on past it would lose or invent lines without a word.
[[noreturn]] void throwNulByte(const std::string& name, int64_t line) {
    throw FileError("File " + name + " contains a NUL byte at line " + std::to_string(line));
}

// Hands on the pane text of a transfer decoded as file_encoding.h tells.
// While it is all ASCII (the same in every encoding a list may come in) it
// goes on as it comes, so that an ordinary list is never held whole; from
// the first other byte on, the rest is gathered and decoded at the end, where
// the choice of encoding is known.
class DecodingSink {
public:
    explicit DecodingSink(const PieceSink& take) : take_(take) {}

    void take(std::string_view text) {
        if (first_) {
            first_ = false;
            mark_ = text.starts_with("\xEF\xBB\xBF");
            if (mark_) text.remove_prefix(3);
        }
        if (gathered_.empty()) {
            const std::size_t ascii =
                static_cast<std::size_t>(byte_scan::findNonAscii(text.data(), text.data() + text.size()) - text.data());
            if (ascii > 0) take_(text.substr(0, ascii));
            text.remove_prefix(ascii);
        }
        gathered_.append(text);
    }

    FileEncoding finish() {
        FileEncoding encoding;
        if (!gathered_.empty()) {
            DecodedText decoded = decodeUnmarkedText(std::move(gathered_));
            take_(decoded.utf8);
            encoding = decoded.encoding;
        }
        encoding.mark = mark_;
        return encoding;
    }

private:
    const PieceSink& take_;
    bool first_ = true;
    bool mark_ = false;
    std::string gathered_;
};

struct Source {
    int fd;
    const std::string& name;     // for the message of a NUL byte
    const std::string& failure;  // the message of a read error
};

// The one road of every load: reads the descriptor piece by piece, makes
// every break CR LF and hands the text to take, decoded; returns how the
// file was encoded. A UTF-16 file is read whole and decoded first; any
// other is decoded as it goes (DecodingSink). readFull splits the pieces at
// the same places whatever sizes read() returns.
FileEncoding readDecoded(const Source& source, const PieceSink& take, const FileProgress& progress = {}) {
    std::string text;  // the pane text of one piece, where it had to be converted
    PaneTextBuilder builder(text);
    std::optional<DecodingSink> decoder;
    const auto handOn = [&](std::string_view pane) {
        if (pane.empty()) return;
        if (decoder) {
            decoder->take(pane);
        } else {
            take(pane);
        }
        text.clear();
    };
    const auto convert = [&](std::string_view piece) {
        std::string_view pane;
        if (!builder.convert(piece, pane)) throwNulByte(source.name, builder.line());
        handOn(pane);
    };

    const std::size_t step = bytesPerPiece(kLoadPieceSize);
    std::string piece(step, '\0');
    struct stat info;
    const uint64_t size = ::fstat(source.fd, &info) == 0 && S_ISREG(info.st_mode) ? info.st_size : 0;
    uint64_t read = 0;
    const auto readPiece = [&] {
        const ssize_t n = readFull(source.fd, piece.data(), step);
        // A read error part-way would leave half a list that looks whole.
        if (n < 0) throw FileError(source.failure);
        piece.resize(static_cast<std::size_t>(n));
        read += static_cast<uint64_t>(n);
        if (progress) progress(read, size);
    };
    readPiece();

    std::optional<FileEncoding> utf16;
    if (piece.starts_with("\xFF\xFE") || piece.starts_with("\xFE\xFF")) {
        if (piece.size() == step && !readAll(source.fd, piece)) throw FileError(source.failure);
        if (DecodedText decoded; decodeMarkedUtf16(piece, decoded)) {
            piece = std::move(decoded.utf8);
            utf16 = decoded.encoding;
        } else {
            decoder.emplace(take);
        }
        for (std::size_t at = 0; at < piece.size(); at += step) convert(std::string_view(piece).substr(at, step));
    } else {
        decoder.emplace(take);
        // A short piece is the end of the file.
        for (bool more = true; more && !piece.empty();) {
            more = piece.size() == step;
            convert(piece);
            if (more) readPiece();
        }
    }
    builder.finish();
    handOn(text);
    return decoder ? decoder->finish() : *utf16;
}

FileDescriptor openList(const std::string& path, SpecialFiles special, const std::string& failure) {
    FileDescriptor file = openForReading(path, special);
    if (!file.valid()) throw FileError(failure);
    return file;
}

}  // namespace

std::string transferIntoPane(std::string_view fileBytes, std::size_t pieceSize) {
    std::string text;
    text.reserve(fileBytes.size() + fileBytes.size() / 8);
    PaneTextBuilder builder(text);
    const std::size_t step = bytesPerPiece(pieceSize);
    while (!fileBytes.empty()) {
        std::size_t n = fileBytes.size() < step ? fileBytes.size() : step;
        if (!builder.takePiece(fileBytes.substr(0, n))) throwNulByte("text", builder.line());
        fileBytes.remove_prefix(n);
    }
    builder.finish();
    return text;
}

ListText readListFile(const std::string& path, SpecialFiles special, const FileProgress& progress) {
    const std::string failure = "Cannot open file " + path;
    const FileDescriptor file = openList(path, special, failure);
    ListText list;
    struct stat info;
    if (::fstat(file.get(), &info) == 0 && S_ISREG(info.st_mode))
        list.text.reserve(static_cast<std::size_t>(info.st_size) + info.st_size / 8);
    const auto keep = [&list](std::string_view piece) { list.text.append(piece); };
    list.encoding = readDecoded({file.get(), path, failure}, keep, progress);
    return list;
}

void loadFromFile(LineList& pane, const std::string& path, SpecialFiles special) {
    // The pane changes only when the whole file was read.
    pane.load(readListFile(path, special));
    pane.setCapacity(kLoadedCapacity);
}

FileEncoding transferFromFile(const std::string& path, const PieceSink& take, SpecialFiles special) {
    const std::string failure = "Cannot open file " + path;
    const FileDescriptor file = openList(path, special, failure);
    return readDecoded({file.get(), path, failure}, take);
}

FileEncoding transferFromDescriptor(int fd, const PieceSink& take, const std::string& name,
                                    const std::string& readFailure) {
    return readDecoded({fd, name, readFailure}, take);
}

void writeListFile(const RowText& rows, FileEncoding encoding, const std::string& path, SpecialFiles special,
                   const FileProgress& progress) {
    SafeFileWriter file;
    checkSaved(file.open(path, special), path);
    uint64_t written = 0;
    const auto write = [&](std::string_view piece, uint64_t total) {
        if (!file.write(piece)) checkSaved(SaveStatus::writeFailed, path);
        written += piece.size();
        if (progress) progress(written, total);
    };
    if (encoding == FileEncoding{}) {
        rows.forEachPiece([&](std::string_view piece) { write(piece, rows.bytes()); });
    } else {
        const std::string bytes = encodeFileText(rows.text(), encoding);
        constexpr std::size_t kPiece = std::size_t{1} << 20;
        for (std::size_t at = 0; at < bytes.size(); at += kPiece)
            write(std::string_view(bytes).substr(at, kPiece), bytes.size());
    }
    checkSaved(file.commit(), path, file.keptCopy());
}

}  // namespace quill
