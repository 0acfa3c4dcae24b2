#include "brantic/searchpaths.h"

namespace brantic {

namespace {
SearchPathProvider& Provider() {
  static SearchPathProvider provider;
  return provider;
}
}  // namespace

void SetSearchPathProvider(SearchPathProvider provider) { Provider() = std::move(provider); }

Result<std::vector<Url>> FillSearchPaths(const Url& documentFolder) {
  if (Provider()) return Provider()(documentFolder);
  std::vector<Url> folders;
  if (!documentFolder.IsEmpty()) {
    folders.push_back(documentFolder);
    auto tex = documentFolder.Append(std::string_view("tex"));
    if (!tex) return tex.GetError();
    folders.push_back(*tex);
  }
  return folders;
}

}  // namespace brantic
