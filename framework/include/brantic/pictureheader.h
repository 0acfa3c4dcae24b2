// The size of a picture read from its header alone, without the media readers: for PNG files,
// the most common picture of a scene, so that probing a scene of them never opens the readers
// (and the libraries they map). Only headers the readers surely read the same way are
// answered; for any other the readers are asked. Any thread.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "brantic/string.h"

namespace brantic {

struct PictureHeader {
  String formatName;  // as the readers name the format ("PNG")
  int64_t width = 0;
  int64_t height = 0;
};

// From the file's first bytes (as many as were read; the header must lie within them).
std::optional<PictureHeader> ParsePictureHeader(std::string_view bytes);

// Reads the start of a regular file at `path` (without blocking on a pipe). `knownSize` is
// the file's size when the caller just found it, else -1.
std::optional<PictureHeader> ReadPictureHeader(const std::string& path, int64_t knownSize = -1);

}  // namespace brantic
