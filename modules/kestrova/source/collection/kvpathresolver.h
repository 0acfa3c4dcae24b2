// Resolves the new paths of a collection while the collection still walks the scene: the walk
// adds each new path, helper threads resolve them as they come, and Finish has the calling
// thread help with the rest. Add and Finish: the thread that started it.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "brantic/parallel.h"
#include "bx3/filename.h"
#include "collection/kvassetentry.h"

namespace kv {

class KvPathResolver {
 public:
  // Resolves `path` into `entry`; called on helper threads and the adding thread.
  using ResolveFunction = std::function<void(const bx3::Filename& path, KvPathCacheEntry& entry, bool isBitmapShader)>;
  struct Item {
    const bx3::Filename* path = nullptr;
    KvPathCacheEntry* entry = nullptr;
    bool isBitmapShader = false;
  };
  static constexpr uint32_t kNoItem = UINT32_MAX;

  KvPathResolver() = default;
  ~KvPathResolver() { Finish(); }
  KvPathResolver(const KvPathResolver&) = delete;
  KvPathResolver& operator=(const KvPathResolver&) = delete;

  // Takes up to `capacity` paths; up to `helpers` helper threads resolve them as they are added.
  // The path and entry of every item must stay in place until Finish returns.
  void Start(size_t capacity, size_t helpers, ResolveFunction resolve);
  bool IsRunning() const { return running_; }
  // The item's index, or kNoItem when it is full (the caller resolves the path itself).
  uint32_t Add(const bx3::Filename* path, KvPathCacheEntry* entry, bool isBitmapShader);
  // Resolves what is left and waits until every item is resolved.
  void Finish();
  // The items of the last run, in the order they were added.
  const std::vector<Item>& Items() const { return items_; }
  // Lets go of the items once they are no longer read.
  void ReleaseItems() { std::vector<Item>().swap(items_); }

 private:
  static constexpr uint32_t kFinished = 0x8000'0000u;
  // Claims and resolves items; with `untilFinished`, waits for more until Finish.
  void Work(bool untilFinished);

  ResolveFunction resolve_;
  std::vector<Item> items_;  // sized once per run, filled up to the published count
  size_t capacity_ = 0;
  uint32_t added_ = 0;
  std::atomic<uint32_t> published_{0};  // items ready to claim, or'ed with kFinished at the end
  std::atomic<uint32_t> next_{0};       // the next item to claim
  std::optional<brantic::HelperTeam> helpers_;
  bool running_ = false;
};

}  // namespace kv
