// Fills in what the converter uses of C++20 that the standard library of
// Debian's emscripten (libc++ 14) does not have yet. Included before every
// source of the WebAssembly build.
#ifndef FLOWSVG_WEB_LIBCXX_COMPAT_H_
#define FLOWSVG_WEB_LIBCXX_COMPAT_H_

#include <cstddef>
#include <memory>
#include <type_traits>

#if defined(_LIBCPP_VERSION) && _LIBCPP_VERSION < 15000
namespace std {
// An array whose elements are left uninitialised, as new T[n] leaves them.
template <class T>
  requires is_unbounded_array_v<T>
unique_ptr<T> make_unique_for_overwrite(size_t n) {
  return unique_ptr<T>(new remove_extent_t<T>[n]);
}
}  // namespace std
#endif

#endif  // FLOWSVG_WEB_LIBCXX_COMPAT_H_
