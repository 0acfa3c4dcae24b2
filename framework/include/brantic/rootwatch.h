// Roots of the file system that may not answer. A network share whose server is gone blocks
// every query under it, often for minutes, and no query can be called back once made. So
// the first query under a root (a mount point, a mapping's target, a variable's value) runs
// on a thread of its own: a pass waits for it a short while (its patience), and a root that
// has not answered by then is passed over for the rest of the pass: nothing under it is
// asked again. A root that answers later but within its deadline is told to whoever asked
// (the pass is then worth running again); after the deadline it stays unreachable until a
// later pass finds it answering. At most one query is out per root however many passes ask,
// so a root that never answers holds one thread, not one per pass. Any thread.
#pragma once

#include <chrono>
#include <functional>
#include <memory>
#include <mutex>
#include <shared_mutex>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "brantic/filequeries.h"

namespace brantic {

class RootWatch : public std::enable_shared_from_this<RootWatch> {
 public:
  explicit RootWatch(std::shared_ptr<const FileQueries> files)
      : files_(std::move(files)), outstanding_(std::make_shared<Outstanding>()) {}
  // A watch over other queries (a layer that remembers answers, say) that shares `other`'s
  // queries out: a root that does not answer is still asked once, whichever watch asks.
  RootWatch(std::shared_ptr<const FileQueries> files, const RootWatch& other)
      : files_(std::move(files)), outstanding_(other.outstanding_) {}
  RootWatch(const RootWatch&) = delete;
  RootWatch& operator=(const RootWatch&) = delete;

  // The watch every pass of this process uses, over the system's file systems.
  static std::shared_ptr<RootWatch> Shared();
  // Puts `watch` in the shared one's place (a test's file-system layer); answers the one it
  // replaced.
  static std::shared_ptr<RootWatch> Install(std::shared_ptr<RootWatch> watch);

  const FileQueries& Files() const { return *files_; }
  const std::shared_ptr<const FileQueries>& SharedFiles() const { return files_; }

  class Pass;
  struct Query;

 private:
  // The query out for `root`, started when none is: at most one per root at a time.
  std::shared_ptr<Query> QueryOf(const std::string& root, std::chrono::milliseconds deadline);

  // The queries not answered yet, by root.
  struct Outstanding {
    std::mutex mutex;
    std::unordered_map<std::string, std::shared_ptr<Query>> out;
  };
  std::shared_ptr<const FileQueries> files_;
  std::shared_ptr<Outstanding> outstanding_;
};

// One pass's view of the roots: each root is decided once, the first time a path under it
// is asked for.
class RootWatch::Pass {
 public:
  Pass(std::shared_ptr<RootWatch> watch, std::chrono::milliseconds deadline, std::chrono::milliseconds patience);
  Pass(const Pass&) = delete;
  Pass& operator=(const Pass&) = delete;

  const FileQueries& Files() const { return watch_->Files(); }
  const std::shared_ptr<const FileQueries>& SharedFiles() const { return watch_->SharedFiles(); }
  std::chrono::milliseconds Deadline() const { return deadline_; }
  // The root an absolute path lies under: the deepest of the mount points and `namedRoot`
  // (a mapping's target or a variable's value the path was made with).
  std::string RootOf(std::string_view path, std::string_view namedRoot = {}) const;
  // True when queries under `root` may be made in this pass; the first ask of a root may
  // wait up to the pass's patience. A root on a local file system is always reachable.
  bool IsReachable(const std::string& root);
  // RootOf and IsReachable in one.
  bool IsReachablePath(std::string_view path, std::string_view namedRoot = {}) {
    return IsReachable(RootOf(path, namedRoot));
  }
  // The roots passed over in this pass, sorted.
  std::vector<std::string> UnreachableRoots() const;
  // Calls `answered` once, on some thread, when a root this pass passed over answers within
  // its deadline. Call it when the pass is done.
  void WhenLateAnswer(std::function<void()> answered);

 private:
  std::shared_ptr<RootWatch> watch_;
  std::chrono::milliseconds deadline_;
  std::chrono::milliseconds patience_;
  std::vector<std::string> mountPoints_;  // deepest first
  // Each mount point without a trailing '/', to the first of mountPoints_ written so.
  std::unordered_map<std::string_view, size_t> mountPointIndex_;
  std::vector<bool> mountPointLength_;         // whether a key of mountPointIndex_ is that long
  std::vector<std::string> localMountPoints_;  // of those, the ones never waited on
  mutable std::shared_mutex mutex_;
  std::unordered_map<std::string, bool> reachable_;
  std::vector<std::shared_ptr<Query>> passedOver_;
};

// Is `path` the root or under it ("/mnt/a" is under "/mnt" and "/", not under "/mn")?
bool IsUnderRoot(std::string_view path, std::string_view root);

}  // namespace brantic
