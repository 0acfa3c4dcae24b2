#include "media_fixtures.h"

#include <OpenImageIO/deepdata.h>
#include <OpenImageIO/imagebufalgo.h>
#include <OpenImageIO/imageio.h>
#include <sndfile.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace kvtest {

bool WriteImage(const std::string& path, const ImageFile& image) {
  std::filesystem::create_directories(std::filesystem::path(path).parent_path());
  auto output = OIIO::ImageOutput::create(path);
  if (!output) return false;
  const int channels = static_cast<int>(image.channels.size());
  OIIO::ImageSpec spec(image.width, image.height, channels, OIIO::TypeDesc(image.format));
  spec.channelnames = image.channels;
  spec.alpha_channel = image.alphaChannel;
  if (image.dpi > 0.0f) {
    spec.attribute("XResolution", image.dpi);
    spec.attribute("YResolution", image.dpi);
    spec.attribute("ResolutionUnit", "in");
  }
  if (!image.iccProfile.empty()) {
    spec.attribute("ICCProfile", OIIO::TypeDesc(OIIO::TypeDesc::UINT8, image.iccProfile.size()),
                   image.iccProfile.data());
  }
  spec.x = spec.full_x = image.originX;
  spec.y = spec.full_y = image.originY;
  if (image.tileWidth > 0) {
    spec.tile_width = image.tileWidth;
    spec.tile_height = image.tileHeight;
  }
  std::vector<float> pixels(size_t(image.width) * image.height * channels);
  for (int y = 0; y < image.height; ++y) {
    for (int x = 0; x < image.width; ++x) {
      for (int c = 0; c < channels; ++c) {
        pixels[(size_t(y) * image.width + x) * channels + c] = float(x + y + c) / float(image.width + image.height);
      }
    }
  }
  if (image.mipmap) {  // every level down to 1 × 1, each made by the image library from the one before
    OIIO::ImageSpec source = spec;
    source.set_format(OIIO::TypeDesc::FLOAT);
    const OIIO::ImageBuf whole(source, pixels.data());
    return OIIO::ImageBufAlgo::make_texture(OIIO::ImageBufAlgo::MakeTxTexture, whole, path, spec);
  }
  return output->open(path, spec) && output->write_image(OIIO::TypeDesc::FLOAT, pixels.data()) && output->close();
}

bool WriteDeepImage(const std::string& path, int width, int height) {
  auto output = OIIO::ImageOutput::create(path);
  if (!output) return false;
  OIIO::ImageSpec spec(width, height, 5, OIIO::TypeDesc::FLOAT);
  spec.channelnames = {"R", "G", "B", "A", "Z"};
  spec.alpha_channel = 3;
  spec.z_channel = 4;
  spec.deep = true;
  OIIO::DeepData deep(spec);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const int64_t pixel = int64_t(y) * width + x;
      deep.set_samples(pixel, x == width - 1 ? 0 : x % 2 == 1 ? 2 : 1);
    }
  }
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x + 1 < width; ++x) {
      const int64_t pixel = int64_t(y) * width + x;
      // The opaque surface at depth 5; the grey veil in front of it, stored last.
      const float surface[5] = {0.8f, 0.4f, 0.2f, 1.0f, 5.0f};
      for (int c = 0; c < 5; ++c) deep.set_deep_value(pixel, c, 0, surface[c]);
      if (x % 2 == 1) {
        const float veil[5] = {0.25f, 0.25f, 0.25f, 0.5f, 1.0f};
        for (int c = 0; c < 5; ++c) deep.set_deep_value(pixel, c, 1, veil[c]);
      }
    }
  }
  return output->open(path, spec) && output->write_deep_image(deep) && output->close();
}

namespace {

std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

uint32_t ReadLE(const std::string& bytes, size_t at, int size) {
  uint32_t value = 0;
  for (int i = size - 1; i >= 0; --i) value = (value << 8) | uint8_t(bytes[at + size_t(i)]);
  return value;
}

}  // namespace

std::string LittleEndian32(std::initializer_list<uint32_t> values) {
  std::string bytes;
  for (uint32_t value : values) {
    for (int i = 0; i < 4; ++i) bytes += char((value >> (8 * i)) & 0xff);
  }
  return bytes;
}

bool PatchExrAttribute(const std::string& path, const std::string& name, const std::string& value) {
  std::string bytes = ReadAll(path);
  // After the magic number and version: name, type, size, value; an empty name ends the header.
  size_t at = 8;
  while (at < bytes.size() && bytes[at] != '\0') {
    const size_t nameEnd = bytes.find('\0', at);
    const size_t typeEnd = bytes.find('\0', nameEnd + 1);
    if (nameEnd == std::string::npos || typeEnd == std::string::npos || typeEnd + 5 > bytes.size()) return false;
    const uint32_t size = ReadLE(bytes, typeEnd + 1, 4);
    const size_t valueAt = typeEnd + 5;
    if (bytes.compare(at, nameEnd - at, name) == 0) {
      if (size != value.size()) return false;
      bytes.replace(valueAt, size, value);
      WriteBytes(path, bytes);
      return true;
    }
    at = valueAt + size;
  }
  return false;
}

namespace {

void Put32(std::string& out, uint32_t value) {
  for (int shift = 24; shift >= 0; shift -= 8) out += char((value >> shift) & 0xff);
}
void PutLE(std::string& out, uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) out += char((value >> (8 * i)) & 0xff);
}

uint32_t Crc32(const std::string& data) {
  uint32_t crc = 0xffffffffu;
  for (unsigned char byte : data) {
    crc ^= byte;
    for (int k = 0; k < 8; ++k) crc = (crc >> 1) ^ (0xedb88320u & (0u - (crc & 1u)));
  }
  return ~crc;
}

}  // namespace

std::vector<uint8_t> MakeIccProfile(const std::string& description) {
  std::string tag = "desc";
  tag += std::string(4, '\0');
  Put32(tag, uint32_t(description.size() + 1));
  tag += description + '\0';
  tag += std::string(12 + 67, '\0');  // empty Unicode and ScriptCode parts
  std::string profile(128, '\0');
  profile.replace(36, 4, "acsp");
  profile.replace(12, 4, "mntr");
  profile.replace(16, 4, "RGB ");
  profile.replace(20, 4, "XYZ ");
  profile.replace(8, 4, std::string("\x02\x10\0\0", 4));  // version 2.1
  // The D50 illuminant of the profile connection space, as s15Fixed16 numbers.
  profile.replace(68, 12, std::string("\0\0\xf6\xd6\0\x01\0\0\0\0\xd3\x2d", 12));
  Put32(profile, 1);
  profile += "desc";
  Put32(profile, 128 + 4 + 12);
  Put32(profile, uint32_t(tag.size()));
  profile += tag;
  std::string size;
  Put32(size, uint32_t(profile.size()));
  profile.replace(0, 4, size);
  return std::vector<uint8_t>(profile.begin(), profile.end());
}

bool WriteBmp1555(const std::string& path, int width, int height) {
  const int rowBytes = (width * 2 + 3) / 4 * 4;
  const uint32_t headerSize = 14 + 56;
  std::string file = "BM";
  PutLE(file, headerSize + uint32_t(rowBytes * height), 4);
  PutLE(file, 0, 4);
  PutLE(file, headerSize, 4);
  PutLE(file, 56, 4);  // BITMAPV3INFOHEADER: with colour and alpha masks
  PutLE(file, uint32_t(width), 4);
  PutLE(file, uint32_t(height), 4);
  PutLE(file, 1, 2);
  PutLE(file, 16, 2);
  PutLE(file, 3, 4);  // BI_BITFIELDS
  PutLE(file, uint32_t(rowBytes * height), 4);
  PutLE(file, 2835, 4);
  PutLE(file, 2835, 4);
  PutLE(file, 0, 4);
  PutLE(file, 0, 4);
  PutLE(file, 0x7c00, 4);  // red
  PutLE(file, 0x03e0, 4);  // green
  PutLE(file, 0x001f, 4);  // blue
  PutLE(file, 0x8000, 4);  // alpha
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) PutLE(file, 0x8000u | uint32_t((x * 31) / std::max(1, width - 1)), 2);
    file += std::string(size_t(rowBytes - width * 2), '\0');
  }
  WriteBytes(path, file);
  return true;
}

std::string PngChunk(const std::string& type, const std::string& data) {
  std::string chunk;
  Put32(chunk, uint32_t(data.size()));
  chunk += type + data;
  Put32(chunk, Crc32(type + data));
  return chunk;
}

bool WritePngHeaderOnly(const std::string& path, uint32_t width, uint32_t height) {
  std::string ihdr;
  Put32(ihdr, width);
  Put32(ihdr, height);
  ihdr += char(8);  // bit depth
  ihdr += char(2);  // RGB
  ihdr += std::string(3, '\0');
  WriteBytes(path, "\x89PNG\r\n\x1a\n" + PngChunk("IHDR", ihdr));
  return true;
}

bool WriteSound(const std::string& path, int format, int channels, int sampleRate, int frames) {
  SF_INFO info{};
  info.channels = channels;
  info.samplerate = sampleRate;
  info.format = format;
  SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
  if (!file) return false;
  std::vector<float> samples(size_t(frames) * channels);
  for (int f = 0; f < frames; ++f) {
    for (int c = 0; c < channels; ++c) samples[size_t(f) * channels + c] = 0.5f * std::sin(f * 0.05f);
  }
  const bool ok = sf_writef_float(file, samples.data(), frames) == frames;
  sf_close(file);
  return ok;
}

bool WriteMovie(const std::string& path) {
  if (std::system("command -v ffmpeg >/dev/null 2>&1") != 0) return false;
  const std::string command =
      "ffmpeg -nostdin -v error -y -f lavfi -i testsrc=size=64x48:rate=25 -t 1 "
      "-c:v mpeg4 -pix_fmt yuv420p '" +
      path + "'";
  return std::system(command.c_str()) == 0;
}

}  // namespace kvtest
