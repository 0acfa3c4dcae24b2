// The host's main-thread entry points stop a call from another thread in debug builds.
#include <gtest/gtest.h>

#include <functional>
#include <thread>

#include "bx3/canvas.h"
#include "bx3/commands.h"
#include "bx3/host.h"
#include "bx3/prefs.h"

namespace {

TEST(MainThreadTest, EntryPointsStopACallFromAnotherThread) {
#ifdef NDEBUG
  GTEST_SKIP() << "the checks are in debug builds";
#else
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  struct Case {
    const char* function;
    std::function<void()> call;
  };
  const Case cases[] = {
      {"GetActiveDocument", [] { (void)bx3::GetActiveDocument(); }},
      {"GetPaintTextures", [] { (void)bx3::GetPaintTextures(); }},
      {"GetHostColor", [] { (void)bx3::GetHostColor(bx3::color::kBackground); }},
      {"CallCommand", [] { (void)bx3::CallCommand(1); }},
      {"Get", [] { (void)bx3::Preferences::Get(); }},
  };
  for (const Case& c : cases) {
    const auto onAnotherThread = [&c] { std::thread(c.call).join(); };
    EXPECT_DEATH(onAnotherThread(), std::string(c.function) + " is for the main thread only") << c.function;
    c.call();  // on this thread it is fine
  }
#endif
}

}  // namespace
