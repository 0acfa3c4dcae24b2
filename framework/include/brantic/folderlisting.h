// The names in folders, each folder read once for as long as the listings are kept (one pass
// of a collection, one operation). Any thread; the same folder asked for from several threads
// is read once.
#pragma once

#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "brantic/filequeries.h"
#include "brantic/pathpattern.h"

namespace brantic {

class FolderListings {
 public:
  // Views into one block of text that the listing keeps alive.
  using Names = std::vector<std::string_view>;

  // Folders are read through `files` (this machine's file systems unless a test says).
  explicit FolderListings(std::shared_ptr<const FileQueries> files = FileQueries::System())
      : files_(std::move(files)) {}

  // The names in `folder` (a system path), sorted, "." and ".." left out, without a query
  // per entry; null when the folder cannot be read.
  std::shared_ptr<const Names> List(const std::string& folder);
  // True when `name` is in the folder's listing.
  bool Contains(const std::string& folder, const std::string& name);
  // The frames or tiles of `pattern` in `folder`, sorted; found through the names that start
  // like its members, never by a query per candidate.
  std::vector<int64_t> Members(const std::string& folder, const PathPattern& pattern);
  // True when the folder holds at least one of them.
  bool HasMember(const std::string& folder, const PathPattern& pattern);
  // How many folders were read from the disk.
  size_t FoldersRead() const;

 private:
  struct Slot {
    std::once_flag once;
    std::shared_ptr<const Names> names;
  };
  std::shared_ptr<const FileQueries> files_;
  mutable std::mutex mutex_;
  std::unordered_map<std::string, std::shared_ptr<Slot>> slots_;
  size_t read_ = 0;
};

}  // namespace brantic
