#include "check/kvorphans.h"

#include <algorithm>
#include <filesystem>
#include <unordered_map>
#include <unordered_set>

#include "brantic/filewalk.h"

namespace kv {

namespace {

namespace fs = std::filesystem;

// Folders with their links resolved, each resolved once.
class FolderResolver {
 public:
  std::string Resolve(const std::string& path) {
    const size_t slash = path.rfind('/');
    const std::string folder = slash == std::string::npos ? "." : path.substr(0, slash == 0 ? 1 : slash);
    const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    auto [known, added] = folders_.try_emplace(folder);
    if (added) {
      std::error_code error;
      fs::path resolved = fs::weakly_canonical(fs::absolute(folder, error), error);
      known->second = error ? fs::absolute(folder).lexically_normal().string() : resolved.string();
      if (known->second.size() > 1 && known->second.back() == '/') known->second.pop_back();
    }
    return known->second + (known->second == "/" ? "" : "/") + name;
  }

 private:
  std::unordered_map<std::string, std::string> folders_;
};

}  // namespace

std::string ComparablePath(const std::string& path) { return FolderResolver().Resolve(path); }

brantic::Result<std::vector<std::string>> FindOrphans(const std::string& root, const std::vector<std::string>& used) {
  std::error_code error;
  const fs::path canonicalRoot = fs::canonical(fs::absolute(root, error), error);
  if (error) return brantic::IoError("cannot read the project root " + root + ": " + error.message());
  FolderResolver resolver;
  std::unordered_set<std::string> usedFiles;
  usedFiles.reserve(used.size());
  for (const std::string& file : used) usedFiles.insert(resolver.Resolve(file));
  std::vector<std::string> orphans;
  brantic::FileWalkVisitor visitor;
  visitor.file = [&](const std::string& folder, std::string_view name) {
    std::string path = folder + (folder.ends_with('/') ? "" : "/") + std::string(name);
    // Files reached through a linked folder below the root are compared where they lie.
    if (!usedFiles.contains(path) && !usedFiles.contains(resolver.Resolve(path))) orphans.push_back(std::move(path));
    return true;
  };
  auto walked = brantic::WalkFiles(canonicalRoot.string(), visitor);
  if (!walked) return brantic::IoError("cannot walk the project root " + root + ": " + walked.GetError().Message());
  std::sort(orphans.begin(), orphans.end());
  return orphans;
}

}  // namespace kv
