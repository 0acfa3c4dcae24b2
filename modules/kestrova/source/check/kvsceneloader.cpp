#include "check/kvsceneloader.h"

#include <exception>
#include <new>
#include <utility>

#include "bx3/scenefile.h"

namespace kv {

namespace {

// A scene waits at most this many deep: scenes can be large.
constexpr size_t kScenesAhead = 4;

// Whatever loading throws (memory for a huge scene) is the scene's error.
KvLoadedScene LoadScene(const std::string& path) {
  try {
    return bx3::LoadDocument(path);
  } catch (const std::bad_alloc&) {
    return brantic::OutOfMemoryError(path + ": out of memory while reading");
  } catch (const std::exception& error) {
    return brantic::IoError(path + ": " + error.what());
  }
}

}  // namespace

KvSceneLoader::KvSceneLoader(std::vector<std::string> scenes) : scenes_(std::move(scenes)) {
  if (scenes_.size() < 2) return;  // nothing to read ahead of
  try {
    thread_ = std::thread([this] { LoadAhead(); });
  } catch (const std::exception&) {
    // Without a thread each scene is read when asked for.
  }
}

KvSceneLoader::~KvSceneLoader() {
  {
    std::lock_guard lock(mutex_);
    stop_ = true;
  }
  changed_.notify_all();
  if (thread_.joinable()) thread_.join();
}

KvLoadedScene KvSceneLoader::Next() {
  if (taken_ >= scenes_.size()) return brantic::IllegalStateError("no scene left to load");
  if (!thread_.joinable()) return LoadScene(scenes_[taken_++]);
  std::unique_lock lock(mutex_);
  changed_.wait(lock, [&] { return !loaded_.empty(); });
  KvLoadedScene scene = std::move(loaded_.front());
  loaded_.pop_front();
  ++taken_;
  lock.unlock();
  changed_.notify_all();
  return scene;
}

void KvSceneLoader::Recycle(std::unique_ptr<bx3::Document> scene) {
  if (!scene || !thread_.joinable()) return;  // freed here
  {
    std::lock_guard lock(mutex_);
    recycled_.push_back(std::move(scene));
  }
  changed_.notify_all();
}

void KvSceneLoader::LoadAhead() {
  // Reads the scenes in order, a few ahead, and frees what comes back meanwhile; once every
  // scene is read it goes on freeing until it is stopped (what is left then, the destructor
  // frees).
  for (size_t next = 0;;) {
    std::vector<std::unique_ptr<bx3::Document>> done;
    bool read = false;
    {
      std::unique_lock lock(mutex_);
      const auto mayRead = [&] { return next < scenes_.size() && loaded_.size() < kScenesAhead; };
      changed_.wait(lock, [&] { return stop_ || !recycled_.empty() || mayRead(); });
      if (stop_) return;
      done.swap(recycled_);
      read = mayRead();
    }
    done.clear();
    if (!read) continue;
    KvLoadedScene scene = LoadScene(scenes_[next++]);
    {
      std::lock_guard lock(mutex_);
      loaded_.push_back(std::move(scene));
    }
    changed_.notify_all();
  }
}

}  // namespace kv
