// Collecting the files of rows next to the scene: which file goes where.
#pragma once

#include <cstdint>
#include <vector>

#include "bx3/document.h"
#include "bx3/filename.h"
#include "collection/kvassetentry.h"

namespace kv {

// One file to copy: where from, into which folder, under which name.
struct KvCopyItem {
  uint32_t row = 0;
  bx3::Filename source;
  bx3::Filename folder;
  bx3::Filename target;
  bool setMember = false;  // a frame or tile of a set: when missing it is named, not asked for
  bool nested = false;     // a file inside a collected file (named too when missing)
};

// The files of the selected rows (every row when none is selected), in row order: a
// sequence row's every frame file (its frame number in place of the digit run of its name,
// padded as the run is; at most 100,000 of them), a frame or tile set's every file (its
// expected frames or tiles, else those on disk), any other row's one file. The source is where the row's file was
// found, else its stored path (joined to the document's folder when relative); the target is `targetFolder` plus the
// subfolder its kind belongs in ("tex", "illum", "vol").
std::vector<KvCopyItem> PlanConsolidation(const std::vector<KvAssetEntry>& rows, bool anySelected,
                                          const bx3::Filename& targetFolder, const bx3::Document* document);

// How many files the rows that PlanConsolidation takes name: each distinct path once,
// however many rows use it.
int64_t CountFilesToCollect(const std::vector<KvAssetEntry>& rows, bool anySelected);

}  // namespace kv
