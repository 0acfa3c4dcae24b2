#include "check/kvcheckrun.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <exception>
#include <filesystem>
#include <fstream>
#include <future>
#include <memory>
#include <optional>
#include <sstream>

#include "brantic/media.h"
#include "brantic/parallel.h"
#include "brantic/rootwatch.h"
#include "bx3/commands.h"
#include "bx3/prefs.h"
#include "bx3/scenefile.h"
#include "check/kvcheckjson.h"
#include "check/kvcheckoptions.h"
#include "check/kvcheckscene.h"
#include "check/kvorphans.h"
#include "check/kvsceneloader.h"
#include "collection/kvcollection.h"
#include "collection/kvprobe.h"
#include "collection/kvresolve.h"

namespace kv {

namespace {

struct Outcome {
  KvCheckReport report;
  std::string problem;  // a failure that is not the input's (exit code 1)
};

// Reads each distinct present file's header once, on as many threads as there are cores.
void ProbeAssets(KvCheckReport& report) {
  std::vector<KvCheckAsset*> probed;
  for (KvCheckAsset& asset : report.assets) {
    if (!asset.probeFile.empty()) probed.push_back(&asset);
  }
  std::sort(probed.begin(), probed.end(),
            [](const KvCheckAsset* a, const KvCheckAsset* b) { return a->probeFile < b->probeFile; });
  std::vector<std::vector<KvCheckAsset*>> byFile;
  for (KvCheckAsset* asset : probed) {
    if (byFile.empty() || byFile.back().front()->probeFile != asset->probeFile) byFile.emplace_back();
    byFile.back().push_back(asset);
  }
  std::vector<char> readable(byFile.size(), 1);
  brantic::ParallelFor(byFile.size(), [&](size_t file) {
    KvAssetEntry row;
    row.assetPath = bx3::Filename(byFile[file].front()->path);
    row.assetType = ClassifyAssetName(row.assetPath);
    row.resolvedUrl = bx3::Filename(byFile[file].front()->probeFile).GetUrl();
    readable[file] = ProbeAssetFile(row) ? 1 : 0;
  });
  for (size_t file = 0; file < byFile.size(); ++file) {
    if (readable[file]) continue;
    for (KvCheckAsset* asset : byFile[file]) AddProblem(*asset, "unreadable");
  }
}

// Whether a found file of these rows is media that only the readers read (PNG headers are
// read without them).
bool NeedsMediaReaders(const std::vector<KvAssetEntry>& rows) {
  return std::any_of(rows.begin(), rows.end(), [](const KvAssetEntry& row) {
    return !row.resolvedUrl.IsEmpty() && ProbeNeedsMediaReaders(row.assetPath, row.assetType);
  });
}

// Collects each scene as the inspector does, without probing, and makes the report.
Outcome CheckScenes(const std::vector<std::string>& scenes, const KvCheckOptions& options,
                    const std::string& projectRoot) {
  Outcome outcome;
  KvCheckReport& report = outcome.report;
  report.projectRoot = projectRoot;
  report.listsOrphans = options.mode == KvCheckMode::Scan && !projectRoot.empty();
  // One scene's collection asks each path once by itself.
  std::optional<KvRememberedFiles> remembered;
  if (scenes.size() > 1) remembered.emplace();
  const brantic::PathExpander expander = bx3::Preferences::Get().MakePathExpander();
  const KvCheckContext context{&expander, projectRoot};
  // The media readers take a while to open: they open while the scenes are collected, once a
  // scene uses a file the probe does not read without them.
  std::future<brantic::Result<void>> readers;
  std::vector<std::string> used;
  KvCheckAssetIndex index;
  KvCollection collection;
  collection.SetProbing(false);
  // No window waits on a check: a share is given its whole deadline to answer, and is then
  // decided once for every scene.
  const auto deadline = std::chrono::milliseconds(int64_t(bx3::Preferences::Get().GetRootAnswerSeconds() * 1000.0));
  collection.ShareRootPass(
      std::make_shared<brantic::RootWatch::Pass>(brantic::RootWatch::Shared(), deadline, deadline));
  KvSceneLoader loader(scenes);
  for (const std::string& scene : scenes) {
    if (report.listsOrphans) used.push_back(scene);
    auto document = loader.Next();
    if (!document) {
      report.scenes.push_back({scene, 0, document.GetError().Message()});
      continue;
    }
    if (!collection.BuildAssetArray(document->get())) {
      outcome.problem = "cannot collect " + scene;
      return outcome;
    }
    if (options.probe && !readers.valid() && NeedsMediaReaders(collection.Rows())) {
      readers = std::async(std::launch::async, [] { return brantic::LoadMediaReaders(); });
    }
    AddSceneAssets(report, index, scene, collection.Rows(), **document, context);
    if (report.listsOrphans) AddUsedFiles(collection.Rows(), used);
    report.scenes.push_back({scene, int64_t(collection.Rows().size()), ""});
    collection.Forget();
    loader.Recycle(std::move(*document));
  }
  if (options.probe) {
    // Without its readers a probe would call every file unreadable.
    if (auto opened = readers.valid() ? readers.get() : brantic::OK(); !opened) {
      outcome.problem = "--probe: " + opened.GetError().Message();
      return outcome;
    }
    ProbeAssets(report);
  }
  if (report.listsOrphans) {
    auto orphans = FindOrphans(projectRoot, used);
    if (!orphans) {
      outcome.problem = orphans.GetError().Message();
      return outcome;
    }
    report.orphans = std::move(*orphans);
  }
  NormalizeReport(report);
  return outcome;
}

brantic::Result<std::string> ReadWholeFile(const std::string& path) {
  std::error_code error;
  if (!std::filesystem::is_regular_file(path, error)) return brantic::IoError(path + ": not a regular file");
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  if (!in) return brantic::IoError(path + ": cannot be read");
  return text.str();
}

// A few lines for a person: what was checked, and each asset the policy fails on.
std::string SummaryText(const KvCheckReport& report, const std::vector<std::string>& failOn) {
  constexpr size_t kListed = 50;
  int64_t uses = 0;
  std::string text;
  for (const KvCheckScene& scene : report.scenes) {
    uses += scene.uses;
    if (!scene.error.empty()) text += "unreadable scene: " + scene.error + "\n";
  }
  size_t listed = 0, failing = 0;
  for (const KvCheckAsset& asset : report.assets) {
    std::string named;
    for (const std::string& problem : asset.problems) {
      if (std::find(failOn.begin(), failOn.end(), problem) != failOn.end()) {
        named += (named.empty() ? "" : ",") + problem;
      }
    }
    if (named.empty()) continue;
    ++failing;
    if (listed++ < kListed) {
      text += named + "\t" + asset.path + "\t(" + std::to_string(asset.usedBy.size()) +
              (asset.usedBy.size() == 1 ? " use" : " uses") + ", first in " + asset.usedBy.front().scene + ")\n";
    }
  }
  if (listed > kListed) text += "... and " + std::to_string(listed - kListed) + " more\n";
  std::string counts;
  for (std::string_view problem : kCheckProblems) {
    if (const int64_t count = CountProblem(report, problem)) {
      counts += (counts.empty() ? "" : ", ") + std::to_string(count) + " " + std::string(problem);
    }
  }
  text += "checked " + std::to_string(report.scenes.size()) + (report.scenes.size() == 1 ? " scene: " : " scenes: ") +
          std::to_string(report.assets.size()) + " files, " + std::to_string(uses) + " uses" +
          (counts.empty() ? "" : "; " + counts) + "\n";
  if (report.listsOrphans)
    text += std::to_string(report.orphans.size()) + " orphans under " + report.projectRoot + "\n";
  text += failing ? std::to_string(failing) + " files with problems the policy fails on\n"
                  : "no problem the policy fails on\n";
  return text;
}

int Run(const std::vector<std::string>& arguments) {
  auto parsed = ParseCheckArguments(arguments);
  if (!parsed) {
    std::fprintf(stderr, "bx3: %s (see bx3 --help)\n", parsed.GetError().Message().c_str());
    return kCheckExitBadInput;
  }
  const KvCheckOptions& options = *parsed;
  Outcome outcome;
  if (options.mode == KvCheckMode::Merge) {
    std::vector<KvCheckReport> shards;
    for (const std::string& input : options.inputs) {
      auto text = ReadWholeFile(input);
      auto shard = text ? ReadCheckReportJson(*text, input) : brantic::Result<KvCheckReport>(text.GetError());
      if (!shard) {
        std::fprintf(stderr, "bx3: %s\n", shard.GetError().Message().c_str());
        return kCheckExitBadInput;
      }
      shards.push_back(std::move(*shard));
    }
    auto merged = MergeReports(std::move(shards));
    if (!merged) {
      std::fprintf(stderr, "bx3: --merge: %s\n", merged.GetError().Message().c_str());
      return kCheckExitBadInput;
    }
    outcome.report = std::move(*merged);
  } else {
    std::vector<std::string> scenes = options.inputs;
    if (options.mode == KvCheckMode::Scan) {
      auto found = ScenesToScan(options.inputs.front());
      if (!found) {
        std::fprintf(stderr, "bx3: --scan: %s\n", found.GetError().Message().c_str());
        return kCheckExitBadInput;
      }
      scenes = ShardOf(*found, options.shard, options.shards);
    }
    std::string projectRoot;
    if (!options.projectRoot.empty()) {
      std::error_code error;
      projectRoot = std::filesystem::canonical(options.projectRoot, error).string();
      if (error || !std::filesystem::is_directory(projectRoot, error)) {
        std::fprintf(stderr, "bx3: --project-root %s: not a folder\n", options.projectRoot.c_str());
        return kCheckExitBadInput;
      }
    }
    outcome = CheckScenes(scenes, options, projectRoot);
  }
  if (!outcome.problem.empty()) {
    std::fprintf(stderr, "bx3: %s\n", outcome.problem.c_str());
    return kCheckExitFailed;
  }
  const KvCheckReport& report = outcome.report;
  if (options.jsonPath == "-") {
    const std::string json = CheckReportJson(report);
    if (std::fwrite(json.data(), 1, json.size(), stdout) != json.size() || std::fflush(stdout) != 0) {
      return kCheckExitFailed;
    }
  } else {
    if (!options.jsonPath.empty()) {
      auto written = bx3::WriteFileAtomically(options.jsonPath, CheckReportJson(report));
      if (!written) {
        std::fprintf(stderr, "bx3: cannot write %s: %s\n", options.jsonPath.c_str(),
                     written.GetError().Message().c_str());
        return kCheckExitFailed;
      }
    }
    std::fputs(SummaryText(report, options.failOn).c_str(), stdout);
  }
  const bool unreadableScene =
      std::any_of(report.scenes.begin(), report.scenes.end(), [](const KvCheckScene& s) { return !s.error.empty(); });
  if (unreadableScene) return kCheckExitBadInput;
  return CountFailingAssets(report, options.failOn) > 0 ? kCheckExitProblems : kCheckExitClean;
}

}  // namespace

int RunCheckTool(const std::vector<std::string>& arguments) {
  try {
    return Run(arguments);
  } catch (const std::exception& failure) {
    std::fprintf(stderr, "bx3: %s\n", failure.what());
  } catch (...) {
    std::fprintf(stderr, "bx3: the check failed\n");
  }
  return kCheckExitFailed;
}

bool RegisterCheckTool() {
  return bx3::RegisterCommandLineTool({{"--check", "--scan", "--merge"}, kCheckUsage, RunCheckTool});
}

}  // namespace kv
