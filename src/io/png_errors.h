// How the PNG reader and writer take libpng's errors: the error pointer of
// every png struct is a reason buffer of kReasonSize characters, and libpng
// reports by longjmp to the latest setjmp. A function that calls setjmp holds
// only trivially destructible locals and does its C++ allocation before or
// after, so no destructor is ever jumped over.
#pragma once

#include <png.h>

#include <cstddef>
#include <cstdio>

namespace zorva::png_errors {

inline constexpr std::size_t kReasonSize = 256;

inline void storeReason(char* reason, const char* message) {
  std::snprintf(reason, kReasonSize, "%s", message != nullptr && *message != '\0' ? message : "unknown error");
}

inline void fail(png_structp png, png_const_charp message) {
  storeReason(static_cast<char*>(png_get_error_ptr(png)), message);
  png_longjmp(png, 1);
}

// Warnings are about ancillary chunks, which are ignored when read and never
// written.
inline void ignoreWarning(png_structp, png_const_charp) {}

}  // namespace zorva::png_errors
