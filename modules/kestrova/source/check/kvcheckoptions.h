// What `bx3 --check`, `--scan` and `--merge` are asked to do, read from their arguments, and
// the scenes a scan takes.
#pragma once

#include <string>
#include <vector>

#include "brantic/result.h"

namespace kv {

enum class KvCheckMode { Check, Scan, Merge };

struct KvCheckOptions {
  KvCheckMode mode = KvCheckMode::Check;
  std::vector<std::string> inputs;  // scenes (check), one folder or @list (scan), reports (merge)
  std::string jsonPath;             // empty: a summary on stdout; "-": the JSON on stdout
  std::vector<std::string> failOn;
  std::string projectRoot;
  bool probe = false;
  int shard = 1;  // this shard, from 1
  int shards = 1;
};

// Reads the arguments from the tool's option on; an error names the bad argument.
brantic::Result<KvCheckOptions> ParseCheckArguments(const std::vector<std::string>& arguments);

// The scenes of a scan, sorted by their bytes: every .bx3 file below a folder, or the lines
// of a list file (empty lines and lines starting with '#' left out).
brantic::Result<std::vector<std::string>> ScenesToScan(const std::string& input);
// The share of shard `shard` of `shards`: every shards-th scene from the shard-th on.
std::vector<std::string> ShardOf(const std::vector<std::string>& scenes, int shard, int shards);

extern const char* const kCheckUsage;

}  // namespace kv
