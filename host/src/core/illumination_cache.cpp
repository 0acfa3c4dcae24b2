#include "bx3/illumination_cache.h"

#include <algorithm>
#include <string>

namespace bx3::illumination {

Filename FileOfStoredName(const Filename& stored) {
  return stored.GetSuffix().IsEmpty() ? Filename(stored.GetString().Std() + kCacheSuffix) : stored;
}

Filename StoredNameOfFile(const Filename& file) {
  std::string text(file.WithoutSuffix().View());
  if (text.size() > kFrameDigits &&
      std::all_of(text.end() - kFrameDigits, text.end(), [](char c) { return c >= '0' && c <= '9'; })) {
    text.resize(text.size() - kFrameDigits);
  }
  return Filename(text);
}

}  // namespace bx3::illumination
