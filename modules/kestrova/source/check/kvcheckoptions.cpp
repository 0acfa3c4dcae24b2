#include "check/kvcheckoptions.h"

#include <algorithm>
#include <charconv>
#include <fstream>
#include <sstream>

#include "brantic/filewalk.h"
#include "check/kvcheckreport.h"

namespace kv {

const char* const kCheckUsage =
    "checks for pipelines and farms (no window):\n"
    "  bx3 --check SCENE... [OPTIONS]     does each scene have every file it uses?\n"
    "  bx3 --scan DIR|@LIST [OPTIONS]     every .bx3 below DIR (or listed in LIST) in one run\n"
    "  bx3 --merge REPORT.json... [--json FILE|-] [--fail-on LIST|none]\n"
    "                                     join the reports of a scan's shards\n"
    "options:\n"
    "  --json FILE|-          write the asset-level JSON report (- for stdout; without it a\n"
    "                         short summary goes to stdout)\n"
    "  --fail-on LIST|none    the problems that make the exit code 3 (a comma list; default\n"
    "                         missing,partial,unreachable,unreadable; also unset-variable,\n"
    "                         absolute, outside-project)\n"
    "  --project-root DIR     uses outside DIR are a problem; a scan lists the files under DIR\n"
    "                         that no scene uses as orphans\n"
    "  --probe                read each present file's header (a damaged picture is a problem)\n"
    "  --shard I/N            scan the I-th of N shares of the scenes (1 <= I <= N)\n"
    "exit codes: 0 no problem the policy fails on, 3 one or more, 2 bad arguments or a scene\n"
    "that cannot be read, 1 any other failure\n";

namespace {

bool ParseShard(const std::string& text, int& shard, int& shards) {
  const size_t slash = text.find('/');
  if (slash == std::string::npos) return false;
  const char* begin = text.data();
  const char* end = begin + text.size();
  const auto first = std::from_chars(begin, begin + slash, shard);
  const auto second = std::from_chars(begin + slash + 1, end, shards);
  return first.ec == std::errc() && first.ptr == begin + slash && second.ec == std::errc() && second.ptr == end &&
         shards >= 1 && shard >= 1 && shard <= shards;
}

}  // namespace

brantic::Result<KvCheckOptions> ParseCheckArguments(const std::vector<std::string>& arguments) {
  KvCheckOptions options;
  if (arguments.empty()) return brantic::IllegalArgumentError("nothing to do");
  const std::string& tool = arguments[0];
  if (tool == "--check") {
    options.mode = KvCheckMode::Check;
  } else if (tool == "--scan") {
    options.mode = KvCheckMode::Scan;
  } else if (tool == "--merge") {
    options.mode = KvCheckMode::Merge;
  } else {
    return brantic::IllegalArgumentError("unknown option " + tool);
  }
  auto failOn = ParseProblemList(kDefaultFailOn);
  options.failOn = std::move(*failOn);
  const auto value = [&](size_t& i) -> const std::string* {
    return i + 1 < arguments.size() ? &arguments[++i] : nullptr;
  };
  bool sharded = false;
  for (size_t i = 1; i < arguments.size(); ++i) {
    const std::string& argument = arguments[i];
    if (argument == "--probe") {
      options.probe = true;
    } else if (argument == "--json" || argument == "--fail-on" || argument == "--project-root" ||
               argument == "--shard") {
      const std::string* given = value(i);
      if (!given) return brantic::IllegalArgumentError(argument + " needs a value");
      if (argument == "--json") options.jsonPath = *given;
      if (argument == "--project-root") options.projectRoot = *given;
      if (argument == "--fail-on") {
        auto problems = ParseProblemList(*given);
        if (!problems) return brantic::IllegalArgumentError("--fail-on: " + problems.GetError().Message());
        options.failOn = std::move(*problems);
      }
      if (argument == "--shard") {
        if (!ParseShard(*given, options.shard, options.shards)) {
          return brantic::IllegalArgumentError("--shard takes I/N with 1 <= I <= N, not " + *given);
        }
        sharded = true;
      }
    } else if (argument.starts_with("--")) {
      return brantic::IllegalArgumentError("unknown option " + argument + " for " + tool);
    } else {
      options.inputs.push_back(argument);
    }
  }
  if (options.inputs.empty()) {
    return brantic::IllegalArgumentError(tool + (options.mode == KvCheckMode::Check  ? " needs a scene"
                                                 : options.mode == KvCheckMode::Scan ? " needs a folder or @list"
                                                                                     : " needs reports"));
  }
  if (options.mode == KvCheckMode::Scan && options.inputs.size() > 1) {
    return brantic::IllegalArgumentError("--scan takes one folder or @list, not " + options.inputs[1] + " too");
  }
  if (sharded && options.mode != KvCheckMode::Scan) return brantic::IllegalArgumentError("--shard goes with --scan");
  if (options.mode == KvCheckMode::Merge && (options.probe || !options.projectRoot.empty())) {
    return brantic::IllegalArgumentError("--merge takes the reports as they are (no --probe or --project-root)");
  }
  return options;
}

brantic::Result<std::vector<std::string>> ScenesToScan(const std::string& input) {
  std::vector<std::string> scenes;
  if (input.starts_with("@")) {
    std::ifstream list(input.substr(1));
    if (!list) return brantic::IoError("cannot read the list " + input.substr(1));
    std::string line;
    while (std::getline(list, line)) {
      if (!line.empty() && line.back() == '\r') line.pop_back();
      if (!line.empty() && line[0] != '#') scenes.push_back(line);
    }
    if (list.bad()) return brantic::IoError("cannot read the list " + input.substr(1));
  } else {
    const std::string root = input.size() > 1 && input.back() == '/' ? input.substr(0, input.size() - 1) : input;
    brantic::FileWalkVisitor visitor;
    visitor.file = [&scenes](const std::string& folder, std::string_view name) {
      if (name.ends_with(".bx3")) scenes.push_back(folder + (folder.ends_with('/') ? "" : "/") + std::string(name));
      return true;
    };
    auto walked = brantic::WalkFiles(root, visitor);
    if (!walked) return brantic::IoError("cannot scan " + input + ": " + walked.GetError().Message());
  }
  std::sort(scenes.begin(), scenes.end());
  scenes.erase(std::unique(scenes.begin(), scenes.end()), scenes.end());
  return scenes;
}

std::vector<std::string> ShardOf(const std::vector<std::string>& scenes, int shard, int shards) {
  std::vector<std::string> share;
  for (size_t i = size_t(shard - 1); i < scenes.size(); i += size_t(shards)) share.push_back(scenes[i]);
  return share;
}

}  // namespace kv
