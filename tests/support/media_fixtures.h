// Test media, made by the tests with the same libraries the code reads them with.
#pragma once

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <string>
#include <vector>

#include "support/temp_folder.h"

namespace kvtest {

struct ImageFile {
  int width = 64;
  int height = 32;
  std::vector<std::string> channels = {"R", "G", "B"};
  std::string format = "uint8";  // "uint8", "uint16", "half", "float"
  int alphaChannel = -1;
  float dpi = 0.0f;                   // written as XResolution/YResolution in inches
  std::vector<uint8_t> iccProfile{};  // written as the embedded profile
  int tileWidth = 0;                  // > 0: tiled, with tiles of this size
  int tileHeight = 0;
  bool mipmap = false;  // tiled files: every MIP level down to 1 × 1
  int originX = 0;      // where the pixels start (OpenEXR's data window)
  int originY = 0;
};

// Writes a picture of gradients through the image library; false when it cannot.
bool WriteImage(const std::string& path, const ImageFile& image);
// A deep scanline OpenEXR of `width` × `height` (channels R, G, B, A, Z): one sample per
// pixel of colour (0.8, 0.4, 0.2), opaque, but pixels whose x is odd, which hold a
// half-transparent grey sample before the opaque one, and the last column, which is empty.
bool WriteDeepImage(const std::string& path, int width, int height);
// Overwrites the value of a header attribute of an OpenEXR file (found by its name) with
// `value`; false when the file has no such attribute or the value's size differs.
bool PatchExrAttribute(const std::string& path, const std::string& name, const std::string& value);
// Little-endian bytes of 32-bit numbers, for patched values.
std::string LittleEndian32(std::initializer_list<uint32_t> values);
// A minimal ICC profile whose description is `description`.
std::vector<uint8_t> MakeIccProfile(const std::string& description);
// A 16-bit BMP with 1-bit alpha (A1R5G5B5 masks), `width` × `height`.
bool WriteBmp1555(const std::string& path, int width, int height);
// One PNG chunk: its length, type, data and checksum.
std::string PngChunk(const std::string& type, const std::string& data);
// A PNG whose header says `width` × `height` but that holds no pixel data.
bool WritePngHeaderOnly(const std::string& path, uint32_t width, uint32_t height);
// A sound of `frames` frames of a sine wave; `format` is a libsndfile format word.
bool WriteSound(const std::string& path, int format, int channels, int sampleRate, int frames);
// A one-second movie of 25 frames of 64 × 48 made with the ffmpeg tool; false without it.
bool WriteMovie(const std::string& path);

}  // namespace kvtest
