#pragma once
// Loading a pane from a list file and saving it to one.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "common/posix_file.h"
#include "common/safe_file.h"
#include "lines/file_encoding.h"
#include "lines/line_list.h"

namespace quill {

// Bytes offered per piece of a load; half of it is read from the file per piece.
constexpr std::size_t kLoadPieceSize = 65536;

// The capacity every successful load gives its pane.
constexpr int64_t kLoadedCapacity = 2147483632;

// Converts the raw bytes of a file into pane text, piece by piece: LF, CR LF
// and a lone CR become CR LF. A NUL byte raises FileError "File text contains
// a NUL byte at line <n>". The Python module loads its texts by it.
std::string transferIntoPane(std::string_view fileBytes, std::size_t pieceSize = kLoadPieceSize);

// Told how far a load or a save is: bytes done, and of how many (0 when the
// size is not known). It may raise, AbortError for one, to give the load or
// the save up: a load then changes nothing, a save leaves the target as it was.
using FileProgress = std::function<void(uint64_t done, uint64_t total)>;

// Reads a list file the one way every load does: in pieces, every LF, CR
// LF and lone CR made CR LF, and decoded once as file_encoding.h tells (a
// file that begins with a UTF-16 byte-order mark is decoded before its lines
// are found). Raises FileError "Cannot open file <path>" when the file cannot
// be opened (or, with SpecialFiles::refuse, is not a regular file) or a read
// fails, and "File <path> contains a NUL byte at line <n>" for a NUL byte (a
// NUL that is half of a UTF-16 character is none).
ListText readListFile(const std::string& path, SpecialFiles special = SpecialFiles::accept,
                      const FileProgress& progress = {});

// Replaces the pane's text with the file as readListFile reads it and raises
// its capacity to kLoadedCapacity; on an error the pane is unchanged.
void loadFromFile(LineList& pane, const std::string& path, SpecialFiles special = SpecialFiles::accept);

// The text of a list, handed on in pieces cut anywhere.
using PieceSink = std::function<void(std::string_view)>;

// Reads the file as readListFile does, but hands its text to take in pieces
// instead of keeping it: text that is all ASCII is never held whole. Returns
// the file's encoding; raises the same FileError, pieces taken before it
// then void.
FileEncoding transferFromFile(const std::string& path, const PieceSink& take,
                              SpecialFiles special = SpecialFiles::accept);

// The same for a descriptor already open (standard input), read to its end;
// name stands for the file in the message of a NUL byte, and a read error
// raises FileError(readFailure).
FileEncoding transferFromDescriptor(int fd, const PieceSink& take, const std::string& name,
                                    const std::string& readFailure);

// The one road of every save: writes the rows in the encoding (UTF-8 as they
// are, piece by piece, without a copy) through a temporary file beside path,
// renamed over the target only when everything was written. Raises FileError
// as checkSaved tells ("Cannot create file <path>" also for a target that is
// no regular file, with SpecialFiles::refuse); the old file is then left as
// SaveStatus::writeFailed tells.
void writeListFile(const RowText& rows, FileEncoding encoding, const std::string& path,
                   SpecialFiles special = SpecialFiles::accept, const FileProgress& progress = {});

}  // namespace quill
