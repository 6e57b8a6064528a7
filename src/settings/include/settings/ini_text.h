#pragma once
// The bytes of an INI file: finding a key's value and setting one, leaving
// every other byte of a hand-edited file as it was.
//
// The layout understood: lines end in CR LF, LF or a lone CR; a UTF-8
// byte-order mark at the start is skipped. A line whose first non-blank byte
// is "[" and that holds a "]" starts the section named between them; a line
// starting with ";" is a comment; any other line holding "=" is a key, named
// by the bytes before the first "=". Blanks (space, tab) around section names,
// key names and values do not count, nor around the names asked for; names
// match without regard to ASCII letter case. Keys before the first section
// belong to no section.

#include <optional>
#include <string>
#include <string_view>

namespace quill {

// The value of key in section: blanks around it and one pair of enclosing
// quotes (both " or both ') removed. Where a name occurs more than once, the
// first key of the first section with that name that holds it wins.
std::optional<std::string> findIniValue(std::string_view file, std::string_view section, std::string_view key);

// The file with key in section set to value. An existing key keeps its line,
// its spelling and the blanks after its "=", only the value is replaced; a
// missing key is added after the last non-blank line of the (first) section;
// a missing section is added at the end of the file. Added lines end in the
// file's own line break (the first one it has, CR LF for a file without one).
// An empty file becomes "[section]\r\nkey=value\r\n".
std::string withIniValue(std::string_view file, std::string_view section, std::string_view key, std::string_view value);

// True when section, key and value can be written and found again: names not
// blank, no line breaks anywhere, no "]" in the section name, no "=" in the
// key name, which must not start like a comment or a section either.
bool isWritableIniEntry(std::string_view section, std::string_view key, std::string_view value);

}  // namespace quill
