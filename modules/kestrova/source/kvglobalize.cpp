#include "kvglobalize.h"

#include "kvwriteback.h"

namespace kv {

std::vector<KvPathMark> MarkRowsToGlobalize(std::vector<KvAssetEntry>& rows, const std::vector<int64_t>& listed,
                                            const bx3::Document* document) {
  const brantic::Url folder = document ? document->GetFolder().GetUrl() : brantic::Url();
  std::vector<KvPathMark> marks;
  for (const int64_t index : listed) {
    KvAssetEntry& row = rows[size_t(index)];
    if (!row.selected) continue;
    // A row found on disk is written as found; any other is made local when the host holds
    // it (a texture open for painting).
    KvPathMark mark{size_t(index), bx3::Filename(), row.resolvedPath.IsEmpty() && !row.IsMissing()};
    if (!row.resolvedPath.IsEmpty()) {
      mark.path = bx3::Filename(row.resolvedPath);
    } else if (!row.assetPath.GetDirectory().IsPopulated()) {
      mark.path = row.assetPath;
    } else if (row.IsMissing() && !folder.IsEmpty() && row.assetPath.GetUrl().IsRelative()) {
      const auto joined = folder.Append(row.assetPath.GetUrl());
      if (!joined) continue;
      mark.path = bx3::Filename::FromUrl(*joined);
    } else {
      continue;
    }
    row.hasNewPath = 1;
    marks.push_back(std::move(mark));
  }
  return marks;
}

KvWriteCounts WriteMarkedRows(std::vector<KvAssetEntry>& rows, const std::vector<KvPathMark>& marks,
                              bx3::Document& document) {
  KvWriteCounts counts;
  document.StartUndo();
  for (const KvPathMark& mark : marks) {
    KvAssetEntry& row = rows[mark.row];
    if (WriteAssetPath(row, mark.path, &document, true, mark.localize) == kWriteFailed) {
      ++counts.failed;
    } else {
      ++counts.written;
    }
    row.hasNewPath = 0;
  }
  document.EndUndo();
  return counts;
}

}  // namespace kv
