// Light profiles: any text is read or refused with a reason, never crashes, and what is read
// holds together (a candela value for every pair of angles).
#include <cstdio>
#include <cstdlib>

#include "brantic/lightprofile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  auto profile = brantic::ParseLightProfile(text);
  if (!profile) {
    if (profile.GetError().Message().empty()) {
      std::fprintf(stderr, "a refused profile says nothing\n");
      std::abort();
    }
    return 0;
  }
  if (profile->candela.size() != profile->verticalAngles.size() * profile->horizontalAngles.size()) {
    std::fprintf(stderr, "candela values and angles do not match\n");
    std::abort();
  }
  double sum = profile->MaximumIntensity();
  for (double horizontal : {-90.0, 0.0, 45.0, 90.0, 180.0, 270.0, 720.0}) {
    for (double vertical : {-90.0, 0.0, 30.0, 90.0, 180.0}) sum += profile->Intensity(horizontal, vertical);
  }
  return sum < 0 ? 1 : 0;
}
