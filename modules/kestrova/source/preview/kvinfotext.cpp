#include "preview/kvinfotext.h"

#include <cstdio>

#include "brantic/format.h"
#include "brantic/imagetexture.h"
#include "brantic/io.h"
#include "brantic/lightprofile.h"
#include "brantic/pathexpand.h"
#include "bx3/document.h"
#include "bx3/host.h"
#include "bx3/prefs.h"
#include "bx3/sound.h"
#include "collection/kvprobe.h"
#include "collection/kvresolve.h"
#include "collection/kvrowtext.h"
#include "ids/kvids.h"
#include "ids/kvresources.h"

namespace kv {

namespace {

using brantic::Format;
using brantic::String;

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
    case G::Grey: return GetResourceString(res::kChannelsGrey, depth).Std();
    case G::GreyAlpha: return GetResourceString(res::kChannelsGreyAlpha, depth).Std();
    case G::RGB:
    case G::BGR:
    case G::BGRX: return GetResourceString(res::kChannelsRgb, depth).Std();
    case G::RGBA:
    case G::ARGB:
    case G::BGRA: return GetResourceString(res::kChannelsRgba, depth).Std();
    case G::Indexed: return GetResourceString(res::kChannelsIndexed, depth).Std();
    case G::RGBX:
    case G::Other: break;
  }
  return std::to_string(format.channelCount) + " " + R(res::kChannels).Std() + ", " + depth + " " + R(res::kBits).Std();
}

// The lines of a group-mode selection that describe only the group; nullopt for the modes
// that describe a row.
std::optional<std::string> GroupText(const KvAssetEntry& entry, int32_t mode) {
  switch (mode) {
    case kGroupByAssetType:
      return Title(res::kTypeGroup, "\n\n") + R(res::kColumnType).Std() + ": " + AssetTypeName(entry.assetType).Std();
    case kGroupByFormat:
      return Title(res::kFormatGroup, "\n\n") + R(res::kColumnFormat).Std() + ": " + FormatText(entry).Std() + "\n" +
             R(res::kColumnType).Std() + ": " + AssetTypeName(entry.assetType).Std();
    case kGroupByElementType:
      return Title(res::kElementTypeGroup, "\n\n") + R(res::kColumnElementType).Std() + ": " + entry.elementName.Std();
    case kGroupByLayer:
      return Title(res::kLayerGroup, "\n\n") + R(res::kColumnLayer).Std() + ": " +
             LayerText(entry, bx3::GetActiveDocument()).Std();
    case kGroupByTake:
      return Title(res::kTakeGroup, "\n\n") + R(res::kColumnTake).Std() + ": " +
             (entry.takeName.IsEmpty() ? R(res::kNone) : entry.takeName).Std();
    case kGroupByNodeSpace:
      return Title(res::kNodeSpaceGroup, "\n\n") + R(res::kColumnNodeSpace).Std() + ": " +
             NodeSpaceName(entry.nodeSpace).Std();
    default: return std::nullopt;
  }
}

void AppendLightProfile(const bx3::Element& element, std::string& text) {
  static constexpr int32_t kParams[] = {bx3::param::kLightManufacturer, bx3::param::kLightLuminaire,
                                        bx3::param::kLightLamp, bx3::param::kLightTest, bx3::param::kLightNotes};
  static constexpr int32_t kLabels[] = {res::kLightManufacturer, res::kLightLuminaire, res::kLightLamp, res::kLightTest,
                                        res::kLightNotes};
  for (size_t i = 0; i < std::size(kParams); ++i) {
    text += R(kLabels[i]).Std() + ":\n" + element.GetString(kParams[i]).Std() + "\n\n";
  }
}

// What the profile file itself says: its form, its strongest intensity, its angles, its
// lamps; or in one line why it cannot be read.
void AppendLightProfileFile(const bx3::Filename& file, std::string& text) {
  auto profile = brantic::LoadLightProfile(file.GetUrl());
  if (!profile) {
    text += GetResourceString(res::kLightProfileUnreadable, profile.GetError().Message()).Std() + "\n";
    return;
  }
  static constexpr const char* kTypes[] = {"", "C", "B", "A"};
  const String form = Format(R(res::kLightProfileForm).View(), {String(profile->standard), kTypes[int(profile->type)]});
  text += Format("@: @\n", {R(res::kLightProfile), form}).Std();
  text += Format("@: @\n",
                 {R(res::kLightIntensity),
                  GetResourceString(res::kLightIntensityMaximum, Format("@", {profile->MaximumIntensity()}).View())})
              .Std();
  text += Format("@: @\n", {R(res::kLightAngles),
                            Format(R(res::kLightAngleCounts).View(), {int64_t(profile->verticalAngles.size()),
                                                                      int64_t(profile->horizontalAngles.size())})})
              .Std();
  const String lamps = profile->lumensPerLamp < 0
                           ? R(res::kLightAbsolutePhotometry)
                           : Format("@ x @ lm", {int64_t(profile->lampCount), profile->lumensPerLamp});
  text += Format("@: @\n", {R(res::kLightLamps), lamps}).Std();
  if (profile->inputWatts > 0) text += Format("@: @ W\n", {R(res::kLightInputPower), profile->inputWatts}).Std();
}

void AppendSound(const KvAssetEntry& entry, std::string& text) {
  bx3::BaseSound sound;
  if (!sound.Load(bx3::Filename(entry.resolvedPath))) return;
  const bx3::SoundInformation info = sound.GetSoundInfo();
  text += Format("@: @{s}\n", {R(res::kDuration), SoundDuration(info)}).Std();
  text += Format("@: @\n", {R(res::kChannels), info.channels}).Std();
  text += Format("@: @ @\n", {R(res::kSampleRate), int64_t(info.sampleRate), R(res::kHertz)}).Std();
  text += Format("@: @ @\n", {R(res::kBitDepth), info.bitsPerSample, R(res::kBits)}).Std();
}

// What the row's set holds and what made its path: "Frames: 22 of 24 (missing 7, 19)",
// "Variable: PROJECT = /mnt/proj", "Mapped: P:\proj → /mnt/proj".
std::string ResolutionLines(const KvAssetEntry& entry) {
  const bx3::Document* document = bx3::GetActiveDocument();
  if (!document) return {};
  std::string lines;
  const bool expands =
      brantic::MayNeedExpanding(entry.assetPath.View()) || !bx3::Preferences::Get().GetPathMappings().empty();
  if (entry.setKind == kSetNone && !expands && entry.resolveResult != kResolveFoundByName && !entry.IsUnreachable()) {
    return lines;
  }
  KvResolveScope scope(document->GetFolder());
  if (entry.IsUnreachable()) {
    const std::string root = RootOfAssetPath(entry.assetPath, scope.Context());
    const double seconds = bx3::Preferences::Get().GetRootAnswerSeconds();
    lines += Format(R(res::kNoAnswerFrom), {String(root.empty() ? entry.assetPath.GetString().Std() : root), seconds})
                 .Std() +
             "\n";
  }
  if (entry.setKind != kSetNone) {
    const KvSetItems items = ListSetItems(entry, document, scope.Context());
    std::string count = std::to_string(items.found);
    if (items.counted) count = Format(R(res::kItemsOf), {items.found, items.expected}).Std();
    if (!items.missing.empty()) count += " (" + GetResourceString(res::kItemsMissing, items.missing).Std() + ")";
    lines += R(items.kind == kSetTiles ? res::kTiles : res::kFrames).Std() + ": " + count + "\n";
  }
  if (expands) {
    const brantic::ExpandedPath expanded = scope.Context().expander->Expand(entry.assetPath.View());
    if (!expanded.unsetVariable.empty()) lines += R(res::kUnsetVariable).Std() + ": " + expanded.unsetVariable + "\n";
    if (!expanded.variable.empty()) {
      lines += R(res::kVariable).Std() + ": " + expanded.variable + " = " + expanded.value + "\n";
    }
    if (expanded.mapping) {
      lines += R(res::kMapped).Std() + ": " + expanded.mapping->from + " \u2192 " + expanded.mapping->to + "\n";
    }
  }
  if (entry.resolveResult == kResolveFoundByName && !entry.resolvedPath.IsEmpty()) {
    lines += R(res::kFoundInSearchFolder).Std() + ": " +
             bx3::Filename(entry.resolvedPath).GetDirectory().GetString().Std() + "\n";
  }
  return lines;
}

}  // namespace

String NothingSelectedText() { return String("<<" + R(res::kNothingSelected).Std() + ">>"); }

brantic::TimeValue SoundDuration(const bx3::SoundInformation& info) {
  if (info.sampleRate == 0.0) return {};
  return brantic::TimeValue::FromSeconds(double(info.sampleCount) / info.sampleRate);
}

brantic::Result<bool> AppendImageMediaInfo(const KvAssetEntry& entry, std::string& text, const brantic::Url& url,
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
    text += Format("@: @ x @\n", {R(res::kColumnResolution), picture->width, picture->height}).Std();
    const std::string depth = BitDepthText(picture->pixelFormat);
    const String profile =
        picture->colorProfile.IsEmpty() ? brantic::GetDefaultColorProfileText() : picture->colorProfile;
    text += Format("@: @\n", {R(res::kPixelFormat), ChannelDescription(picture->pixelFormat, depth)}).Std();
    text += Format("@: @\n", {R(res::kLayers), picture->layerCount}).Std();
    text += Format("@: @\n", {R(res::kAlpha), picture->hasAlpha ? R(res::kYes) : R(res::kNo)}).Std();
    text += Format("@: @\n", {R(res::kColourProfile), profile}).Std();
    if (picture->aspectRatio != 0.0) text += Format("@: @\n", {R(res::kPixelAspectRatio), picture->aspectRatio}).Std();
    if (picture->dpi != 0.0) text += Format("@: @\n", {R(res::kDotsPerInch), picture->dpi}).Std();
  }
  if (!texture->duration.IsZero()) {
    text +=
        Format("@: @{s}, @: @\n", {R(res::kDuration), texture->duration, R(res::kFrameRate), texture->framesPerSecond})
            .Std();
  } else if (entry.IsSequence()) {
    text += Format("@: @ F\n", {R(res::kDuration), int64_t(entry.sequenceEnd) - entry.sequenceStart + 1}).Std();
  }
  return true;
}

String BuildAssetInfoText(const KvAssetEntry& entry, int32_t mode) {
  if (std::optional<std::string> group = GroupText(entry, mode)) return String(std::move(*group));
  std::string text = mode == kGroupByAsset ? Title(res::kFileGroup, "\n\n") : std::string();
  switch (entry.IsPartlyFound() ? -1 : entry.resolveResult) {
    case -1: text += Title(res::kStatusPartlyFound, "\n\n"); break;
    case kResolveMissing: text += Title(res::kStatusMissing, "\n"); break;
    case kResolveUnreachable: text += Title(res::kStatusUnreachable, "\n"); break;
    case kResolveFoundByName: text += Title(res::kStatusFoundInSearchFolder, "\n\n"); break;
    case kResolvePaintTexture: text += Title(res::kStatusOpenForPainting, "\n\n"); break;
    case kResolveBuiltByHost: text += Title(res::kStatusBuiltFromSearchFolder, "\n\n"); break;
    default: break;
  }

  const bool readable = !entry.IsMissing() && !entry.IsUnreachable();
  if (readable && (entry.assetType & kAssetTypeMaskPicture)) {
    // A set is described by its first file.
    const brantic::Url url = entry.setKind != kSetNone ? entry.resolvedUrl : bx3::Filename(entry.resolvedPath).GetUrl();
    if (url.IsEmpty()) return String(std::move(text));
    // The detection's own answer does not matter: whatever was appended stays.
    (void)brantic::DetectFileFormats(url, [&](const brantic::Url& found, const brantic::FileFormatHandler& handler) {
      return AppendImageMediaInfo(entry, text, found, handler);
    });
  } else if (entry.assetPath.CheckSuffix("ies")) {
    const bx3::Element* element = DescribedElement(entry, bx3::GetActiveDocument());
    if (!element) return String(std::move(text));
    AppendLightProfile(*element, text);
    if (readable) AppendLightProfileFile(bx3::Filename(entry.resolvedPath), text);
  } else if (readable && (entry.assetPath.CheckSuffix("wav") || entry.assetPath.CheckSuffix("mp3") ||
                          entry.assetPath.CheckSuffix("aiff"))) {
    AppendSound(entry, text);
  }

  text += ResolutionLines(entry);
  if (entry.IsNested()) text += R(res::kVia).Std() + ": " + entry.via.Std() + "\n";
  if (!entry.nestedNote.IsEmpty()) text += entry.nestedNote.Std() + "\n";
  if (!text.empty()) text += "\n";
  text += Format("@: @\n", {R(res::kColumnFullPath), entry.resolvedPath.IsEmpty() ? String("-") : entry.resolvedPath})
              .Std();
  text += Format("@: @\n", {R(res::kColumnFileSize), brantic::MemorySizeToText(entry.fileSize, false)}).Std();
  text += Format("@: @\n", {R(res::kColumnTake), entry.takeName.IsEmpty() ? R(res::kNone) : entry.takeName}).Std();
  const String space = NodeSpaceName(entry.nodeSpace);
  text += Format("@: @\n", {R(res::kColumnNodeSpace), space.IsEmpty() ? String("-") : space}).Std();
  return String(std::move(text));
}

}  // namespace kv
