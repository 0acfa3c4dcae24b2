#include "operations/kvglobalize.h"

#include "operations/kvwritepass.h"

namespace kv {

std::vector<KvPathMark> MarkRowsToGlobalize(std::vector<KvAssetEntry>& rows, const std::vector<int64_t>& listed,
                                            const bx3::Document* document) {
  const brantic::Url folder = document ? document->GetFolder().GetUrl() : brantic::Url();
  std::vector<KvPathMark> marks;
  for (const int64_t index : listed) {
    KvAssetEntry& row = rows[size_t(index)];
    // Under a root that did not answer nothing is known of the file: left as it is.
    if (!row.selected || row.IsUnreachable()) continue;
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

KvWritePass::Counts WriteMarkedRows(std::vector<KvAssetEntry>& rows, const std::vector<KvPathMark>& marks,
                                    KvPathForm form, bx3::Document& document) {
  KvWritePass pass(document);
  for (const KvPathMark& mark : marks) {
    KvAssetEntry& row = rows[mark.row];
    pass.Write(row, mark.path, mark.localize, form);
    row.hasNewPath = 0;
  }
  return pass.GetCounts();
}

}  // namespace kv
