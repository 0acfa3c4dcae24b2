#include "kvpathindex.h"

#include <algorithm>
#include <bit>

namespace kv {

void KvPathIndex::Reset(size_t expected) {
  slots_.assign(std::bit_ceil(std::max<size_t>(expected * 2, 64)), Slot{});
  texts_.clear();
  size_ = 0;
}

void* KvPathIndex::Find(std::string_view text, size_t hash) const {
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

void KvPathIndex::Insert(std::string_view text, size_t hash, void* value) {
  // The texts' block holds offsets of 32 bits: past that the index stops taking texts, and
  // lookups of the ones left out simply miss.
  if (!value || texts_.size() + text.size() > UINT32_MAX) return;
  if ((size_ + 1) * 2 > slots_.size()) Grow();
  const size_t mask = slots_.size() - 1;
  size_t i = hash & mask;
  while (slots_[i].value) i = (i + 1) & mask;
  slots_[i] = Slot{hash, uint32_t(texts_.size()), uint32_t(text.size()), value};
  texts_.append(text);
  ++size_;
}

void KvPathIndex::Grow() {
  std::vector<Slot> old = std::move(slots_);
  slots_.assign(std::max<size_t>(old.size() * 2, 64), Slot{});
  const size_t mask = slots_.size() - 1;
  for (const Slot& slot : old) {
    if (!slot.value) continue;
    size_t i = slot.hash & mask;
    while (slots_[i].value) i = (i + 1) & mask;
    slots_[i] = slot;
  }
}

}  // namespace kv
