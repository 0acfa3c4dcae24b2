// One scene's rows as the check's assets: their status, problems and users, and the files
// they use on disk (for the orphans of a project).
#pragma once

#include <string>
#include <unordered_map>
#include <vector>

#include "brantic/pathexpand.h"
#include "bx3/document.h"
#include "check/kvcheckreport.h"
#include "collection/kvassetentry.h"

namespace kv {

struct KvCheckContext {
  const brantic::PathExpander* expander = nullptr;  // the variables and mappings paths were resolved with
  std::string projectRoot;                          // absolute; empty: none
};

// The status word of a row.
std::string CheckStatusOf(const KvAssetEntry& row, const brantic::ExpandedPath& expanded);
// The kind word of a type.
std::string CheckKindOf(uint32_t assetType);

// Where each asset of a report stands in it, so that the scenes of a scan add to one entry
// per asset instead of one each.
using KvCheckAssetIndex = std::unordered_map<std::string, size_t>;

// Adds the uses of `scene`'s rows to `report`, a new entry for each asset it has none for.
void AddSceneAssets(KvCheckReport& report, KvCheckAssetIndex& index, const std::string& scene,
                    const std::vector<KvAssetEntry>& rows, const bx3::Document& document,
                    const KvCheckContext& context);

// The files on disk the rows use: each found file, and every existing file of a set.
void AddUsedFiles(const std::vector<KvAssetEntry>& rows, std::vector<std::string>& files);

}  // namespace kv
