// Scene files read ahead for a check or scan: while one scene is collected, the next ones are
// parsed on a thread of the loader's own.
#pragma once

#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "brantic/result.h"
#include "bx3/document.h"

namespace kv {

using KvLoadedScene = brantic::Result<std::unique_ptr<bx3::Document>>;

// Loads `scenes` in their order, at most a few ahead of the caller. Without a thread of its
// own it loads each scene when asked. Destroying it stops the reading and frees what waits.
// Owned and asked by one thread.
class KvSceneLoader {
 public:
  explicit KvSceneLoader(std::vector<std::string> scenes);
  ~KvSceneLoader();
  KvSceneLoader(const KvSceneLoader&) = delete;
  KvSceneLoader& operator=(const KvSceneLoader&) = delete;

  // The next scene, once it is read; call it once per scene.
  KvLoadedScene Next();
  // Hands a scene back once it is done with: the loader's thread frees it between its reads.
  // Its memory came from that thread, which gives it back without taking turns with the caller.
  void Recycle(std::unique_ptr<bx3::Document> scene);

 private:
  void LoadAhead();

  const std::vector<std::string> scenes_;
  size_t taken_ = 0;  // scenes handed to the caller
  std::mutex mutex_;
  std::condition_variable changed_;
  std::deque<KvLoadedScene> loaded_;                      // read ahead, in order
  std::vector<std::unique_ptr<bx3::Document>> recycled_;  // to be freed by the loader's thread
  bool stop_ = false;
  std::thread thread_;
};

}  // namespace kv
