#include "settings/ini_encoding.h"

#include "common/unicode.h"

namespace quill {

std::optional<IniFileText> decodeIniFile(std::string_view bytes) {
    IniFileText file;
    if (bytes.starts_with("\xFF\xFE"))
        file.encoding = IniEncoding::utf16le;
    else if (bytes.starts_with("\xFE\xFF"))
        file.encoding = IniEncoding::utf16be;
    else
        return IniFileText{IniEncoding::bytes, std::string(bytes)};
    if (!utf16ToUtf8(bytes.substr(2), file.encoding == IniEncoding::utf16be, &file.text)) return std::nullopt;
    return file;
}

std::optional<std::string> encodeIniFile(const IniFileText& file) {
    if (file.encoding == IniEncoding::bytes) return file.text;
    const bool bigEndian = file.encoding == IniEncoding::utf16be;
    std::string out;
    appendUtf16(out, 0xFEFF, bigEndian);
    if (!utf8ToUtf16(file.text, bigEndian, out)) return std::nullopt;
    return out;
}

}  // namespace quill
