// Regular expressions (ECMAScript syntax). A compiled expression may be used from any
// thread; matching does not change it.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string_view>

#include "brantic/result.h"

namespace brantic {

struct RegexMatch {
  int64_t position = 0;
  int64_t length = 0;
};

class RegularExpression {
 public:
  static Result<RegularExpression> Compile(std::string_view pattern, bool ignoreCase = false);

  // The first match at or after `start`.
  std::optional<RegexMatch> FindFirst(std::string_view text, int64_t start = 0) const;
  // The match after `previous`; an empty match moves on by one character so that a loop
  // over FindFirst/FindNext always ends.
  std::optional<RegexMatch> FindNext(std::string_view text, const RegexMatch& previous) const;
  // True when the whole text matches.
  bool MatchesWhole(std::string_view text) const;

 private:
  struct Compiled;
  explicit RegularExpression(std::shared_ptr<const Compiled> compiled) : compiled_(std::move(compiled)) {}
  std::shared_ptr<const Compiled> compiled_;
};

}  // namespace brantic
