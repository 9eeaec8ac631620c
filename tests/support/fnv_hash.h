// FNV-1a, 64 bits: a small hash that stays the same on every machine, for
// pinning pictures.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace zorva::test {

inline std::uint64_t fnv1a64(const void* data, std::size_t size) {
  std::uint64_t h = 14695981039346656037ull;
  const auto* p = static_cast<const unsigned char*>(data);
  for (std::size_t i = 0; i < size; ++i) {
    h ^= p[i];
    h *= 1099511628211ull;
  }
  return h;
}

inline std::uint64_t fnv1a64(std::string_view bytes) { return fnv1a64(bytes.data(), bytes.size()); }

}  // namespace zorva::test
