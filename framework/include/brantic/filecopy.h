// Copying files so that a failure never costs data, and making folders. Any thread.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "brantic/result.h"

namespace brantic {

enum class CopyOutcome : int32_t {
  Copied,
  SameFile,  // the target is the source itself (same device and inode): nothing was done
};

struct CopyOptions {
  // Asked between chunks; true abandons the copy (a Cancelled error) and leaves the target
  // as it was.
  std::function<bool()> stop;
  int64_t chunkBytes = 16 << 20;
};

// Copies the regular file `source` to `target`, replacing what `target` holds. The data goes
// to a temporary file beside the target that is renamed into place once complete, so a copy
// that fails or is interrupted never leaves a truncated target and never damages an existing
// one. The copy keeps the source's permission bits and access and modification times.
Result<CopyOutcome> CopyFileSafely(const std::string& source, const std::string& target,
                                   const CopyOptions& options = {});

// True when both paths name one file (the same device and inode), through links or not.
bool IsSameFile(const std::string& first, const std::string& second);

// Makes `folder` and any missing folder above it. Fine when it exists already.
Result<void> CreateFolders(const std::string& folder);

}  // namespace brantic
