#include "numtext/decimal_mark.h"

#include <langinfo.h>
#include <locale.h>

#include <cstring>

namespace quill {

char readLocaleDecimalMark() {
    // A locale object of its own, so that the process's locale stays as it is.
    const locale_t numeric = ::newlocale(LC_NUMERIC_MASK, "", static_cast<locale_t>(0));
    if (numeric == static_cast<locale_t>(0)) return '.';
    const char* mark = ::nl_langinfo_l(RADIXCHAR, numeric);
    // A separator of more than one byte (a multi-byte character in UTF-8
    // locales) cannot be matched byte by byte: fall back to the point.
    const char result = mark != nullptr && std::strlen(mark) == 1 ? mark[0] : '.';
    ::freelocale(numeric);
    return result;
}

}  // namespace quill
