// Runs a program as a process of its own and measures it: wall time and peak memory, so that
// a whole run's figures are its alone.
#pragma once

#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

namespace kvbench {

struct ProcessFigures {
  double seconds = 0;
  double peakMegabytes = 0;
  bool ok = false;
};

inline ProcessFigures RunProcess(const std::vector<std::string>& arguments) {
  const auto start = std::chrono::steady_clock::now();
  const pid_t child = ::fork();
  if (child == 0) {
    const int null = ::open("/dev/null", O_WRONLY);
    ::dup2(null, 1);
    ::dup2(null, 2);
    std::vector<char*> argv;
    for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    ::execv(argv[0], argv.data());
    ::_exit(127);
  }
  int status = 0;
  rusage usage{};
  ::wait4(child, &status, 0, &usage);
  ProcessFigures figures;
  figures.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  figures.peakMegabytes = double(usage.ru_maxrss) / 1024.0;
  figures.ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
  return figures;
}

// A run's figures beside its floor's, as the benchmark's counters.
inline void SetRunCounters(benchmark::State& state, const ProcessFigures& floor, const ProcessFigures& run) {
  state.counters["floor_s"] = floor.seconds;
  state.counters["run_s"] = run.seconds;
  state.counters["ratio"] = run.seconds / floor.seconds;
  state.counters["floor_MB"] = floor.peakMegabytes;
  state.counters["run_MB"] = run.peakMegabytes;
}

inline std::string SelfPath() { return std::filesystem::read_symlink("/proc/self/exe"); }
// bx3, built beside the benchmarks' folder.
inline std::string Bx3Path() {
  return (std::filesystem::path(SelfPath()).parent_path().parent_path() / "bx3").string();
}

}  // namespace kvbench
