#include "collection/kvpathresolver.h"

#include <algorithm>

namespace kv {

void KvPathResolver::Start(size_t capacity, size_t helpers, ResolveFunction resolve) {
  Finish();
  resolve_ = std::move(resolve);
  capacity_ = std::min<size_t>(capacity, kFinished - 1);
  items_.assign(capacity_, Item{});
  added_ = 0;
  published_.store(0, std::memory_order_relaxed);
  next_.store(0, std::memory_order_relaxed);
  running_ = true;
  if (helpers > 0 && capacity_ > 0) {
    helpers_.emplace(helpers, [this](size_t) { Work(true); });
  }
}

uint32_t KvPathResolver::Add(const bx3::Filename* path, KvPathCacheEntry* entry, bool isBitmapShader) {
  if (!running_ || added_ >= capacity_) return kNoItem;
  items_[added_] = Item{path, entry, isBitmapShader};
  published_.store(++added_, std::memory_order_release);
  published_.notify_one();
  return added_ - 1;
}

void KvPathResolver::Finish() {
  if (!running_) return;
  published_.fetch_or(kFinished, std::memory_order_release);
  published_.notify_all();
  Work(false);
  helpers_.reset();  // waits for the helpers that started
  items_.resize(added_);
  running_ = false;
}

void KvPathResolver::Work(bool untilFinished) {
  for (;;) {
    const uint32_t published = published_.load(std::memory_order_acquire);
    const uint32_t available = published & ~kFinished;
    uint32_t claimed = next_.load(std::memory_order_relaxed);
    if (claimed < available) {
      if (next_.compare_exchange_weak(claimed, claimed + 1, std::memory_order_relaxed)) {
        const Item& item = items_[claimed];
        resolve_(*item.path, *item.entry, item.isBitmapShader);
      }
      continue;
    }
    if (!untilFinished || (published & kFinished)) return;
    published_.wait(published, std::memory_order_acquire);  // until a path is added or the walk ends
  }
}

}  // namespace kv
