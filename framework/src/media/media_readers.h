// The readers behind the media API: the image library (OpenImageIO), the movie library
// (FFmpeg) and the sound library (libsndfile). They live in a module of their own that the
// framework opens on first use, so that a program that reads no media never maps them.
// Internal to the framework.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "brantic/media.h"
#include "brantic/picture.h"
#include "brantic/result.h"

namespace brantic::media {

// --- In the readers module.

// Sets the image library up once (any thread); every use of it goes through here first.
void ConfigureImageLibrary();

// A picture the image library can read; nullopt when it cannot, or when the file is a kind
// the image library should not claim (movies, volumes).
std::optional<FileFormatHandler> DescribeWithImageLibrary(const std::string& path, int64_t knownSize = -1);

// A movie, sound or picture the movie library can read; nullopt when it cannot.
std::optional<FileFormatHandler> DescribeWithMovieLibrary(const std::string& path);

// The first frame of a movie's video, as 8-bit RGB, reduced as `fit` says when it is large.
Result<Picture> DecodeFirstVideoFrame(const std::string& path, const PictureFit& fit);

// True for suffixes that only the movie library reads (movies and sounds).
bool IsMovieLibrarySuffix(std::string_view suffix);

// What LoadPicture, DecodePicture and ReadSoundPeaks do, in the readers module.
Result<Picture> LoadPictureFile(const Url& url, const PictureFit& fit);
Result<Picture> DecodePictureBytes(std::string_view bytes);
Result<SoundPeaks> ReadSoundPeaksFile(const std::string& path, int32_t framesPerPeak);

// --- The boundary: what the module hands the framework, as data.

inline constexpr int kReadersVersion = 1;
inline constexpr const char* kReadersEntry = "brantic_media_readers";
inline constexpr const char* kReadersLibrary = "libbrantic_media_readers.so";

struct Readers {
  int version = kReadersVersion;
  // The media handler of a regular file (the image library first, except for suffixes only
  // the movie library reads, then the movie library).
  std::optional<FileFormatHandler> (*describe)(const std::string& path, int64_t knownSize) = nullptr;
  Result<Picture> (*loadPicture)(const Url& url, const PictureFit& fit) = nullptr;
  Result<Picture> (*decodePicture)(std::string_view bytes) = nullptr;
  Result<SoundPeaks> (*readSoundPeaks)(const std::string& path, int32_t framesPerPeak) = nullptr;
};

// --- In the framework: the readers, opened on the first call (any thread); an error that
// names the library and why when it cannot be opened.
Result<const Readers*> LoadedReaders();

}  // namespace brantic::media
