#include "brantic/folderlisting.h"

#include <algorithm>
#include <new>

namespace brantic {

namespace {

// The names and the text they point into, in one piece.
struct Listing {
  std::string text;
  FolderListings::Names names;
};

std::shared_ptr<const FolderListings::Names> ReadFolder(const FileQueries& files, const std::string& folder) {
  std::shared_ptr<Listing> listing;
  try {
    listing = std::make_shared<Listing>();
    // The names go into one text first (each ended by a zero); the views follow once it is
    // whole and no longer moves.
    std::vector<std::pair<size_t, size_t>> places;
    const bool read = files.ReadNames(folder, [&](std::string_view name) {
      places.emplace_back(listing->text.size(), name.size());
      listing->text.append(name).push_back('\0');
    });
    if (!read) return nullptr;
    listing->names.reserve(places.size());
    for (const auto& [at, length] : places) listing->names.emplace_back(listing->text.data() + at, length);
    std::sort(listing->names.begin(), listing->names.end());
  } catch (const std::bad_alloc&) {
    return nullptr;  // read as a folder that cannot be read
  }
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
    slot->names = ReadFolder(*files_, std::string(folder));
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
