// The host application's state: open documents and the active one. Main thread only, but
// where a function says otherwise; in debug builds the others stop a call from another thread.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "brantic/result.h"
#include "brantic/url.h"
#include "bx3/container.h"
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

// Core message to every dialog, open or not, just before a document is freed: whatever
// holds the document or its elements lets go of them. kMessageDocument holds the document's
// element identity (Element::GetUid).
inline constexpr int32_t kCoreMessageDocumentClosing = FourCC("dcls");
inline constexpr int32_t kMessageDocument = FourCC("docu");

// Takes ownership of `document` and makes it active.
Document* AddDocument(std::unique_ptr<Document> document);
// Closes a document (announcing it first); the next one becomes active.
void CloseDocument(Document* document);
void CloseAllDocuments();
// Loads the scene file at `path` and puts it in place of every open document, as File >
// Open and Revert do. A file that cannot be loaded leaves the open documents as they are.
brantic::Result<Document*> OpenDocumentInPlace(const std::string& path);
Document* GetActiveDocument();
void SetActiveDocument(Document* document);
const std::vector<std::unique_ptr<Document>>& GetDocuments();

// The texture search folders of a document folder: the folder itself, its "tex" folder,
// then the enabled texture search paths of the preferences, in that order.
brantic::Result<std::vector<brantic::Url>> GetTextureSearchFolders(const brantic::Url& documentFolder);

// The host's path test: true when `path` is an absolute path inside `documentFolder` (in it or
// below it), so that it can be stored relative to the document. Compares the path texts only.
// Any thread.
bool IsInDocumentLocations(const Filename& path, const Filename& documentFolder);

// The host's texture-path builder: the file named like the last part of `relative` inside
// `folder`. True, with `result`, when that file exists (one file-system query). Any thread.
bool GenerateTexturePath(const Filename& folder, const Filename& relative, Filename& result);

// The textures that open documents hold open for painting, document by document, in the
// order each document declares them.
std::vector<Filename> GetPaintTextures();

class BaseBitmap;
// Reads the stored preview picture of the scene file `file` into `bitmap`, without making a
// document of it. False when the file is not a scene or has no preview. Any thread.
bool LoadScenePreview(const Filename& file, BaseBitmap& bitmap);

}  // namespace bx3
