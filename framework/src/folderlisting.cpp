#include "brantic/folderlisting.h"

#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <new>

namespace brantic {

namespace {

std::shared_ptr<const FolderListings::Names> ReadFolder(const std::string& folder) {
  // O_NONBLOCK and O_DIRECTORY: a pipe or device under the name never blocks the read.
  const int fd = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return nullptr;
  DIR* dir = ::fdopendir(fd);
  if (!dir) {
    ::close(fd);
    return nullptr;
  }
  std::shared_ptr<FolderListings::Names> names;
  try {
    names = std::make_shared<FolderListings::Names>();
    while (const dirent* entry = ::readdir(dir)) {
      const std::string_view name(entry->d_name);
      if (name == "." || name == ".." || entry->d_type == DT_DIR) continue;
      names->emplace_back(name);
    }
    std::sort(names->begin(), names->end());
  } catch (const std::bad_alloc&) {
    names = nullptr;  // read as a folder that cannot be read
  }
  ::closedir(dir);
  return names;
}

}  // namespace

std::shared_ptr<const FolderListings::Names> FolderListings::List(const std::string& folder) {
  std::shared_ptr<Slot> slot;
  {
    std::lock_guard lock(mutex_);
    auto& found = slots_[folder];
    if (!found) found = std::make_shared<Slot>();
    slot = found;
  }
  std::call_once(slot->once, [&] {
    slot->names = ReadFolder(folder);
    std::lock_guard lock(mutex_);
    ++read_;
  });
  return slot->names;
}

bool FolderListings::Contains(const std::string& folder, const std::string& name) {
  const auto names = List(folder);
  return names && std::binary_search(names->begin(), names->end(), name);
}

std::vector<int64_t> FolderListings::Members(const std::string& folder, const PathPattern& pattern) {
  std::vector<int64_t> members;
  const auto names = List(folder);
  if (!names) return members;
  const std::string_view head = pattern.FileHead();
  for (auto at = std::lower_bound(names->begin(), names->end(), head);
       at != names->end() && std::string_view(*at).starts_with(head); ++at) {
    if (const auto item = pattern.Match(*at)) members.push_back(*item);
  }
  std::sort(members.begin(), members.end());
  members.erase(std::unique(members.begin(), members.end()), members.end());
  return members;
}

size_t FolderListings::FoldersRead() const {
  std::lock_guard lock(mutex_);
  return read_;
}

}  // namespace brantic
