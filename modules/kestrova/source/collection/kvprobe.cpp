#include "collection/kvprobe.h"

#include <cstdio>

#include "brantic/imagetexture.h"
#include "brantic/io.h"
#include "brantic/media.h"
#include "brantic/pictureheader.h"

namespace kv {

namespace {

using brantic::String;

}  // namespace

namespace {

bool ProbeWithStat(KvAssetEntry& entry, const brantic::FileStat& file);

}  // namespace

bool ProbeNeedsMediaReaders(const bx3::Filename& path, uint32_t assetType) {
  return (assetType & (ASSETTYPE_IMAGE | ASSETTYPE_VIDEO | ASSETTYPE_AUDIO)) != 0 && !path.CheckSuffix("png");
}

bool ProbeAssetFile(KvAssetEntry& entry) { return ProbeWithStat(entry, brantic::StatFile(entry.resolvedUrl)); }

KvProbeResult ProbeRemembering(KvAssetEntry& entry, const KvProbeMemory* memory) {
  const brantic::FileStat file = brantic::StatFile(entry.resolvedUrl);
  if (memory && file.kind == brantic::IoDetect::File) {
    const auto known = memory->find(entry.resolvedUrl.GetPath().Std());
    if (known != memory->end() && known->second.fileSize == file.size && known->second.modified == file.modified) {
      return known->second;
    }
  }
  ProbeWithStat(entry, file);
  return KvProbeResult::Of(entry, file.modified);
}

namespace {

bool ProbeWithStat(KvAssetEntry& entry, const brantic::FileStat& file) {
  // One query for what the file is and its size; folders, pipes and devices are not read.
  entry.fileSize = file.kind == brantic::IoDetect::File ? file.size : 0;
  if (file.kind != brantic::IoDetect::File) return false;
  if (entry.assetType & kAssetTypeMaskScene) return true;
  // A header read without the media readers answers as they would.
  if (const auto header = brantic::ReadPictureHeader(entry.resolvedUrl.GetSystemPath(), file.size)) {
    entry.assetType = RefineAssetType(entry.assetType, entry.assetPath, {false, true, false});
    entry.formatText = header->formatName;
    entry.resolutionX = header->width;
    entry.resolutionY = header->height;
    return true;
  }
  bool recognised = false;
  bool described = true;
  (void)brantic::DetectFileFormats(
      entry.resolvedUrl,
      [&entry, &recognised, &described](const brantic::Url& url,
                                        const brantic::FileFormatHandler& handler) -> brantic::Result<bool> {
        recognised = true;
        switch (handler.GetHandlerType()) {
          case brantic::FileFormatHandlerType::MediaInput: {
            auto input = handler.CreateMediaInput(brantic::Url());
            if (!input) {
              std::fprintf(stderr, "%s\n", kMediaInputDiagnostic);
              return input.GetError();
            }
            const brantic::MediaInputProperties& properties = input->Properties();
            entry.assetType =
                RefineAssetType(entry.assetType, entry.assetPath,
                                {properties.supportsVideo, properties.supportsImage, properties.supportsAudio});
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
        if (!texture) {
          // A sound has no picture; a picture whose header cannot be read is damaged.
          described = (entry.assetType & ASSETTYPE_IMAGE) == 0;
          return false;
        }
        if (const brantic::ImagePicture* picture = texture->FirstPicture()) {
          entry.resolutionX = picture->width;
          entry.resolutionY = picture->height;
        }
        return true;
      },
      file.size);
  const bool media = (entry.assetType & (ASSETTYPE_IMAGE | ASSETTYPE_VIDEO | ASSETTYPE_AUDIO)) != 0;
  return (recognised || !media) && described;
}

}  // namespace

}  // namespace kv
