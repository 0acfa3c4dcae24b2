// A quick lookup from a path's text to its place in the path cache, for the collection's walk
// over 100,000 uses: an open-addressing table of hashes beside one block holding every text,
// so that finding a known path reads two places in memory instead of a chain of nodes and
// shared strings. The path cache stays the owner of the entries. One thread.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace kv {

class KvPathIndex {
 public:
  // Empties the index and makes room for about `expected` texts.
  void Reset(size_t expected);
  // What was inserted for `text` (whose hash is `hash`), or null.
  void* Find(std::string_view text, size_t hash) const;
  // Adds `text`, which must not be in the index yet.
  void Insert(std::string_view text, size_t hash, void* value);
  size_t Size() const { return size_; }

 private:
  struct Slot {
    size_t hash = 0;
    uint32_t textStart = 0;
    uint32_t textLength = 0;
    void* value = nullptr;  // null: an empty slot
  };
  void Grow();
  std::vector<Slot> slots_;  // a power of two, at most half full
  std::string texts_;
  size_t size_ = 0;
};

}  // namespace kv
