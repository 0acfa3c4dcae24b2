#include "brantic/filewalk.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <set>
#include <utility>

namespace brantic {

namespace {

FolderEntryKind KindOfMode(mode_t mode) {
  if (S_ISREG(mode)) return FolderEntryKind::File;
  if (S_ISDIR(mode)) return FolderEntryKind::Folder;
  return FolderEntryKind::Other;
}

// Reads the open folder `fd` (taken over and closed). The entry types come from the folder
// itself; only links and entries of unknown type cost a stat.
Result<std::vector<FolderEntry>> ReadOpenFolder(int fd, const std::string& folder) {
  DIR* dir = ::fdopendir(fd);
  if (!dir) {
    const int error = errno;
    ::close(fd);
    return IoError(folder + ": " + std::strerror(error));
  }
  std::vector<FolderEntry> entries;
  errno = 0;
  while (const dirent* entry = ::readdir(dir)) {
    const char* name = entry->d_name;
    if (name[0] == '.' && (name[1] == 0 || (name[1] == '.' && name[2] == 0))) continue;
    FolderEntryKind kind = FolderEntryKind::Other;
    switch (entry->d_type) {
      case DT_REG: kind = FolderEntryKind::File; break;
      case DT_DIR: kind = FolderEntryKind::Folder; break;
      case DT_LNK:
      case DT_UNKNOWN: {
        struct stat info {};
        if (::fstatat(::dirfd(dir), name, &info, 0) == 0) kind = KindOfMode(info.st_mode);
        break;
      }
      default: break;
    }
    entries.push_back({name, kind});
    errno = 0;
  }
  const int error = errno;
  ::closedir(dir);
  if (error != 0) return IoError(folder + ": " + std::strerror(error));
  std::sort(entries.begin(), entries.end(), [](const FolderEntry& a, const FolderEntry& b) { return a.name < b.name; });
  return entries;
}

// Opens a folder for reading, without blocking on anything that is not one.
int OpenFolder(const std::string& folder) {
  return ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC | O_NONBLOCK);
}

std::string Join(const std::string& folder, std::string_view name) {
  std::string path;
  path.reserve(folder.size() + 1 + name.size());
  path += folder;
  if (path.empty() || path.back() != '/') path += '/';
  path += name;
  return path;
}

}  // namespace

Result<std::vector<FolderEntry>> ReadFolder(const std::string& folder) {
  const int fd = OpenFolder(folder);
  if (fd < 0) return IoError(folder + ": " + std::strerror(errno));
  return ReadOpenFolder(fd, folder);
}

Result<FileWalkStats> WalkFiles(const std::string& root, const FileWalkVisitor& visitor,
                                const std::atomic<bool>* stop) {
  FileWalkStats stats;
  std::set<std::pair<dev_t, ino_t>> seen;
  // One frame per folder being walked. A folder's entries are read whole and the folder is
  // closed before its sub-folders are entered: the depth of a tree costs memory, never
  // open descriptors.
  struct Frame {
    std::string path;
    std::vector<FolderEntry> entries;
    size_t next = 0;
  };
  std::vector<Frame> stack;
  // Enters `path`: answers false when the walk is to end.
  const auto enter = [&](std::string path, bool isRoot) -> Result<bool> {
    if (visitor.enterFolder && !visitor.enterFolder(path)) return false;
    const int fd = OpenFolder(path);
    struct stat info {};
    if (fd < 0 || ::fstat(fd, &info) != 0) {
      const std::string reason = std::strerror(errno);
      if (fd >= 0) ::close(fd);
      if (isRoot) return IoError(path + ": " + reason);
      ++stats.unreadableFolders;
      return true;
    }
    if (!seen.insert({info.st_dev, info.st_ino}).second) {
      ::close(fd);
      ++stats.repeatedFolders;
      return true;
    }
    Result<std::vector<FolderEntry>> entries = ReadOpenFolder(fd, path);
    if (!entries) {
      if (isRoot) return entries.GetError();
      ++stats.unreadableFolders;
      return true;
    }
    ++stats.folders;
    stack.push_back({std::move(path), std::move(*entries), 0});
    return true;
  };
  Result<bool> started = enter(root, true);
  if (!started) return started.GetError();
  if (!*started) stats.stopped = true;
  while (!stack.empty() && !stats.stopped) {
    Frame& frame = stack.back();
    if (frame.next == frame.entries.size()) {
      stack.pop_back();
      continue;
    }
    if (stop && stop->load(std::memory_order_relaxed)) {
      stats.stopped = true;
      break;
    }
    const FolderEntry& entry = frame.entries[frame.next++];
    if (entry.kind == FolderEntryKind::File) {
      ++stats.files;
      if (!visitor.file(frame.path, entry.name)) stats.stopped = true;
    } else if (entry.kind == FolderEntryKind::Folder) {
      Result<bool> entered = enter(Join(frame.path, entry.name), false);  // may move `frame`
      if (!*entered) stats.stopped = true;
    }
  }
  return stats;
}

}  // namespace brantic
