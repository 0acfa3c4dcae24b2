// URLs and file names: parsing, joining and normalising any text neither crashes nor loses
// the text of a URL that was read back.
#include <cstdio>
#include <cstdlib>

#include "brantic/url.h"
#include "bx3/filename.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  const size_t split = input.find('\n');
  const std::string first(input.substr(0, split));
  const std::string second(split == std::string_view::npos ? "" : input.substr(split + 1));

  const brantic::Url url = brantic::Url::FromString(first);
  const std::string text = url.ToString();
  if (brantic::Url::FromString(text).ToString() != text) {
    std::fprintf(stderr, "a URL written and read again changed\n");
    std::abort();
  }
  const brantic::Url path = brantic::Url::FromSystemPath(first);
  (void)path.GetName();
  if (auto joined = path.Append(brantic::Url::FromSystemPath(second))) {
    (void)joined->Normalize(brantic::kNormalizeResolveDots);
  }
  (void)path.Normalize(brantic::kNormalizeResolveDots);

  const bx3::Filename name(first);
  (void)name.GetSuffix();
  (void)name.GetFile();
  (void)name.WithoutSuffix();
  (void)(name + bx3::Filename(second));
  (void)name.GetDirectory();
  (void)name.IsAbsolute();
  (void)name.GetUrl();
  return 0;
}
