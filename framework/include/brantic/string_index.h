// A quick lookup from texts to values of the caller's, for hot loops over many thousand
// texts: an open-addressing table of hashes beside one block holding every text, so that
// finding a known text reads two places in memory instead of a chain of nodes. The caller
// gives the hash (it often has it already) and owns the values. One thread.
#pragma once

#include <algorithm>
#include <bit>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace brantic {

template <typename T>
class StringIndex {
 public:
  // Empties the index and makes room for about `expected` texts; 0 lets go of its memory. A
  // small table keeps the size it grew to: an index made again and again (one a scene of a
  // scan) then neither takes memory nor grows again.
  void Reset(size_t expected) {
    size_t slots = expected == 0 ? 0 : std::bit_ceil(std::max<size_t>(expected * 2, 64));
    if (slots_.size() <= kKeptSlots) slots = std::max(slots, slots_.size());
    if (slots == 0) {
      std::vector<Slot>().swap(slots_);
      std::string().swap(texts_);
    } else {
      slots_.assign(slots, Slot{});
      texts_.clear();
    }
    size_ = 0;
  }
  // What was inserted for `text` (whose hash is `hash`), or null.
  T* Find(std::string_view text, size_t hash) const {
    if (slots_.empty()) return nullptr;
    const size_t mask = slots_.size() - 1;
    for (size_t i = hash & mask;; i = (i + 1) & mask) {
      const Slot& slot = slots_[i];
      if (!slot.value) return nullptr;
      if (slot.hash == hash && slot.textLength == text.size() &&
          std::string_view(texts_).substr(slot.textStart, slot.textLength) == text) {
        return slot.value;
      }
    }
  }
  // Adds `text`, which must not be in the index yet, with a value that is not null. Past
  // 4 GB of texts the index takes no more: finding those texts simply misses.
  void Insert(std::string_view text, size_t hash, T* value) {
    if (!value || texts_.size() + text.size() > UINT32_MAX) return;
    if ((size_ + 1) * 2 > slots_.size()) Grow();
    Place(Slot{hash, uint32_t(texts_.size()), uint32_t(text.size()), value});
    texts_.append(text);
    ++size_;
  }
  size_t Size() const { return size_; }

 private:
  struct Slot {
    size_t hash = 0;
    uint32_t textStart = 0;
    uint32_t textLength = 0;
    T* value = nullptr;  // null: an empty slot
  };
  void Place(const Slot& slot) {
    const size_t mask = slots_.size() - 1;
    size_t i = slot.hash & mask;
    while (slots_[i].value) i = (i + 1) & mask;
    slots_[i] = slot;
  }
  void Grow() {
    std::vector<Slot> old = std::move(slots_);
    slots_.assign(std::max<size_t>(old.size() * 2, 64), Slot{});
    for (const Slot& slot : old) {
      if (slot.value) Place(slot);
    }
  }

  static constexpr size_t kKeptSlots = 4096;  // 96 KB
  std::vector<Slot> slots_;                   // a power of two, at most half full
  std::string texts_;
  size_t size_ = 0;
};

}  // namespace brantic
