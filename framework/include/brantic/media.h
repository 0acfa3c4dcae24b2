// File-format detection and media inputs. Any thread.
//
// Detection asks the media libraries which format a file is in and reports each handler
// that recognises it: pictures through the image library, movies and sounds through the
// movie library, and whatever the host registers (its own scene files). Only regular files
// are ever opened; only headers are read.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "brantic/result.h"
#include "brantic/string.h"
#include "brantic/url.h"

namespace brantic {

struct ImageTexture;

enum class FileFormatHandlerType : int32_t {
  MediaInput = 1,  // pictures, movies and sounds
  NodeSystem = 2,  // node asset files
  Other = 3,       // anything else a host reads (its scene files)
};

// What a media input can read from its file.
struct MediaInputProperties {
  bool supportsImage = false;
  bool supportsVideo = false;
  bool supportsAudio = false;
};

class MediaInput {
 public:
  MediaInput(MediaInputProperties properties, String description)
      : properties_(properties), description_(std::move(description)) {}
  const MediaInputProperties& Properties() const { return properties_; }
  // The format's name as a user reads it ("PNG", "OpenEXR", "WAV / WAVE").
  const String& Description() const { return description_; }

 private:
  MediaInputProperties properties_;
  String description_;
};

class FileFormatHandler {
 public:
  FileFormatHandler(FileFormatHandlerType type, String formatName, std::vector<String> suffixes,
                    MediaInputProperties properties = {}, std::shared_ptr<const ImageTexture> description = nullptr)
      : type_(type),
        formatName_(std::move(formatName)),
        suffixes_(std::move(suffixes)),
        properties_(properties),
        description_(std::move(description)) {}

  FileFormatHandlerType GetHandlerType() const { return type_; }
  const String& GetFormatName() const { return formatName_; }
  // The format's common file suffixes, most common first.
  const std::vector<String>& GetSuffixes() const { return suffixes_; }
  // A media input for `url`; the empty URL gives one to read the properties of the format.
  // Fails for handlers that are not media inputs.
  Result<MediaInput> CreateMediaInput(const Url& url) const;
  // The header the detection read, when it read one.
  const std::shared_ptr<const ImageTexture>& Description() const { return description_; }

 private:
  FileFormatHandlerType type_;
  String formatName_;
  std::vector<String> suffixes_;
  MediaInputProperties properties_;
  std::shared_ptr<const ImageTexture> description_;
};

// Called once per handler that recognises the file; answering false or an error ends the
// detection (DetectFileFormats then answers that error).
using FileFormatCallback = std::function<Result<bool>(const Url&, const FileFormatHandler&)>;

// `knownFileSize` 0 or more: the caller has just found `url` to be a regular file of that
// size, so the file system is not asked again.
Result<void> DetectFileFormats(const Url& url, const FileFormatCallback& callback, int64_t knownFileSize = -1);

// Opens the readers the media calls use (they are opened by the first call otherwise); an
// error that names the library and why when they cannot be. Any thread.
Result<void> LoadMediaReaders();

// A sound's wave form in short: the lowest and highest sample (all channels mixed) of each
// block of frames.
struct SoundPeaks {
  int32_t channels = 0;
  int32_t bitsPerSample = 0;
  int32_t sampleRate = 0;
  int64_t frames = 0;
  std::vector<float> minima;
  std::vector<float> maxima;
};

// Reads a sound file (WAV, AIFF, FLAC, MP3, ...) in blocks of `framesPerPeak` frames. Only
// regular files are opened.
Result<SoundPeaks> ReadSoundPeaks(const Url& url, int32_t framesPerPeak);

// A detector of the host's own formats: answers a handler when it recognises the file.
using FileFormatDetector = std::function<std::optional<FileFormatHandler>(const Url&)>;
void RegisterFileFormatDetector(FileFormatDetector detector);

}  // namespace brantic
