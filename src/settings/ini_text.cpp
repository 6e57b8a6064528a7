#include "settings/ini_text.h"

#include <algorithm>
#include <vector>

namespace quill {
namespace {

constexpr std::string_view kUtf8ByteOrderMark = "\xEF\xBB\xBF";
constexpr std::string_view kBlanks = " \t";

struct Line {
    std::string_view text;  // without its line break
    std::string_view eol;   // "\r\n", "\n", "\r" or "" (last line only)
};

std::vector<Line> splitLines(std::string_view body) {
    std::vector<Line> lines;
    std::size_t start = 0;
    while (start < body.size()) {
        const std::size_t brk = body.find_first_of("\r\n", start);
        if (brk == std::string_view::npos) {
            lines.push_back({body.substr(start), {}});
            break;
        }
        const std::size_t eolSize = (body[brk] == '\r' && brk + 1 < body.size() && body[brk + 1] == '\n') ? 2 : 1;
        lines.push_back({body.substr(start, brk - start), body.substr(brk, eolSize)});
        start = brk + eolSize;
    }
    return lines;
}

std::string_view trimBlanks(std::string_view s) {
    const std::size_t first = s.find_first_not_of(kBlanks);
    if (first == std::string_view::npos) return {};
    const std::size_t last = s.find_last_not_of(kBlanks);
    return s.substr(first, last - first + 1);
}

char asciiLower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool sameName(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (asciiLower(a[i]) != asciiLower(b[i])) return false;
    return true;
}

// What one line is.
struct LineKind {
    enum { other, section, key } kind = other;
    std::string_view name;    // section or key name, trimmed
    std::size_t valueAt = 0;  // key lines: where the value (after "=" and blanks) starts
};

LineKind classify(std::string_view text) {
    const std::string_view trimmed = trimBlanks(text);
    if (trimmed.empty() || trimmed[0] == ';') return {};
    if (trimmed[0] == '[') {
        const std::size_t close = trimmed.find(']');
        if (close != std::string_view::npos) return {LineKind::section, trimBlanks(trimmed.substr(1, close - 1)), 0};
    }
    const std::size_t equals = text.find('=');
    if (equals == std::string_view::npos) return {};
    const std::size_t afterBlanks = text.find_first_not_of(kBlanks, equals + 1);
    return {LineKind::key, trimBlanks(text.substr(0, equals)),
            afterBlanks == std::string_view::npos ? text.size() : afterBlanks};
}

std::string_view unquote(std::string_view value) {
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front())
        return value.substr(1, value.size() - 2);
    return value;
}

// The file split into the byte-order mark (if any) and its lines.
struct ParsedFile {
    std::string_view bom;
    std::vector<Line> lines;
};

ParsedFile parse(std::string_view file) {
    ParsedFile parsed;
    if (file.starts_with(kUtf8ByteOrderMark)) {
        parsed.bom = file.substr(0, kUtf8ByteOrderMark.size());
        file.remove_prefix(kUtf8ByteOrderMark.size());
    }
    parsed.lines = splitLines(file);
    return parsed;
}

// Index of the first key line named key inside a section named section.
std::optional<std::size_t> findKeyLine(const std::vector<Line>& lines, std::string_view section, std::string_view key) {
    bool inSection = false;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const LineKind kind = classify(lines[i].text);
        if (kind.kind == LineKind::section)
            inSection = sameName(kind.name, section);
        else if (inSection && kind.kind == LineKind::key && sameName(kind.name, key))
            return i;
    }
    return std::nullopt;
}

// Index of the line after which a new key of section goes: the last non-blank
// line of the first section of that name (its header at least).
std::optional<std::size_t> findSectionEnd(const std::vector<Line>& lines, std::string_view section) {
    std::optional<std::size_t> end;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const LineKind kind = classify(lines[i].text);
        if (kind.kind == LineKind::section) {
            if (end) break;
            if (sameName(kind.name, section)) end = i;
        } else if (end && !trimBlanks(lines[i].text).empty()) {
            end = i;
        }
    }
    return end;
}

}  // namespace

std::optional<std::string> findIniValue(std::string_view file, std::string_view section, std::string_view key) {
    section = trimBlanks(section);
    key = trimBlanks(key);
    const ParsedFile parsed = parse(file);
    const std::optional<std::size_t> at = findKeyLine(parsed.lines, section, key);
    if (!at) return std::nullopt;
    const std::string_view text = parsed.lines[*at].text;
    return std::string(unquote(trimBlanks(text.substr(classify(text).valueAt))));
}

std::string withIniValue(std::string_view file, std::string_view section, std::string_view key,
                         std::string_view value) {
    section = trimBlanks(section);
    key = trimBlanks(key);
    ParsedFile parsed = parse(file);
    std::vector<Line>& lines = parsed.lines;

    std::string_view eol = "\r\n";
    for (const Line& line : lines)
        if (!line.eol.empty()) {
            eol = line.eol;
            break;
        }

    const std::string keyLine = std::string(key) + "=" + std::string(value);
    const std::string sectionLine = "[" + std::string(section) + "]";
    std::string replacedLine;  // the storage an edited line's view refers to

    if (const std::optional<std::size_t> at = findKeyLine(lines, section, key)) {
        // The line keeps its own blanks after "="; the value's leading ones
        // would only pile up on top of them, one more with every write.
        const std::string_view text = lines[*at].text;
        const std::size_t valueStart = std::min(value.find_first_not_of(kBlanks), value.size());
        replacedLine = std::string(text.substr(0, classify(text).valueAt)) + std::string(value.substr(valueStart));
        lines[*at].text = replacedLine;
    } else if (const std::optional<std::size_t> end = findSectionEnd(lines, section)) {
        if (lines[*end].eol.empty()) lines[*end].eol = eol;
        lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(*end) + 1, Line{keyLine, eol});
    } else {
        if (!lines.empty() && lines.back().eol.empty()) lines.back().eol = eol;
        lines.push_back({sectionLine, eol});
        lines.push_back({keyLine, eol});
    }

    std::string out(parsed.bom);
    for (const Line& line : lines) {
        out += line.text;
        out += line.eol;
    }
    return out;
}

bool isWritableIniEntry(std::string_view section, std::string_view key, std::string_view value) {
    auto hasBreak = [](std::string_view s) { return s.find_first_of("\r\n") != std::string_view::npos; };
    section = trimBlanks(section);
    key = trimBlanks(key);
    if (section.empty() || key.empty() || key[0] == ';' || key[0] == '[') return false;
    if (hasBreak(section) || hasBreak(key) || hasBreak(value)) return false;
    return section.find(']') == std::string_view::npos && key.find('=') == std::string_view::npos;
}

}  // namespace quill
