#include "numtext/decimal_mark.h"

#include <clocale>
#include <cstring>

namespace quill {

char ReadLocaleDecimalMark() {
    std::setlocale(LC_NUMERIC, "");
    const std::lconv* conventions = std::localeconv();
    // A separator of more than one byte (a multi-byte character in UTF-8
    // locales) cannot be matched byte by byte: fall back to the point.
    if (conventions && conventions->decimal_point && std::strlen(conventions->decimal_point) == 1)
        return conventions->decimal_point[0];
    return '.';
}

}  // namespace quill
