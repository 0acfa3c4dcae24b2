#include "bx3/files.h"

namespace bx3 {

brantic::Result<std::vector<brantic::FolderEntry>> BrowseFolder(const Filename& folder) {
  return brantic::ReadFolder(folder.GetString().Std());
}

brantic::Result<brantic::FileWalkStats> WalkFolder(const Filename& folder, const brantic::FileWalkVisitor& visitor,
                                                   const std::atomic<bool>* stop) {
  return brantic::WalkFiles(folder.GetString().Std(), visitor, stop);
}

bool IsSameFile(const Filename& first, const Filename& second) {
  return brantic::IsSameFile(first.GetString().Std(), second.GetString().Std());
}

brantic::Result<void> CreateFolder(const Filename& folder) { return brantic::CreateFolders(folder.GetString().Std()); }

brantic::Result<brantic::CopyOutcome> CopyFile(const Filename& source, const Filename& target,
                                               const brantic::CopyOptions& options) {
  return brantic::CopyFileSafely(source.GetString().Std(), target.GetString().Std(), options);
}

}  // namespace bx3
