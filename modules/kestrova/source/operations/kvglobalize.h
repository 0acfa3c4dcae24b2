// Making the paths of the selected rows absolute, and writing them back as one undo step.
#pragma once

#include <cstdint>
#include <vector>

#include "bx3/document.h"
#include "collection/kvassetentry.h"
#include "operations/kvwritepass.h"

namespace kv {

// A row to write and the path it gets.
struct KvPathMark {
  size_t row = 0;
  bx3::Filename path;
  bool localize = false;  // what the write is told: make the path local when it can
};

// The mark pass: each selected row of `listed` (indexes into `rows`, in view order) whose
// path can be made absolute: a row found on disk gets the file it was found as; a bare file
// name stays as it is; a missing relative path is joined to the folder of `document` (when
// there is one). Sets each marked row's hasNewPath; the rows' paths do not change yet.
std::vector<KvPathMark> MarkRowsToGlobalize(std::vector<KvAssetEntry>& rows, const std::vector<int64_t>& listed,
                                            const bx3::Document* document);

// Writes each marked row's path into `document` in one write pass (one undo step, the host
// told once, even with nothing to write) and clears the marks, keeping of each old path's
// form what `form` says.
KvWritePass::Counts WriteMarkedRows(std::vector<KvAssetEntry>& rows, const std::vector<KvPathMark>& marks,
                                    KvPathForm form, bx3::Document& document);

}  // namespace kv
