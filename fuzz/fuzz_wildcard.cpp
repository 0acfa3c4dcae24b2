// Wildcard patterns: every pattern is compiled or refused, and matched in time that grows
// with the pattern and the text only; on small inputs the matcher agrees with the
// expression the same pattern translates to (which search and replace uses).
#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "brantic/regex.h"
#include "brantic/wildcard.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  // The first line is the pattern, the rest a text to match.
  const size_t newline = input.find('\n');
  const std::string_view pattern = input.substr(0, newline);
  const std::string_view text = newline == std::string_view::npos ? std::string_view() : input.substr(newline + 1);
  auto wildcard = brantic::WildcardPattern::Compile(pattern);
  const bool matches = wildcard && wildcard->MatchesWhole(text);

  // The backtracking expression engine only where its time stays small.
  const auto runs = std::count(pattern.begin(), pattern.end(), '*') + std::count(pattern.begin(), pattern.end(), '#');
  if (runs > 3 || text.size() > 24 || pattern.size() > 32) return 0;
  auto expression = brantic::RegularExpression::Compile(brantic::WildcardToRegex(pattern));
  if (bool(expression) != bool(wildcard)) {
    std::fprintf(stderr, "the pattern compiles in one matcher only\n");
    std::abort();
  }
  if (expression && expression->MatchesWhole(text) != matches) {
    std::fprintf(stderr, "the matchers disagree\n");
    std::abort();
  }
  return 0;
}
