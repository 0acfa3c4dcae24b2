#include "operations/kvsearchreplace.h"

#include <optional>

#include "brantic/wildcard.h"
#include "collection/kvcollect_rules.h"
#include "collection/kvresolve.h"
#include "operations/kvwritepass.h"

namespace kv {

namespace {

bool IsPatternMode(int32_t mode) { return mode >= kReplaceInPathPattern && mode <= kReplaceInFileNamePattern; }

// Every occurrence of `search` in `text` replaced by `replace`.
std::string ReplaceText(std::string_view text, std::string_view search, std::string_view replace) {
  std::string result;
  size_t from = 0;
  for (size_t at = text.find(search); !search.empty() && at != text.npos; at = text.find(search, from)) {
    result.append(text.substr(from, at - from)).append(replace);
    from = at + search.size();
  }
  return result.append(text.substr(from));
}

// Every match of `pattern` in `text` replaced by `replace`, the text between kept.
std::string ReplaceMatches(std::string_view text, const brantic::RegularExpression& pattern, std::string_view replace) {
  std::string result;
  int64_t from = 0;
  for (auto match = pattern.FindFirst(text); match; match = pattern.FindNext(text, *match)) {
    if (match->length == 0) continue;  // an empty match replaces nothing
    result.append(text.substr(size_t(from), size_t(match->position - from))).append(replace);
    from = match->position + match->length;
  }
  return result.append(text.substr(size_t(from)));
}

// The new path of one row; its hasNewPath tells whether it differs.
void Propose(KvAssetEntry& row, const KvSearchReplace& job, const brantic::RegularExpression* pattern) {
  const std::string current(row.assetPath.View());
  const std::string proposed = ReplaceInPath(current, job, pattern);
  row.newPath = brantic::String(proposed);
  row.hasNewPath = proposed != current ? 1 : 0;
}

}  // namespace

std::string ReplaceInPath(std::string_view path, const KvSearchReplace& job,
                          const brantic::RegularExpression* pattern) {
  const auto replace = [&](std::string_view part) {
    return IsPatternMode(job.mode) && pattern ? ReplaceMatches(part, *pattern, job.replace)
                                              : ReplaceText(part, job.search, job.replace);
  };
  const size_t slash = path.rfind('/');
  const size_t fileStart = slash == path.npos ? 0 : slash + 1;
  switch (job.mode) {
    case kReplaceInFolder:
    case kReplaceInFolderPattern: return replace(path.substr(0, fileStart)) + std::string(path.substr(fileStart));
    case kReplaceInFileName:
    case kReplaceInFileNamePattern: return std::string(path.substr(0, fileStart)) + replace(path.substr(fileStart));
    default: return replace(path);
  }
}

void CheckProposedFiles(std::vector<KvAssetEntry>& rows, const std::vector<int64_t>& listed,
                        const bx3::Document* document) {
  std::vector<KvAssetEntry*> proposing;
  std::vector<std::pair<bx3::Filename, bool>> paths;  // the path, whether it is a bitmap shader's
  for (const int64_t index : listed) {
    KvAssetEntry& row = rows[size_t(index)];
    if (!row.selected || !row.hasNewPath) continue;
    const bx3::Element* owner = row.ownerLink.Resolve(document);
    paths.emplace_back(bx3::Filename(row.newPath), owner && owner->GetType() == bx3::type::kBitmapShader);
    proposing.push_back(&row);
  }
  // Each distinct proposed path is looked up once, on helper threads.
  KvResolveScope scope(document->GetFolder());
  scope.ResolveAll(paths);
  for (size_t i = 0; i < proposing.size(); ++i) {
    const int32_t result = scope.Resolve(paths[i].first, paths[i].second).result;
    proposing[i]->newPathState = result == kResolveFound     ? kNewPathFound
                                 : result == kResolveMissing ? kNewPathMissing
                                                             : kNewPathFoundElsewhere;
  }
}

KvSearchReplaceResult ApplySearchReplace(std::vector<KvAssetEntry>& rows, const std::vector<int64_t>& listed,
                                         const KvSearchReplace& job, bool preview, bx3::Document* document) {
  KvSearchReplaceResult result;
  if (!document) return result;
  const auto forEachSelected = [&](auto visit) {
    for (const int64_t index : listed) {
      if (KvAssetEntry& row = rows[size_t(index)]; row.selected) visit(row);
    }
  };
  if (job.search.empty()) {
    forEachSelected([](KvAssetEntry& row) {
      row.hasNewPath = 0;
      row.newPath = brantic::String();
    });
    return result;
  }

  KvSearchReplace pass = job;
  std::optional<brantic::RegularExpression> pattern;
  const bool wildcard = !IsPatternMode(job.mode) && brantic::IsWildcardPattern(job.search);
  // "#" alone may be a plain character too: what the pattern leaves is searched as text.
  const bool digitsOnly = wildcard && job.search.find_first_of("*?") == std::string::npos;
  if (wildcard || IsPatternMode(job.mode)) {
    auto compiled = brantic::RegularExpression::Compile(brantic::WildcardToRegex(job.search));
    if (!compiled) {
      result.patternRejected = true;
      return result;
    }
    pattern = std::move(*compiled);
    if (wildcard) pass.mode = job.mode + (kReplaceInPathPattern - kReplaceInPath);
  }
  forEachSelected([&](KvAssetEntry& row) { Propose(row, pass, pattern ? &*pattern : nullptr); });
  if (digitsOnly) {
    // Rows the pattern changed keep that proposal; the others are searched for the text.
    const KvSearchReplace plain{job.search, job.replace, kReplaceInPath};
    forEachSelected([&](KvAssetEntry& row) {
      if (!row.hasNewPath) Propose(row, plain, nullptr);
    });
  }
  forEachSelected([&](const KvAssetEntry& row) { result.proposed += row.hasNewPath; });
  if (preview) {
    CheckProposedFiles(rows, listed, document);
    return result;
  }

  KvWritePass write(*document);
  forEachSelected([&](KvAssetEntry& row) {
    if (!row.hasNewPath) return;
    row.hasNewPath = 0;
    if (write.Write(row, bx3::Filename(row.newPath)) != kWriteDone) return;
    ++result.written;
    RecomputeFrameDigits(row);
  });
  return result;
}

}  // namespace kv
