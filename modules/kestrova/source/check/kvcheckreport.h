// What a check or a scan found, as plain data: one entry per distinct path as written (and
// where it leads), every use of it, and the problems a pipeline asks about. Reports of shards
// of a scan merge into the report of the whole scan.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "brantic/result.h"
#include "brantic/string.h"

namespace kv {

// The problems a check names, in the order they are listed.
inline constexpr std::string_view kCheckProblems[] = {
    "missing", "partial", "unreachable", "unreadable", "unset-variable", "absolute", "outside-project",
};
// What a pipeline fails on unless it says otherwise.
inline constexpr std::string_view kDefaultFailOn = "missing,partial,unreachable,unreadable";

// One use of an asset: the scene, the element and parameter that hold the path, and for a
// use inside another file the files it comes through (empty for the scene's own). The uses of
// a scan share their texts: a scene's path is kept once, however many uses it has.
struct KvCheckUse {
  brantic::String scene;
  brantic::String element;
  brantic::String parameter;
  brantic::String via;
  auto operator<=>(const KvCheckUse&) const = default;
};

// The files of a frame or tile set.
struct KvCheckSet {
  int64_t found = 0;
  int64_t expected = 0;
  bool operator==(const KvCheckSet&) const = default;
};

struct KvCheckAsset {
  std::string path;      // as written
  std::string resolved;  // the file found (for a set, the path with its token); empty: none
  std::string status;    // found, elsewhere, partial, missing, unreachable
  std::string kind;      // image, movie, sound, cache, 3d, other
  std::optional<KvCheckSet> frames;
  std::optional<KvCheckSet> tiles;
  std::vector<KvCheckUse> usedBy;
  std::vector<std::string> problems;  // in the order of kCheckProblems
  // Not reported: the file whose header a probe reads (a set's first file); empty: none.
  std::string probeFile;
};

struct KvCheckScene {
  std::string path;   // as given
  int64_t uses = 0;   // the uses it holds, its nested ones included
  std::string error;  // why it could not be read; empty when it was
  auto operator<=>(const KvCheckScene&) const = default;
};

struct KvCheckReport {
  std::string projectRoot;  // empty: none was given
  bool listsOrphans = false;
  std::vector<KvCheckScene> scenes;
  std::vector<KvCheckAsset> assets;
  std::vector<std::string> orphans;  // files under the project root no scene uses
};

// Adds `problem` to the asset's problems, keeping their order and each once.
void AddProblem(KvCheckAsset& asset, std::string_view problem);
// Sorts every list and joins the entries of one asset (the same path, resolved the same way),
// so that a report does not depend on the order its parts were added in.
void NormalizeReport(KvCheckReport& report);
// The report one scan of all the shards' scenes makes. A file is an orphan when no shard
// uses it, so the orphans are those every shard lists. Fails when the shards disagree on
// the project root or on listing orphans, or share a scene.
brantic::Result<KvCheckReport> MergeReports(std::vector<KvCheckReport> shards);

// The problem names of a comma list, or none for "none"; an error names an unknown one.
brantic::Result<std::vector<std::string>> ParseProblemList(std::string_view list);
// How many assets have a problem of `failOn`.
int64_t CountFailingAssets(const KvCheckReport& report, const std::vector<std::string>& failOn);
// How many assets have `problem`.
int64_t CountProblem(const KvCheckReport& report, std::string_view problem);

}  // namespace kv
