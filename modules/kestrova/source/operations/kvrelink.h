// Relinking: which rows look for which file name, the search of a folder tree for those
// names, and what a found file does to its row.
#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "brantic/filewalk.h"
#include "brantic/pathpattern.h"
#include "bx3/filename.h"
#include "collection/kvassetentry.h"

namespace kv {

// The selected rows by the file name they look for; rows without a file name are left out.
// Names are compared byte for byte, as the host compares file names: this platform's file
// system tells letter case apart. A row whose name has a frame or tile token looks for any
// file of its set, and finds the set where such a file is.
class KvRelinkIndex {
 public:
  struct Wanted {
    uint32_t row;               // index into the rows
    brantic::String assetPath;  // the row's own path: finding it again is no find
  };

  explicit KvRelinkIndex(const std::vector<KvAssetEntry>& rows);
  bool IsEmpty() const { return byName_.empty() && sets_.empty(); }
  uint32_t RowCount() const { return rowCount_; }
  // The rows that look for `name`, in row order; null when none does.
  const std::vector<Wanted>* Find(std::string_view name) const;
  // The rows of sets, each with the pattern of its name.
  struct WantedSet {
    Wanted row;
    brantic::PathPattern pattern;
  };
  const std::vector<WantedSet>& Sets() const { return sets_; }

 private:
  struct NameHash {
    using is_transparent = void;
    size_t operator()(std::string_view name) const { return std::hash<std::string_view>()(name); }
  };
  std::unordered_map<std::string, std::vector<Wanted>, NameHash, std::equal_to<>> byName_;
  std::vector<WantedSet> sets_;
  uint32_t rowCount_ = 0;
};

// A file found for a row.
struct KvRelinkFind {
  uint32_t row;
  brantic::String path;
};

// What a running search shows in the status line; written by the search, read by the GUI.
class KvRelinkProgress {
 public:
  void SetFolder(const std::string& folder) {
    std::lock_guard lock(mutex_);
    folder_ = folder;
  }
  std::string Folder() const {
    std::lock_guard lock(mutex_);
    return folder_;
  }
  std::atomic<int64_t> found{0};

 private:
  mutable std::mutex mutex_;
  std::string folder_;
};

struct KvRelinkSearchResult {
  // In the order found: files in walk order, and the rows of one file in row order. A row
  // gets at most one candidate list's worth of finds; later ones are only counted.
  std::vector<KvRelinkFind> finds;
  int64_t foundCount = 0;
  brantic::FileWalkStats walk;
  bool folderReadable = true;
};

// Walks `folder` and everything below it for the names of `index`: every file whose name a
// row looks for, at another path than the row's own, is a find. Any thread.
KvRelinkSearchResult SearchForFiles(const bx3::Filename& folder, const KvRelinkIndex& index, KvRelinkProgress& progress,
                                    const std::atomic<bool>* stop);

// A found file for its row: the row's relink path, and its new path or one more candidate
// (chosen when none is yet and it lies inside `documentFolder`).
void TakeRelinkFind(KvAssetEntry& row, const brantic::String& path, const bx3::Filename& documentFolder);

// After the search: a row with candidates answers true (it is to be deselected), and its first
// candidate is chosen when none is.
bool SettleCandidates(KvAssetEntry& row);

// Makes `path` the row's chosen candidate when it is one of them.
void PreferCandidate(KvAssetEntry& row, const bx3::Filename& path);

// The path ApplyRelink writes for a row: its chosen candidate (the first one flagged), else
// for a selected row without candidates its relink path; empty for none.
bx3::Filename RelinkTarget(const KvAssetEntry& row);

}  // namespace kv
