// Runs the built bx3 as a process, the way pipelines do.
#pragma once

#include <sys/wait.h>

#include <array>
#include <cstdio>
#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <vector>

namespace kvtest {

struct ProcessRun {
  int exitCode;
  std::string output;  // stdout and stderr
};

// Sanitizer builds run several times slower; time bounds of runs only catch a hang.
#ifdef KV_SLOW_BUILD
inline constexpr int kSlowdown = 6;
#else
inline constexpr int kSlowdown = 1;
#endif

// Exit code of a run that `timeout` stopped.
inline constexpr int kTimedOut = 124;

// `arguments` are passed through the shell: quote what needs quoting. The output holds
// stdout, and stderr too unless `stdoutOnly`. A run that takes longer than `timeoutSeconds`
// is stopped and answers kTimedOut, so that a hang fails its test instead of the whole run.
// `before` runs in the same shell first (such as "ulimit -f 64;").
inline ProcessRun RunBx3(const std::string& arguments, bool stdoutOnly = false, int timeoutSeconds = 240,
                         const std::string& before = "") {
  const std::string command = before + "timeout -k 5 " + std::to_string(timeoutSeconds) + " " + std::string(KV_BX3) +
                              " " + arguments + (stdoutOnly ? " 2>/dev/null" : " 2>&1") + " </dev/null";
  FILE* pipe = ::popen(command.c_str(), "r");
  if (!pipe) return {-1, ""};
  std::string output;
  std::array<char, 4096> buffer{};
  while (size_t count = std::fread(buffer.data(), 1, buffer.size(), pipe)) output.append(buffer.data(), count);
  const int status = ::pclose(pipe);
  return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, output};
}

inline std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::stringstream stream(text);
  for (std::string line; std::getline(stream, line);) lines.push_back(line);
  return lines;
}

// A JSON file (a report, a reference), or a discarded value when it is missing or not JSON.
inline nlohmann::json ReadJsonFile(const std::string& path) {
  std::ifstream file(path);
  return nlohmann::json::parse(file, nullptr, false);
}

}  // namespace kvtest
