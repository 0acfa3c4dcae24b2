// The readers of files that name other files, on any bytes: an answer or a refusal, never a
// crash or a hang, and every listed path is text the input held (or its decoding).
#include <cstdio>
#include <cstdlib>

#include "brantic/nestedfiles.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  const auto check = [&](const brantic::NamedFiles& found) {
    for (const brantic::NamedFile& file : found.files) {
      if (file.path.empty() || file.path.size() > input.size()) {
        std::fprintf(stderr, "a listed path that the input cannot hold\n");
        std::abort();
      }
    }
  };
  check(brantic::ObjLibrariesOfText(input));
  check(brantic::MtlMapsOfText(input));
  if (const auto gltf = brantic::GltfFilesOfText(input)) check(*gltf);
  if (const auto glb = brantic::GlbFilesOfBytes(input)) check(*glb);
  (void)brantic::PercentDecoded(input);
  return 0;
}
