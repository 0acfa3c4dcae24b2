#include "brantic/regex.h"

#include <regex>

namespace brantic {

struct RegularExpression::Compiled {
  std::regex regex;
};

Result<RegularExpression> RegularExpression::Compile(std::string_view pattern, bool ignoreCase) {
  auto flags = std::regex::ECMAScript;
  if (ignoreCase) flags |= std::regex::icase;
  try {
    auto compiled = std::make_shared<Compiled>();
    compiled->regex = std::regex(pattern.begin(), pattern.end(), flags);
    return RegularExpression(std::move(compiled));
  } catch (const std::regex_error& error) {
    return IllegalArgumentError("bad regular expression \"" + std::string(pattern) + "\": " + error.what());
  } catch (const std::bad_alloc&) {
    return OutOfMemoryError();
  }
}

std::optional<RegexMatch> RegularExpression::FindFirst(std::string_view text, int64_t start) const {
  if (start < 0 || start > static_cast<int64_t>(text.size())) return std::nullopt;
  std::match_results<std::string_view::const_iterator> match;
  auto flags = std::regex_constants::match_default;
  if (start > 0) flags |= std::regex_constants::match_prev_avail;
  try {
    if (!std::regex_search(text.begin() + start, text.end(), match, compiled_->regex, flags)) {
      return std::nullopt;
    }
  } catch (const std::regex_error&) {
    // Pathological patterns can exhaust the matcher's stack or complexity budget.
    return std::nullopt;
  }
  return RegexMatch{start + static_cast<int64_t>(match.position(0)), static_cast<int64_t>(match.length(0))};
}

std::optional<RegexMatch> RegularExpression::FindNext(std::string_view text, const RegexMatch& previous) const {
  const int64_t start = previous.position + (previous.length > 0 ? previous.length : 1);
  return FindFirst(text, start);
}

bool RegularExpression::MatchesWhole(std::string_view text) const {
  try {
    return std::regex_match(text.begin(), text.end(), compiled_->regex);
  } catch (const std::regex_error&) {
    return false;
  }
}

}  // namespace brantic
