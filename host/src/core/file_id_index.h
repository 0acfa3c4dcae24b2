// The elements of a scene file by the ids the file gives them. Files number their elements
// 1, 2, 3, ... as they are written, so ids up to a bound sit in an array; others (a file
// written by hand) go to a hash map.
#pragma once

#include <algorithm>
#include <cstdint>
#include <optional>
#include <unordered_map>
#include <vector>

namespace bx3 {

class Element;

class FileIdIndex {
 public:
  // Makes room for ids up to about `expected` in the array.
  void Reserve(size_t expected) {
    dense_.reserve(expected);
    noted_.reserve(expected);
    denseLimit_ = std::max<int64_t>(int64_t(expected) * 2, 4096);
  }
  // Notes that `id` stands in the file; false when it was noted before.
  bool Note(int64_t id) {
    if (id >= 0 && id < denseLimit_) {
      const size_t at = size_t(id);
      if (at >= dense_.size()) {
        dense_.resize(at + 1, nullptr);
        noted_.resize(at + 1, false);
      }
      if (noted_[at]) return false;
      noted_[at] = true;
      return true;
    }
    return sparse_.emplace(id, nullptr).second;
  }
  // Gives a noted id its element, once that is made. (Elements are made after their children,
  // whose ids are noted in between: a place in the array would not stay where it was.)
  void Set(int64_t id, Element* element) {
    if (id >= 0 && id < denseLimit_) {
      if (size_t(id) < dense_.size()) dense_[size_t(id)] = element;
      return;
    }
    if (const auto found = sparse_.find(id); found != sparse_.end()) found->second = element;
  }
  // The element of `id` once it is made (null before), or nullopt when the id was never noted.
  std::optional<Element*> Find(int64_t id) const {
    if (id >= 0 && id < denseLimit_) {
      const size_t at = size_t(id);
      if (at >= dense_.size() || !noted_[at]) return std::nullopt;
      return dense_[at];
    }
    const auto found = sparse_.find(id);
    if (found == sparse_.end()) return std::nullopt;
    return found->second;
  }

 private:
  int64_t denseLimit_ = 4096;
  std::vector<Element*> dense_;
  std::vector<bool> noted_;
  std::unordered_map<int64_t, Element*> sparse_;
};

}  // namespace bx3
