// The module entry protocol and the module loader. Main thread only.
//
// A module is a shared library under <application>/modules/<name>/ that exports
//   int32_t bx3_main(int32_t action, intptr_t p1, intptr_t p2, intptr_t p3);
// The host calls action 1 with a HostRecord in p3, action 6 with message 1 (load string
// resources), action 2 (register plug-ins), and action 3 at exit.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "brantic/result.h"

namespace bx3 {

enum ModuleAction : int32_t {
  kModuleStart = 1,
  kModulePluginStart = 2,
  kModuleEnd = 3,
  kModuleQuery = 4,
  kModuleMessage = 6,
};

inline constexpr int32_t kModuleMessageLoadResources = 1;

// Handed to the module in p3 of action 1.
struct HostRecord {
  int32_t version;
  int32_t reserved;
  // The module's own file, so that it finds its res/ and icons/ folders.
  const char* modulePath;
};

// Message 1 (load string resources): p2 points to a ResourceRequest. A module that loaded
// its resources clears `pending` of the record behind `state`.
struct ResourceState {
  uint8_t reserved[32];
  int64_t pending;
};
struct ResourceRequest {
  uint8_t reserved[40];
  ResourceState* state;
};
static_assert(offsetof(ResourceState, pending) == 32);
static_assert(offsetof(ResourceRequest, state) == 40);

// The command-information message a sub-command answers (Message type 300001001).
inline constexpr int32_t kMsgCommandInformation = 300001001;
struct CommandInformation {
  int32_t commandId;
  int32_t managerId;
  int32_t hostCommandId;
};

using ModuleMain = int32_t (*)(int32_t action, intptr_t p1, intptr_t p2, intptr_t p3);

class LoadedModule {
 public:
  // Opens the library, finds bx3_main, runs actions 1, 6 (message 1) and 2. A module
  // whose registration failed part-way stays loaded (what it registered stays registered)
  // and says why in Problem().
  static brantic::Result<std::unique_ptr<LoadedModule>> Load(const std::string& path);
  // Runs action 3 and closes the library. Free the module's commands first.
  ~LoadedModule();
  LoadedModule(const LoadedModule&) = delete;
  LoadedModule& operator=(const LoadedModule&) = delete;

  const std::string& Path() const { return path_; }
  const std::string& Problem() const { return problem_; }
  int32_t Call(int32_t action, intptr_t p1 = 0, intptr_t p2 = 0, intptr_t p3 = 0) const;

 private:
  LoadedModule(std::string path, void* handle, ModuleMain main);
  std::string path_;
  void* handle_;
  ModuleMain main_;
  std::string problem_;
  HostRecord record_{};
  bool started_ = false;
};

// Loads every <folder>/<name>/<library>.so in name order. Modules that fail are reported
// in `problems` and skipped.
std::vector<std::unique_ptr<LoadedModule>> LoadModules(const std::string& folder, std::vector<std::string>& problems);

}  // namespace bx3
