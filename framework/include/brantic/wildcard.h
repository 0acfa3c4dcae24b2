// Wildcard patterns matched without backtracking. Any thread.
//
// "*" any run of characters, "?" any one character, "#" a run of digits, "(" ")" group and
// "|" separates alternatives, "\" takes the next character literally; every other character
// stands for itself. "*" and "?" do not match line breaks, as "." in expressions does not.
// Matching carries the set of pattern positions along the text once, so its time grows with
// the pattern's length times the text's, whatever the pattern.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "brantic/result.h"

namespace brantic {

class WildcardPattern {
 public:
  // Fails on unbalanced groups and on groups nested deeper than kMaxGroupDepth.
  static Result<WildcardPattern> Compile(std::string_view pattern);
  // True when the whole text matches the whole pattern.
  bool MatchesWhole(std::string_view text) const;

  static constexpr int kMaxGroupDepth = 64;

  struct Step {
    enum Kind : uint8_t { Char, Any, Digit, Split, Jump, Match } kind = Match;
    char c = 0;
    int32_t next = -1;  // Split: the first way on
    int32_t alt = -1;   // Split: the second way on
  };

 private:
  WildcardPattern(std::vector<Step> steps, int32_t start) : steps_(std::move(steps)), start_(start) {}
  std::vector<Step> steps_;
  int32_t start_ = 0;
};

// True when the text is a wildcard pattern ("*", "?" or "#").
bool IsWildcardPattern(std::string_view text);
// A wildcard pattern as a regular expression (for replacing what matches): "*" any run,
// "?" any character, "#" a run of digits, "(", ")" and "|" as in expressions, "\" takes the
// next character literally.
std::string WildcardToRegex(std::string_view pattern);

}  // namespace brantic
