#include "brantic/formatsniff.h"

#include <algorithm>
#include <cctype>
#include <string>

namespace brantic {

namespace {

struct Signature {
  size_t offset;
  std::string_view bytes;
};

using namespace std::string_view_literals;

// Pictures, then movies and sounds.
constexpr Signature kSignatures[] = {
    {0, "\x89PNG\r\n\x1a\n"sv},
    {0, "\xff\xd8\xff"sv},  // JPEG
    {0, "GIF8"sv},
    {0, "II*\0"sv},  // TIFF and the raw formats built on it
    {0, "MM\0*"sv},
    {0, "II+\0"sv},  // BigTIFF
    {0, "MM\0+"sv},
    {0, "\x76\x2f\x31\x01"sv},  // OpenEXR
    {0, "BM"sv},
    {0, "8BPS"sv},  // Photoshop
    {0, "#?"sv},    // Radiance HDR
    {0, "SDPX"sv},
    {0, "XPDS"sv},
    {0, "\x80\x2a\x5f\xd7"sv},  // Cineon
    {0, "\xd7\x5f\x2a\x80"sv},
    {0, "DDS "sv},
    {0, "\x01\xda"sv},  // SGI
    {0, "\0\0\1\0"sv},  // Windows icons
    {0, "\0\0\2\0"sv},
    {0, "\0\0\0\x0cjP  "sv},  // JPEG 2000
    {0, "\xff\x4f\xff\x51"sv},
    {0, "\xff\x0a"sv},  // JPEG XL
    {0, "\0\0\0\x0cJXL "sv},
    {0, "SIMPLE"sv},            // FITS
    {0, "\x53\x80\xf6\x34"sv},  // Softimage
    {0, "Ptex"sv},
    {0, " BDV"sv},      // OpenVDB
    {6, "HEAPCCDR"sv},  // Canon raw
    {0, "FUJIFILM"sv},
    {0, "IIRO"sv},  // Olympus raw
    {0, "IIRS"sv},
    {0, "MMOR"sv},
    {0, "IIU\0"sv},  // Panasonic raw
    {0, "FOVb"sv},   // Sigma raw
    {0, "\0MRM"sv},  // Minolta raw
    {4, "ftyp"sv},   // MP4, QuickTime, HEIF, AVIF, M4A, 3GP
    {4, "moov"sv},   // QuickTime without a type box
    {4, "mdat"sv},
    {4, "wide"sv},
    {4, "free"sv},
    {4, "skip"sv},
    {4, "pnot"sv},
    {0, "RIFF"sv},  // WAV, AVI, WebP
    {0, "RIFX"sv},
    {0, "RF64"sv},
    {0, "BW64"sv},
    {0, "FORM"sv},  // AIFF and IFF pictures
    {0, "fLaC"sv},
    {0, "OggS"sv},
    {0, "ID3"sv},
    {0, "\x1a\x45\xdf\xa3"sv},  // Matroska, WebM
    {0, "\0\0\1\xba"sv},        // MPEG program stream
    {0, "\0\0\1\xb3"sv},        // MPEG video
    {0, "FLV"sv},
    {0, "\x30\x26\xb2\x75"sv},  // ASF, WMV
    {0, "caff"sv},
    {0, ".snd"sv},
    {0, "YUV4MPEG2"sv},
    {0, "\x0b\x77"sv},          // AC-3
    {0, "MAC "sv},              // Monkey's Audio
    {0, "wvpk"sv},              // WavPack
    {0, "MPCK"sv},              // Musepack
    {0, "\x06\x0e\x2b\x34"sv},  // MXF
    {0, "\x2f\x86\x7b\x59"sv},  // zfile
    {0, "\x59\x7b\x86\x2f"sv},
};

constexpr std::string_view kSignatureless[] = {
    "tga", "tpic", "icb",  "vda", "vst",  "rla",  "pbm", "pgm", "ppm",  "pnm", "pfm",  "dv",  "dif",
    "raw", "aac",  "ac3",  "dts", "mp2",  "mp3",  "m2v", "mpg", "mpeg", "ts",  "m2ts", "mts", "vob",
    "pcm", "yuv",  "h264", "264", "h265", "hevc", "amr", "gsm", "au",   "snd", "ivf",  "dcm", "dicom",
};

}  // namespace

SniffedMedia SniffMedia(std::string_view firstBytes) {
  if (firstBytes.empty()) return SniffedMedia::Empty;
  for (const Signature& signature : kSignatures) {
    if (firstBytes.size() >= signature.offset + signature.bytes.size() &&
        firstBytes.substr(signature.offset, signature.bytes.size()) == signature.bytes) {
      return SniffedMedia::Signature;
    }
  }
  const auto byte = [&](size_t i) { return i < firstBytes.size() ? static_cast<uint8_t>(firstBytes[i]) : 0; };
  // Portable anymaps: "P1" to "P7", then white space.
  if (byte(0) == 'P' && byte(1) >= '1' && byte(1) <= '7' && std::isspace(byte(2))) return SniffedMedia::Signature;
  // An MPEG audio frame (MP3, AAC in ADTS) starts with eleven set bits.
  if (byte(0) == 0xff && (byte(1) & 0xe0) == 0xe0) return SniffedMedia::Signature;
  return SniffedMedia::Unknown;
}

bool SuffixMayLackSignature(std::string_view suffix) {
  std::string lower(suffix);
  std::transform(lower.begin(), lower.end(), lower.begin(), [](unsigned char c) { return char(std::tolower(c)); });
  return std::find(std::begin(kSignatureless), std::end(kSignatureless), lower) != std::end(kSignatureless);
}

}  // namespace brantic
