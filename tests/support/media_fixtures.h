// Test media, made by the tests with the same libraries the code reads them with.
#pragma once

#include <cstdint>
#include <functional>
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
  float dpi = 0.0f;                 // written as XResolution/YResolution in inches
  std::vector<uint8_t> iccProfile;  // written as the embedded profile
};

// Writes a picture of gradients through the image library; false when it cannot.
bool WriteImage(const std::string& path, const ImageFile& image);
// A minimal ICC profile whose description is `description`.
std::vector<uint8_t> MakeIccProfile(const std::string& description);
// A 16-bit BMP with 1-bit alpha (A1R5G5B5 masks), `width` × `height`.
bool WriteBmp1555(const std::string& path, int width, int height);
// A PNG whose header says `width` × `height` but that holds no pixel data.
bool WritePngHeaderOnly(const std::string& path, uint32_t width, uint32_t height);
// A sound of `frames` frames of a sine wave; `format` is a libsndfile format word.
bool WriteSound(const std::string& path, int format, int channels, int sampleRate, int frames);
// A one-second movie of 25 frames of 64 × 48 made with the ffmpeg tool; false without it.
bool WriteMovie(const std::string& path);
void WriteBytes(const std::string& path, const std::string& bytes);

}  // namespace kvtest
