#include "collection/kvassettype.h"

#include <string_view>

#include "brantic/enumeration.h"
#include "brantic/formatnames.h"
#include "bx3/filename.h"
#include "ids/kvresources.h"

namespace kv {

namespace {

// The suffix lists, exactly as the inspector has always matched them.
constexpr std::string_view kImageSuffixes[] = {
    "bmp", "zr5", "hdr",   "pntg", "pnt", "mac",  "pict", "pic", "pct", "jpe",  "jpeg", "jpg", "jp2",
    "jpf", "jpm", "jif",   "fpx",  "xbm", "xpm",  "psd",  "png", "gif", "qtif", "qti",  "sgi", "rgb",
    "rla", "rpf", "targa", "iff",  "tif", "tiff", "qt",   "dpx", "exr", "qtvr", "tga",  "dds"};
constexpr std::string_view kVideoSuffixes[] = {"avi",  "mov", "mkv", "mp4",  "flv", "divx", "mpg",
                                               "mpeg", "wmv", "vob", "m2ts", "mts", "ts",   "m4v"};
constexpr std::string_view kAudioSuffixes[] = {"wav", "mp3", "aiff"};
constexpr std::string_view kCacheSuffixes[] = {"gi2", "wqn"};
constexpr std::string_view kReferenced3DSuffixes[] = {
    "bx3",    "3ds",  "abc", "xml",  "bvh", "cgr", "CATPart", "CATProduct", "dae",    "dem",
    "dxf",    "fbx",  "igs", "iges", "ai",  "jt",  "lws",     "skp",        "SLDPrt", "SLDAsm",
    "SLDDrw", "step", "stp", "p21",  "stl", "vdb", "wrl",     "obj",        "gltf",   "glb"};

static_assert(std::size(kImageSuffixes) == 38 && std::size(kVideoSuffixes) == 14 &&
              std::size(kReferenced3DSuffixes) == 30);

// Suffixes are ASCII: case is folded without the locale.
constexpr char AsciiLower(char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; }

bool SameIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (AsciiLower(a[i]) != AsciiLower(b[i])) return false;
  }
  return true;
}

// The host's suffix test, with the name's suffix found once for the whole list.
template <size_t N>
bool HasSuffixIn(const bx3::Filename& name, const std::string_view (&list)[N]) {
  const std::string_view own = name.GetSuffixView();
  if (own.empty()) return false;
  for (std::string_view suffix : list) {
    if (SameIgnoringCase(own, suffix)) return true;
  }
  return false;
}

}  // namespace

brantic::Result<void> RegisterAssetTypeEnumeration() {
  return brantic::RegisterEnumeration("ASSETTYPE", 4,
                                      {{ASSETTYPE_INVALID, "INVALID"},
                                       {ASSETTYPE_OTHER, "OTHER"},
                                       {ASSETTYPE_IMAGE, "IMAGE"},
                                       {ASSETTYPE_VIDEO, "VIDEO"},
                                       {ASSETTYPE_AUDIO, "AUDIO"},
                                       {ASSETTYPE_CACHE, "CACHE"},
                                       {ASSETTYPE_REFERENCED3D, "REFERENCED3D"},
                                       {ASSETTYPE_SEQUENCE, "SEQUENCE"}});
}

bool IsImageFile(const bx3::Filename& name) { return HasSuffixIn(name, kImageSuffixes); }
bool IsVideoFile(const bx3::Filename& name) { return HasSuffixIn(name, kVideoSuffixes); }
bool IsAudioFile(const bx3::Filename& name) { return HasSuffixIn(name, kAudioSuffixes); }
bool IsExternalCacheFile(const bx3::Filename& name) { return HasSuffixIn(name, kCacheSuffixes); }
bool IsReferenced3DFile(const bx3::Filename& name) { return HasSuffixIn(name, kReferenced3DSuffixes); }

uint32_t ClassifyAssetName(const bx3::Filename& name) {
  // The suffix of a name is that of its file part.
  if (name.GetFileView().empty()) return ASSETTYPE_OTHER;
  if (IsImageFile(name)) return ASSETTYPE_IMAGE;
  if (IsVideoFile(name)) return ASSETTYPE_VIDEO;
  if (IsAudioFile(name)) return ASSETTYPE_AUDIO;
  if (IsExternalCacheFile(name)) return ASSETTYPE_CACHE;
  if (IsReferenced3DFile(name)) return ASSETTYPE_REFERENCED3D;
  return ASSETTYPE_OTHER;
}

uint32_t RefineAssetType(uint32_t type, const bx3::Filename& name, const KvMediaSupport& support) {
  if (type & kAssetTypeMaskScene) return type;
  if (support.video) return ASSETTYPE_VIDEO;
  if (support.image && !name.CheckSuffix("ies")) return ASSETTYPE_IMAGE;
  if (support.audio) return ASSETTYPE_AUDIO;
  return type;
}

brantic::String AssetTypeName(uint32_t assetType) {
  switch (assetType) {
    case ASSETTYPE_IMAGE: return GetResourceString(res::kTypeImage);
    case ASSETTYPE_VIDEO: return GetResourceString(res::kTypeMovie);
    case ASSETTYPE_AUDIO: return GetResourceString(res::kTypeSound);
    case ASSETTYPE_CACHE: return GetResourceString(res::kTypeCache);
    case ASSETTYPE_REFERENCED3D: return GetResourceString(res::kTypeReference3d);
    default: return GetResourceString(res::kTypeOther);
  }
}

brantic::String FormatTextOfName(const bx3::Filename& name) {
  const brantic::String suffix = name.GetSuffix();
  if (suffix.IsEmpty()) return GetResourceString(res::kNone);
  const std::string_view known = brantic::FormatNameOfSuffix(suffix.View());
  return known.empty() ? suffix : brantic::String(known);
}

}  // namespace kv
