#pragma once
// How the bytes of a list file become UTF-8 text and back. A load decodes a
// file once and tells how it was encoded; a pane remembers that, so that
// saving it again writes the same bytes: a file from a Chinese Windows system
// (code page 936) goes back out in that code page, a UTF-16 file from a
// spreadsheet goes back as UTF-16 with its byte-order mark. The command line
// reads by the same rules.

#include <string>
#include <string_view>

#include "common/unicode.h"  // isValidUtf8, which the rules below use

namespace quill {

enum class Charset { utf8, gb18030, latin1, utf16le, utf16be };

struct FileEncoding {
    Charset charset = Charset::utf8;
    // The file began with a byte-order mark (always so for UTF-16).
    bool mark = false;
    friend bool operator==(const FileEncoding&, const FileEncoding&) = default;
};

struct DecodedText {
    std::string utf8;
    FileEncoding encoding;
};

// A file whose bytes begin with a UTF-16 byte-order mark and whose rest is
// well-formed UTF-16 in that byte order is decoded before its lines are read
// (its NUL bytes are halves of characters): into out, in one pass. False
// (out unspecified) for any other bytes.
bool decodeMarkedUtf16(std::string_view bytes, DecodedText& out);

// The text of a file. A marked UTF-16 file is decoded without its
// mark. A UTF-8 mark is dropped and remembered, and the rest read as a file
// without one: valid UTF-8 stays as it is; otherwise bytes that read as
// GB18030 and encode back to exactly themselves are taken as that; anything
// else is read byte for byte (Latin-1), so that no byte is ever lost.
DecodedText decodeFileText(std::string bytes);

// The same for a part of a file after its start, where no mark is looked
// for: the order UTF-8, GB18030, Latin-1 only.
DecodedText decodeUnmarkedText(std::string bytes);

// The file bytes of a UTF-8 text in the encoding, with its mark. Text the
// encoding cannot hold (Chinese typed into a pane read as Latin-1) is written
// as UTF-8 instead, whole, rather than losing those characters.
std::string encodeFileText(std::string utf8, FileEncoding encoding);

}  // namespace quill
