// Zero-filled arrays for large buffers.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <utility>
#include <vector>

namespace zorva {

// Zero-filled memory for large buffers: fresh pages from the system (no
// clearing pass), in huge pages where the system allows, so first touches
// cost few page faults.
void* allocateZeroed(std::size_t bytes);
void freeZeroed(void* p, std::size_t bytes);

// The memory the system can still give without swapping (MemAvailable of
// /proc/meminfo), in bytes; nothing when it cannot be read.
std::optional<std::uint64_t> availableMemory();

// A zero-filled array of plain numbers.
template <typename T>
class ZeroedArray {
 public:
  ZeroedArray() = default;
  explicit ZeroedArray(std::size_t n) : size_(n) {
    if (n == 0) return;
    data_ = static_cast<T*>(allocateZeroed(n * sizeof(T)));
  }
  ZeroedArray(ZeroedArray&& o) noexcept : data_(std::exchange(o.data_, nullptr)), size_(std::exchange(o.size_, 0)) {}
  ZeroedArray& operator=(ZeroedArray&& o) noexcept {
    std::swap(data_, o.data_);
    std::swap(size_, o.size_);
    return *this;
  }
  ZeroedArray(const ZeroedArray&) = delete;
  ZeroedArray& operator=(const ZeroedArray&) = delete;
  ~ZeroedArray() { freeZeroed(data_, size_ * sizeof(T)); }

  std::size_t size() const { return size_; }
  T* data() { return data_; }
  const T* data() const { return data_; }
  T& operator[](std::size_t i) { return data_[i]; }
  const T& operator[](std::size_t i) const { return data_[i]; }
  T* begin() { return data_; }
  T* end() { return data_ + size_; }
  const T* begin() const { return data_; }
  const T* end() const { return data_ + size_; }
  std::vector<T> vector() const { return std::vector<T>(begin(), end()); }

 private:
  T* data_ = nullptr;
  std::size_t size_ = 0;
};

}  // namespace zorva
