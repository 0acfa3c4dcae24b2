// Path rules on any text: a token pattern writes members that match back to their item, a
// chosen file takes the token in, and expanding, mapping and keeping a path's form never
// crash, whatever the path, the variable values or the mappings.
#include <cstdio>
#include <cstdlib>

#include "brantic/pathexpand.h"
#include "brantic/pathpattern.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  // Lines: a path, another path, then mappings as the search-paths window writes them.
  const size_t first = input.find('\n');
  const std::string_view path = input.substr(0, first);
  const std::string_view rest = first == std::string_view::npos ? std::string_view() : input.substr(first + 1);
  const size_t second = rest.find('\n');
  const std::string_view other = rest.substr(0, second);
  const std::string_view mappingText = second == std::string_view::npos ? std::string_view() : rest.substr(second + 1);

  if (const auto pattern = brantic::PathPattern::Find(path)) {
    for (const int64_t item : {int64_t(0), int64_t(7), int64_t(-12), int64_t(1001), int64_t(1012), int64_t(10000)}) {
      // Tiles are UDIM numbers, 1001 to 9999.
      if (pattern->GetKind() == brantic::PathPattern::Kind::Tiles && (item < 1001 || item > 9999)) continue;
      const std::string written = pattern->PathOf(item);
      const size_t slash = written.find_last_of("/\\");
      const std::string_view name = std::string_view(written).substr(slash == std::string::npos ? 0 : slash + 1);
      // A folder part with a separator inside the token's text cannot hold: only whole names.
      if (written.find_last_of("/\\") != path.find_last_of("/\\")) continue;
      if (pattern->Match(name) != item) {
        std::fprintf(stderr, "a written member does not match back to its item\n");
        std::abort();
      }
    }
    (void)pattern->CarryInto(other);
  }
  auto mappings = brantic::MappingsFromText(mappingText);
  const brantic::PathExpander expander({{"A", std::string(other)}},
                                       mappings ? *mappings : std::vector<brantic::PathMapping>(), false);
  (void)expander.Expand(path);
  (void)expander.Map(path);
  (void)expander.KeepForm(path, other);
  if (mappings && brantic::MappingsFromText(brantic::MappingsToText(*mappings)).Value() != *mappings) {
    std::fprintf(stderr, "mappings written as text and read again changed\n");
    std::abort();
  }
  return 0;
}
