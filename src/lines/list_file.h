#pragma once
// Loading a pane from a list file and saving it to one.

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

#include "common/safe_file.h"
#include "line_list.h"

namespace quill {

// Bytes offered per piece of a load; half of it is read from the file per piece.
constexpr std::size_t kLoadPieceSize = 65536;

// Converts the raw bytes of a file into pane text, piece by piece: LF, CR LF
// and a lone CR become CR LF; a NUL drops the rest of its piece, and a piece
// that begins with NUL ends the transfer. Exposed for tests and fuzzing.
std::string TransferIntoPane(std::string_view fileBytes, std::size_t pieceSize = kLoadPieceSize);

// Replaces the pane's text with the file and raises its capacity to
// kLoadedCapacity. Raises FileError "Cannot open file <path>" when the file
// cannot be opened or read; the pane is then unchanged.
void LoadFromFile(LineList& pane, const std::string& path);

// Reads the file as LoadFromFile does, but hands its pane text to take in
// pieces, cut anywhere, instead of keeping it. Raises the same FileError;
// pieces taken before it are then void.
void TransferFromFile(const std::string& path, const std::function<void(std::string_view)>& take);

// The same for a descriptor already open (standard input), read to its end
// even after a NUL has ended the text. False when reading failed.
bool TransferFromDescriptor(int fd, const std::function<void(std::string_view)>& take);

// Writes the pane's text to path through a temporary file beside it, renamed
// over the target only when everything was written. Raises FileError
// "Cannot create file <path>" or "Failed to Save Stream"; the old file is
// then untouched.
void SaveToFile(const LineList& pane, const std::string& path);

// Raises the FileError of SaveToFile for a save that did not succeed: for a
// report saved in pieces (SafeFileWriter).
void CheckSaved(SaveStatus status, const std::string& path);

}  // namespace quill
