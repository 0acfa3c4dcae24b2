// Host light profiles: a luminaire's photometric file, read for its description and drawn as
// its polar diagram. A profile belongs to one thread at a time.
#pragma once

#include <string>

#include "brantic/lightprofile.h"
#include "bx3/bitmap.h"
#include "bx3/filename.h"

namespace bx3 {

struct LightProfileColors {
  Rgb background;
  Rgb grid;
  Rgb first;   // the curve of the 0° and 180° planes
  Rgb second;  // the curve of the 90° and 270° planes
};

class BaseLightProfile {
 public:
  // Reads a profile file (only a regular file); false when it cannot be read, and Problem()
  // says why.
  bool Load(const Filename& file);
  bool IsLoaded() const { return loaded_; }
  const brantic::LightProfile& Profile() const { return profile_; }
  const std::string& Problem() const { return problem_; }
  // Draws the polar diagram over the whole bitmap (its size decides): the intensity against
  // the vertical angle, straight down at the bottom, rings at quarters of the strongest
  // intensity. One curve for the 0° plane (right) and the 180° plane (left); a second for the
  // 90° and 270° planes when the light is not the same all round. False when nothing is
  // loaded or the bitmap is empty.
  bool GetBitmap(BaseBitmap& bitmap, const LightProfileColors& colors) const;

 private:
  bool loaded_ = false;
  brantic::LightProfile profile_;
  std::string problem_;
};

}  // namespace bx3
