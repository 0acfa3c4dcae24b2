// Paths that name a set of files through a token in their file name: frames ("####", "%04d",
// "$F4") or texture tiles ("<UDIM>", "<UVTILE>"). Any thread.
//
// Frames: a run of N "#" pads to N digits; "%d" does not pad and "%0Nd" pads to N; "$F"
// does not pad and "$FN" (N one digit) pads to N. A frame with more digits than the padding
// is written whole (padding 4: 999 is "0999", 10000 is "10000"); a negative frame is "-" and
// its digits, padded. Paddings wider than 18 digits are no token. Tiles: "<UDIM>" is 1001 + u + 10 v (four digits, 1001
// to 9999);
// "<UVTILE>" is "u<U>_v<V>" with U = u + 1 and V = v + 1. Token names ignore case. Only the
// file name is looked at: a token in a folder name stays literal text.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace brantic {

class PathPattern {
 public:
  enum class Kind : uint8_t { Frames, Tiles };
  enum class Token : uint8_t { Hashes, Printf, Dollar, Udim, UvTile };

  // The pattern of the first token in the path's file name; nothing without one.
  static std::optional<PathPattern> Find(std::string_view path);

  Kind GetKind() const { return token_ == Token::Udim || token_ == Token::UvTile ? Kind::Tiles : Kind::Frames; }
  Token GetToken() const { return token_; }
  int Padding() const { return padding_; }
  // The path's folder part with its last "/" or "\" ("" without one), and the file name.
  std::string_view Folder() const;
  std::string_view FileName() const;
  // The file name's text before the token: every member's name starts with it.
  std::string_view FileHead() const;
  // The whole path as written.
  const std::string& Path() const { return path_; }

  // The path of one frame or tile (by its UDIM number).
  std::string PathOf(int64_t item) const;
  // The frame or tile a file name (no folder) stands for; nothing when it is no member.
  std::optional<int64_t> Match(std::string_view fileName) const;
  // `path` (one file, as a user or a search chose it) with this pattern's token in place of
  // its last run that such a token writes (digits; "u1_v2" for "<UVTILE>"); nothing when its
  // file name has no such run.
  std::optional<std::string> CarryInto(std::string_view path) const;

 private:
  std::string path_;
  size_t fileStart_ = 0;   // where the file name starts in path_
  size_t tokenStart_ = 0;  // the token's place in path_
  size_t tokenLength_ = 0;
  Token token_ = Token::Hashes;
  int padding_ = 0;
};

// The UDIM number of a tile and back; nothing outside 1001 to 9999 (u in 0 to 9).
std::optional<int64_t> UdimOfTile(int64_t u, int64_t v);
std::pair<int64_t, int64_t> TileOfUdim(int64_t udim);

// Items written as a short sorted list with runs as ranges: "7, 19", "7-9, 12".
std::string FormatItemRuns(std::vector<int64_t> items);

}  // namespace brantic
