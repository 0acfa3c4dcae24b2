// Texture search folders of a document. Main thread only.
//
// The host knows where a document looks for its textures; it installs a provider that the
// framework asks. Without a provider the list is the document folder and its "tex" folder.
#pragma once

#include <functional>
#include <vector>

#include "brantic/result.h"
#include "brantic/url.h"

namespace brantic {

using SearchPathProvider = std::function<Result<std::vector<Url>>(const Url& documentFolder)>;

void SetSearchPathProvider(SearchPathProvider provider);
Result<std::vector<Url>> FillSearchPaths(const Url& documentFolder);

}  // namespace brantic
