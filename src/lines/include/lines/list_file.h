#pragma once
// Loading a pane from a list file and saving it to one.

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

#include "common/posix_file.h"
#include "common/safe_file.h"
#include "lines/line_list.h"

namespace quill {

// Bytes offered per piece of a load; half of it is read from the file per piece.
constexpr std::size_t kLoadPieceSize = 65536;

// The capacity every successful load gives its pane.
constexpr int64_t kLoadedCapacity = 2147483632;

// Converts the raw bytes of a file into pane text, piece by piece: LF, CR LF
// and a lone CR become CR LF. A NUL byte raises FileError "File text contains
// a NUL byte at line <n>". Exposed for tests and fuzzing.
std::string transferIntoPane(std::string_view fileBytes, std::size_t pieceSize = kLoadPieceSize);

// Replaces the pane's text with the file, in the file's own encoding (the
// pane's codec decodes it), and raises its capacity to kLoadedCapacity. A file
// that begins with a UTF-16 byte-order mark is decoded to find its lines.
// Raises FileError "Cannot open file <path>" when the file cannot be opened
// (or, with SpecialFiles::refuse, is not a regular file) or a read fails, and
// "File <path> contains a NUL byte at line <n>" for a NUL byte (a NUL that is
// half of a UTF-16 character is none); the pane is then unchanged.
void loadFromFile(LineList& pane, const std::string& path, SpecialFiles special = SpecialFiles::accept);

// The pane text of a load, handed on in pieces cut anywhere.
using PieceSink = std::function<void(std::string_view)>;

// Reads the file as loadFromFile does, but hands its text to take in pieces,
// decoded to UTF-8 as a pane's codec decodes it (file_encoding.h), instead of
// keeping it: text that is all ASCII is never held whole. Raises the same
// FileError; pieces taken before it are then void.
void transferFromFile(const std::string& path, const PieceSink& take, SpecialFiles special = SpecialFiles::accept);

// The same for a descriptor already open (standard input), read to its end;
// name stands for the file in the message of a NUL byte, and a read error
// raises FileError(readFailure).
void transferFromDescriptor(int fd, const PieceSink& take, const std::string& name, const std::string& readFailure);

// Writes the pane's text to path through a temporary file beside it, renamed
// over the target only when everything was written (saveFileSafely). Raises
// the FileError of checkSaved; the old file is then left as
// SaveStatus::writeFailed tells.
void saveToFile(const LineFile& pane, const std::string& path, SpecialFiles special = SpecialFiles::accept);

}  // namespace quill
