// bx3's batch mode: actions on a scene without a window, for pipelines and tests.
#pragma once

#include <string>
#include <vector>

#include "brantic/result.h"

namespace bx3app {

struct BatchAction {
  std::string name;                    // "--command", "--report", ...
  std::vector<std::string> arguments;  // as given
};

struct BatchPlan {
  std::string scenePath;
  std::vector<BatchAction> actions;
};

// Reads the arguments after --batch (and its options). Fails with a message that names the
// bad argument; nothing runs then.
brantic::Result<BatchPlan> ParseBatchArguments(const std::vector<std::string>& arguments);

// Runs the actions in order on the loaded scene; answers the exit code: 0 all done, 1 an
// action failed (the reason is on stderr; later actions do not run).
int RunBatch(const BatchPlan& plan);

extern const char* const kBatchUsage;

}  // namespace bx3app
