// A file-system layer whose queries under one root never answer until the test lets them:
// a network share whose server is gone. Other queries go to this machine's file systems.
#pragma once

#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>

#include "brantic/filequeries.h"
#include "brantic/rootwatch.h"

namespace kvtest {

class BlockingFiles final : public brantic::FileQueries {
 public:
  explicit BlockingFiles(std::string deadRoot) : deadRoot_(std::move(deadRoot)) {}

  brantic::IoDetect Detect(const std::string& path) const override {
    if (Block(path)) return brantic::IoDetect::NotFound;
    return brantic::FileQueries::System()->Detect(path);
  }
  bool ReadNames(const std::string& folder, const std::function<void(std::string_view)>& take) const override {
    if (Block(folder)) return false;
    return brantic::FileQueries::System()->ReadNames(folder, take);
  }
  std::vector<std::string> MountPoints() const override {
    std::vector<std::string> points = brantic::FileQueries::System()->MountPoints();
    points.push_back(deadRoot_);
    return points;
  }

  // Lets every blocked query answer (as "nothing there"), and those that come later.
  void Release() {
    {
      std::lock_guard lock(mutex_);
      released_ = true;
    }
    releasedSignal_.notify_all();
  }
  // How many queries were made under the dead root.
  int DeadQueries() const { return deadQueries_.load(); }

 private:
  bool Block(const std::string& path) const {
    if (!brantic::IsUnderRoot(path, deadRoot_)) return false;
    ++deadQueries_;
    std::unique_lock lock(mutex_);
    releasedSignal_.wait(lock, [this] { return released_; });
    return true;
  }

  const std::string deadRoot_;
  mutable std::atomic<int> deadQueries_{0};
  mutable std::mutex mutex_;
  mutable std::condition_variable releasedSignal_;
  bool released_ = false;
};

// Puts a watch over `files` in the shared watch's place while it lives; lets the blocked
// queries go before the shared watch is put back.
class InstalledWatch {
 public:
  explicit InstalledWatch(std::shared_ptr<BlockingFiles> files)
      : files_(std::move(files)),
        previous_(brantic::RootWatch::Install(std::make_shared<brantic::RootWatch>(files_))) {}
  ~InstalledWatch() {
    files_->Release();
    brantic::RootWatch::Install(previous_);
  }
  InstalledWatch(const InstalledWatch&) = delete;
  InstalledWatch& operator=(const InstalledWatch&) = delete;

 private:
  std::shared_ptr<BlockingFiles> files_;
  std::shared_ptr<brantic::RootWatch> previous_;
};

}  // namespace kvtest
