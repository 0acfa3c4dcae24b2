// .bx3 scene files: JSON documents (docs/scene-format.md). Main thread only, but for loading
// and parsing: they make a document nobody else knows yet, so any thread may (a scan reads the
// next scenes ahead while it collects one).
//
// Loading never yields a half document: a bad file is refused with a message that names the
// file, the position and the problem. Saving is atomic: a temporary file is written,
// flushed and renamed over the target.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "brantic/result.h"
#include "bx3/document.h"

namespace bx3 {

brantic::Result<std::unique_ptr<Document>> LoadDocument(const std::string& path);
// Parses scene text; `sourceName` names the text in error messages.
brantic::Result<std::unique_ptr<Document>> ParseDocument(std::string_view text, std::string_view sourceName);

brantic::Result<void> SaveDocument(Document& document, const std::string& path);
std::string SerializeDocument(const Document& document);

// Writes `bytes` to `path` through a temporary file in the same folder, flushed to disk and
// renamed over `path`. On failure `path` is untouched and the temporary file is removed.
brantic::Result<void> WriteFileAtomically(const std::string& path, std::string_view bytes);
// The same for text made piece by piece: `produce` hands each piece to its writer (which
// answers false once writing failed) and answers false when it could not go on.
using ChunkWriter = std::function<bool(std::string_view bytes)>;
brantic::Result<void> WriteFileAtomically(const std::string& path,
                                          const std::function<bool(const ChunkWriter&)>& produce);

std::string EncodeBase64(std::string_view bytes);
brantic::Result<std::string> DecodeBase64(std::string_view text);

}  // namespace bx3
