// Scene files: any bytes are refused or read; a scene read and written once reads back to the
// same text.
#include <cstdio>
#include <cstdlib>

#include "bx3/host.h"
#include "bx3/scenefile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const bool initialized = (bx3::InitializeHost(), true);
  (void)initialized;
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  auto document = bx3::ParseDocument(text, "fuzz.bx3");
  if (!document) return 0;
  const std::string first = bx3::SerializeDocument(**document);
  auto again = bx3::ParseDocument(first, "again.bx3");
  if (!again) {
    std::fprintf(stderr, "a written scene does not read back: %s\n", again.GetError().Message().c_str());
    std::abort();
  }
  if (bx3::SerializeDocument(**again) != first) {
    std::fprintf(stderr, "a scene read back writes another text\n");
    std::abort();
  }
  return 0;
}
