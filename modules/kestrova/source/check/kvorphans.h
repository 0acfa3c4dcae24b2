// The files under a project root that no scanned scene uses. Only listed: nothing is ever
// deleted or moved.
#pragma once

#include <string>
#include <vector>

#include "brantic/result.h"

namespace kv {

// Every file below `root` that is not in `used` (absolute paths: files the scenes use, the
// scenes themselves), sorted. Paths are compared with their folders' links resolved, so a
// file reached through a linked folder counts as the same file. `root` is made absolute.
brantic::Result<std::vector<std::string>> FindOrphans(const std::string& root, const std::vector<std::string>& used);

// `path` absolute and with its folder's links resolved, as the orphans are compared.
std::string ComparablePath(const std::string& path);

}  // namespace kv
