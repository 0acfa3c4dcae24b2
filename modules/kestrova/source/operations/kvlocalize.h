// Making the paths of rows local to the document: relative to its folder where the file is
// there, else a bare name (placed in the folder its kind belongs in when it is missing).
#pragma once

#include <string>
#include <vector>

#include "bx3/document.h"
#include "collection/kvassetentry.h"
#include "operations/kvglobalize.h"

namespace kv {

// The folder below the document's that a file of this row belongs in: "illum" for render
// caches, "vol" for volumes (with the volume sequence's own folder below it), "tex" for
// pictures and movies; empty for anything else.
std::string LocalSubfolder(const KvAssetEntry& row, const bx3::Document* document);

// Whether the row's file is one a renderer writes (an output, a render cache): Make Paths
// Relative never moves such a file into a subfolder.
bool IsWrittenByRenderer(const KvAssetEntry& row, const bx3::Document* document);

// Which rows get which local path: the selected ones, or every row when none is selected.
// The rows themselves do not change.
std::vector<KvPathMark> MarkRowsToLocalize(const std::vector<KvAssetEntry>& rows, bool anySelected,
                                           const bx3::Document& document);

}  // namespace kv
