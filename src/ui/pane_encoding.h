#pragma once
// How the bytes of a list file become the UTF-8 text of a desktop pane and
// back. A pane remembers how the file it last loaded was read, so that saving
// it again writes the same bytes: a file from a Chinese Windows system (code
// page 936) goes back out in that code page, not as UTF-8.

#include <string>
#include <string_view>

#include "lines/pane_text.h"

namespace quill {

enum class FileEncoding { utf8, gb18030, latin1 };

struct DecodedText {
    std::string utf8;
    FileEncoding encoding = FileEncoding::utf8;
};

// Well-formed UTF-8: no overlong forms, no surrogates, nothing past U+10FFFF.
bool IsValidUtf8(std::string_view bytes);

// Valid UTF-8 stays as it is. Otherwise bytes that read as GB18030 and encode
// back to exactly themselves are taken as that; anything else is read byte
// for byte (Latin-1), so that no byte is ever lost.
DecodedText DecodeFileText(std::string bytes);

// The file bytes of a UTF-8 text in the encoding. Text the encoding cannot
// hold (Chinese typed into a pane read as Latin-1) is written as UTF-8
// instead, whole, rather than losing those characters.
std::string EncodeFileText(std::string utf8, FileEncoding encoding);

// The codec of a desktop pane: reads each loaded file by the rules above and
// saves in the encoding of the file loaded last (UTF-8 before any).
class RememberingFileCodec : public FileCodec {
public:
    std::string decode(std::string bytes) override;
    std::string encode(std::string text) const override { return EncodeFileText(std::move(text), encoding_); }
    FileEncoding encoding() const { return encoding_; }

private:
    FileEncoding encoding_ = FileEncoding::utf8;
};

}  // namespace quill
