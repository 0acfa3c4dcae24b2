#include "kvmediainfo.h"

#include <cstdio>

#include "brantic/format.h"
#include "brantic/imagetexture.h"
#include "brantic/io.h"
#include "bx3/host.h"
#include "bx3/sound.h"
#include "kvcelltext.h"
#include "kvids.h"
#include "kvresources.h"

namespace kv {

namespace {

using brantic::Format;
using brantic::String;

constexpr const char* kMediaInputDiagnostic =
    "Assertion failed: MediaInputRef must be creatable with empty Url() to check MEDIAINPUTPROPERTIES.";

String R(int32_t id) { return GetResourceString(id); }

std::string Title(int32_t id, const char* ending) { return "<<" + R(id).Std() + ">>" + ending; }

// The bit depth as the information text writes it.
std::string BitDepthText(const brantic::PixelFormat& format) {
  const int32_t bits = format.channelCount > 1 ? format.bitsPerPixel / format.channelCount : format.bitsPerPixel;
  if (format.channelCount == 1 && bits == 16) {
    using brantic::PackedPixelFormat;
    if (format.packed == PackedPixelFormat::ARGB1555 || format.packed == PackedPixelFormat::ABGR1555) return "5/5/5/1";
    if (format.packed == PackedPixelFormat::ARGB4444 || format.packed == PackedPixelFormat::ABGR4444) return "4/4/4/4";
  }
  return std::to_string(bits);
}

std::string ChannelDescription(const brantic::PixelFormat& format, const std::string& depth) {
  using G = brantic::PixelFormatGroup;
  switch (format.group) {
    case G::Alpha:
    case G::Grey: return GetResourceString(10106, depth).Std();
    case G::GreyAlpha: return GetResourceString(10132, depth).Std();
    case G::RGB:
    case G::BGR:
    case G::BGRX: return GetResourceString(10105, depth).Std();
    case G::RGBA:
    case G::ARGB:
    case G::BGRA: return GetResourceString(10131, depth).Std();
    case G::Indexed: return GetResourceString(10141, depth).Std();
    case G::RGBX:
    case G::Other: break;
  }
  return std::to_string(format.channelCount) + " " + R(10142).Std() + ", " + depth + " " + R(10138).Std();
}

// The lines of a group-mode selection that describe only the group; nullopt for the modes
// that describe a row.
std::optional<std::string> GroupText(const KvAssetEntry& entry, int32_t mode) {
  switch (mode) {
    case kGroupByAssetType:
      return Title(10235, "\n\n") + R(10126).Std() + ": " + AssetTypeName(entry.assetType).Std();
    case kGroupByFormat:
      return Title(10240, "\n\n") + R(10128).Std() + ": " + FormatText(entry).Std() + "\n" + R(10126).Std() +
             ": " + AssetTypeName(entry.assetType).Std();
    case kGroupByElementType:
      return Title(10236, "\n\n") + R(10127).Std() + ": " + entry.elementName.Std();
    case kGroupByLayer:
      return Title(10237, "\n\n") + R(10024).Std() + ": " + LayerText(entry, bx3::GetActiveDocument()).Std();
    case kGroupByTake:
      return Title(10238, "\n\n") + R(10125).Std() + ": " +
             (entry.takeName.IsEmpty() ? R(10025) : entry.takeName).Std();
    case kGroupByNodeSpace:
      return Title(10239, "\n\n") + R(10145).Std() + ": " + NodeSpaceName(entry.nodeSpace).Std();
    default: return std::nullopt;
  }
}

void AppendLightProfile(const bx3::Element& element, std::string& text) {
  static constexpr int32_t kParams[] = {90050, 90051, 90052, 90053, 90054};
  static constexpr int32_t kLabels[] = {10158, 10159, 10160, 10161, 10162};
  for (size_t i = 0; i < std::size(kParams); ++i) {
    text += R(kLabels[i]).Std() + ":\n" + element.GetString(kParams[i]).Std() + "\n\n";
  }
}

void AppendSound(const KvAssetEntry& entry, std::string& text) {
  bx3::BaseSound sound;
  if (!sound.Load(bx3::Filename(entry.resolvedPath))) return;
  const bx3::SoundInformation info = sound.GetSoundInfo();
  text += Format("@: @{s}\n", {R(10152), SoundDuration(info)}).Std();
  text += Format("@: @\n", {R(10142), info.channels}).Std();
  text += Format("@: @ @\n", {R(10140), int64_t(info.sampleRate), R(10139)}).Std();
  text += Format("@: @ @\n", {R(10154), info.bitsPerSample, R(10138)}).Std();
}

}  // namespace

String NothingSelectedText() { return String("<<" + R(10157).Std() + ">>"); }

brantic::TimeValue SoundDuration(const bx3::SoundInformation& info) {
  if (info.sampleRate == 0.0) return {};
  return brantic::TimeValue::FromSeconds(double(info.sampleCount) / info.sampleRate);
}

String AssetTypeName(uint32_t assetType) {
  switch (assetType) {
    case ASSETTYPE_IMAGE: return R(10107);
    case ASSETTYPE_VIDEO: return R(10108);
    case ASSETTYPE_AUDIO: return R(10109);
    case ASSETTYPE_CACHE: return R(10110);
    case ASSETTYPE_REFERENCED3D: return R(10111);
    default: return R(10112);
  }
}

brantic::Result<bool> AppendImageMediaInfo(const KvAssetEntry& entry, std::string& text,
                                           const brantic::Url& url,
                                           const brantic::FileFormatHandler& handler) {
  if (handler.GetHandlerType() == brantic::FileFormatHandlerType::MediaInput) {
    auto input = handler.CreateMediaInput(brantic::Url());
    if (!input) {
      std::fprintf(stderr, "%s\n", kMediaInputDiagnostic);
      return input.GetError();
    }
  }
  auto texture = brantic::LoadImageTexture(url, {}, brantic::kImageLoadDescriptionOnly, &handler);
  if (!texture) return false;
  if (const brantic::ImagePicture* picture = texture->FirstPicture()) {
    text += Format("@: @ x @\n", {R(10129), picture->width, picture->height}).Std();
    const std::string depth = BitDepthText(picture->pixelFormat);
    const String profile =
        picture->colorProfile.IsEmpty() ? brantic::GetDefaultColorProfileText() : picture->colorProfile;
    text += Format("@: @\n", {R(10150), ChannelDescription(picture->pixelFormat, depth)}).Std();
    text += Format("@: @\n", {R(10148), picture->layerCount}).Std();
    text += Format("@: @\n", {R(10149), picture->hasAlpha ? R(10155) : R(10156)}).Std();
    text += Format("@: @\n", {R(10151), profile}).Std();
    if (picture->aspectRatio != 0.0) text += Format("@: @\n", {R(10147), picture->aspectRatio}).Std();
    if (picture->dpi != 0.0) text += Format("@: @\n", {R(10146), picture->dpi}).Std();
  }
  if (!texture->duration.IsZero()) {
    text += Format("@: @{s}, @: @\n", {R(10152), texture->duration, R(10153), texture->framesPerSecond}).Std();
  } else if (entry.IsSequence()) {
    text += Format("@: @ F\n", {R(10152), int64_t(entry.sequenceEnd) - entry.sequenceStart + 1}).Std();
  }
  return true;
}

String BuildAssetInfoText(const KvAssetEntry& entry, int32_t mode) {
  if (std::optional<std::string> group = GroupText(entry, mode)) return String(std::move(*group));
  std::string text = mode == kGroupByAsset ? Title(10234, "\n\n") : std::string();
  switch (entry.resolveResult) {
    case 0: text += Title(10121, "\n"); break;
    case 1: text += Title(10123, "\n\n"); break;
    case 2: text += Title(10124, "\n\n"); break;
    case 3: text += Title(10241, "\n\n"); break;
    default: break;
  }

  if (entry.resolveResult != 0 && (entry.assetType & kAssetTypeMaskPicture)) {
    const brantic::Url url = bx3::Filename(entry.resolvedPath).GetUrl();
    if (url.IsEmpty()) return String(std::move(text));
    // The detection's own answer does not matter: whatever was appended stays.
    (void)brantic::DetectFileFormats(url, [&](const brantic::Url& found, const brantic::FileFormatHandler& handler) {
      return AppendImageMediaInfo(entry, text, found, handler);
    });
  } else if (entry.assetPath.CheckSuffix("ies")) {
    const bx3::Element* element = DescribedElement(entry, bx3::GetActiveDocument());
    if (!element) return String(std::move(text));
    AppendLightProfile(*element, text);
  } else if (entry.resolveResult != 0 &&
             (entry.assetPath.CheckSuffix("wav") || entry.assetPath.CheckSuffix("mp3") ||
              entry.assetPath.CheckSuffix("aiff"))) {
    AppendSound(entry, text);
  }

  if (!text.empty()) text += "\n";
  text += Format("@: @\n", {R(10020), entry.resolvedPath.IsEmpty() ? String("-") : entry.resolvedPath}).Std();
  text += Format("@: @\n", {R(10130), brantic::MemorySizeToText(entry.fileSize, false)}).Std();
  text += Format("@: @\n", {R(10125), entry.takeName.IsEmpty() ? R(10025) : entry.takeName}).Std();
  const String space = NodeSpaceName(entry.nodeSpace);
  text += Format("@: @\n", {R(10145), space.IsEmpty() ? String("-") : space}).Std();
  return String(std::move(text));
}

void ProbeAssetFile(KvAssetEntry& entry) {
  auto size = brantic::GetFileSize(entry.resolvedUrl);
  entry.fileSize = size ? *size : 0;
  if (entry.assetType & kAssetTypeMaskScene) return;
  (void)brantic::DetectFileFormats(
      entry.resolvedUrl,
      [&entry](const brantic::Url& url, const brantic::FileFormatHandler& handler) -> brantic::Result<bool> {
        switch (handler.GetHandlerType()) {
          case brantic::FileFormatHandlerType::MediaInput: {
            auto input = handler.CreateMediaInput(brantic::Url());
            if (!input) {
              std::fprintf(stderr, "%s\n", kMediaInputDiagnostic);
              return input.GetError();
            }
            const brantic::MediaInputProperties& properties = input->Properties();
            entry.assetType = RefineAssetType(entry.assetType, entry.assetPath,
                                              {properties.supportsVideo, properties.supportsImage,
                                               properties.supportsAudio});
            if (!input->Description().IsEmpty()) entry.formatText = input->Description();
            break;
          }
          case brantic::FileFormatHandlerType::NodeSystem: entry.formatText = String("NODE"); break;
          case brantic::FileFormatHandlerType::Other: return true;
        }
        if (entry.formatText.IsEmpty() && !handler.GetSuffixes().empty()) {
          entry.formatText = handler.GetSuffixes().front();
        }
        auto texture = brantic::LoadImageTexture(url, {}, brantic::kImageLoadDescriptionOnly, &handler);
        if (!texture) return false;
        if (const brantic::ImagePicture* picture = texture->FirstPicture()) {
          entry.resolutionX = picture->width;
          entry.resolutionY = picture->height;
        }
        return true;
      });
}

}  // namespace kv
