#include "bx3/host.h"
#include "bx3/services.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "brantic/io.h"
#include "brantic/mainthread.h"
#include "brantic/media.h"
#include "brantic/nodes.h"
#include "brantic/searchpaths.h"
#include "bx3/bitmap.h"
#include "bx3/dialog.h"
#include "bx3/prefs.h"
#include "bx3/scenefile.h"
#include "main_thread_check.h"

namespace bx3 {

namespace {

struct HostState {
  std::vector<std::unique_ptr<Document>> documents;
  Document* active = nullptr;
};

HostState& State() {
  static HostState state;
  return state;
}

}  // namespace

void ExpectMainThread(const char* function) {
  if (brantic::IsMainThread()) return;
  std::fprintf(stderr, "bx3: %s is for the main thread only, but was called from another thread\n", function);
  std::abort();
}

void InitializeHost() {
  brantic::SetMainThread();
  RegisterHostCommands();
  brantic::SetSearchPathProvider(&GetTextureSearchFolders);
  // The host's node spaces and its texture node.
  (void)brantic::RegisterNodeSpace(brantic::Id(kNodeSpaceStandard), brantic::String("Standard"));
  (void)brantic::RegisterNodeSpace(brantic::Id(kNodeSpaceLumen), brantic::String("Lumen"));
  (void)brantic::RegisterNodeType(
      {brantic::Id("texture"), brantic::Id("file"), brantic::Id("start"), brantic::Id("end")});
  static bool detectorRegistered = false;
  if (!detectorRegistered) {
    detectorRegistered = true;
    // The host's own scene files: recognised by name, they are read by the host, not as media.
    brantic::RegisterFileFormatDetector([](const brantic::Url& url) -> std::optional<brantic::FileFormatHandler> {
      if (!Filename(url.GetPath()).CheckSuffix("bx3")) return std::nullopt;
      return brantic::FileFormatHandler(brantic::FileFormatHandlerType::Other, brantic::String("bx3 scene"),
                                        {brantic::String("bx3")});
    });
  }
}

Document* AddDocument(std::unique_ptr<Document> document) {
  BX3_MAIN_THREAD_ONLY();
  if (!document) return nullptr;
  State().documents.push_back(std::move(document));
  State().active = State().documents.back().get();
  return State().active;
}

namespace {

void AnnounceClosing(const Document& document) {
  Container message(kCoreMessageDocumentClosing);
  message.SetInt64(kMessageDocument, int64_t(document.GetUid()));
  DeliverCoreMessageToAll(kCoreMessageDocumentClosing, message);
}

}  // namespace

void CloseDocument(Document* document) {
  BX3_MAIN_THREAD_ONLY();
  auto& documents = State().documents;
  const auto found =
      std::find_if(documents.begin(), documents.end(), [document](const auto& d) { return d.get() == document; });
  if (found == documents.end()) return;
  AnnounceClosing(*document);
  // The list may have changed while the dialogs heard of it.
  const auto closing =
      std::find_if(documents.begin(), documents.end(), [document](const auto& d) { return d.get() == document; });
  if (closing == documents.end()) return;
  std::unique_ptr<Document> owned = std::move(*closing);
  documents.erase(closing);
  if (State().active == document) {
    State().active = documents.empty() ? nullptr : documents.back().get();
  }
}

void CloseAllDocuments() {
  while (!State().documents.empty()) CloseDocument(State().documents.back().get());
  State().active = nullptr;
}

brantic::Result<Document*> OpenDocumentInPlace(const std::string& path) {
  BX3_MAIN_THREAD_ONLY();
  auto loaded = LoadDocument(path);
  if (!loaded) return loaded.GetError();
  CloseAllDocuments();
  return AddDocument(std::move(*loaded));
}

Document* GetActiveDocument() {
  BX3_MAIN_THREAD_ONLY();
  return State().active;
}

void SetActiveDocument(Document* document) {
  BX3_MAIN_THREAD_ONLY();
  const auto& documents = State().documents;
  const bool known =
      std::any_of(documents.begin(), documents.end(), [document](const auto& d) { return d.get() == document; });
  if (known || !document) State().active = document;
}

const std::vector<std::unique_ptr<Document>>& GetDocuments() {
  BX3_MAIN_THREAD_ONLY();
  return State().documents;
}

brantic::Result<std::vector<brantic::Url>> GetTextureSearchFolders(const brantic::Url& documentFolder) {
  BX3_MAIN_THREAD_ONLY();
  std::vector<brantic::Url> folders;
  if (!documentFolder.IsEmpty()) {
    folders.push_back(documentFolder);
    auto tex = documentFolder.Append(std::string_view("tex"));
    if (!tex) return tex.GetError();
    folders.push_back(*tex);
  }
  for (const TextureSearchPath& path : Preferences::Get().GetTextureSearchPaths()) {
    if (path.enabled && path.path.IsAbsolute()) folders.push_back(path.path.GetUrl());
  }
  return folders;
}

bool IsInDocumentLocations(const Filename& path, const Filename& documentFolder) {
  if (!path.IsAbsolute() || !documentFolder.IsAbsolute()) return false;
  return path.GetUrl().GetRelativeUrl(documentFolder.GetUrl()).HasValue();
}

bool GenerateTexturePath(const Filename& folder, const Filename& relative, Filename& result) {
  const Filename name = relative.GetFile();
  if (!folder.IsPopulated() || !name.IsPopulated()) return false;
  const Filename candidate = folder + name;
  if (!brantic::IsExistingFile(candidate.GetUrl())) return false;
  result = candidate;
  return true;
}

std::vector<Filename> GetPaintTextures() {
  BX3_MAIN_THREAD_ONLY();
  std::vector<Filename> textures;
  for (const auto& document : State().documents) {
    const auto& own = document->GetPaintTextures();
    textures.insert(textures.end(), own.begin(), own.end());
  }
  return textures;
}

}  // namespace bx3
