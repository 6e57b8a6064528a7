#include "numtext/decimal_mark.h"

#include <langinfo.h>
#include <locale.h>

#include <cstring>

namespace quill {

bool isUsableDecimalMark(char mark) {
    const auto c = static_cast<unsigned char>(mark);
    const bool punctuation =
        (c >= 0x21 && c <= 0x2F) || (c >= 0x3A && c <= 0x40) || (c >= 0x5B && c <= 0x60) || (c >= 0x7B && c <= 0x7E);
    return punctuation && mark != '+' && mark != '-' && mark != '(' && mark != ')';
}

char readLocaleDecimalMark() {
    // A locale object of its own, so that the process's locale stays as it is.
    const locale_t numeric = ::newlocale(LC_NUMERIC_MASK, "", static_cast<locale_t>(0));
    if (numeric == static_cast<locale_t>(0)) return '.';
    const char* mark = ::nl_langinfo_l(RADIXCHAR, numeric);
    // A separator of more than one byte (a multi-byte character in UTF-8
    // locales) cannot be matched byte by byte, and one that is no usable mark
    // would change the numbers: fall back to the point.
    const char result = mark != nullptr && std::strlen(mark) == 1 && isUsableDecimalMark(mark[0]) ? mark[0] : '.';
    ::freelocale(numeric);
    return result;
}

}  // namespace quill
