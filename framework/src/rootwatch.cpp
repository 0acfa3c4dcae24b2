#include "brantic/rootwatch.h"

#include <algorithm>
#include <condition_variable>
#include <system_error>
#include <thread>

namespace brantic {

using Clock = std::chrono::steady_clock;

struct RootWatch::Query {
  std::string root;
  Clock::time_point started;
  Clock::time_point deadline;
  std::mutex mutex;
  std::condition_variable answeredSignal;
  bool answered = false;
  std::vector<std::function<void()>> lateAnswer;  // called when it answers before its deadline
};

namespace {

std::mutex sharedMutex;
std::shared_ptr<RootWatch>& SharedSlot() {
  static std::shared_ptr<RootWatch> watch = std::make_shared<RootWatch>(FileQueries::System());
  return watch;
}

}  // namespace

std::shared_ptr<RootWatch> RootWatch::Shared() {
  std::lock_guard lock(sharedMutex);
  return SharedSlot();
}

std::shared_ptr<RootWatch> RootWatch::Install(std::shared_ptr<RootWatch> watch) {
  std::lock_guard lock(sharedMutex);
  std::swap(SharedSlot(), watch);
  return watch;
}

bool IsUnderRoot(std::string_view path, std::string_view root) {
  while (root.size() > 1 && root.back() == '/') root.remove_suffix(1);
  if (root.empty() || !path.starts_with(root)) return false;
  return path.size() == root.size() || root == "/" || path[root.size()] == '/';
}

std::shared_ptr<RootWatch::Query> RootWatch::QueryOf(const std::string& root, std::chrono::milliseconds deadline) {
  std::lock_guard lock(outstanding_->mutex);
  std::shared_ptr<Query>& out = outstanding_->out[root];
  if (out) return out;
  auto query = std::make_shared<Query>();
  query->root = root;
  query->started = Clock::now();
  query->deadline = query->started + deadline;
  // The thread owns what it touches: a query that never answers outlives the watch and
  // everything that asked.
  try {
    std::thread([files = files_, outstanding = outstanding_, query] {
      files->DetectRoot(query->root);
      std::vector<std::function<void()>> told;
      {
        std::lock_guard outLock(outstanding->mutex);
        outstanding->out.erase(query->root);
      }
      {
        std::lock_guard queryLock(query->mutex);
        query->answered = true;
        if (Clock::now() <= query->deadline) told.swap(query->lateAnswer);
        query->lateAnswer.clear();
      }
      query->answeredSignal.notify_all();
      for (const auto& tell : told) tell();
    }).detach();
  } catch (const std::system_error&) {
    // No thread to spare: the root is taken as answering, as it was before roots were watched.
    outstanding_->out.erase(root);
    query->answered = true;
    return query;
  }
  out = query;
  return query;
}

RootWatch::Pass::Pass(std::shared_ptr<RootWatch> watch, std::chrono::milliseconds deadline,
                      std::chrono::milliseconds patience)
    : watch_(std::move(watch)),
      deadline_(deadline),
      patience_(std::min(patience, deadline)),
      mountPoints_(watch_->Files().MountPoints()),
      localMountPoints_(watch_->Files().LocalMountPoints()) {
  std::sort(mountPoints_.begin(), mountPoints_.end(),
            [](const std::string& a, const std::string& b) { return a.size() > b.size(); });
  for (size_t i = 0; i < mountPoints_.size(); ++i) {
    std::string_view point = mountPoints_[i];
    while (point.size() > 1 && point.back() == '/') point.remove_suffix(1);
    if (point.empty()) continue;
    mountPointIndex_.try_emplace(point, i);
    if (mountPointLength_.size() <= point.size()) mountPointLength_.resize(point.size() + 1);
    mountPointLength_[point.size()] = true;
  }
}

std::string RootWatch::Pass::RootOf(std::string_view path, std::string_view namedRoot) const {
  // The deepest mount point is the longest leading part of the path that is one, the whole
  // path first: a few lookups instead of a comparison with every mount point.
  std::string_view root = "/";
  const auto mountPoint = [this](std::string_view part) -> const std::string* {
    if (part.size() >= mountPointLength_.size() || !mountPointLength_[part.size()]) return nullptr;
    const auto found = mountPointIndex_.find(part);
    return found == mountPointIndex_.end() ? nullptr : &mountPoints_[found->second];
  };
  const std::string* deepest = nullptr;
  for (size_t end = path.size(); end > 0 && !deepest;) {
    deepest = mountPoint(path.substr(0, end));
    const size_t slash = end > 1 ? path.rfind('/', end - 1) : std::string_view::npos;
    if (slash == std::string_view::npos) break;
    end = slash;
  }
  if (!deepest && path.starts_with('/')) deepest = mountPoint("/");
  if (deepest) root = *deepest;
  while (namedRoot.size() > 1 && namedRoot.back() == '/') namedRoot.remove_suffix(1);
  if (namedRoot.size() > root.size() && IsUnderRoot(path, namedRoot)) root = namedRoot;
  return std::string(root);
}

bool RootWatch::Pass::IsReachable(const std::string& root) {
  {
    std::shared_lock lock(mutex_);
    if (const auto known = reachable_.find(root); known != reachable_.end()) return known->second;
  }
  // A local disk answers, however slow the machine is just now: only the file systems that
  // can hang (network shares, FUSE) are waited on apart.
  for (const std::string& point : mountPoints_) {
    if (!IsUnderRoot(root, point)) continue;
    if (std::find(localMountPoints_.begin(), localMountPoints_.end(), point) != localMountPoints_.end()) {
      std::unique_lock lock(mutex_);
      return reachable_.try_emplace(root, true).first->second;
    }
    break;  // the deepest mount point the root lies in decides
  }
  const std::shared_ptr<Query> query = watch_->QueryOf(root, deadline_);
  bool answered = false;
  {
    // A query an earlier pass started is waited for only what is left of this patience.
    std::unique_lock queryLock(query->mutex);
    answered = query->answeredSignal.wait_until(queryLock, query->started + patience_, [&] { return query->answered; });
  }
  std::unique_lock lock(mutex_);
  const auto [known, added] = reachable_.try_emplace(root, answered);
  if (added && !answered) passedOver_.push_back(query);
  return known->second;
}

std::vector<std::string> RootWatch::Pass::UnreachableRoots() const {
  std::shared_lock lock(mutex_);
  std::vector<std::string> roots;
  for (const auto& [root, reachable] : reachable_) {
    if (!reachable) roots.push_back(root);
  }
  std::sort(roots.begin(), roots.end());
  return roots;
}

void RootWatch::Pass::WhenLateAnswer(std::function<void()> answered) {
  std::vector<std::shared_ptr<Query>> queries;
  {
    std::shared_lock lock(mutex_);
    queries = passedOver_;
  }
  if (queries.empty()) return;
  // Told once, by whichever root answers first.
  auto once = std::make_shared<std::once_flag>();
  auto tell = [once, answered = std::move(answered)] { std::call_once(*once, answered); };
  for (const auto& query : queries) {
    std::unique_lock queryLock(query->mutex);
    if (!query->answered) {
      query->lateAnswer.push_back(tell);
    } else if (Clock::now() <= query->deadline) {
      queryLock.unlock();
      tell();
    }
  }
}

}  // namespace brantic
