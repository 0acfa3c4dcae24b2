// Runs a program as a process of its own and measures it: wall time and peak memory, so that
// a whole run's figures are its alone.
#pragma once

#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
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

// The middle value (the upper one of an even count); 0 for none.
inline double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values.empty() ? 0.0 : values[values.size() / 2];
}

// Runs beside their floors, one pair an iteration, as the benchmark's counters. The pace of
// these machines drifts within minutes by more than many a change is worth, so each run is
// compared with the floor taken just before it, and the middle of those ratios is the ratio.
class PairedFigures {
 public:
  void Add(const ProcessFigures& floor, const ProcessFigures& run) {
    floorSeconds_.push_back(floor.seconds);
    runSeconds_.push_back(run.seconds);
    ratios_.push_back(run.seconds / floor.seconds);
    floorPeak_ = std::max(floorPeak_, floor.peakMegabytes);
    runPeak_ = std::max(runPeak_, run.peakMegabytes);
  }
  void SetCounters(benchmark::State& state) const {
    state.counters["floor_s"] = Median(floorSeconds_);
    state.counters["run_s"] = Median(runSeconds_);
    state.counters["ratio"] = Median(ratios_);
    state.counters["floor_MB"] = floorPeak_;
    state.counters["run_MB"] = runPeak_;
  }

 private:
  std::vector<double> floorSeconds_, runSeconds_, ratios_;
  double floorPeak_ = 0, runPeak_ = 0;
};

inline std::string SelfPath() { return std::filesystem::read_symlink("/proc/self/exe"); }
// bx3, built beside the benchmarks' folder.
inline std::string Bx3Path() {
  return (std::filesystem::path(SelfPath()).parent_path().parent_path() / "bx3").string();
}

}  // namespace kvbench
