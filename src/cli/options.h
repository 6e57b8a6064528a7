#pragma once
// What the Solve's arguments (main.cpp) and the coefficient tasks'
// (formula.cpp) read alike: an option's value, the thread count, and the
// messages of their mistakes.

#include <charconv>
#include <string_view>

namespace quill::cli {

inline constexpr std::string_view kBadFormat = "the format must be report or csv";
inline constexpr std::string_view kBadMark =
    "the decimal mark must be one byte of ASCII punctuation other than '+', '-', '(' and ')'";
inline constexpr std::string_view kBadThreads = "the thread count must be a whole number from 1 to 1024";
inline constexpr std::string_view kNoOutputName = "-o needs a file name";

// An option's value, written "--name value" or "--name=value": argv[at] is
// not that option (no), names it with its value in out (at moves past a
// separate value), or names it last with no value (missing).
enum class Given { no, value, missing };
inline Given optionValue(int argc, char** argv, int& at, std::string_view name, std::string_view& out) {
    const std::string_view given = argv[at];
    if (given == name) {
        if (at + 1 >= argc) return Given::missing;
        out = argv[++at];
        return Given::value;
    }
    if (!given.starts_with(name) || given.size() == name.size() || given[name.size()] != '=') return Given::no;
    out = given.substr(name.size() + 1);
    return Given::value;
}

// A thread count: the whole text one number from 1 to 1024.
inline bool readThreadCount(std::string_view text, unsigned& out) {
    unsigned n = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), n);
    if (ec != std::errc() || end != text.data() + text.size() || n < 1 || n > 1024) return false;
    out = n;
    return true;
}

}  // namespace quill::cli
