// The host application's state: open documents and the active one. Main thread only.
#pragma once

#include <memory>
#include <vector>

#include "brantic/result.h"
#include "brantic/url.h"
#include "bx3/document.h"

namespace bx3 {

// The node spaces of the host's two renderers.
inline constexpr const char* kNodeSpaceStandard = "bx3.nodes.standard";
inline constexpr const char* kNodeSpaceLumen = "bx3.nodes.lumen";

// The version of the host interface this host offers.
inline constexpr int32_t kHostApiVersion = 23150;

// Sets up the host's services in the framework (texture search folders, the detection of
// .bx3 scene files). Call once at start, on the main thread.
void InitializeHost();

// Takes ownership of `document` and makes it active.
Document* AddDocument(std::unique_ptr<Document> document);
// Closes a document; the next one becomes active.
void CloseDocument(Document* document);
void CloseAllDocuments();
Document* GetActiveDocument();
void SetActiveDocument(Document* document);
const std::vector<std::unique_ptr<Document>>& GetDocuments();

// The texture search folders of a document folder: the folder itself, its "tex" folder,
// then the enabled texture search paths of the preferences, in that order.
brantic::Result<std::vector<brantic::Url>> GetTextureSearchFolders(const brantic::Url& documentFolder);

// The host's texture-path builder: the file named like the last part of `relative` inside
// `folder`. True, with `result`, when that file exists (one file-system query).
bool GenerateTexturePath(const Filename& folder, const Filename& relative, Filename& result);

// The textures that open documents hold open for painting, document by document, in the
// order each document declares them.
std::vector<Filename> GetPaintTextures();

class BaseBitmap;
// Loads the scene file `file` (not as an open document) and decodes its stored preview
// picture into `bitmap`. False when the file cannot be loaded or has no preview.
bool LoadScenePreview(const Filename& file, BaseBitmap& bitmap);

}  // namespace bx3
