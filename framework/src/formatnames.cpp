#include "brantic/formatnames.h"

#include <algorithm>
#include <cctype>
#include <string>

namespace brantic {

namespace {

struct PictureFormat {
  std::string_view reader;
  std::string_view name;
  std::string_view suffixes;  // blank-separated
};

// The picture library's readers, with the names shown for them.
constexpr PictureFormat kPictureFormats[] = {
    {"png", "PNG", "png"},
    {"openexr", "OpenEXR", "exr sxr mxr"},
    {"tiff", "TIFF", "tif tiff tx tex"},
    {"jpeg", "JPEG", "jpg jpeg jpe jfif"},
    {"bmp", "BMP", "bmp dib"},
    {"dds", "DDS", "dds"},
    {"dpx", "DPX", "dpx"},
    {"gif", "GIF", "gif"},
    {"hdr", "Radiance HDR", "hdr rgbe"},
    {"psd", "Photoshop", "psd psb"},
    {"targa", "Targa", "tga tpic"},
    {"sgi", "SGI", "sgi rgb rgba bw int inta"},
    {"iff", "IFF", "iff z"},
    {"rla", "RLA", "rla"},
    {"jpeg2000", "JPEG 2000", "jp2 j2k j2c"},
    {"heif", "HEIF", "heif heic avif"},
    {"webp", "WebP", "webp"},
    {"pnm", "PNM", "pnm ppm pgm pbm pfm"},
    {"fits", "FITS", "fits"},
    {"ico", "ICO", "ico"},
    {"cineon", "Cineon", "cin"},
    {"softimage", "Softimage PIC", "pic"},
    {"raw", "Camera RAW", "cr2 cr3 nef arw dng orf raf rw2 pef srw"},
    {"dicom", "DICOM", "dcm"},
    {"zfile", "Zfile", "zfile"},
};

struct ContainerFormat {
  std::string_view name;
  std::string_view suffixes;
};

// The movie and sound containers, named as the movie library names them.
constexpr ContainerFormat kContainerFormats[] = {
    {"QuickTime / MOV", "mov mp4 m4v m4a 3gp 3g2 mj2"},
    {"AVI (Audio Video Interleaved)", "avi divx"},
    {"Matroska / WebM", "mkv mka webm"},
    {"MPEG-PS (MPEG-2 Program Stream)", "mpg mpeg vob"},
    {"MPEG-TS (MPEG-2 Transport Stream)", "ts m2ts mts"},
    {"FLV (Flash Video)", "flv"},
    {"ASF (Advanced / Active Streaming Format)", "wmv wma asf"},
    {"WAV / WAVE (Waveform Audio)", "wav wave"},
    {"MP2/3 (MPEG audio layer 2/3)", "mp3 mp2"},
    {"raw FLAC", "flac"},
    {"Audio IFF", "aif aiff aifc"},
    {"Ogg", "ogg oga ogv opus"},
};

bool ListHas(std::string_view list, std::string_view word) {
  while (!list.empty()) {
    const size_t blank = list.find(' ');
    if (list.substr(0, blank) == word) return true;
    if (blank == std::string_view::npos) break;
    list.remove_prefix(blank + 1);
  }
  return false;
}

}  // namespace

std::string_view FormatNameOfReader(std::string_view reader) {
  for (const PictureFormat& format : kPictureFormats) {
    if (format.reader == reader) return format.name;
  }
  return {};
}

std::string_view FormatNameOfSuffix(std::string_view suffix) {
  if (suffix.empty() || suffix.size() > 8) return {};
  std::string lower(suffix);
  std::transform(lower.begin(), lower.end(), lower.begin(), [](unsigned char c) { return char(std::tolower(c)); });
  for (const PictureFormat& format : kPictureFormats) {
    if (ListHas(format.suffixes, lower)) return format.name;
  }
  for (const ContainerFormat& format : kContainerFormats) {
    if (ListHas(format.suffixes, lower)) return format.name;
  }
  return {};
}

}  // namespace brantic
