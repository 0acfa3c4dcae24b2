// bx3's --check, --scan and --merge: the module's command-line tool. No window is made; the
// scenes are collected as the inspector collects them.
#pragma once

#include <string>
#include <vector>

namespace kv {

inline constexpr int kCheckExitClean = 0;
inline constexpr int kCheckExitFailed = 1;
inline constexpr int kCheckExitBadInput = 2;  // bad arguments, or a scene or report that cannot be read
inline constexpr int kCheckExitProblems = 3;  // a problem the policy fails on

// Runs the tool on its arguments (from its option on) and answers the exit code. Never throws.
int RunCheckTool(const std::vector<std::string>& arguments);

// Registers the tool with the host.
bool RegisterCheckTool();

}  // namespace kv
