#include "check/kvcheckreport.h"

#include <algorithm>
#include <iterator>
#include <map>
#include <tuple>

namespace kv {

namespace {

size_t ProblemRank(std::string_view problem) {
  return size_t(std::find(std::begin(kCheckProblems), std::end(kCheckProblems), problem) - std::begin(kCheckProblems));
}

auto AssetKey(const KvCheckAsset& asset) { return std::tie(asset.path, asset.resolved, asset.status); }

// Takes `from`'s uses and problems into `into`, the same asset.
void JoinAsset(KvCheckAsset& into, KvCheckAsset&& from) {
  into.usedBy.insert(into.usedBy.end(), std::make_move_iterator(from.usedBy.begin()),
                     std::make_move_iterator(from.usedBy.end()));
  for (const std::string& problem : from.problems) AddProblem(into, problem);
  if (into.probeFile.empty()) into.probeFile = std::move(from.probeFile);
}

}  // namespace

void AddProblem(KvCheckAsset& asset, std::string_view problem) {
  const size_t rank = ProblemRank(problem);
  auto at = std::find_if(asset.problems.begin(), asset.problems.end(),
                         [rank](const std::string& other) { return ProblemRank(other) >= rank; });
  if (at != asset.problems.end() && *at == problem) return;
  asset.problems.insert(at, std::string(problem));
}

void NormalizeReport(KvCheckReport& report) {
  std::sort(report.scenes.begin(), report.scenes.end());
  report.scenes.erase(std::unique(report.scenes.begin(), report.scenes.end()), report.scenes.end());
  std::stable_sort(report.assets.begin(), report.assets.end(),
                   [](const KvCheckAsset& a, const KvCheckAsset& b) { return AssetKey(a) < AssetKey(b); });
  std::vector<KvCheckAsset> joined;
  joined.reserve(report.assets.size());
  for (KvCheckAsset& asset : report.assets) {
    if (!joined.empty() && AssetKey(joined.back()) == AssetKey(asset)) {
      JoinAsset(joined.back(), std::move(asset));
    } else {
      joined.push_back(std::move(asset));
    }
  }
  for (KvCheckAsset& asset : joined) {
    std::sort(asset.usedBy.begin(), asset.usedBy.end());
    asset.usedBy.erase(std::unique(asset.usedBy.begin(), asset.usedBy.end()), asset.usedBy.end());
  }
  report.assets = std::move(joined);
  std::sort(report.orphans.begin(), report.orphans.end());
  report.orphans.erase(std::unique(report.orphans.begin(), report.orphans.end()), report.orphans.end());
}

brantic::Result<KvCheckReport> MergeReports(std::vector<KvCheckReport> shards) {
  KvCheckReport merged;
  if (shards.empty()) return merged;
  merged.projectRoot = shards.front().projectRoot;
  merged.listsOrphans = shards.front().listsOrphans;
  std::map<std::string, size_t> orphanCounts;
  for (KvCheckReport& shard : shards) {
    if (shard.projectRoot != merged.projectRoot || shard.listsOrphans != merged.listsOrphans) {
      return brantic::IllegalArgumentError("the reports were made with different project roots");
    }
    for (KvCheckScene& scene : shard.scenes) merged.scenes.push_back(std::move(scene));
    for (KvCheckAsset& asset : shard.assets) merged.assets.push_back(std::move(asset));
    std::sort(shard.orphans.begin(), shard.orphans.end());
    shard.orphans.erase(std::unique(shard.orphans.begin(), shard.orphans.end()), shard.orphans.end());
    for (std::string& orphan : shard.orphans) ++orphanCounts[std::move(orphan)];
  }
  std::vector<std::string> scenePaths;
  for (const KvCheckScene& scene : merged.scenes) scenePaths.push_back(scene.path);
  std::sort(scenePaths.begin(), scenePaths.end());
  if (const auto twice = std::adjacent_find(scenePaths.begin(), scenePaths.end()); twice != scenePaths.end()) {
    return brantic::IllegalArgumentError("the scene " + *twice + " is in more than one report");
  }
  for (auto& [orphan, count] : orphanCounts) {
    if (count == shards.size()) merged.orphans.push_back(orphan);
  }
  NormalizeReport(merged);
  return merged;
}

brantic::Result<std::vector<std::string>> ParseProblemList(std::string_view list) {
  std::vector<std::string> problems;
  if (list == "none") return problems;
  while (true) {
    const size_t comma = list.find(',');
    const std::string_view name = list.substr(0, comma);
    if (ProblemRank(name) == std::size(kCheckProblems)) {
      std::string known;
      for (std::string_view problem : kCheckProblems) known += (known.empty() ? "" : ", ") + std::string(problem);
      return brantic::IllegalArgumentError("unknown problem \"" + std::string(name) + "\" (known: " + known +
                                           "; or none)");
    }
    if (std::find(problems.begin(), problems.end(), name) == problems.end()) problems.emplace_back(name);
    if (comma == std::string_view::npos) return problems;
    list.remove_prefix(comma + 1);
  }
}

int64_t CountFailingAssets(const KvCheckReport& report, const std::vector<std::string>& failOn) {
  return std::count_if(report.assets.begin(), report.assets.end(), [&failOn](const KvCheckAsset& asset) {
    return std::any_of(asset.problems.begin(), asset.problems.end(), [&failOn](const std::string& problem) {
      return std::find(failOn.begin(), failOn.end(), problem) != failOn.end();
    });
  });
}

int64_t CountProblem(const KvCheckReport& report, std::string_view problem) {
  return std::count_if(report.assets.begin(), report.assets.end(), [problem](const KvCheckAsset& asset) {
    return std::find(asset.problems.begin(), asset.problems.end(), problem) != asset.problems.end();
  });
}

}  // namespace kv
