#pragma once
// Included before every source of the WebAssembly build: the C++20 library
// pieces that emscripten's libc++ (version 13 on Debian 12) still lacks,
// each defined only where it is missing.

#include <version>

#if defined(_LIBCPP_VERSION) && !defined(__cpp_lib_bit_cast)
#include <type_traits>
namespace std {
template <class To, class From>
requires(sizeof(To) == sizeof(From) && is_trivially_copyable_v<To> && is_trivially_copyable_v<From>) constexpr To
    bit_cast(const From& from) noexcept {
    return __builtin_bit_cast(To, from);
}
}  // namespace std
#endif

#if defined(_LIBCPP_VERSION) && !defined(__cpp_lib_smart_ptr_for_overwrite)
#include <memory>
namespace std {
template <class T>
requires is_unbounded_array_v<T> unique_ptr<T> make_unique_for_overwrite(size_t n) {
    return unique_ptr<T>(new remove_extent_t<T>[n]);
}
template <class T>
requires(!is_array_v<T>) unique_ptr<T> make_unique_for_overwrite() { return unique_ptr<T>(new T); }
}  // namespace std
#endif
