// The file-system queries that finding files makes (what a path names, the names in a
// folder, where file systems are mounted), behind one interface: a pass can then be shown
// to never wait on a root that does not answer, with a layer whose calls under it block.
// Any thread.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "brantic/io.h"

namespace brantic {

class FileQueries {
 public:
  virtual ~FileQueries() = default;
  // What the absolute system path names; one query.
  virtual IoDetect Detect(const std::string& path) const = 0;
  // The same for a root that may not answer, made so that a query that never answers holds
  // up nothing but itself (the program can still end). The caller waits for it on a thread
  // of its own.
  virtual IoDetect DetectRoot(const std::string& root) const { return Detect(root); }
  // Calls `take` with the name of each entry of `folder` that is not a folder ("." and ".."
  // left out), without a query per entry; false when the folder cannot be read.
  virtual bool ReadNames(const std::string& folder, const std::function<void(std::string_view)>& take) const = 0;
  // The folders file systems are mounted on, "/" included.
  virtual std::vector<std::string> MountPoints() const = 0;
  // Those of them whose file systems are on this machine's own disks or in its memory: a
  // query under one always answers, so nothing waits apart for it. None unless a layer says.
  virtual std::vector<std::string> LocalMountPoints() const { return {}; }

  // The queries of this machine's file systems.
  static std::shared_ptr<const FileQueries> System();
};

// Remembers what another layer answered, for a run that asks the same paths many times
// (a scan of many scenes that share files): each path and each folder is asked once while it
// lives. A root's own query is passed on every time: whether it answers is not remembered.
class RememberingFileQueries final : public FileQueries {
 public:
  explicit RememberingFileQueries(std::shared_ptr<const FileQueries> files);
  IoDetect Detect(const std::string& path) const override;
  IoDetect DetectRoot(const std::string& root) const override { return files_->DetectRoot(root); }
  bool ReadNames(const std::string& folder, const std::function<void(std::string_view)>& take) const override;
  std::vector<std::string> MountPoints() const override;
  std::vector<std::string> LocalMountPoints() const override { return files_->LocalMountPoints(); }

 private:
  struct Memory;
  std::shared_ptr<const FileQueries> files_;
  std::shared_ptr<Memory> memory_;
};

// The mount points of a mount table in the kernel's "mountinfo" form (the fifth field of
// each line, with its escaped characters put back).
std::vector<std::string> MountPointsOfTable(std::string_view table);
// Those of a mount table's mount points whose file system type is a local one (ext4, xfs,
// btrfs, tmpfs, overlay, ...); network and FUSE file systems are never local.
std::vector<std::string> LocalMountPointsOfTable(std::string_view table);

}  // namespace brantic
