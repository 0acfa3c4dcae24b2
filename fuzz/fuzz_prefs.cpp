// Preferences: any bytes are refused or read; preferences read and written once read back to
// the same text.
#include <cstdio>
#include <cstdlib>

#include "bx3/prefs.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  bx3::Preferences& prefs = bx3::Preferences::Get();
  prefs.Reset();
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  if (!prefs.FromJson(text)) return 0;
  const std::string first = prefs.ToJson();
  if (!prefs.FromJson(first) || prefs.ToJson() != first) {
    std::fprintf(stderr, "written preferences do not read back the same\n");
    std::abort();
  }
  return 0;
}
