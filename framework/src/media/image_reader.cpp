// Picture headers through OpenImageIO.
//
// How OpenImageIO's answers map onto a picture description:
// - width and height: the full-resolution subimage 0, MIP level 0.
// - channel count: the number of channels; bits per pixel: the widest channel's size times
//   the channel count, or "oiio:BitsPerSample" times the channel count when the file says
//   (10- and 12-bit DPX, 1-bit TIFF).
// - group: 1 channel "A" alpha, else grey; 2 channels grey with alpha; 3 RGB; 4 with alpha
//   last RGBA, alpha first ARGB, no alpha RGBX; anything else "other". OpenImageIO always
//   hands out RGB order, so BGR groups do not arise here. GIF and BMP files of 8 bits or
//   fewer per pixel are indexed (one channel of palette indices). 16-bit BMP and Targa files
//   are one packed 16-bit channel; OpenImageIO drops their alpha bit, so their own headers
//   tell the packed layout (BMP colour masks; Targa alpha bits): ARGB or ABGR 1-5-5-5 or
//   4-4-4-4 when they carry alpha, else no packed format.
// - layers: OpenEXR channel names are grouped by the part before their last "." (the
//   unnamed part counts as one layer); files with several subimages (multi-part EXR, TIFF
//   pages) count one layer per subimage; Photoshop files count their layers (subimages
//   after the composite).
// - alpha: the file names an alpha channel.
// - aspect ratio: "PixelAspectRatio"; dpi: "XResolution" in inches (or converted from
//   centimetres or metres), rounded to 1/100.
// - colour profile: the "desc" text of the embedded ICC profile, else empty.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>

#include <OpenImageIO/filesystem.h>
#include <OpenImageIO/imageio.h>

#include <cerrno>
#include <cmath>
#include <fstream>
#include <mutex>
#include <set>

#include "brantic/formatnames.h"
#include "brantic/imagetexture.h"
#include "media_readers.h"

namespace brantic::media {

namespace {

// Plug-ins whose files are not pictures for us: movies go to the movie library, volumes
// and the rest are not images.
bool IsExcludedPlugin(std::string_view name) {
  return name == "ffmpeg" || name == "null" || name == "term" || name == "openvdb";
}

std::vector<String> SuffixesOf(std::string_view plugin) {
  static std::once_flag once;
  static std::string extensions;
  std::call_once(once, [] { OIIO::getattribute("extension_list", extensions); });
  // "png:png;openexr:exr,sxr,mxr;..."
  std::vector<String> suffixes;
  const std::string key = std::string(plugin) + ":";
  size_t start = extensions.find(key);
  if (start != 0 && start != std::string::npos) start = extensions.find(";" + key);
  if (start == std::string::npos) return suffixes;
  start = extensions.find(':', start) + 1;
  const size_t end = std::min(extensions.find(';', start), extensions.size());
  std::string_view list(extensions.data() + start, end - start);
  while (!list.empty()) {
    const size_t comma = list.find(',');
    suffixes.emplace_back(list.substr(0, comma));
    list = comma == std::string_view::npos ? std::string_view() : list.substr(comma + 1);
  }
  return suffixes;
}

uint32_t LittleEndian(const unsigned char* p, int bytes) {
  uint32_t value = 0;
  for (int i = bytes - 1; i >= 0; --i) value = (value << 8) | p[i];
  return value;
}

// The packed layout of a 16-bit BMP or Targa file, read from its header.
PackedPixelFormat PackedFormatOfFile(const std::string& path, std::string_view plugin) {
  unsigned char header[70] = {};
  std::ifstream file(path, std::ios::binary);
  file.read(reinterpret_cast<char*>(header), sizeof header);
  const std::streamsize count = file.gcount();
  if (plugin == "targa") {
    // Byte 16: bits per pixel; byte 17, low nibble: alpha bits. 16-bit Targa is A1R5G5B5.
    if (count >= 18 && header[16] == 16 && (header[17] & 0x0f) == 1) return PackedPixelFormat::ARGB1555;
    return PackedPixelFormat::None;
  }
  // BMP: info header size at 14, compression at 30 (3: bit fields), masks R, G, B, A at 54.
  if (count < 70 || LittleEndian(header + 14, 4) < 56 || LittleEndian(header + 30, 4) != 3) {
    return PackedPixelFormat::None;
  }
  const uint32_t red = LittleEndian(header + 54, 4);
  const uint32_t blue = LittleEndian(header + 62, 4);
  const uint32_t alpha = LittleEndian(header + 66, 4);
  if (alpha == 0x8000 && red == 0x7c00) return PackedPixelFormat::ARGB1555;
  if (alpha == 0x8000 && blue == 0x7c00) return PackedPixelFormat::ABGR1555;
  if (alpha == 0xf000 && red == 0x0f00) return PackedPixelFormat::ARGB4444;
  if (alpha == 0xf000 && blue == 0x0f00) return PackedPixelFormat::ABGR4444;
  return PackedPixelFormat::None;
}

int32_t BitsPerChannel(const OIIO::ImageSpec& spec) {
  const int declared = spec.get_int_attribute("oiio:BitsPerSample", 0);
  if (declared > 0) return declared;
  size_t widest = spec.format.size();
  for (const OIIO::TypeDesc& format : spec.channelformats) widest = std::max(widest, format.size());
  return static_cast<int32_t>(widest * 8);
}

PixelFormat PixelFormatOf(const OIIO::ImageSpec& spec, std::string_view plugin, const std::string& path) {
  PixelFormat format;
  format.channelCount = spec.nchannels;
  format.bitsPerPixel = BitsPerChannel(spec) * spec.nchannels;
  const int fileBits = spec.get_int_attribute("bmp:bitsperpixel", 0);
  if ((plugin == "gif") || (plugin == "bmp" && fileBits > 0 && fileBits <= 8)) {
    format.channelCount = 1;
    format.bitsPerPixel = plugin == "gif" ? 8 : fileBits;
    format.group = PixelFormatGroup::Indexed;
    return format;
  }
  const bool sixteenBit = (plugin == "bmp" && fileBits == 16) ||
                          (plugin == "targa" && spec.get_int_attribute("oiio:BitsPerSample", 0) == 5);
  if (sixteenBit) {
    format.channelCount = 1;
    format.bitsPerPixel = 16;
    format.packed = PackedFormatOfFile(path, plugin);
    const bool argb = format.packed == PackedPixelFormat::ARGB1555 || format.packed == PackedPixelFormat::ARGB4444;
    format.group = argb ? PixelFormatGroup::ARGB : PixelFormatGroup::Other;
    return format;
  }
  const auto name = [&](int i) { return spec.channelnames.size() > size_t(i) ? spec.channelnames[i] : ""; };
  switch (spec.nchannels) {
    case 1: format.group = name(0) == "A" ? PixelFormatGroup::Alpha : PixelFormatGroup::Grey; break;
    case 2: format.group = spec.alpha_channel >= 0 ? PixelFormatGroup::GreyAlpha : PixelFormatGroup::Other; break;
    case 3: format.group = PixelFormatGroup::RGB; break;
    case 4:
      if (spec.alpha_channel == 3)
        format.group = PixelFormatGroup::RGBA;
      else if (spec.alpha_channel == 0)
        format.group = PixelFormatGroup::ARGB;
      else if (spec.alpha_channel < 0)
        format.group = PixelFormatGroup::RGBX;
      break;
    default: break;
  }
  return format;
}

int32_t LayersOfChannels(const OIIO::ImageSpec& spec) {
  std::set<std::string> layers;
  for (const std::string& channel : spec.channelnames) {
    const size_t dot = channel.rfind('.');
    layers.insert(dot == std::string::npos ? std::string() : channel.substr(0, dot));
  }
  return std::max<int32_t>(1, static_cast<int32_t>(layers.size()));
}

double DotsPerInch(const OIIO::ImageSpec& spec) {
  // Some readers (BMP) store the resolution as an integer.
  const OIIO::ParamValue* value = spec.find_attribute("XResolution");
  float resolution = 0.0f;
  if (value && value->type() == OIIO::TypeInt)
    resolution = float(value->get_int());
  else if (value)
    resolution = value->get_float(0.0f);
  if (resolution <= 0.0f) return 0.0;
  const std::string unit = spec.get_string_attribute("ResolutionUnit", "in");
  double dpi = resolution;
  if (unit == "cm")
    dpi = resolution * 2.54;
  else if (unit == "m")
    dpi = resolution * 0.0254;
  else if (unit != "in" && unit != "inch")
    return 0.0;  // no unit: an aspect, not a density
  return std::round(dpi * 100.0) / 100.0;
}

String ColorProfileOf(const OIIO::ImageSpec& spec) {
  const OIIO::ParamValue* icc = spec.find_attribute("ICCProfile");
  if (!icc || icc->type().basetype != OIIO::TypeDesc::UINT8) return String();
  return IccProfileDescription(static_cast<const uint8_t*>(icc->data()),
                               static_cast<size_t>(icc->type().numelements() * icc->nvalues()));
}

}  // namespace

namespace {

// Reads a file through one descriptor at positions of its own, with the size the caller
// found: the library asks the file system nothing more.
class DescriptorProxy final : public OIIO::Filesystem::IOProxy {
 public:
  DescriptorProxy(const std::string& path, int fd, int64_t size) : IOProxy(path, Read), fd_(fd), size_(size) {}
  ~DescriptorProxy() override { ::close(fd_); }
  DescriptorProxy(const DescriptorProxy&) = delete;
  DescriptorProxy& operator=(const DescriptorProxy&) = delete;
  const char* proxytype() const override { return "descriptor"; }
  bool seek(int64_t offset) override {
    if (offset < 0) return false;
    m_pos = offset;
    return true;
  }
  size_t read(void* buffer, size_t size) override {
    const size_t count = pread(buffer, size, m_pos);
    m_pos += int64_t(count);
    return count;
  }
  size_t write(const void*, size_t) override { return 0; }
  size_t pread(void* buffer, size_t size, int64_t offset) override {
    size_t done = 0;
    while (done < size) {
      const ssize_t count = ::pread(fd_, static_cast<char*>(buffer) + done, size - done, offset + int64_t(done));
      if (count < 0 && errno == EINTR) continue;
      if (count <= 0) break;
      done += size_t(count);
    }
    return done;
  }
  size_t pwrite(const void*, size_t, int64_t) override { return 0; }
  size_t size() const override { return size_t(size_); }

 private:
  int fd_;
  int64_t size_;
};

// The picture's reader, given the file opened once: a reader that reads through a proxy uses
// this one, the others open the file themselves. `knownSize` below 0: the size is asked for.
std::unique_ptr<OIIO::ImageInput> OpenPicture(const std::string& path, int64_t knownSize,
                                              std::unique_ptr<OIIO::Filesystem::IOProxy>& proxy) {
  // Without blocking on a pipe that took the file's place since it was looked at.
  const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd >= 0) {
    struct stat info {};
    if (knownSize < 0 && ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode)) knownSize = int64_t(info.st_size);
    if (knownSize < 0) {
      ::close(fd);
      return nullptr;
    }
    proxy = std::make_unique<DescriptorProxy>(path, fd, knownSize);
    if (auto input = OIIO::ImageInput::open(path, nullptr, proxy.get())) return input;
    (void)OIIO::geterror();
    proxy.reset();
  }
  return OIIO::ImageInput::open(path);
}

std::optional<FileFormatHandler> Describe(const std::string& path, int64_t knownSize) {
  std::unique_ptr<OIIO::Filesystem::IOProxy> proxy;  // outlives the input that reads through it
  auto input = OpenPicture(path, knownSize, proxy);
  if (!input) {
    (void)OIIO::geterror();  // keep the library's per-thread error text from growing
    return std::nullopt;
  }
  const std::string plugin = input->format_name();
  if (IsExcludedPlugin(plugin)) return std::nullopt;
  const OIIO::ImageSpec& spec = input->spec();

  auto texture = std::make_shared<ImageTexture>();
  ImagePicture picture;
  picture.width = spec.width;
  picture.height = spec.height;
  picture.pixelFormat = PixelFormatOf(spec, plugin, path);
  picture.hasAlpha = spec.alpha_channel >= 0 || picture.pixelFormat.packed != PackedPixelFormat::None;
  picture.aspectRatio = spec.get_float_attribute("PixelAspectRatio", 0.0f);
  picture.dpi = DotsPerInch(spec);
  picture.colorProfile = ColorProfileOf(spec);
  picture.layerCount = LayersOfChannels(spec);
  // Several subimages are several layers; a Photoshop file's first one is the composite.
  int subimages = 1;
  while (subimages < 1024 && input->seek_subimage(subimages, 0)) ++subimages;
  if (subimages > 1) picture.layerCount = plugin == "psd" ? subimages - 1 : subimages;
  input->close();
  (void)OIIO::geterror();

  const std::string_view display = FormatNameOfReader(plugin);
  texture->formatName = String(display.empty() ? std::string_view(plugin) : display);
  texture->pictures.push_back(std::move(picture));
  MediaInputProperties properties;
  properties.supportsImage = true;
  const String formatName = texture->formatName;
  return FileFormatHandler(FileFormatHandlerType::MediaInput, formatName, SuffixesOf(plugin), properties,
                           std::move(texture));
}

}  // namespace

void ConfigureImageLibrary() {
  static std::once_flag once;
  std::call_once(once, [] {
    OIIO::attribute("openexr:core", 1);  // much faster header reads
  });
}

std::optional<FileFormatHandler> DescribeWithImageLibrary(const std::string& path, int64_t knownSize) {
  ConfigureImageLibrary();
  // A damaged header can make the image library throw (out of memory, say): such a file is
  // no picture it can read.
  try {
    return Describe(path, knownSize);
  } catch (const std::exception&) {
    (void)OIIO::geterror();
    return std::nullopt;
  }
}

}  // namespace brantic::media
