// Search and replace in the paths of the selected rows: proposals first (each row's new
// path), then, when applied, the paths written back into the scene as one undo step.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "brantic/regex.h"
#include "bx3/document.h"
#include "collection/kvassetentry.h"

namespace kv {

// Which part of a path is searched: the whole path, the folder part (with its trailing
// separator) or the file name; the pattern forms take the search text as a wildcard pattern.
enum KvReplaceMode : int32_t {
  kReplaceInPath = 10071,
  kReplaceInFolder = 10072,
  kReplaceInFileName = 10073,
  kReplaceInPathPattern = 10074,
  kReplaceInFolderPattern = 10075,
  kReplaceInFileNamePattern = 10076,
};

struct KvSearchReplace {
  std::string search;
  std::string replace;
  int32_t mode = kReplaceInPath;
};

// `path` with every occurrence of the search text (or every match of `pattern`, in the
// pattern modes) in the mode's part replaced; the rest of the path stays as it was.
std::string ReplaceInPath(std::string_view path, const KvSearchReplace& job, const brantic::RegularExpression* pattern);

struct KvSearchReplaceResult {
  int64_t proposed = 0;  // rows whose path would change
  int64_t written = 0;
  bool patternRejected = false;  // the search text made no valid pattern: nothing proposed
};

// Marks each selected row's proposal of `listed` by where its file would be found (as the
// row's status would read once it is written). GUI thread.
void CheckProposedFiles(std::vector<KvAssetEntry>& rows, const std::vector<int64_t>& listed,
                        const bx3::Document* document);

// The pass over the selected rows of `listed`: each gets its new path as `newPath`
// (hasNewPath when it differs); unless `preview`, the changed ones are written into
// `document` as one undo step. An empty search text withdraws every proposal.
KvSearchReplaceResult ApplySearchReplace(std::vector<KvAssetEntry>& rows, const std::vector<int64_t>& listed,
                                         const KvSearchReplace& job, bool preview, bx3::Document* document);

}  // namespace kv
