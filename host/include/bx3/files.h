// The host's file services for operations on the files a scene uses. Any thread.
#pragma once

#include <atomic>

#include "brantic/filecopy.h"
#include "brantic/filewalk.h"
#include "brantic/result.h"
#include "bx3/filename.h"

namespace bx3 {

// The entries of `folder` in the host's browse order: byte order of their names.
brantic::Result<std::vector<brantic::FolderEntry>> BrowseFolder(const Filename& folder);
// Every file below `folder`, depth first in browse order, each folder once (link loops end);
// unreadable folders are counted and skipped. `stop` is tested before every entry.
brantic::Result<brantic::FileWalkStats> WalkFolder(const Filename& folder, const brantic::FileWalkVisitor& visitor,
                                                   const std::atomic<bool>* stop = nullptr);
// True when both name one file (the same device and inode).
bool IsSameFile(const Filename& first, const Filename& second);
// Makes `folder` and the folders above it that are missing.
brantic::Result<void> CreateFolder(const Filename& folder);
// Copies a file whole or not at all, keeping its permissions and times (brantic::CopyFileSafely).
brantic::Result<brantic::CopyOutcome> CopyFile(const Filename& source, const Filename& target,
                                               const brantic::CopyOptions& options = {});

}  // namespace bx3
