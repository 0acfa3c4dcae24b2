#include "operations/kvfileactions.h"

#include "bx3/commands.h"
#include "bx3/services.h"
#include "collection/kvresolve.h"

namespace kv {

namespace {

using bx3::Element;

// The attribute manager's mode for an element that is not a material.
int32_t ManagerMode(const Element& element) {
  using namespace bx3::type;
  struct ModeOfType {
    int32_t type;
    int32_t mode;
  };
  static constexpr ModeOfType kModes[] = {
      {kSimulation, 4}, {kObjectBase, 1}, {kTagBase, 2},          {kSceneEffectBase, 13}, {kRenderSettings, 13},
      {kDocument, 14},  {kLayer, 16},     {kProjectSettings, 10}, {kShaderBase, 4},
  };
  for (const ModeOfType& entry : kModes) {
    if (element.IsInstanceOf(entry.type)) return entry.mode;
  }
  return 0;
}

// The element the manager shows: an object, material, tag or effect that holds the file,
// else the element it belongs to, else the one that holds it.
Element* ChosenElement(const KvAssetEntry& row, const bx3::Document* document) {
  using namespace bx3::type;
  Element* owner = row.ownerLink.Resolve(document);
  Element* main = row.ownerMainLink.Resolve(document);
  if (owner && (owner->IsInstanceOf(kObjectBase) || owner->IsInstanceOf(kMaterialBase) ||
                owner->IsInstanceOf(kTagBase) || owner->IsInstanceOf(kSceneEffectBase))) {
    return owner;
  }
  return main ? main : owner;
}

void ShowMaterial(Element& material, const KvAssetEntry& row, bool open, bool file, bx3::Document* document) {
  Element* owner = row.ownerLink.Resolve(document);
  const bool shader = owner && owner->IsInstanceOf(bx3::type::kShaderBase);
  if (document) document->SetActiveMaterial(&material);
  if (!open) {
    if (file && shader) {
      bx3::AttributeManagerSetMode(4, true);
      bx3::AttributeManagerShow(owner, 1, bx3::DescId());
    } else {
      bx3::AttributeManagerSetMode(3, true);
      bx3::AttributeManagerShow(&material, 1, bx3::DescId());
    }
    return;
  }
  const brantic::NodeGraph* graph = material.GetNodeGraph(row.nodeSpace);
  const brantic::Node* node = graph ? graph->FindNode(row.nodePath) : nullptr;
  if (file && graph) {
    if (node) bx3::SelectNodeInEditor(material, node->path, row.nodeSpace);
  } else if (file && shader) {
    bx3::AttributeManagerRelease();
    bx3::AttributeManagerSetMode(4, true);
    bx3::AttributeManagerShow(owner, 1, bx3::DescId());
  } else {
    bx3::EditNodeMaterial(material, node ? &node->path : nullptr, row.nodeSpace);
  }
}

}  // namespace

bool RunFileAction(const KvAssetEntry& row, const bx3::Document* document, KvFileAction action) {
  bx3::PictureViewer* viewer = nullptr;
  if (action == KvFileAction::PictureViewer && !(viewer = bx3::GetPictureViewer(-1))) return false;
  const Element* owner = row.ownerLink.Resolve(document);
  const bool bitmapShader = owner && owner->GetType() == bx3::type::kBitmapShader;
  bx3::Filename path;
  if (document) ResolveAssetPath(document->GetFolder(), row.assetPath, nullptr, path, bitmapShader);
  // A set of frames or tiles shows its first file.
  if (row.setKind != kSetNone) {
    brantic::FolderListings listings;
    const brantic::Url first = FirstSetFile(path, listings);
    if (!first.IsEmpty()) path = bx3::Filename::FromUrl(first);
  }
  switch (action) {
    case KvFileAction::Show: return bx3::ShowInFileBrowser(path, false);
    case KvFileAction::Open: return bx3::ShowInFileBrowser(path, true);
    case KvFileAction::PictureViewer: return viewer->LoadFile(path) && viewer->Show();
  }
  return false;
}

void ShowAssetInManager(const KvAssetEntry& row, bool open, bool file, bx3::Document* document) {
  Element* element = ChosenElement(row, document);
  if (!element) return;
  if (element->IsInstanceOf(bx3::type::kMaterialBase)) {
    ShowMaterial(*element, row, open, file, document);
    return;
  }
  const int32_t mode = ManagerMode(*element);
  if (open && element->GetType() == bx3::type::kSimulation) {
    bx3::CallCommand(bx3::kCmdSimulationManager);
    return;
  }
  if (open) {
    bx3::AttributeManagerRelease();
    bx3::AttributeManagerSetMode(mode, false);
  } else {
    bx3::AttributeManagerSetMode(mode, true);
  }
  if (document) document->SetActiveObject(element);
  bx3::AttributeManagerShow(element, open ? 0 : 2, row.targetDescId);
}

}  // namespace kv
