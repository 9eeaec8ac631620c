// A compact hash index for the INI document: 12 bytes a slot, no allocation
// per entry, so a file of millions of lines is indexed in a few hundred MB
// at most. An entry is a 32-bit line id with a 32-bit group (the section a
// key belongs to); the names themselves stay in the document, and the
// caller's match function compares them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

namespace zorva {

class NameIndex {
 public:
  void clear() {
    slots_.clear();
    hashes_.clear();
    size_ = 0;
  }

  // The line stored under hash whose name matches, if any.
  template <class Match>
  std::optional<std::uint32_t> find(std::uint32_t hash, std::uint32_t group, Match&& match) const {
    if (slots_.empty()) return std::nullopt;
    const std::size_t mask = slots_.size() - 1;
    for (std::size_t i = hash & mask;; i = (i + 1) & mask) {
      const std::uint64_t slot = slots_[i];
      if (slot == 0) return std::nullopt;
      const auto line = static_cast<std::uint32_t>(slot) - 1;
      if (hashes_[i] == hash && static_cast<std::uint32_t>(slot >> 32) == group && match(line)) return line;
    }
  }

  // Stores line unless a matching entry exists; true when stored.
  template <class Match>
  bool insert(std::uint32_t hash, std::uint32_t group, std::uint32_t line, Match&& match) {
    if (find(hash, group, match)) return false;
    // At most three quarters full: short probe runs, little memory.
    if (4 * (size_ + 1) > 3 * slots_.size()) rebuild(slots_.empty() ? 16 : 2 * slots_.size());
    place(hash, (static_cast<std::uint64_t>(group) << 32) | (static_cast<std::uint64_t>(line) + 1));
    ++size_;
    return true;
  }

  // FNV-1a over the ASCII-lower-cased name.
  static std::uint32_t hashName(std::string_view name, std::uint32_t seed = 2166136261u) {
    std::uint32_t h = seed;
    for (char c : name) {
      if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
      h = (h ^ static_cast<unsigned char>(c)) * 16777619u;
    }
    return h;
  }

 private:
  void place(std::uint32_t hash, std::uint64_t entry) {
    const std::size_t mask = slots_.size() - 1;
    std::size_t i = hash & mask;
    while (slots_[i] != 0) i = (i + 1) & mask;
    slots_[i] = entry;
    hashes_[i] = hash;
  }
  void rebuild(std::size_t capacity) {
    std::vector<std::uint64_t> oldSlots(capacity, 0);
    std::vector<std::uint32_t> oldHashes(capacity, 0);
    oldSlots.swap(slots_);
    oldHashes.swap(hashes_);
    for (std::size_t i = 0; i < oldSlots.size(); ++i)
      if (oldSlots[i] != 0) place(oldHashes[i], oldSlots[i]);
  }

  std::vector<std::uint64_t> slots_;   // group << 32 | (line + 1); 0 is empty
  std::vector<std::uint32_t> hashes_;  // beside the slots: most probes never touch the names
  std::size_t size_ = 0;
};

}  // namespace zorva
