#include "brantic/folderlisting.h"

#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <new>

namespace brantic {

namespace {

// The names and the text they point into, in one piece.
struct Listing {
  std::string text;
  FolderListings::Names names;
};

std::shared_ptr<const FolderListings::Names> ReadFolder(const std::string& folder) {
  // O_NONBLOCK and O_DIRECTORY: a pipe or device under the name never blocks the read.
  const int fd = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return nullptr;
  DIR* dir = ::fdopendir(fd);
  if (!dir) {
    ::close(fd);
    return nullptr;
  }
  std::shared_ptr<Listing> listing;
  try {
    listing = std::make_shared<Listing>();
    // The names go into one text first (each ended by a zero); the views follow once it is
    // whole and no longer moves.
    std::vector<std::pair<size_t, size_t>> places;
    while (const dirent* entry = ::readdir(dir)) {
      const std::string_view name(entry->d_name);
      if (name == "." || name == ".." || entry->d_type == DT_DIR) continue;
      places.emplace_back(listing->text.size(), name.size());
      listing->text.append(name).push_back('\0');
    }
    listing->names.reserve(places.size());
    for (const auto& [at, length] : places) listing->names.emplace_back(listing->text.data() + at, length);
    std::sort(listing->names.begin(), listing->names.end());
  } catch (const std::bad_alloc&) {
    listing = nullptr;  // read as a folder that cannot be read
  }
  ::closedir(dir);
  if (!listing) return nullptr;
  return std::shared_ptr<const FolderListings::Names>(listing, &listing->names);
}

}  // namespace

std::shared_ptr<const FolderListings::Names> FolderListings::List(const std::string& path) {
  // "a/b/" and "a/b" are one folder, read once.
  std::string_view folder(path);
  while (folder.size() > 1 && folder.back() == '/') folder.remove_suffix(1);
  std::shared_ptr<Slot> slot;
  {
    std::lock_guard lock(mutex_);
    auto& found = slots_[std::string(folder)];
    if (!found) found = std::make_shared<Slot>();
    slot = found;
  }
  std::call_once(slot->once, [&] {
    slot->names = ReadFolder(std::string(folder));
    std::lock_guard lock(mutex_);
    ++read_;
  });
  return slot->names;
}

bool FolderListings::HasMember(const std::string& folder, const PathPattern& pattern) {
  const auto names = List(folder);
  if (!names) return false;
  const std::string_view head = pattern.FileHead();
  for (auto at = std::lower_bound(names->begin(), names->end(), head); at != names->end() && at->starts_with(head);
       ++at) {
    if (pattern.Match(*at)) return true;
  }
  return false;
}

bool FolderListings::Contains(const std::string& folder, const std::string& name) {
  const auto names = List(folder);
  return names && std::binary_search(names->begin(), names->end(), std::string_view(name));
}

std::vector<int64_t> FolderListings::Members(const std::string& folder, const PathPattern& pattern) {
  std::vector<int64_t> members;
  const auto names = List(folder);
  if (!names) return members;
  const std::string_view head = pattern.FileHead();
  for (auto at = std::lower_bound(names->begin(), names->end(), head); at != names->end() && at->starts_with(head);
       ++at) {
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
