// Weak references. Any thread.
//
// An object that others may outlive holds a WeakAnchor<T> and hands out WeakRef<T>. Lock()
// yields the object while the anchor lives and keeps it from being destroyed while the lock
// is held; after the anchor was invalidated every lock yields null.
//
// The anchor must be invalidated before the object's members go away: call Invalidate() at
// the start of the owner's destructor (or declare the anchor as the owner's last member).
#pragma once

#include <memory>
#include <mutex>

namespace brantic {

namespace detail {
struct WeakControl {
  explicit WeakControl(void* target) : object(target) {}
  std::recursive_mutex mutex;
  void* object;
};
}  // namespace detail

template <typename T>
class LockedRef {
 public:
  LockedRef() = default;
  explicit LockedRef(std::shared_ptr<detail::WeakControl> control)
      : control_(std::move(control)), lock_(control_->mutex) {}

  T* Get() const { return control_ ? static_cast<T*>(control_->object) : nullptr; }
  T* operator->() const { return Get(); }
  explicit operator bool() const { return Get() != nullptr; }

 private:
  std::shared_ptr<detail::WeakControl> control_;
  std::unique_lock<std::recursive_mutex> lock_;
};

template <typename T>
class WeakRef {
 public:
  WeakRef() = default;
  explicit WeakRef(std::shared_ptr<detail::WeakControl> control) : control_(std::move(control)) {}

  LockedRef<T> Lock() const { return control_ ? LockedRef<T>(control_) : LockedRef<T>(); }
  bool IsEmpty() const { return !control_; }

 private:
  std::shared_ptr<detail::WeakControl> control_;
};

template <typename T>
class WeakAnchor {
 public:
  explicit WeakAnchor(T* object) : control_(std::make_shared<detail::WeakControl>(object)) {}
  ~WeakAnchor() { Invalidate(); }
  WeakAnchor(const WeakAnchor&) = delete;
  WeakAnchor& operator=(const WeakAnchor&) = delete;

  WeakRef<T> GetWeakRef() const { return WeakRef<T>(control_); }

  // Waits for every lock held on another thread, then makes every later lock yield null.
  void Invalidate() {
    std::lock_guard lock(control_->mutex);
    control_->object = nullptr;
  }

 private:
  std::shared_ptr<detail::WeakControl> control_;
};

}  // namespace brantic
