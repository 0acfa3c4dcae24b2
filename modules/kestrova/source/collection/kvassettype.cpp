#include "collection/kvassettype.h"

#include <mutex>
#include <shared_mutex>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>

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

constexpr bool SameIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (AsciiLower(a[i]) != AsciiLower(b[i])) return false;
  }
  return true;
}

// Whether a suffix stands in two lists: each must name one type.
constexpr bool ListsShareASuffix() {
  const std::span<const std::string_view> lists[] = {kImageSuffixes, kVideoSuffixes, kAudioSuffixes, kCacheSuffixes,
                                                     kReferenced3DSuffixes};
  for (size_t i = 0; i < std::size(lists); ++i) {
    for (size_t j = i + 1; j < std::size(lists); ++j) {
      for (std::string_view a : lists[i]) {
        for (std::string_view b : lists[j]) {
          if (SameIgnoringCase(a, b)) return true;
        }
      }
    }
  }
  return false;
}
static_assert(!ListsShareASuffix(), "a suffix stands in two lists");

std::string LowerCase(std::string_view text) {
  std::string lower(text);
  for (char& c : lower) c = AsciiLower(c);
  return lower;
}

// The type of each suffix of the lists, by its lower-case form: one lookup instead of a
// comparison with every suffix (the lists do not overlap).
const std::unordered_map<std::string, uint32_t>& TypesOfSuffixes() {
  static const std::unordered_map<std::string, uint32_t> types = [] {
    std::unordered_map<std::string, uint32_t> map;
    const auto add = [&map](const auto& list, uint32_t type) {
      for (std::string_view suffix : list) map.try_emplace(LowerCase(suffix), type);
    };
    add(kImageSuffixes, ASSETTYPE_IMAGE);
    add(kVideoSuffixes, ASSETTYPE_VIDEO);
    add(kAudioSuffixes, ASSETTYPE_AUDIO);
    add(kCacheSuffixes, ASSETTYPE_CACHE);
    add(kReferenced3DSuffixes, ASSETTYPE_REFERENCED3D);
    return map;
  }();
  return types;
}

// What a suffix as written tells: the type it is listed with (ASSETTYPE_OTHER for none) and
// the name of its format (the suffix itself for an unknown one).
struct SuffixFacts {
  uint32_t type = ASSETTYPE_OTHER;
  brantic::String format;
};

// Worked out once for each suffix met, on any thread: a scene names few suffixes, many times.
SuffixFacts FactsOfSuffix(std::string_view suffix) {
  constexpr size_t kRemembered = 256;  // a bound for scenes full of odd suffixes
  static std::shared_mutex mutex;
  static std::unordered_map<std::string, SuffixFacts> known;
  std::string key(suffix);
  {
    std::shared_lock lock(mutex);
    if (const auto found = known.find(key); found != known.end()) return found->second;
  }
  SuffixFacts facts;
  const auto& types = TypesOfSuffixes();
  if (const auto listed = types.find(LowerCase(suffix)); listed != types.end()) facts.type = listed->second;
  const std::string_view format = brantic::FormatNameOfSuffix(suffix);
  facts.format = format.empty() ? brantic::String(suffix) : brantic::String(format);
  std::unique_lock lock(mutex);
  if (known.size() >= kRemembered) known.clear();
  known.try_emplace(std::move(key), facts);
  return facts;
}

// The type a name's suffix is listed with; ASSETTYPE_OTHER for none.
uint32_t TypeOfSuffix(const bx3::Filename& name) {
  const std::string_view own = name.GetSuffixView();
  return own.empty() ? ASSETTYPE_OTHER : FactsOfSuffix(own).type;
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

bool IsImageFile(const bx3::Filename& name) { return TypeOfSuffix(name) == ASSETTYPE_IMAGE; }
bool IsVideoFile(const bx3::Filename& name) { return TypeOfSuffix(name) == ASSETTYPE_VIDEO; }
bool IsAudioFile(const bx3::Filename& name) { return TypeOfSuffix(name) == ASSETTYPE_AUDIO; }
bool IsExternalCacheFile(const bx3::Filename& name) { return TypeOfSuffix(name) == ASSETTYPE_CACHE; }
bool IsReferenced3DFile(const bx3::Filename& name) { return TypeOfSuffix(name) == ASSETTYPE_REFERENCED3D; }

uint32_t ClassifyAssetName(const bx3::Filename& name) {
  // The suffix of a name is that of its file part.
  if (name.GetFileView().empty()) return ASSETTYPE_OTHER;
  return TypeOfSuffix(name);
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
  const std::string_view suffix = name.GetSuffixView();
  return suffix.empty() ? GetResourceString(res::kNone) : FactsOfSuffix(suffix).format;
}

}  // namespace kv
