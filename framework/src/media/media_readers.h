// The readers behind detection: one per media library. Internal to the framework.
#pragma once

#include <optional>
#include <string>

#include "brantic/media.h"
#include "brantic/picture.h"

namespace brantic::media {

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

}  // namespace brantic::media
