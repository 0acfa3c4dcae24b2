// Light profiles: the candela distribution of a luminaire in the photometric data file format
// of the lighting engineers' standard LM-63 (".ies" files, the 1986, 1991, 1995, 2002 and
// 2019 forms). Only what a profile says is read; a damaged file is refused with the reason.
// Any thread.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "brantic/result.h"
#include "brantic/url.h"

namespace brantic {

enum class PhotometricType : int32_t { C = 1, B = 2, A = 3 };

struct LightProfile {
  // "LM-63-2002", ...; "LM-63-1986" for a file without a first line that names its form.
  std::string standard;
  // The keyword lines before TILT ("MANUFAC", "Demo Lighting Works"), in file order; [MORE]
  // lines are joined to the keyword before them.
  std::vector<std::pair<std::string, std::string>> keywords;
  std::string tilt;  // "NONE", "INCLUDE" or the name of a tilt file
  int32_t lampCount = 0;
  double lumensPerLamp = 0.0;  // -1: absolute photometry
  PhotometricType type = PhotometricType::C;
  int32_t unitsType = 0;  // 1 feet, 2 metres
  double width = 0.0, length = 0.0, height = 0.0;
  double ballastFactor = 1.0;
  double inputWatts = 0.0;
  std::vector<double> verticalAngles;    // degrees, ascending
  std::vector<double> horizontalAngles;  // degrees, ascending
  // Candela, the multiplier applied: all vertical angles of the first horizontal angle, then
  // of the second, ...
  std::vector<double> candela;

  // The keyword's text, empty when the file has none.
  std::string Keyword(std::string_view name) const;
  double MaximumIntensity() const;
  // The intensity towards (horizontal, vertical) degrees: the profile's symmetry applied (a
  // last horizontal angle of 0, 90 or 180 stands for the rest of the circle), interpolated
  // between the measured angles, 0 outside the measured vertical range.
  double Intensity(double horizontal, double vertical) const;
};

// Reads a profile from its text; an error names what is wrong and where.
Result<LightProfile> ParseLightProfile(std::string_view text);

// Profiles are a few kilobytes; a larger file is refused before it is read.
inline constexpr int64_t kMaxLightProfileBytes = int64_t{4} << 20;

// Reads a profile from a regular file (never from a folder, pipe or device).
Result<LightProfile> LoadLightProfile(const Url& url);

}  // namespace brantic
