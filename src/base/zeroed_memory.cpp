#include "base/zeroed_memory.h"

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <new>
#include <string>
#include <sys/mman.h>

namespace zorva {

namespace {
constexpr std::size_t kLarge = std::size_t{4} << 20;  // smaller blocks come from calloc
constexpr std::size_t kHugePage = std::size_t{2} << 20;
}  // namespace

void* allocateZeroed(std::size_t bytes) {
  if (bytes < kLarge) {
    void* p = std::calloc(bytes, 1);
    if (!p) throw std::bad_alloc();
    return p;
  }
  // Anonymous pages arrive zeroed; a huge-page-aligned range may use huge pages.
  const std::size_t length = (bytes + kHugePage - 1) / kHugePage * kHugePage;
  void* raw = mmap(nullptr, length + kHugePage, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (raw == MAP_FAILED) throw std::bad_alloc();
  const auto start = reinterpret_cast<std::uintptr_t>(raw);
  const std::uintptr_t aligned = (start + kHugePage - 1) / kHugePage * kHugePage;
  if (aligned > start) munmap(raw, aligned - start);
  const std::size_t tail = start + length + kHugePage - (aligned + length);
  if (tail > 0) munmap(reinterpret_cast<void*>(aligned + length), tail);
#ifdef MADV_HUGEPAGE
  madvise(reinterpret_cast<void*>(aligned), length, MADV_HUGEPAGE);
#endif
  return reinterpret_cast<void*>(aligned);
}

void freeZeroed(void* p, std::size_t bytes) {
  if (!p) return;
  if (bytes < kLarge) {
    std::free(p);
    return;
  }
  munmap(p, (bytes + kHugePage - 1) / kHugePage * kHugePage);
}

std::optional<std::uint64_t> availableMemory() {
  std::ifstream in("/proc/meminfo");
  std::string key;
  std::uint64_t kib = 0;
  std::string unit;
  while (in >> key >> kib >> unit)
    if (key == "MemAvailable:") return kib * 1024;
  return std::nullopt;
}

}  // namespace zorva
