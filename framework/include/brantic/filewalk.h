// Reading folders and walking folder trees. Any thread.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "brantic/result.h"

namespace brantic {

enum class FolderEntryKind : uint8_t { File, Folder, Other };

struct FolderEntry {
  std::string name;
  FolderEntryKind kind = FolderEntryKind::Other;
};

// The entries of one folder ("." and ".." left out) in byte order of their names: the same
// order on every run and every machine. Symbolic links count as what they point at; a
// dangling link, a pipe, a socket or a device is Other.
Result<std::vector<FolderEntry>> ReadFolder(const std::string& folder);

struct FileWalkStats {
  int64_t folders = 0;            // folders read
  int64_t files = 0;              // files handed to the visitor
  int64_t unreadableFolders = 0;  // folders that could not be opened or read, skipped
  int64_t repeatedFolders = 0;    // folders reached a second time (link loops, bind mounts), skipped
  bool stopped = false;           // the walk ended early
};

struct FileWalkVisitor {
  // A folder is about to be read; false ends the walk. May be empty.
  std::function<bool(const std::string& folder)> enterFolder;
  // A file of `folder`; false ends the walk.
  std::function<bool(const std::string& folder, std::string_view name)> file;
};

// Visits every file below `root`, depth first, the entries of each folder in ReadFolder's
// order with sub-folders walked where they come in it. Links are followed, but a folder
// reached again (the same device and inode) is walked once, so link loops end. Folders that
// cannot be read are counted and skipped. `stop`, when given, is tested before every entry.
// An error only when `root` itself is not a readable folder.
Result<FileWalkStats> WalkFiles(const std::string& root, const FileWalkVisitor& visitor,
                                const std::atomic<bool>* stop = nullptr);

}  // namespace brantic
